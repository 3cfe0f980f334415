// The hardware-address helpers: they run the external node-mapper tool,
// which maps network addresses to hardware addresses, and read its result file.
#pragma once

#include <string>

namespace encdec {

class TDBConnection;

enum TNodeMapCommand { nmGet = 0, nmAdd = 1, nmDel = 2, nmClear = 3 };
// 1: the address is a hardware (MAC) address; anything else: a network
// address, optionally with ":" and a port.
enum TNodeMapIpOrMac { nmIp = 0, nmMac = 1 };

// The code every failure gives: the tool did not run or left no code.
constexpr int kNodeMapFailed = 10;

// The tool: the machine value "FullPath" under
// SOFTWARE\ORLO Vestra\Telvane KEV Service Manager joined with
// "nodemapper.exe", or "nodemapper.exe" alone (looked up in PATH).
std::string GetNodeMap();

// Runs the tool once and waits for it; its return code from the result file,
// or 10. An empty result file name uses a temporary file, removed afterwards;
// a given one is removed before the tool runs, so an earlier run's code is
// never taken for this one's.
int ExecNodeMap(TNodeMapCommand command, TNodeMapIpOrMac kind, const std::string& address,
                const std::string& server, const std::string& user, const std::string& password,
                const std::string& resultFile = {});
// With a gateway id (not 0), takes the server and its credentials from the
// gateway's GWNODES row for the machine (this computer's name when empty);
// a missing or inactive row, or any database error, gives 10 without
// running the tool. Gateway id 0 runs the tool without a server.
int ExecNodeMap(TNodeMapCommand command, TNodeMapIpOrMac kind, const std::string& address,
                TDBConnection* connection, int gatewayId, const std::string& machine,
                const std::string& resultFile = {});

// The "Return code" of a result file; 10 when it has none or cannot be read.
int RetNodeMap(const std::string& resultFile);

}  // namespace encdec
