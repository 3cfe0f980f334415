// A thin connection/query layer over the ODBC driver manager, the way the
// ADO-style helpers use a database: a connection with its error list and
// properties, and queries with named parameters (":MACHINE") whose current
// row is a data set.
#pragma once

#include <zcodec/dbvariant.h>

#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace encdec {

// What a failing connection or query operation throws; the connection's
// Errors() hold the driver's diagnostics.
class EDBError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct TDBError {
    long Number = 0;            // the driver's native error code
    std::string Description;    // the driver's message, with its SQLSTATE
};

class TDBConnection {
public:
    TDBConnection();
    ~TDBConnection();
    TDBConnection(const TDBConnection&) = delete;
    TDBConnection& operator=(const TDBConnection&) = delete;

    // An ODBC connection string ("Driver=SQLite3;Database=/path/db;") or a
    // DSN; false (with Errors() set) when it does not connect.
    bool Open(const std::string& connectionString);
    void Close();
    bool Connected() const { return connected_; }

    // The diagnostics of the last failing operation.
    const std::vector<TDBError>& Errors() const { return errors_; }

    // A named property of the open connection: "Transaction DDL" (the
    // SQL_TXN_CAPABLE number), "DBMS Name", "DBMS Version", "Driver Name".
    // Empty for other names; throws EDBError when the driver cannot answer.
    DBVariant Property(const std::string& name);

    void BeginTrans();
    void CommitTrans();
    void RollbackTrans();
    bool InTransaction() const { return inTransaction_; }

    void* handle() const { return dbc_; }
    // Replaces Errors() by the diagnostics a handle holds; the text of the
    // first, or `what` when there is none.
    std::string recordErrors(short handleType, void* handle, const std::string& what);

private:
    void endTransaction(short completion);

    void* env_ = nullptr;
    void* dbc_ = nullptr;
    bool connected_ = false;
    bool inTransaction_ = false;
    std::vector<TDBError> errors_;
};

class TDBQuery {
public:
    explicit TDBQuery(TDBConnection* connection = nullptr, std::string sql = {});
    ~TDBQuery();
    TDBQuery(const TDBQuery&) = delete;
    TDBQuery& operator=(const TDBQuery&) = delete;

    TDBConnection* Connection;
    std::string SQL;

    // Sets the parameter ":name" (names compare without regard to case).
    void SetParameter(const std::string& name, DBVariant value);

    // Runs a statement that returns no rows; the number of rows it affected.
    long ExecSQL();
    // Runs a query and moves to its first row.
    void Open();
    void Close();
    bool Active() const { return stmt_ != nullptr; }
    bool Eof() const { return eof_; }
    void Next();

    // The current row. Fields are numbered from 0; names compare without
    // regard to case. Empty when there is no such field or no current row.
    int FieldCount() const { return static_cast<int>(names_.size()); }
    DBVariant Field(int index) const;
    DBVariant FieldByName(const std::string& name) const;

private:
    void run();
    void fetch();

    void* stmt_ = nullptr;
    bool eof_ = true;
    std::map<std::string, DBVariant> parameters_;   // upper-case names
    std::vector<std::string> names_;
    std::vector<short> types_;
    std::vector<DBVariant> row_;
    // What the bound parameters point at, alive until the next run.
    std::vector<DBVariant> boundValues_;
    std::vector<long> boundLengths_;
};

// Runs the 0x04-separated statements as queries on the connection (as the
// list form does); 0 when the connection is missing or not connected or a
// statement fails, otherwise 1. The count receives the rows affected.
int DBCommand(TDBConnection* connection, const std::string& statements, long* count = nullptr,
              bool transaction = false);
// Runs every query in order and adds up the rows they affected. Only with
// the transaction flag, more than one query, a connected connection that
// every query uses and that supports transactions do they run in one
// transaction, rolled back when a query fails. Errors (EDBError) reach the
// caller. Returns 1.
int DBCommand(TDBConnection* connection, const std::vector<TDBQuery*>& queries, long* count = nullptr,
              bool transaction = false);

// Shows the connection's errors, "<number>. <description>\n" each, in an
// error box captioned "ADO Error" (stderr without a window system).
void ShowADOErrors(TDBConnection* connection);
// The connection property, empty when there is none or on error.
DBVariant GetPropertyValue(TDBConnection* connection, const std::string& name);
// Whether "Transaction DDL" is a non-zero number; false on error.
bool SupportsTransactions(TDBConnection* connection);
// SELECT MAX(field) FROM table [WHERE condition], with the parameter set when
// named; 0 when there is no row, the value is null, or on error.
long GetMaxID(TDBConnection* connection, const std::string& field, const std::string& table,
              const std::string& condition = {}, const std::string& parameterName = {},
              const DBVariant& parameterValue = {});

}  // namespace encdec
