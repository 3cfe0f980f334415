// The ADO-style helpers over the query layer.
#include <zcodec/dbquery.h>

#include <zplatform/prompter.h>

#include "odbc_support.h"
#include "text_trim.h"

#include <memory>

namespace encdec {

int DBCommand(TDBConnection* connection, const std::string& statements, long* count, bool transaction) {
    if (count) *count = 0;
    if (!connection || !connection->Connected()) return 0;
    std::vector<std::unique_ptr<TDBQuery>> owned;
    std::vector<TDBQuery*> queries;
    for (const std::string& statement : detail::splitStatements(statements)) {
        owned.push_back(std::make_unique<TDBQuery>(connection, statement));
        queries.push_back(owned.back().get());
    }
    try {
        return DBCommand(connection, queries, count, transaction);
    } catch (const EDBError&) {
        // The connection's Errors() tell what failed (ShowADOErrors).
        return 0;
    }
}

int DBCommand(TDBConnection* connection, const std::vector<TDBQuery*>& queries, long* count, bool transaction) {
    if (count) *count = 0;
    bool useTransaction = transaction && queries.size() > 1 && connection && connection->Connected();
    for (const TDBQuery* query : queries)
        if (useTransaction && query->Connection != connection) useTransaction = false;
    if (useTransaction) useTransaction = SupportsTransactions(connection);

    if (useTransaction) connection->BeginTrans();
    long rows = 0;
    try {
        for (TDBQuery* query : queries) {
            rows += query->ExecSQL();
            if (count) *count = rows;
        }
    } catch (...) {
        // What ran is undone with the rest: the statements belong together.
        if (useTransaction) {
            try {
                connection->RollbackTrans();
            } catch (const EDBError&) {
            }
            if (count) *count = 0;
        }
        throw;
    }
    if (useTransaction) connection->CommitTrans();
    return 1;
}

void ShowADOErrors(TDBConnection* connection) {
    if (!connection) return;
    std::string text;
    for (const TDBError& error : connection->Errors())
        text += std::to_string(error.Number) + ". " + error.Description + "\n";
    if (!text.empty()) platform::prompter().error("ADO Error", text);
}

DBVariant GetPropertyValue(TDBConnection* connection, const std::string& name) {
    if (!connection) return {};
    try {
        return connection->Property(name);
    } catch (const EDBError&) {
        return {};
    }
}

bool SupportsTransactions(TDBConnection* connection) {
    const auto value = VarToInt(GetPropertyValue(connection, "Transaction DDL"));
    return value && *value != 0;
}

long GetMaxID(TDBConnection* connection, const std::string& field, const std::string& table,
              const std::string& condition, const std::string& parameterName, const DBVariant& parameterValue) {
    if (!connection) return 0;
    try {
        TDBQuery query(connection, "SELECT MAX(" + field + ") FROM " + table);
        if (!detail::trim(condition).empty()) {
            query.SQL += " WHERE " + condition;
            if (!parameterName.empty()) query.SetParameter(parameterName, parameterValue);
        }
        query.Open();
        if (query.Eof()) return 0;
        return static_cast<long>(VarToInt(query.Field(0)).value_or(0));
    } catch (const EDBError&) {
        return 0;
    }
}

}  // namespace encdec
