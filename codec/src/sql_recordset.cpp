// TSQLRecordset: a statement and its cursor on a TSQLConnection.
#include <zcodec/sqlodbc.h>
#include <zcodec/dbrow.h>

#include "odbc_support.h"

namespace encdec {

using detail::sqlOk;

namespace {
constexpr SQLLEN kTextBuffer = 1024;
}

TSQLRecordset::~TSQLRecordset() { Close(); }

bool TSQLRecordset::Open(const std::string& statement, const std::string& dataSource, const std::string& user,
                         const std::string& password, long cursorType) {
    Close();
    auto* own = new TSQLConnection;
    if (!own->Open(dataSource, user, password)) {
        delete own;
        return false;
    }
    ownConnection_ = own;
    if (Open(statement, *own, cursorType)) return true;
    // Open(statement, connection) closed the record set, and with it the
    // connection of its own.
    return false;
}

bool TSQLRecordset::Open(const std::string& statement, TSQLConnection& connection, long cursorType) {
    if (open_) {
        // Keep a connection of our own when it is the one to run on.
        TSQLConnection* own = ownConnection_ == &connection ? ownConnection_ : nullptr;
        if (own) ownConnection_ = nullptr;
        Close();
        ownConnection_ = own;
    }
    if (!connection) {
        Close();
        return false;
    }
    SQLHSTMT stmt = SQL_NULL_HSTMT;
    if (!sqlOk(SQLAllocHandle(SQL_HANDLE_STMT, connection.handle(), &stmt))) {
        Close();
        return false;
    }
    stmt_ = stmt;
    connection_ = &connection;
    connection.AddRs(this);
    open_ = true;
    if (!Execute(statement, cursorType)) {
        Close();
        return false;
    }
    return true;
}

bool TSQLRecordset::Execute(const std::string& statement, long cursorType) {
    if (!stmt_) return false;
    SQLFreeStmt(stmt_, SQL_CLOSE);
    names_.clear();
    namesRead_ = false;
    row_.clear();
    columns_ = 0;
    cursorType_ = cursorType;
    if (cursorType != 0)
        SQLSetStmtAttr(stmt_, SQL_ATTR_CURSOR_TYPE, reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(cursorType)),
                       0);
    if (statement.empty()) return true;
    const SQLRETURN r =
        SQLExecDirect(stmt_, reinterpret_cast<SQLCHAR*>(const_cast<char*>(statement.c_str())), SQL_NTS);
    // A statement that touches no row reports SQL_NO_DATA: it still ran.
    if (!sqlOk(r) && r != SQL_NO_DATA) return false;
    SQLSMALLINT columns = 0;
    columns_ = sqlOk(SQLNumResultCols(stmt_, &columns)) ? columns : 0;
    return true;
}

bool TSQLRecordset::Fetch() {
    row_.assign(static_cast<std::size_t>(columns_), std::nullopt);
    return stmt_ && sqlOk(SQLFetch(stmt_));
}

bool TSQLRecordset::Refresh() {
    row_.assign(static_cast<std::size_t>(columns_), std::nullopt);
    return stmt_ && sqlOk(SQLSetPos(stmt_, 1, SQL_REFRESH, SQL_LOCK_NO_CHANGE));
}

DBVariant TSQLRecordset::operator[](int index) {
    if (!stmt_ || index < 1 || index > columns_ || row_.size() != static_cast<std::size_t>(columns_)) return {};
    std::optional<DBVariant>& cached = row_[static_cast<std::size_t>(index - 1)];
    if (!cached) cached = readColumn(index);
    return *cached;
}

DBVariant TSQLRecordset::readColumn(int index) {
    char buffer[kTextBuffer] = {};
    SQLLEN indicator = 0;
    const SQLRETURN r =
        SQLGetData(stmt_, static_cast<SQLUSMALLINT>(index), SQL_C_CHAR, buffer, kTextBuffer, &indicator);
    if (!sqlOk(r)) return {};
    if (indicator == SQL_NULL_DATA) return DBNull{};
    return std::string(buffer);
}

DBVariant TSQLRecordset::operator[](const DBVariant& key) {
    if (const auto index = VarToInt(key)) {
        if (*index < 1 || *index > columns_) return {};
        return (*this)[static_cast<int>(*index)];
    }
    const auto* name = std::get_if<std::string>(&key);
    if (!name) return {};
    if (!namesRead_) readColumnNames();
    for (std::size_t i = 0; i < names_.size(); ++i)
        if (detail::sameName(names_[i], *name)) return (*this)[static_cast<int>(i + 1)];
    return {};
}

void TSQLRecordset::readColumnNames() {
    names_.clear();
    for (int column = 1; column <= columns_; ++column) names_.push_back(detail::columnName(stmt_, column));
    namesRead_ = true;
}

std::optional<std::tm> TSQLRecordset::GetDateTime(const DBVariant& dateKey, const DBVariant& timeKey) {
    const DBVariant date = (*this)[dateKey];
    const DBVariant time = (*this)[timeKey];
    return encdec::GetDateTime(date, time);
}

int TSQLRecordset::DBCommand(const std::string& statements, long* count, bool /*transaction*/) {
    long rows = 0;
    int ran = 0;
    const std::vector<std::string> list = detail::splitStatements(statements);
    for (const std::string& statement : list) {
        if (!Execute(statement, cursorType_)) break;
        ++ran;
        SQLLEN affected = 0;
        if (sqlOk(SQLRowCount(stmt_, &affected)) && affected > 0) rows += affected;
    }
    if (count) *count = ran ? rows : 0;
    if (ran == 0) return 0;
    return ran == static_cast<int>(list.size()) ? 1 : -1;
}

void TSQLRecordset::ConnectionClosing() { Close(); }

void TSQLRecordset::Close() {
    if (stmt_) SQLFreeStmt(stmt_, SQL_CLOSE);
    names_.clear();
    namesRead_ = false;
    row_.clear();
    columns_ = 0;
    if (connection_) connection_->DelRs(this);
    connection_ = nullptr;
    if (stmt_) SQLFreeHandle(SQL_HANDLE_STMT, stmt_);
    stmt_ = nullptr;
    open_ = false;
    delete ownConnection_;
    ownConnection_ = nullptr;
}

}  // namespace encdec
