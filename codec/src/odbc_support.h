// What both database layers share over the ODBC driver manager.
#pragma once

#include <sql.h>
#include <sqlext.h>

#include <string>
#include <vector>

namespace encdec::detail {

inline bool sqlOk(SQLRETURN r) { return r == SQL_SUCCESS || r == SQL_SUCCESS_WITH_INFO; }

struct OdbcDiagnostic {
    long nativeError = 0;
    std::string state;
    std::string message;
};
// Every diagnostic record the last call on the handle left.
std::vector<OdbcDiagnostic> diagnostics(SQLSMALLINT handleType, SQLHANDLE handle);

// The data source text for SQLDriverConnect, with UID and PWD added when given.
std::string connectionString(const std::string& dataSource, const std::string& user, const std::string& password);

// Name of a result column (1-based), or "FIELD<n>" when it has none.
std::string columnName(SQLHSTMT stmt, int column);

// The statement texts of a 0x04-separated command text.
std::vector<std::string> splitStatements(const std::string& statements);

// ASCII comparison without regard to case.
bool sameName(const std::string& a, const std::string& b);

}  // namespace encdec::detail
