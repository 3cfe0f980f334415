// TSQLConnection: one ODBC connection and the record sets open on it.
#include <zcodec/sqlodbc.h>

#include "odbc_support.h"

#include <algorithm>

namespace encdec {

using detail::sqlOk;

namespace {
constexpr SQLULEN kLoginTimeoutSeconds = 5;
}

TSQLConnection::TSQLConnection() {
    SQLHENV env = SQL_NULL_HENV;
    if (!sqlOk(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env))) return;
    env_ = env;
    envReady_ = sqlOk(SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC2), 0));
    if (!envReady_) return;
    SQLHDBC dbc = SQL_NULL_HDBC;
    if (sqlOk(SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc))) {
        dbc_ = dbc;
        dbcReady_ = true;
    }
}

TSQLConnection::~TSQLConnection() {
    Close();
    if (dbc_) SQLFreeHandle(SQL_HANDLE_DBC, dbc_);
    if (env_) SQLFreeHandle(SQL_HANDLE_ENV, env_);
}

bool TSQLConnection::Open(const std::string& dataSource, const std::string& user, const std::string& password) {
    if (open_) Close();
    if (!dbcReady_) return false;
    SQLSetConnectAttr(dbc_, SQL_ATTR_LOGIN_TIMEOUT, reinterpret_cast<SQLPOINTER>(kLoginTimeoutSeconds), 0);
    SQLRETURN r;
    if (dataSource.find('=') != std::string::npos) {
        std::string text = detail::connectionString(dataSource, user, password);
        SQLSMALLINT length = 0;
        r = SQLDriverConnect(dbc_, nullptr, reinterpret_cast<SQLCHAR*>(text.data()), SQL_NTS, nullptr, 0, &length,
                             SQL_DRIVER_NOPROMPT);
    } else {
        r = SQLConnect(dbc_, reinterpret_cast<SQLCHAR*>(const_cast<char*>(dataSource.c_str())), SQL_NTS,
                       reinterpret_cast<SQLCHAR*>(const_cast<char*>(user.c_str())), SQL_NTS,
                       reinterpret_cast<SQLCHAR*>(const_cast<char*>(password.c_str())), SQL_NTS);
    }
    open_ = sqlOk(r);
    return open_;
}

void TSQLConnection::Close() {
    // A record set unregisters itself while it closes; work on a copy so a
    // record set that does not cannot keep the loop going.
    const std::vector<TSQLRecordset*> open = recordsets_;
    for (auto it = open.rbegin(); it != open.rend(); ++it) {
        if (std::find(recordsets_.begin(), recordsets_.end(), *it) != recordsets_.end()) (*it)->ConnectionClosing();
    }
    recordsets_.clear();
    if (open_) SQLDisconnect(dbc_);
    open_ = false;
}

bool TSQLConnection::Execute(const std::string& statement) {
    if (!open_) return false;
    TSQLRecordset rs;
    return rs.Open(statement, *this);
}

int TSQLConnection::DBCommand(const std::string& statements, long* count, bool transaction) {
    if (count) *count = 0;
    if (!open_) return 0;
    TSQLRecordset rs;
    if (!rs.Open({}, *this)) return 0;
    return rs.DBCommand(statements, count, transaction);
}

std::optional<long> TSQLConnection::LoginTimeout() const {
    if (!dbcReady_) return std::nullopt;
    SQLULEN value = 0;
    SQLINTEGER length = 0;
    if (!sqlOk(SQLGetConnectAttr(dbc_, SQL_ATTR_LOGIN_TIMEOUT, &value, sizeof value, &length))) return std::nullopt;
    return static_cast<long>(value);
}

void TSQLConnection::AddRs(TSQLRecordset* rs) {
    if (std::find(recordsets_.begin(), recordsets_.end(), rs) == recordsets_.end()) recordsets_.push_back(rs);
}

void TSQLConnection::DelRs(TSQLRecordset* rs) { std::erase(recordsets_, rs); }

}  // namespace encdec
