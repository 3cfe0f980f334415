// The node-mapper tool for a gateway whose server the database knows.
#include <zcodec/dbquery.h>
#include <zcodec/nodemap.h>

#include "text_trim.h"

#include <limits.h>
#include <unistd.h>

namespace encdec {

namespace {

std::string computerName() {
    char name[HOST_NAME_MAX + 1] = {};
    if (::gethostname(name, sizeof name - 1) != 0) return {};
    return name;
}

}  // namespace

int ExecNodeMap(TNodeMapCommand command, TNodeMapIpOrMac kind, const std::string& address,
                TDBConnection* connection, int gatewayId, const std::string& machine,
                const std::string& resultFile) {
    const std::string none;
    if (gatewayId == 0) return ExecNodeMap(command, kind, address, none, none, none, resultFile);
    std::string server, user, password;
    try {
        if (!connection) return kNodeMapFailed;
        TDBQuery query(connection, "SELECT * FROM GWNODES WHERE MACHINE=:MACHINE AND IGID=:IGID");
        query.SetParameter("MACHINE", machine.empty() ? computerName() : machine);
        query.SetParameter("IGID", std::int64_t{gatewayId});
        query.Open();
        if (query.Eof()) return kNodeMapFailed;
        const auto active = VarToInt(query.FieldByName("ACTIVE"));
        if (!active || *active == 0) return kNodeMapFailed;
        server = VarToStr(query.FieldByName("IPDNS"));
        const auto port = VarToInt(query.FieldByName("PORT"));
        if (port && *port != 0) server += ":" + std::to_string(*port);
        user = std::string(detail::trim(VarToStr(query.FieldByName("ADMINID"))));
        password = std::string(detail::trim(VarToStr(query.FieldByName("ADMINPASS"))));
    } catch (const EDBError&) {
        return kNodeMapFailed;
    }
    return ExecNodeMap(command, kind, address, server, user, password, resultFile);
}

}  // namespace encdec
