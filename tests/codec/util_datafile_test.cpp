// A product's data file and the program directory, with real files.
#include <zcodec/utilities.h>

#include <zplatform/registry.h>
#include <zplatform/system.h>

#include "test_env.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

using platform::Hive;
using platform::RegKey;

const std::string kProduct = "Data Test";

void setDataFile(const std::string& path) {
    auto key = RegKey::openOrCreate(Hive::LocalMachine, "SOFTWARE\\ORLO Vestra\\" + kProduct);
    ASSERT_TRUE(key);
    ASSERT_TRUE(key->writeString("Datafile", path));
}

TEST(UtilDataFile, RegistryNamesTheDataFile) {
    testenv::IsolatedMachine machine;
    EXPECT_EQ(encdec::ReadRegistryDataFile(kProduct), "");
    setDataFile("/srv/data/product.dat");
    EXPECT_EQ(encdec::ReadRegistryDataFile(kProduct), "/srv/data/product.dat");
    EXPECT_EQ(encdec::ReadRegistryDataFile("Other"), "");
}

TEST(UtilDataFile, ConnectionIsTheLastNonEmptyAdoLine) {
    testenv::IsolatedMachine machine;
    std::string file = machine.dir().file("product.dat");
    setDataFile(file);
    testenv::writeFile(file,
                       "ADOConnection=first\r\n"
                       "ADOConnection=  Provider=MSDASQL;DSN=shop  \r\n"
                       "xADOConnection=not a key\r\n"
                       "ADOConnection=\r\n"   // no value: does not clear the connection
                       "adoconnection=lower case is another key\n"
                       "ADOConnection=\n");
    std::string connection = "stale";
    encdec::ReadDSNData(kProduct, connection);
    EXPECT_EQ(connection, "Provider=MSDASQL;DSN=shop");

    testenv::writeFile(file, "DSN=x\n");
    encdec::ReadDSNData(kProduct, connection);
    EXPECT_EQ(connection, "");

    std::filesystem::remove(file);
    connection = "stale";
    encdec::ReadDSNData(kProduct, connection);
    EXPECT_EQ(connection, "");
}

TEST(UtilDataFile, SixOutputsTakeTheirKeysAndKeepTheRest) {
    testenv::IsolatedMachine machine;
    std::string file = machine.dir().file("product.dat");
    setDataFile(file);
    testenv::writeFile(file,
                       "[section]\n"
                       "DSN=  shop \r\n"
                       "User=\r\n"
                       "user=lower\n"
                       " Provider=indented\n"
                       "Passwd=p=q\n"
                       "Database=old\n"
                       "Database=new\n");
    std::string dsn = "-", user = "keep", password = "-", provider = "keep", database = "-";
    encdec::ReadDSNData(kProduct, dsn, user, password, provider, database);
    EXPECT_EQ(dsn, "shop");
    EXPECT_EQ(user, "keep");
    EXPECT_EQ(password, "p=q");
    EXPECT_EQ(provider, "keep");
    EXPECT_EQ(database, "new");
}

TEST(UtilDataFile, MissingFileLeavesOutputsUnchanged) {
    testenv::IsolatedMachine machine;
    setDataFile(machine.dir().file("absent.dat"));
    std::string dsn = "a", user = "b", password = "c", provider = "d", database = "e";
    encdec::ReadDSNData(kProduct, dsn, user, password, provider, database);
    EXPECT_EQ(dsn + user + password + provider + database, "abcde");
}

TEST(UtilDataFile, DefaultDataFileSitsBesideTheProgram) {
    testenv::IsolatedMachine machine;
    std::string exe = platform::executablePath();
    std::string file = std::filesystem::path(exe).replace_extension(".dat").string();
    ASSERT_FALSE(std::filesystem::exists(file)) << file << " is in the way";
    testenv::writeFile(file, "ADOConnection=beside the program\nDSN=local\n");
    struct Remove {
        std::string path;
        ~Remove() { std::filesystem::remove(path); }
    } cleanup{file};

    std::string connection;
    encdec::ReadDSNData(kProduct, connection);
    EXPECT_EQ(connection, "beside the program");
    std::string dsn, user, password, provider, database;
    encdec::ReadDSNData(kProduct, dsn, user, password, provider, database);
    EXPECT_EQ(dsn, "local");
}

TEST(UtilExePath, DirectoryWithTrailingSlash) {
    const struct {
        std::string application;
        std::string expected;
    } cases[] = {
        {"/usr/bin/zentclient", "/usr/bin/"},
        {"/zentclient", "/"},
        {"bin/zentclient", "bin/"},
        {"/opt/zentrope/", "/opt/zentrope/"},
        {"zentclient", "./"},
        {"", "./"},
    };
    for (const auto& c : cases) EXPECT_EQ(encdec::GetExePath(c.application), c.expected) << c.application;
}

}  // namespace
