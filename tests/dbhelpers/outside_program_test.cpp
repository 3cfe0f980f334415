// A program outside the project's targets builds against the public headers
// and libzcodec.so alone and uses the database helpers.
#include "sqlite_db.h"
#include "test_env.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace std::string_literals;

namespace {

constexpr const char* kProgram = R"prog(#include <zcodec/dbquery.h>
#include <zcodec/dbrow.h>
#include <zcodec/nodemap.h>
#include <zcodec/sqlodbc.h>
#include <cstdio>

int main(int argc, char** argv) {
    if (argc < 3) return 2;
    encdec::TSQLConnection sql;
    if (!sql.Open(argv[1])) return 3;
    long count = 0;
    if (sql.DBCommand("CREATE TABLE T (ID INTEGER, D INTEGER, T INTEGER)\x04"
                      "INSERT INTO T VALUES (4, 20030304, 90503)", &count) != 1) return 4;
    encdec::TDBConnection db;
    if (!db.Open(argv[1])) return 5;
    encdec::TDBQuery q(&db, "SELECT D, T FROM T");
    q.Open();
    auto when = encdec::GetDateTime(&q, std::string("D"), std::string("T"));
    if (!when) return 6;
    std::printf("%ld %ld %04d-%02d-%02d %02d:%02d:%02d %d\n", count, encdec::GetMaxID(&db, "ID", "T"),
                when->tm_year + 1900, when->tm_mon + 1, when->tm_mday, when->tm_hour, when->tm_min, when->tm_sec,
                encdec::RetNodeMap(argv[2]));
    return 0;
}
)prog";

std::vector<std::string> words(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string w; in >> w;) out.push_back(w);
    return out;
}

TEST(OutsideProgramTest, LinksAgainstThePublicHeadersAndTheLibrary) {
    testenv::TempDir dir;
    dbtest::SqliteDb sqlite;
    testenv::writeFile(dir.file("main.cpp"), kProgram);
    std::vector<std::string> build = {ZENTROPE_TEST_CXX, "-std=c++20"};
    for (const std::string& flag : words(ZENTROPE_TEST_CXX_FLAGS)) build.push_back(flag);
    std::string includes = ZENTROPE_TEST_INCLUDES;
    for (std::size_t start = 0, end;; start = end + 1) {
        end = includes.find(':', start);
        build.push_back("-I" + includes.substr(start, end - start));
        if (end == std::string::npos) break;
    }
    const std::string lib = ZENTROPE_TEST_LIB_DIR;
    for (const std::string& arg : {dir.file("main.cpp"), "-o"s, dir.file("outside"), "-L" + lib, "-lzcodec"s,
                                   "-Wl,-rpath," + lib})
        build.push_back(arg);
    const auto compiled = testenv::run(build);
    ASSERT_EQ(compiled.exitCode, 0) << compiled.err;

    testenv::writeFile(dir.file("result.txt"), "Return code = 7\n");
    const auto ran = testenv::run({dir.file("outside"), sqlite.connection(), dir.file("result.txt")});
    ASSERT_EQ(ran.exitCode, 0) << ran.err;
    EXPECT_EQ(ran.out, "1 4 2003-03-04 09:05:03 7\n");
}

}  // namespace
