// The ADO-style helpers over the query layer, against a real SQLite database.
#include <zcodec/dbquery.h>
#include <zcodec/dbrow.h>

#include <zplatform/prompter.h>

#include "sqlite_db.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

using namespace encdec;

namespace {

DBVariant text(const char* s) { return std::string(s); }

class DbFunctionsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(db.Open(sqlite.connection()));
        ASSERT_EQ(DBCommand(&db, "CREATE TABLE T (ID INTEGER, NAME TEXT)\x04"
                                 "INSERT INTO T VALUES (1, 'one'), (7, 'seven'), (3, 'three')"),
                  1);
    }
    long rows(const std::string& where = "1=1") {
        TDBQuery q(&db, "SELECT COUNT(*) FROM T WHERE " + where);
        q.Open();
        return static_cast<long>(VarToInt(q.Field(0)).value_or(-1));
    }
    dbtest::SqliteDb sqlite;
    TDBConnection db;
};

TEST_F(DbFunctionsTest, DBCommandRunsTheStatementsOfAText) {
    long count = -1;
    EXPECT_EQ(DBCommand(&db, "UPDATE T SET NAME='x' WHERE ID > 1\x04 DELETE FROM T WHERE ID = 1", &count), 1);
    EXPECT_EQ(count, 3);
    EXPECT_EQ(rows("NAME = 'x'"), 2);
    // A failing statement is caught; its diagnostics stay on the connection.
    EXPECT_EQ(DBCommand(&db, "DELETE FROM Nope", &count), 0);
    EXPECT_FALSE(db.Errors().empty());
    TDBConnection closed;
    EXPECT_EQ(DBCommand(&closed, "DELETE FROM T", &count), 0);
    EXPECT_EQ(DBCommand(nullptr, "DELETE FROM T", &count), 0);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(rows(), 2);
}

