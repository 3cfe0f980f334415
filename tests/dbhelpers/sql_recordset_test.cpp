// TSQLConnection and TSQLRecordset against a real SQLite database.
#include <zcodec/sqlodbc.h>

#include "sqlite_db.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace encdec;

namespace {

class SqlRecordsetTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(db.Open(sqlite.connection()));
        ASSERT_TRUE(db.Execute("CREATE TABLE T (ID INTEGER, NAME TEXT, NOTE TEXT)"));
        ASSERT_TRUE(db.Execute("INSERT INTO T VALUES (1, 'one', NULL), (2, '', 'two')"));
    }
    long countRows(const std::string& where = "1=1") {
        TSQLRecordset rs;
        EXPECT_TRUE(rs.Open("SELECT COUNT(*) FROM T WHERE " + where, db));
        EXPECT_TRUE(rs.Fetch());
        return std::stol(VarToStr(rs[1]));
    }
    dbtest::SqliteDb sqlite;
    TSQLConnection db;
};

TEST_F(SqlRecordsetTest, OpensWithTheLoginTimeOutAndCloses) {
    EXPECT_TRUE(static_cast<bool>(db));
    db.Close();
    EXPECT_FALSE(static_cast<bool>(db));
    EXPECT_FALSE(db.Execute("SELECT 1"));
    EXPECT_EQ(db.DBCommand("SELECT 1"), 0);

    // A DSN from the user's ini file. Looking a DSN up leaves allocations
    // in the loaded ODBC modules that the leak checker reports at exit; a
    // child process keeps them out of this one.
    testenv::writeFile(sqlite.dir().file("odbc.ini"), "[ztest]\nDriver=SQLite3\nDatabase=" + sqlite.path() + "\n");
    testenv::ScopedEnv ini("ODBCINI", sqlite.dir().file("odbc.ini"));
    EXPECT_EQ(testenv::inChild([] {
                  TSQLConnection dsn;
                  return dsn.Open("ztest", "", "") && dsn.Execute("SELECT * FROM T") ? 0 : 1;
              }),
              0);
    // Opening again closes the first connection and connects anew.
    ASSERT_TRUE(db.Open(sqlite.connection()));
    EXPECT_EQ(countRows(), 2);

    TSQLConnection bad;
    EXPECT_FALSE(bad.Open("Driver=NoSuchDriver;Database=x;"));
    EXPECT_FALSE(static_cast<bool>(bad));
    EXPECT_EQ(bad.LoginTimeout(), 5);
}

TEST_F(SqlRecordsetTest, IndexesByNumberAndByName) {
    TSQLRecordset rs;
    ASSERT_TRUE(rs.Open("SELECT ID, NAME, NOTE, 6*7 AS \"\" FROM T ORDER BY ID", db));
    EXPECT_EQ(rs.ColumnCount(), 4);
    ASSERT_TRUE(rs.Fetch());
    EXPECT_EQ(rs[1], DBVariant(std::string("1")));
    EXPECT_EQ(rs[DBVariant(std::string("name"))], DBVariant(std::string("one")));
    EXPECT_EQ(rs[DBVariant(std::string("Id"))], DBVariant(std::string("1")));
    // A key that reads as a number is an index.
    EXPECT_EQ(rs[DBVariant(std::string("2"))], DBVariant(std::string("one")));
    EXPECT_EQ(rs[DBVariant(std::int64_t{2})], DBVariant(std::string("one")));
    EXPECT_EQ(rs[DBVariant(std::string("FIELD4"))], DBVariant(std::string("42")));
    // Null is not empty; out of range is empty.
    EXPECT_TRUE(VarIsNull(rs[3]));
    EXPECT_TRUE(VarIsEmpty(rs[0]));
    EXPECT_TRUE(VarIsEmpty(rs[5]));
    EXPECT_TRUE(VarIsEmpty(rs[-1]));
    EXPECT_TRUE(VarIsEmpty(rs[DBVariant(std::string("nosuch"))]));
    ASSERT_TRUE(rs.Fetch());
    // An empty text is a value, not Null.
    EXPECT_EQ(rs[2], DBVariant(std::string()));
    EXPECT_EQ(rs[3], DBVariant(std::string("two")));
    EXPECT_FALSE(rs.Fetch());
}

TEST_F(SqlRecordsetTest, LongTextIsCutTo1023Bytes) {
    ASSERT_TRUE(db.Execute("INSERT INTO T VALUES (3, '" + std::string(2000, 'x') + "', NULL)"));
    TSQLRecordset rs;
    ASSERT_TRUE(rs.Open("SELECT NAME FROM T WHERE ID = 3", db));
    ASSERT_TRUE(rs.Fetch());
    EXPECT_EQ(VarToStr(rs[1]), std::string(1023, 'x'));
}

