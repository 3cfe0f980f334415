// The node-mapper helpers with a stub tool that records its arguments.
#include <zcodec/dbquery.h>
#include <zcodec/nodemap.h>

#include <zplatform/registry.h>
#include <zplatform/system.h>

#include "sqlite_db.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <dirent.h>
#include <unistd.h>

using namespace encdec;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

namespace {

// Writes its arguments, one a line, to args.txt beside itself, and a result
// file as $STUB_RESULT says: "code" (default) a "Return code" line, "none"
// no file, "other" a file without the line.
constexpr const char* kStub = R"(#!/bin/sh
out="$(dirname "$0")/args.txt"
: > "$out"
for a in "$@"; do printf '%s\n' "$a" >> "$out"; done
while [ $# -gt 0 ]; do [ "$1" = /filename ] && file="$2"; shift; done
case "${STUB_RESULT:-code}" in
  none) ;;
  other) printf 'Status = done\n' > "$file" ;;
  *) printf 'Mapped = 1\r\n  Return code = 3 \r\nReturn code = 4\r\n' > "$file" ;;
esac
)";

class NodeMapTest : public ::testing::Test {
protected:
    void SetUp() override {
        toolDir = machine.dir().file("tool dir");
        ASSERT_TRUE(platform::forceDirectories(toolDir));
        testenv::writeFile(toolDir + "/nodemapper.exe", kStub);
        ASSERT_EQ(::chmod((toolDir + "/nodemapper.exe").c_str(), 0755), 0);
        setFullPath(toolDir);
    }
    void setFullPath(const std::string& dir) {
        auto key = platform::RegKey::openOrCreate(platform::Hive::LocalMachine,
                                                  "SOFTWARE\\ORLO Vestra\\Telvane KEV Service Manager");
        ASSERT_TRUE(key && key->writeString("FullPath", dir));
    }
    bool ran() const { return platform::fileExists(toolDir + "/args.txt"); }
    // The arguments after "/filename <file>".
    std::vector<std::string> args() const {
        std::vector<std::string> lines;
        std::string all = testenv::readFile(toolDir + "/args.txt");
        for (std::size_t start = 0, end; (end = all.find('\n', start)) != std::string::npos; start = end + 1)
            lines.push_back(all.substr(start, end - start));
        EXPECT_GE(lines.size(), 2u);
        if (lines.size() < 2) return lines;
        EXPECT_EQ(lines[0], "/filename");
        return {lines.begin() + 2, lines.end()};
    }
    std::string resultFileArg() const {
        std::string all = testenv::readFile(toolDir + "/args.txt");
        const auto first = all.find('\n');
        return all.substr(first + 1, all.find('\n', first + 1) - first - 1);
    }
    std::vector<std::string> tempFiles() const {
        std::vector<std::string> names;
        if (DIR* d = ::opendir(platform::tempDirectory().c_str())) {
            while (dirent* e = ::readdir(d))
                if (std::string(e->d_name) != "." && std::string(e->d_name) != "..") names.push_back(e->d_name);
            ::closedir(d);
        }
        return names;
    }

    testenv::IsolatedMachine machine;
    std::string toolDir;
};

TEST_F(NodeMapTest, GetNodeMapJoinsTheToolsDirectory) {
    EXPECT_EQ(GetNodeMap(), toolDir + "/nodemapper.exe");
    setFullPath("/opt/kev/");
    EXPECT_EQ(GetNodeMap(), "/opt/kev/nodemapper.exe");
    setFullPath("");
    EXPECT_EQ(GetNodeMap(), "nodemapper.exe");
}

