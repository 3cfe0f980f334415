// Diagnostics, connection strings and column names for the database layers.
#include "odbc_support.h"

#include <zcodec/utilities.h>

#include <algorithm>
#include <cctype>

namespace encdec::detail {

std::vector<OdbcDiagnostic> diagnostics(SQLSMALLINT handleType, SQLHANDLE handle) {
    std::vector<OdbcDiagnostic> result;
    if (!handle) return result;
    for (SQLSMALLINT record = 1;; ++record) {
        SQLCHAR state[6] = {};
        SQLINTEGER native = 0;
        SQLCHAR message[1024] = {};
        SQLSMALLINT length = 0;
        const SQLRETURN r =
            SQLGetDiagRec(handleType, handle, record, state, &native, message, sizeof message, &length);
        if (!sqlOk(r)) break;
        result.push_back({native, reinterpret_cast<char*>(state), reinterpret_cast<char*>(message)});
    }
    return result;
}

std::string connectionString(const std::string& dataSource, const std::string& user, const std::string& password) {
    std::string text = dataSource;
    // Braces keep a ';' or '}' in a credential from ending the attribute.
    auto add = [&text](const char* key, const std::string& value) {
        if (value.empty()) return;
        if (!text.empty() && text.back() != ';') text += ';';
        std::string escaped;
        for (char c : value) escaped += c == '}' ? std::string("}}") : std::string(1, c);
        text += std::string(key) + "={" + escaped + "};";
    };
    add("UID", user);
    add("PWD", password);
    return text;
}

std::string columnName(SQLHSTMT stmt, int column) {
    SQLCHAR name[256] = {};
    SQLSMALLINT length = 0, type = 0, digits = 0, nullable = 0;
    SQLULEN size = 0;
    const SQLRETURN r = SQLDescribeCol(stmt, static_cast<SQLUSMALLINT>(column), name, sizeof name, &length, &type,
                                       &size, &digits, &nullable);
    std::string text = sqlOk(r) ? reinterpret_cast<char*>(name) : std::string();
    return text.empty() ? "FIELD" + std::to_string(column) : text;
}

std::vector<std::string> splitStatements(const std::string& statements) {
    StringList parts;
    split(statements, std::string(1, '\x04'), parts);
    return {parts.begin(), parts.end()};
}

bool sameName(const std::string& a, const std::string& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
    });
}

}  // namespace encdec::detail
