// The reference server's request handling on arbitrary bytes: header
// screening, unpacking, every command handler and answer packing, without
// sockets. Jobs are accepted but not stored.
#include <cstddef>
#include <cstdint>

#include "config.h"
#include "dispatcher.h"
#include "server_state.h"

namespace {

const char kConfig[] = R"({
  "server_info": ["Fuzz", "1", "localhost", "EUR"],
  "max_request_bytes": 65536,
  "max_unpacked_bytes": 262144,
  "lockout_after": 2,
  "auth_methods": {
    "A": {"steps": [{"result": 2}, {"result": 1, "require": {"pw": "x"}}]},
    "B": {"stage": 1}
  },
  "printers": [
    {"name": "p", "description": {"MAXPAGES": 5, "AUTHNAME": ["A", "B"], "PAGEPRICE": ["1", "2"],
                                  "MINCHARGE": ["1", "1"], "TAX": ["0", "0"]}},
    {"name": "q", "description": {"AVAILABLE": false}}
  ],
  "jobs": [{"id": 3, "printer": "p", "status": 4}]
})";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const zentserver::ServerConfig config = zentserver::parseConfig(kConfig, ".");
    static zentserver::ServerState state(config.firstSession);
    static zentserver::Dispatcher dispatcher(config, state, nullptr);
    dispatcher.handleBytes(data, size, "127.0.0.1:1");
    return 0;
}
