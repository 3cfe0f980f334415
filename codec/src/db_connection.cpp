// TDBConnection: a connection of the query layer, with its errors and properties.
#include <zcodec/dbquery.h>

#include "odbc_support.h"

namespace encdec {

using detail::sqlOk;

TDBConnection::TDBConnection() {
    SQLHENV env = SQL_NULL_HENV;
    if (!sqlOk(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env))) return;
    env_ = env;
    SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    SQLHDBC dbc = SQL_NULL_HDBC;
    if (sqlOk(SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc))) dbc_ = dbc;
}

TDBConnection::~TDBConnection() {
    Close();
    if (dbc_) SQLFreeHandle(SQL_HANDLE_DBC, dbc_);
    if (env_) SQLFreeHandle(SQL_HANDLE_ENV, env_);
}

bool TDBConnection::Open(const std::string& connectionString) {
    Close();
    errors_.clear();
    if (!dbc_) {
        errors_.push_back({0, "The ODBC driver manager could not be initialised"});
        return false;
    }
    SQLSetConnectAttr(dbc_, SQL_ATTR_LOGIN_TIMEOUT, reinterpret_cast<SQLPOINTER>(5), 0);
    std::string text = connectionString.find('=') == std::string::npos ? "DSN=" + connectionString : connectionString;
    SQLSMALLINT length = 0;
    const SQLRETURN r = SQLDriverConnect(dbc_, nullptr, reinterpret_cast<SQLCHAR*>(text.data()), SQL_NTS, nullptr, 0,
                                         &length, SQL_DRIVER_NOPROMPT);
    connected_ = sqlOk(r);
    if (!connected_) recordErrors(SQL_HANDLE_DBC, dbc_, "Cannot connect");
    return connected_;
}

void TDBConnection::Close() {
    if (!connected_) return;
    // Whatever a transaction left undone is not committed behind the caller's back.
    if (inTransaction_) {
        SQLEndTran(SQL_HANDLE_DBC, dbc_, SQL_ROLLBACK);
        SQLSetConnectAttr(dbc_, SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_ON), 0);
        inTransaction_ = false;
    }
    SQLDisconnect(dbc_);
    connected_ = false;
}

std::string TDBConnection::recordErrors(short handleType, void* handle, const std::string& what) {
    errors_.clear();
    for (const auto& d : detail::diagnostics(handleType, handle))
        errors_.push_back({d.nativeError, d.message.empty() ? d.state : d.message});
    if (errors_.empty()) errors_.push_back({0, what});
    return errors_.front().Description;
}

DBVariant TDBConnection::Property(const std::string& name) {
    if (!connected_) throw EDBError("The connection is not open");
    if (detail::sameName(name, "Transaction DDL")) {
        SQLUSMALLINT value = 0;
        if (!sqlOk(SQLGetInfo(dbc_, SQL_TXN_CAPABLE, &value, sizeof value, nullptr)))
            throw EDBError(recordErrors(SQL_HANDLE_DBC, dbc_, "SQLGetInfo failed"));
        return static_cast<std::int64_t>(value);
    }
    static const struct {
        const char* name;
        SQLUSMALLINT info;
    } texts[] = {{"DBMS Name", SQL_DBMS_NAME}, {"DBMS Version", SQL_DBMS_VER}, {"Driver Name", SQL_DRIVER_NAME}};
    for (const auto& t : texts) {
        if (!detail::sameName(name, t.name)) continue;
        char value[256] = {};
        SQLSMALLINT length = 0;
        if (!sqlOk(SQLGetInfo(dbc_, t.info, value, sizeof value, &length)))
            throw EDBError(recordErrors(SQL_HANDLE_DBC, dbc_, "SQLGetInfo failed"));
        return std::string(value);
    }
    return {};
}

void TDBConnection::BeginTrans() {
    if (!connected_) throw EDBError("The connection is not open");
    if (!sqlOk(SQLSetConnectAttr(dbc_, SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF), 0)))
        throw EDBError(recordErrors(SQL_HANDLE_DBC, dbc_, "Cannot begin a transaction"));
    inTransaction_ = true;
}

void TDBConnection::CommitTrans() { endTransaction(SQL_COMMIT); }
void TDBConnection::RollbackTrans() { endTransaction(SQL_ROLLBACK); }

void TDBConnection::endTransaction(short completion) {
    if (!inTransaction_) throw EDBError("No transaction is running");
    const SQLRETURN r = SQLEndTran(SQL_HANDLE_DBC, dbc_, completion);
    std::string error;
    if (!sqlOk(r)) {
        error = recordErrors(SQL_HANDLE_DBC, dbc_, "Cannot end the transaction");
        // Switching autocommit back on would commit what failed to commit.
        SQLEndTran(SQL_HANDLE_DBC, dbc_, SQL_ROLLBACK);
    }
    SQLSetConnectAttr(dbc_, SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_ON), 0);
    inTransaction_ = false;
    if (!error.empty()) throw EDBError(error);
}

}  // namespace encdec