TEST_F(DbFunctionsTest, ATransactionIsUsedOnlyWhenEveryConditionHolds) {
    TDBConnection other;
    ASSERT_TRUE(other.Open(sqlite.connection()));
    struct Case {
        const char* name;
        bool transaction;
        bool firstOnOther;
        bool firstUndone;   // the failing second query undid the first
    } cases[] = {
        {"flag set, one connection", true, false, true},
        {"flag not set", false, false, false},
        {"a query on another connection", true, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TDBQuery first(c.firstOnOther ? &other : &db, "INSERT INTO T VALUES (:ID, 'new')");
        first.SetParameter("ID", std::int64_t{100});
        TDBQuery second(&db, "INSERT INTO Nope VALUES (1)");
        long count = -1;
        EXPECT_THROW(DBCommand(&db, std::vector<TDBQuery*>{&first, &second}, &count, c.transaction), EDBError);
        EXPECT_EQ(rows("ID = 100"), c.firstUndone ? 0 : 1);
        EXPECT_EQ(count, c.firstUndone ? 0 : 1);
        EXPECT_FALSE(db.InTransaction());
        ASSERT_EQ(DBCommand(&db, "DELETE FROM T WHERE ID = 100"), 1);
    }

    // Success commits, and the count adds up every query.
    TDBQuery a(&db, "INSERT INTO T VALUES (20, 'a'), (21, 'b')"), b(&db, "DELETE FROM T WHERE ID = 1");
    long count = 0;
    EXPECT_EQ(DBCommand(&db, std::vector<TDBQuery*>{&a, &b}, &count, true), 1);
    EXPECT_EQ(count, 3);
    EXPECT_FALSE(db.InTransaction());
    TDBConnection reader;
    ASSERT_TRUE(reader.Open(sqlite.connection()));
    EXPECT_EQ(GetMaxID(&reader, "ID", "T"), 21);
    EXPECT_EQ(DBCommand(&db, std::vector<TDBQuery*>{}, &count, true), 1);
    EXPECT_EQ(count, 0);
}

TEST_F(DbFunctionsTest, PropertiesTellWhetherTransactionsAreSupported) {
    const DBVariant ddl = GetPropertyValue(&db, "Transaction DDL");
    ASSERT_TRUE(VarToInt(ddl));
    EXPECT_NE(*VarToInt(ddl), 0);
    EXPECT_TRUE(SupportsTransactions(&db));
    EXPECT_FALSE(VarToStr(GetPropertyValue(&db, "dbms name")).empty());
    EXPECT_TRUE(VarIsEmpty(GetPropertyValue(&db, "No Such Property")));
    TDBConnection closed;
    EXPECT_TRUE(VarIsEmpty(GetPropertyValue(&closed, "Transaction DDL")));
    EXPECT_FALSE(SupportsTransactions(&closed));
    EXPECT_FALSE(SupportsTransactions(nullptr));
}

TEST_F(DbFunctionsTest, GetMaxIDWithAndWithoutACondition) {
    EXPECT_EQ(GetMaxID(&db, "ID", "T"), 7);
    EXPECT_EQ(GetMaxID(&db, "ID", "T", "ID < :LIMIT", "LIMIT", std::int64_t{7}), 3);
    EXPECT_EQ(GetMaxID(&db, "ID", "T", "NAME = :N", ":n", text("one")), 1);
    // A blank condition adds no WHERE (and the parameter is not needed).
    EXPECT_EQ(GetMaxID(&db, "ID", "T", "  ", "LIMIT", std::int64_t{2}), 7);
    // No row matches: MAX is null.
    EXPECT_EQ(GetMaxID(&db, "ID", "T", "ID > 100"), 0);
    // A parameter never given, a missing table, no connection: 0.
    EXPECT_EQ(GetMaxID(&db, "ID", "T", "ID < :LIMIT"), 0);
    EXPECT_EQ(GetMaxID(&db, "ID", "Nope"), 0);
    EXPECT_EQ(GetMaxID(nullptr, "ID", "T"), 0);
}

TEST_F(DbFunctionsTest, ParametersInsideQuotesAreText) {
    ASSERT_EQ(DBCommand(&db, "INSERT INTO T VALUES (50, ':NAME')"), 1);
    TDBQuery q(&db, "SELECT ID FROM T WHERE NAME = ':NAME' OR NAME = :NAME");
    q.SetParameter("name", text("seven"));
    q.Open();
    std::vector<std::int64_t> ids;
    for (; !q.Eof(); q.Next()) ids.push_back(VarToInt(q.Field(0)).value_or(-1));
    std::sort(ids.begin(), ids.end());
    EXPECT_EQ(ids, (std::vector<std::int64_t>{7, 50}));
}

TEST_F(DbFunctionsTest, ShowADOErrorsListsTheConnectionsErrors) {
    platform::ScriptedPrompter prompter;
    platform::ScopedPrompter scoped(prompter);
    ShowADOErrors(&db);
    EXPECT_TRUE(prompter.calls.empty());

    TDBQuery bad(&db, "SELECT * FROM Nope");
    EXPECT_THROW(bad.Open(), EDBError);
    ShowADOErrors(&db);
    ASSERT_EQ(prompter.calls.size(), 1u);
    EXPECT_EQ(prompter.calls[0].kind, platform::ScriptedPrompter::Kind::Error);
    EXPECT_EQ(prompter.calls[0].caption, "ADO Error");
    const TDBError& e = db.Errors().at(0);
    EXPECT_NE(e.Description.find("Nope"), std::string::npos) << e.Description;
    EXPECT_EQ(prompter.calls[0].text.substr(0, std::to_string(e.Number).size() + 2), std::to_string(e.Number) + ". ");
    EXPECT_EQ(prompter.calls[0].text.back(), '\n');

    // A connection that cannot connect tells why.
    TDBConnection unreachable;
    EXPECT_FALSE(unreachable.Open("Driver=NoSuchDriver;Database=x;"));
    ShowADOErrors(&unreachable);
    ASSERT_EQ(prompter.calls.size(), 2u);
    EXPECT_EQ(prompter.calls[1].caption, "ADO Error");
    EXPECT_NE(prompter.calls[1].text.find(". "), std::string::npos);
}

TEST_F(DbFunctionsTest, GetFieldAndGetDateTimeReadTheCurrentRow) {
    ASSERT_EQ(DBCommand(&db, "CREATE TABLE J (D INTEGER, T TEXT, N TEXT)\x04"
                             "INSERT INTO J VALUES (20030304, '90503', NULL)"),
              1);
    TDBQuery q(&db, "SELECT D, T, N FROM J");
    q.Open();
    EXPECT_EQ(GetField(&q, text("d")), DBVariant(std::int64_t{20030304}));
    EXPECT_EQ(GetField(&q, std::int64_t{1}), text("90503"));
    EXPECT_TRUE(VarIsNull(GetField(&q, text("N"))));
    EXPECT_TRUE(VarIsEmpty(GetField(&q, text("X"))));
    EXPECT_TRUE(VarIsEmpty(GetField(&q, std::int64_t{3})));
    EXPECT_TRUE(VarIsEmpty(GetField(nullptr, text("D"))));

    const auto when = GetDateTime(&q, text("D"), text("T"));
    ASSERT_TRUE(when);
    EXPECT_EQ(std::tuple(when->tm_year + 1900, when->tm_mon + 1, when->tm_mday, when->tm_hour, when->tm_min,
                         when->tm_sec),
              std::tuple(2003, 3, 4, 9, 5, 3));
    // A null time is midnight; text that is no number is no date-time.
    const auto midnight = GetDateTime(&q, text("D"), text("N"));
    ASSERT_TRUE(midnight);
    EXPECT_EQ(std::tuple(midnight->tm_mday, midnight->tm_hour, midnight->tm_min), std::tuple(4, 0, 0));
    EXPECT_FALSE(GetDateTime(text("2003-03-04"), DBVariant()));
}

}  // namespace
