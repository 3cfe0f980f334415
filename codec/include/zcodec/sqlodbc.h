// Two small classes over the ODBC driver manager: a connection and the
// record sets (statements with their cursors) that run on it.
#pragma once

#include <zcodec/dbvariant.h>

#include <optional>
#include <string>
#include <vector>
#include <ctime>

namespace encdec {

class TSQLRecordset;

class TSQLConnection {
public:
    // Allocates the environment (ODBC version 2 behaviour) and the connection handle.
    TSQLConnection();
    // Closes the connection (and its record sets) and frees the handles.
    ~TSQLConnection();
    TSQLConnection(const TSQLConnection&) = delete;
    TSQLConnection& operator=(const TSQLConnection&) = delete;

    // Connects with a 5-second login time-out, closing an open connection
    // first. A data source holding '=' is a connection string
    // ("Driver=SQLite3;Database=/path/db;") to which UID and PWD are added
    // when given; otherwise it names a DSN.
    bool Open(const std::string& dataSource, const std::string& user = {}, const std::string& password = {});
    // Closes every record set still open on the connection, the last opened
    // first, then disconnects.
    void Close();
    explicit operator bool() const { return open_; }

    // Runs one statement on a temporary record set; true when it ran.
    bool Execute(const std::string& statement);
    // TSQLRecordset::DBCommand on a temporary record set; 0 when closed.
    int DBCommand(const std::string& statements, long* count = nullptr, bool transaction = false);

    // The login time-out the driver manager holds for a connection that is
    // not open, in seconds (an open one answers with the driver's own).
    std::optional<long> LoginTimeout() const;

    void AddRs(TSQLRecordset* rs);
    void DelRs(TSQLRecordset* rs);

    void* handle() const { return dbc_; }

private:
    void* env_ = nullptr;
    void* dbc_ = nullptr;
    bool envReady_ = false;
    bool dbcReady_ = false;
    bool open_ = false;
    std::vector<TSQLRecordset*> recordsets_;   // not owned; in the order they opened
};

class TSQLRecordset {
public:
    TSQLRecordset() = default;
    virtual ~TSQLRecordset();
    TSQLRecordset(const TSQLRecordset&) = delete;
    TSQLRecordset& operator=(const TSQLRecordset&) = delete;

    // Opens a connection of its own (closed and deleted by Close) and runs
    // the statement on it.
    bool Open(const std::string& statement, const std::string& dataSource, const std::string& user,
              const std::string& password, long cursorType = 0);
    // Runs the statement on an open connection and registers with it. A
    // statement that fails closes the record set again.
    bool Open(const std::string& statement, TSQLConnection& connection, long cursorType = 0);

    // Closes the previous cursor and runs the statement (an empty one only
    // prepares the record set); a cursor type other than 0 is set as the
    // statement's SQL_ATTR_CURSOR_TYPE first.
    bool Execute(const std::string& statement, long cursorType = 0);
    bool Fetch();
    // Re-reads the current row.
    bool Refresh();

    // Column `index` (1-based) of the current row: text (at most 1023
    // bytes), Null for a database null, empty out of range or on error.
    DBVariant operator[](int index);
    // A key that reads as an integer is an index; otherwise a column name,
    // compared without regard to case ("FIELD<n>" for an unnamed column).
    DBVariant operator[](const DBVariant& key);
    // The two columns as YYYYMMDD and HHMMSS (see encdec::GetDateTime).
    std::optional<std::tm> GetDateTime(const DBVariant& dateKey, const DBVariant& timeKey);

    // Runs the statements separated by the byte 0x04 in order until one
    // fails: 0 when none ran, 1 when all ran, -1 when only some did. The
    // count receives the rows the statements that ran affected.
    // `transaction` has no effect here.
    int DBCommand(const std::string& statements, long* count = nullptr, bool transaction = false);

    int ColumnCount() const { return columns_; }
    bool IsOpen() const { return open_; }

    // Called by the connection when it closes.
    virtual void ConnectionClosing();
    void Close();

private:
    void readColumnNames();
    DBVariant readColumn(int index);

    void* stmt_ = nullptr;
    bool open_ = false;
    bool namesRead_ = false;
    TSQLConnection* connection_ = nullptr;
    std::vector<std::string> names_;
    // Values of the current row read so far: a driver hands each column out once.
    std::vector<std::optional<DBVariant>> row_;
    int columns_ = 0;
    long cursorType_ = 0;
    TSQLConnection* ownConnection_ = nullptr;
};

}  // namespace encdec
