// TDBQuery: one statement of the query layer with named parameters and a
// current row.
#include <zcodec/dbquery.h>

#include "odbc_support.h"

#include <algorithm>
#include <cctype>

namespace encdec {

using detail::sqlOk;

static_assert(sizeof(SQLLEN) == sizeof(long));

namespace {

std::string upper(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

bool isNameChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

// The statement with every ":NAME" outside quotes replaced by '?', and the
// names (upper case) in the order they occur.
std::string markParameters(const std::string& sql, std::vector<std::string>& names) {
    std::string out;
    char quote = 0;
    for (std::size_t i = 0; i < sql.size(); ++i) {
        const char c = sql[i];
        if (quote) {
            if (c == quote) quote = 0;
            out += c;
        } else if (c == '\'' || c == '"') {
            quote = c;
            out += c;
        } else if (c == ':' && i + 1 < sql.size() && isNameChar(sql[i + 1]) && (i == 0 || sql[i - 1] != ':')) {
            std::size_t end = i + 1;
            while (end < sql.size() && isNameChar(sql[end])) ++end;
            names.push_back(upper(sql.substr(i + 1, end - i - 1)));
            out += '?';
            i = end - 1;
        } else {
            out += c;
        }
    }
    return out;
}

bool isIntegerType(SQLSMALLINT type) {
    return type == SQL_INTEGER || type == SQL_SMALLINT || type == SQL_TINYINT || type == SQL_BIGINT ||
           type == SQL_BIT;
}
bool isRealType(SQLSMALLINT type) { return type == SQL_REAL || type == SQL_FLOAT || type == SQL_DOUBLE; }

}  // namespace

TDBQuery::TDBQuery(TDBConnection* connection, std::string sql) : Connection(connection), SQL(std::move(sql)) {}

TDBQuery::~TDBQuery() { Close(); }

void TDBQuery::SetParameter(const std::string& name, DBVariant value) {
    const std::string key = upper(!name.empty() && name.front() == ':' ? name.substr(1) : name);
    parameters_[key] = std::move(value);
}

void TDBQuery::Close() {
    if (stmt_) SQLFreeHandle(SQL_HANDLE_STMT, stmt_);
    stmt_ = nullptr;
    eof_ = true;
    names_.clear();
    types_.clear();
    row_.clear();
}

void TDBQuery::run() {
    Close();
    if (!Connection || !Connection->Connected()) throw EDBError("The query has no open connection");
    SQLHSTMT stmt = SQL_NULL_HSTMT;
    if (!sqlOk(SQLAllocHandle(SQL_HANDLE_STMT, Connection->handle(), &stmt)))
        throw EDBError(Connection->recordErrors(SQL_HANDLE_DBC, Connection->handle(), "Cannot make a statement"));
    stmt_ = stmt;
    auto failed = [this](const std::string& what) {
        const std::string text = Connection->recordErrors(SQL_HANDLE_STMT, stmt_, what);
        Close();
        throw EDBError(text);
    };

    std::vector<std::string> order;
    std::string text = markParameters(SQL, order);
    boundValues_.assign(order.size(), {});
    boundLengths_.assign(order.size(), 0);
    for (std::size_t i = 0; i < order.size(); ++i) {
        const auto found = parameters_.find(order[i]);
        if (found == parameters_.end()) failed("The parameter " + order[i] + " has no value");
        DBVariant& value = boundValues_[i] = found->second;
        long& length = boundLengths_[i];
        const auto number = static_cast<SQLUSMALLINT>(i + 1);
        SQLRETURN r;
        if (auto* integer = std::get_if<std::int64_t>(&value)) {
            r = SQLBindParameter(stmt_, number, SQL_PARAM_INPUT, SQL_C_SBIGINT, SQL_BIGINT, 0, 0, integer, 0, &length);
        } else if (auto* real = std::get_if<double>(&value)) {
            r = SQLBindParameter(stmt_, number, SQL_PARAM_INPUT, SQL_C_DOUBLE, SQL_DOUBLE, 0, 0, real, 0, &length);
        } else if (auto* string = std::get_if<std::string>(&value)) {
            length = static_cast<long>(string->size());
            r = SQLBindParameter(stmt_, number, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR,
                                 std::max<SQLULEN>(string->size(), 1), 0, string->data(), length, &length);
        } else {
            length = SQL_NULL_DATA;
            r = SQLBindParameter(stmt_, number, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, 1, 0, nullptr, 0, &length);
        }
        if (!sqlOk(r)) failed("Cannot set the parameter " + order[i]);
    }

    const SQLRETURN r = SQLExecDirect(stmt_, reinterpret_cast<SQLCHAR*>(text.data()), SQL_NTS);
    if (!sqlOk(r) && r != SQL_NO_DATA) failed("The statement failed");
    SQLSMALLINT columns = 0;
    if (!sqlOk(SQLNumResultCols(stmt_, &columns))) columns = 0;
    for (int column = 1; column <= columns; ++column) {
        names_.push_back(detail::columnName(stmt_, column));
        SQLCHAR name[8];
        SQLSMALLINT length = 0, type = SQL_VARCHAR, digits = 0, nullable = 0;
        SQLULEN size = 0;
        SQLDescribeCol(stmt_, static_cast<SQLUSMALLINT>(column), name, sizeof name, &length, &type, &size, &digits,
                       &nullable);
        types_.push_back(type);
    }
}

long TDBQuery::ExecSQL() {
    run();
    SQLLEN rows = 0;
    if (!sqlOk(SQLRowCount(stmt_, &rows)) || rows < 0) rows = 0;
    Close();
    return static_cast<long>(rows);
}

void TDBQuery::Open() {
    run();
    fetch();
}

void TDBQuery::Next() {
    if (stmt_ && !eof_) fetch();
}

void TDBQuery::fetch() {
    row_.clear();
    const SQLRETURN r = SQLFetch(stmt_);
    if (r == SQL_NO_DATA) {
        eof_ = true;
        return;
    }
    if (!sqlOk(r)) {
        const std::string text = Connection->recordErrors(SQL_HANDLE_STMT, stmt_, "Cannot read the row");
        Close();
        throw EDBError(text);
    }
    eof_ = false;
    for (std::size_t i = 0; i < types_.size(); ++i) {
        const auto column = static_cast<SQLUSMALLINT>(i + 1);
        SQLLEN indicator = 0;
        if (isIntegerType(types_[i])) {
            std::int64_t value = 0;
            if (sqlOk(SQLGetData(stmt_, column, SQL_C_SBIGINT, &value, 0, &indicator)) && indicator != SQL_NULL_DATA) {
                row_.emplace_back(value);
                continue;
            }
        } else if (isRealType(types_[i])) {
            double value = 0;
            if (sqlOk(SQLGetData(stmt_, column, SQL_C_DOUBLE, &value, 0, &indicator)) && indicator != SQL_NULL_DATA) {
                row_.emplace_back(value);
                continue;
            }
        } else {
            // Text of any length, read in pieces.
            std::string text;
            char buffer[1024];
            SQLRETURN got;
            while (sqlOk(got = SQLGetData(stmt_, column, SQL_C_CHAR, buffer, sizeof buffer, &indicator))) {
                if (indicator == SQL_NULL_DATA) break;
                const std::size_t piece = indicator == SQL_NO_TOTAL || indicator >= SQLLEN(sizeof buffer)
                                              ? sizeof buffer - 1
                                              : static_cast<std::size_t>(indicator);
                text.append(buffer, piece);
                if (got == SQL_SUCCESS) break;
            }
            if (indicator != SQL_NULL_DATA && (sqlOk(got) || got == SQL_NO_DATA)) {
                row_.emplace_back(std::move(text));
                continue;
            }
        }
        if (indicator == SQL_NULL_DATA)
            row_.emplace_back(DBNull{});
        else
            row_.emplace_back(std::monostate{});
    }
}

DBVariant TDBQuery::Field(int index) const {
    if (eof_ || index < 0 || index >= static_cast<int>(row_.size())) return {};
    return row_[static_cast<std::size_t>(index)];
}

DBVariant TDBQuery::FieldByName(const std::string& name) const {
    for (std::size_t i = 0; i < names_.size(); ++i)
        if (detail::sameName(names_[i], name)) return Field(static_cast<int>(i));
    return {};
}

}  // namespace encdec