TEST_F(NodeMapTest, BuildsTheCommandLine) {
    struct Case {
        TNodeMapCommand command;
        TNodeMapIpOrMac kind;
        std::string address, server, user, password;
        std::vector<std::string> expected;
    } cases[] = {
        {nmAdd, nmIp, "10.0.0.5:8080", "", "", "", {"/cmd", "add", "/caddr", "10.0.0.5", "/cport", "8080"}},
        {nmGet, nmMac, "00:11:22:aa:bb:cc", "gw.local:2100", "admin", "p w\"d",
         {"/cmd", "get", "/hwaddr", "00:11:22:aa:bb:cc", "/saddr", "gw.local", "/sport", "2100", "/userName", "admin",
          "/password", "p w\"d"}},
        // Port 0 and no port add no port switch; an empty host no host switch.
        {nmDel, nmIp, "host:0", "gw", "", "", {"/cmd", "del", "/caddr", "host", "/saddr", "gw"}},
        {nmClear, nmIp, "h", "", "", "x /cmd clear", {"/cmd", "clear", "/caddr", "h", "/password", "x /cmd clear"}},
        {nmClear, nmMac, "", "", "", "", {"/cmd", "clear"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.address);
        const std::string result = machine.dir().file("result.txt");
        EXPECT_EQ(ExecNodeMap(c.command, c.kind, c.address, c.server, c.user, c.password, result), 3);
        EXPECT_THAT(args(), ElementsAreArray(c.expected));
        EXPECT_EQ(resultFileArg(), result);
    }
}

TEST_F(NodeMapTest, ATemporaryResultFileIsRemovedOnEveryPath) {
    for (const char* mode : {"code", "other", "none"}) {
        SCOPED_TRACE(mode);
        testenv::ScopedEnv stub("STUB_RESULT", std::string(mode));
        EXPECT_EQ(ExecNodeMap(nmGet, nmIp, "10.0.0.5", "", "", "", ""), std::string(mode) == "code" ? 3 : 10);
        EXPECT_EQ(resultFileArg().substr(0, platform::tempDirectory().size()), platform::tempDirectory());
        EXPECT_THAT(tempFiles(), ElementsAre());
    }
}

TEST_F(NodeMapTest, AStaleResultFileOrAToolThatCannotStartGives10) {
    const std::string result = machine.dir().file("result.txt");
    testenv::writeFile(result, "Return code = 0\n");
    {
        testenv::ScopedEnv stub("STUB_RESULT", std::string("none"));
        EXPECT_EQ(ExecNodeMap(nmGet, nmIp, "10.0.0.5", "", "", "", result), 10);
    }
    testenv::writeFile(result, "Return code = 0\n");
    setFullPath(machine.dir().file("missing"));
    EXPECT_EQ(ExecNodeMap(nmGet, nmIp, "10.0.0.5", "", "", "", result), 10);
    EXPECT_THAT(tempFiles(), ElementsAre());
}

TEST_F(NodeMapTest, RetNodeMapReadsTheFirstReturnCodeLine) {
    struct Case {
        const char* contents;
        int code;
    } cases[] = {
        {"Return code=0\n", 0},
        {"a = b\n  Return code =  -2  \r\nReturn code = 5\n", -2},
        {"Return code = abc\nReturn code = 5\n", 10},
        {"Return codes = 1\nreturn code = 1\n", 10},
        {"", 10},
    };
    const std::string file = machine.dir().file("r.txt");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.contents);
        testenv::writeFile(file, c.contents);
        EXPECT_EQ(RetNodeMap(file), c.code);
    }
    EXPECT_EQ(RetNodeMap(machine.dir().file("absent.txt")), 10);
    EXPECT_EQ(RetNodeMap(machine.dir().path()), 10);
}

class NodeMapGatewayTest : public NodeMapTest {
protected:
    void SetUp() override {
        NodeMapTest::SetUp();
        ASSERT_TRUE(db.Open(sqlite.connection()));
        char host[256] = {};
        ASSERT_EQ(::gethostname(host, sizeof host - 1), 0);
        ASSERT_EQ(DBCommand(&db,
                            "CREATE TABLE GWNODES (MACHINE TEXT, IGID INTEGER, ACTIVE INTEGER, IPDNS TEXT, PORT "
                            "INTEGER, ADMINID TEXT, ADMINPASS TEXT)\x04"
                            "INSERT INTO GWNODES VALUES ('m1', 7, 1, 'gw.local', 2100, ' admin ', ' pw ')\x04"
                            "INSERT INTO GWNODES VALUES ('m1', 8, 0, 'off.local', 0, '', '')\x04"
                            "INSERT INTO GWNODES VALUES ('" + std::string(host) + "', 7, 2, 'here.local', 0, '', 's')"),
                  1);
    }
    dbtest::SqliteDb sqlite;
    TDBConnection db;
};

TEST_F(NodeMapGatewayTest, TakesTheServerFromTheGatewaysRow) {
    const std::string result = machine.dir().file("result.txt");
    EXPECT_EQ(ExecNodeMap(nmAdd, nmIp, "10.0.0.5", &db, 7, "m1", result), 3);
    EXPECT_THAT(args(), ElementsAre("/cmd", "add", "/caddr", "10.0.0.5", "/saddr", "gw.local", "/sport", "2100",
                                    "/userName", "admin", "/password", "pw"));
    // No machine: this computer's name.
    EXPECT_EQ(ExecNodeMap(nmDel, nmIp, "10.0.0.6", &db, 7, "", result), 3);
    EXPECT_THAT(args(), ElementsAre("/cmd", "del", "/caddr", "10.0.0.6", "/saddr", "here.local", "/password", "s"));
    // No gateway: no server.
    EXPECT_EQ(ExecNodeMap(nmGet, nmIp, "10.0.0.7", &db, 0, "m1", result), 3);
    EXPECT_THAT(args(), ElementsAre("/cmd", "get", "/caddr", "10.0.0.7"));
}

TEST_F(NodeMapGatewayTest, AnInactiveOrMissingGatewayRunsNothing) {
    TDBConnection closed;
    struct Case {
        const char* name;
        TDBConnection* connection;
        int gateway;
        const char* machine;
    } cases[] = {
        {"inactive", &db, 8, "m1"},
        {"no row", &db, 9, "m1"},
        {"closed connection", &closed, 7, "m1"},
        {"no connection", nullptr, 7, "m1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ExecNodeMap(nmAdd, nmIp, "10.0.0.5", c.connection, c.gateway, c.machine, ""), 10);
        EXPECT_FALSE(ran());
    }
    ASSERT_EQ(DBCommand(&db, "DROP TABLE GWNODES"), 1);
    EXPECT_EQ(ExecNodeMap(nmAdd, nmIp, "10.0.0.5", &db, 7, "m1", ""), 10);
    EXPECT_FALSE(ran());
}

}  // namespace