TEST_F(SqlRecordsetTest, DBCommandStopsAtTheFirstFailingStatement) {
    struct Case {
        std::string statements;
        int result;
        long count;
        long rowsAfter;
    } cases[] = {
        // The second fails: the first ran (two rows), the third never did.
        {"INSERT INTO T VALUES (3,'a',NULL),(4,'b',NULL)\x04INSERT INTO Nope VALUES (1)\x04"
         "INSERT INTO T VALUES (5,'c',NULL)",
         -1, 2, 4},
        {"UPDATE T SET NOTE='n'\x04 DELETE FROM T WHERE ID=1", 1, 3, 1},
        {"DELETE FROM Nope\x04 DELETE FROM T", 0, 0, 2},
        {"", 0, 0, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.statements);
        ASSERT_TRUE(db.Execute("DELETE FROM T"));
        ASSERT_TRUE(db.Execute("INSERT INTO T VALUES (1, 'one', NULL), (2, '', 'two')"));
        long count = -99;
        EXPECT_EQ(db.DBCommand(c.statements, &count), c.result);
        EXPECT_EQ(count, c.count);
        EXPECT_EQ(countRows(), c.rowsAfter);
    }
    EXPECT_EQ(countRows("ID = 5"), 0);
}

TEST_F(SqlRecordsetTest, AFailedStatementClosesTheRecordSet) {
    TSQLRecordset rs;
    EXPECT_FALSE(rs.Open("SELECT * FROM Nope", db));
    EXPECT_FALSE(rs.IsOpen());
    // A record set with its own connection.
    TSQLRecordset own;
    ASSERT_TRUE(own.Open("SELECT NAME FROM T WHERE ID = 1", sqlite.connection(), "", ""));
    ASSERT_TRUE(own.Fetch());
    EXPECT_EQ(VarToStr(own[1]), "one");
    EXPECT_TRUE(own.Execute("SELECT COUNT(*) FROM T"));
    ASSERT_TRUE(own.Fetch());
    EXPECT_EQ(VarToStr(own[1]), "2");
    EXPECT_FALSE(own.Open("SELECT * FROM Nope", sqlite.connection(), "", ""));
    EXPECT_FALSE(own.IsOpen());
}

TEST_F(SqlRecordsetTest, ReadsDateAndTimeColumns) {
    ASSERT_TRUE(db.Execute("CREATE TABLE J (D INTEGER, T INTEGER)"));
    ASSERT_TRUE(db.Execute("INSERT INTO J VALUES (20030304, 90503)"));
    TSQLRecordset rs;
    ASSERT_TRUE(rs.Open("SELECT D, T FROM J", db));
    ASSERT_TRUE(rs.Fetch());
    const auto when = rs.GetDateTime(DBVariant(std::string("d")), DBVariant(std::int64_t{2}));
    ASSERT_TRUE(when);
    EXPECT_EQ(when->tm_year, 103);
    EXPECT_EQ(when->tm_mon, 2);
    EXPECT_EQ(when->tm_mday, 4);
    EXPECT_EQ(when->tm_hour, 9);
    EXPECT_EQ(when->tm_min, 5);
    EXPECT_EQ(when->tm_sec, 3);
}

// Records the order in which the connection closes its record sets.
class NotedRecordset : public TSQLRecordset {
public:
    NotedRecordset(std::string name, std::vector<std::string>& order) : name_(std::move(name)), order_(order) {}
    void ConnectionClosing() override {
        order_.push_back(name_);
        TSQLRecordset::ConnectionClosing();
    }

private:
    std::string name_;
    std::vector<std::string>& order_;
};

TEST_F(SqlRecordsetTest, CloseClosesTheRecordSetsLastOpenedFirst) {
    std::vector<std::string> order;
    NotedRecordset a("a", order), b("b", order), c("c", order);
    ASSERT_TRUE(a.Open("SELECT * FROM T", db));
    ASSERT_TRUE(b.Open("SELECT * FROM T", db));
    ASSERT_TRUE(c.Open("SELECT * FROM T", db));
    b.Close();   // unregisters: the connection no longer closes it
    db.Close();
    EXPECT_THAT(order, ::testing::ElementsAre("c", "a"));
    EXPECT_FALSE(a.IsOpen());
    EXPECT_FALSE(c.IsOpen());
    EXPECT_FALSE(c.Fetch());
    EXPECT_TRUE(VarIsEmpty(c[1]));
}

}  // namespace
