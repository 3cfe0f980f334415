// The client's settings against real hive files and directories.
#include <zentcore/settings.h>

#include <zplatform/registry.h>
#include <zplatform/system.h>

#include "test_env.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>

namespace {

namespace fs = std::filesystem;
using platform::Hive;
using platform::RegKey;
using zentcore::ClientSettings;

RegKey machineKey() {
    auto key = RegKey::openOrCreate(Hive::LocalMachine, zentcore::kClientKey);
    EXPECT_TRUE(key);
    return *key;
}

std::string expectedUserName() {
    std::string name = platform::userName();
    return name.empty() ? "Default" : name;
}

// Points both directories into the test's own directory.
void useTestDirectories(const testenv::IsolatedMachine& machine) {
    RegKey key = machineKey();
    key.writeString("FirstTempDir", machine.dir().file("work"));
    key.writeString("ClientSaveDir", machine.dir().file("save"));
}

TEST(Settings, EmptyMachineStartsWithDefaults) {
    testenv::IsolatedMachine machine;
    zentcore::SettingsLoad load = zentcore::LoadClientSettings();
    const ClientSettings& s = load.settings;

    std::string appDir = fs::path(platform::executablePath()).parent_path().string();
    EXPECT_EQ(s.AppDir, appDir);
    EXPECT_EQ(s.FirstTempDir, appDir + "/PSTemp");
    EXPECT_EQ(s.ClientSaveDir, appDir + "/userdata");
    EXPECT_EQ(s.UserName, expectedUserName());
    EXPECT_EQ(s.UserSaveDir, appDir + "/userdata/" + s.UserName);
    EXPECT_TRUE(load.mayGoOn);
    EXPECT_TRUE(fs::is_directory(s.FirstTempDir));
    EXPECT_TRUE(fs::is_directory(s.UserSaveDir));

    EXPECT_FALSE(s.Preview_En || s.Later_En || s.Email_En || s.WantsReceipt || s.ArchiveDocs || s.SaveRqAddr ||
                 s.AddrReadOnly || s.LocalExport);
    EXPECT_EQ(s.ClientDelay, 0);
    EXPECT_TRUE(load.switches.exitEnabled);
    EXPECT_TRUE(load.switches.toolsEnabled);
    EXPECT_TRUE(load.problems.empty());

    // The test owns its machine hive, so it is the administrator: only the
    // two directory values are written.
    ASSERT_TRUE(s.IsAdmin);
    auto key = RegKey::openReadOnly(Hive::LocalMachine, zentcore::kClientKey);
    ASSERT_TRUE(key);
    EXPECT_EQ(key->valueNames(), (std::vector<std::string>{"FirstTempDir", "ClientSaveDir"}));
    EXPECT_EQ(key->readString("FirstTempDir"), appDir + "/PSTemp");
    EXPECT_EQ(key->readString("ClientSaveDir"), appDir + "/userdata");
}

TEST(Settings, StoredValuesFillTheRecordAndSwitches) {
    testenv::IsolatedMachine machine;
    useTestDirectories(machine);
    RegKey key = machineKey();
    key.writeDword("Preview_En", 1);
    key.writeDword("Later_En", 0);
    key.writeDword("Email_En", 7);          // any non-zero number is on
    key.writeDword("WantsReceipt", 0xFFFFFFFF);   // beyond a signed number
    key.writeDword("ArchiveDocs", 1);
    key.writeString("SaveRqAddr", "1");     // a number kept as text counts too
    key.writeString("AddrReadOnly", "on");  // no number: stays off
    key.writeDword("LocalExport", 1);
    key.writeDword("Exit_En", 0);
    key.writeDword("Tools_En", 0);
    key.writeString("ClientDelay", "250");

    zentcore::SettingsLoad load = zentcore::LoadClientSettings();
    const ClientSettings& s = load.settings;
    EXPECT_TRUE(load.mayGoOn);
    EXPECT_EQ(s.FirstTempDir, machine.dir().file("work"));
    EXPECT_EQ(s.ClientSaveDir, machine.dir().file("save"));
    EXPECT_EQ(s.UserSaveDir, machine.dir().file("save") + "/" + s.UserName);
    EXPECT_TRUE(fs::is_directory(s.FirstTempDir));
    EXPECT_TRUE(fs::is_directory(s.UserSaveDir));
    EXPECT_TRUE(s.Preview_En);
    EXPECT_FALSE(s.Later_En);
    EXPECT_TRUE(s.Email_En);
    EXPECT_TRUE(s.WantsReceipt);
    EXPECT_TRUE(s.ArchiveDocs);
    EXPECT_TRUE(s.SaveRqAddr);
    EXPECT_FALSE(s.AddrReadOnly);
    EXPECT_TRUE(s.LocalExport);
    EXPECT_FALSE(load.switches.exitEnabled);
    EXPECT_FALSE(load.switches.toolsEnabled);
    EXPECT_EQ(s.ClientDelay, 250);
    // Stored directories are never replaced by the defaults.
    EXPECT_EQ(machineKey().readString("FirstTempDir"), machine.dir().file("work"));
}

TEST(Settings, ClientDelayReadsOnlyNumbers) {
    const struct {
        std::optional<std::string> text;
        std::optional<std::uint32_t> dword;
        std::int32_t expected;
    } cases[] = {
        {"abc", {}, 0}, {"250", {}, 250}, {" 250 ", {}, 250}, {"", {}, 0},
        {"-5", {}, 0},   // a negative delay would stall the transmission for weeks
        {"99999999999", {}, 0}, {{}, 300u, 300},
    };
    for (const auto& c : cases) {
        testenv::IsolatedMachine machine;
        useTestDirectories(machine);
        if (c.text) machineKey().writeString("ClientDelay", *c.text);
        if (c.dword) machineKey().writeDword("ClientDelay", *c.dword);
        EXPECT_EQ(zentcore::LoadClientSettings().settings.ClientDelay, c.expected) << c.text.value_or("dword");
    }
}

TEST(Settings, DirectoryThatCannotBeMadeStopsTheClient) {
    for (const std::string value : {"FirstTempDir", "ClientSaveDir"}) {
        testenv::IsolatedMachine machine;
        useTestDirectories(machine);
        // Even root cannot make a directory below a regular file.
        testenv::writeFile(machine.dir().file("plain"), "");
        machineKey().writeString(value, machine.dir().file("plain/dir"));
        EXPECT_FALSE(zentcore::LoadClientSettings().mayGoOn) << value;
    }
}

TEST(Settings, NonAdministratorWritesNothing) {
    if (geteuid() == 0) GTEST_SKIP() << "root may write every file";
    testenv::IsolatedMachine machine;
    useTestDirectories(machine);
    fs::create_directories(machine.dir().file("work"));
    fs::create_directories(machine.dir().file("save"));
    std::string before = testenv::readFile(machine.machineHive());
    ASSERT_EQ(chmod(machine.machineHive().c_str(), 0444), 0);
    ASSERT_EQ(chmod(machine.dir().path().c_str(), 0555), 0);
    zentcore::SettingsLoad load = zentcore::LoadClientSettings();
    chmod(machine.dir().path().c_str(), 0755);
    EXPECT_FALSE(load.settings.IsAdmin);
    EXPECT_TRUE(load.mayGoOn);
    EXPECT_EQ(testenv::readFile(machine.machineHive()), before);
}

TEST(Settings, UnreadableLinesAreReportedAndTheRestIsLoaded) {
    testenv::IsolatedMachine machine;
    testenv::writeFile(machine.machineHive(),
                       "REGEDIT4\n\n"
                       "[HKEY_LOCAL_MACHINE\\SOFTWARE\\ORLO Vestra\\Zentrope Client]\n"
                       "\"FirstTempDir\"=\"" + machine.dir().file("work") + "\"\n"
                       "this line is garbage\n"
                       "\"ClientSaveDir\"=\"" + machine.dir().file("save") + "\"\n"
                       "\"Preview_En\"=dword:00000001\n");
    zentcore::SettingsLoad load = zentcore::LoadClientSettings();
    EXPECT_TRUE(load.mayGoOn);
    EXPECT_EQ(load.settings.FirstTempDir, machine.dir().file("work"));
    EXPECT_EQ(load.settings.ClientSaveDir, machine.dir().file("save"));
    EXPECT_TRUE(load.settings.Preview_En);
    ASSERT_EQ(load.problems.size(), 1u);
    EXPECT_NE(load.problems[0].find("this line is garbage"), std::string::npos) << load.problems[0];
    EXPECT_NE(testenv::readFile(machine.machineHive()).find("this line is garbage"), std::string::npos);
}

TEST(RequestAddresses, LoadTrimsAndSkipsEmptyAndRepeatedAddresses) {
    testenv::IsolatedMachine machine;
    EXPECT_TRUE(zentcore::LoadRequestAddresses().empty());

    auto key = RegKey::openOrCreate(Hive::CurrentUser, zentcore::kLastPrinterKey);
    ASSERT_TRUE(key);
    key->writeString("1", " a ");
    key->writeString("2", "");
    key->writeString("3", "a");
    key->writeString("4", "b");
    EXPECT_EQ(zentcore::LoadRequestAddresses(), (std::vector<std::string>{"a", "b"}));

    key->writeString("5", "A");     // case matters
    key->writeString("10", "j");
    key->writeString("11", "k");    // beyond the tenth: not loaded
    EXPECT_EQ(zentcore::LoadRequestAddresses(), (std::vector<std::string>{"a", "b", "A", "j"}));
}

TEST(RequestAddresses, SaveReplacesTheListAndKeepsPositions) {
    testenv::IsolatedMachine machine;
    auto key = RegKey::openOrCreate(Hive::CurrentUser, zentcore::kLastPrinterKey);
    ASSERT_TRUE(key);
    for (const char* name : {"1", "2", "3", "7", "old"}) key->writeString(name, "stale");

    ASSERT_TRUE(zentcore::SaveRequestAddresses({"x", "", " x ", "y"}));
    EXPECT_EQ(key->valueNames(), (std::vector<std::string>{"1", "4"}));
    EXPECT_EQ(key->readString("1"), "x");
    EXPECT_EQ(key->readString("4"), "y");
    EXPECT_EQ(zentcore::LoadRequestAddresses(), (std::vector<std::string>{"x", "y"}));

    ASSERT_TRUE(zentcore::SaveRequestAddresses({}));
    EXPECT_TRUE(key->valueNames().empty());
}

TEST(AdminPassword, StoredForm) {
    const struct {
        std::string typed;
        std::string stored;
    } cases[] = {
        {"A", "64"}, {"BC", "676a"}, {"   ", ""}, {"", ""}, {" A ", "64"},
        {"~", "11b"}, {"a b", "c41c7"}, {"\xFF", "29e"}, {"a\tb", "c4ffffffbcc7"},
    };
    for (const auto& c : cases) EXPECT_EQ(zentcore::EncodeAdminPassword(c.typed), c.stored) << "'" << c.typed << "'";
}

TEST(ColumnWidths, ParseTakesLeadingDigitsHeldBetween10And200) {
    const struct {
        std::string text;
        std::size_t columns;
        std::vector<int> widths;
    } cases[] = {
        {"5:300:abc:", 3, {10, 200, 10}},
        {"120:80:200:", 3, {120, 80, 200}},
        {"120:80:200:", 2, {120, 80}},
        {"120:80:", 5, {120, 80}},
        {"120:80", 5, {120, 80}},        // the last field needs no ':'
        {"50x:60", 2, {50, 60}},
        {":", 3, {10}},
        {"", 3, {}},
        {"99999999999999999999:", 1, {200}},
        {"-5:", 1, {10}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(zentcore::ParseColumnWidths(c.text, c.columns), c.widths) << "'" << c.text << "'";
}

TEST(ColumnWidths, FormatAndStorePerUser) {
    EXPECT_EQ(zentcore::FormatColumnWidths({120, 80, 200}), "120:80:200:");
    EXPECT_EQ(zentcore::FormatColumnWidths({}), "");

    testenv::IsolatedMachine machine;
    EXPECT_TRUE(zentcore::ReadColumnWidths("Form1ListView", 3).empty());
    ASSERT_TRUE(zentcore::WriteColumnWidths("Form1ListView", {120, 80, 200}));
    auto key = RegKey::openReadOnly(Hive::CurrentUser, zentcore::kClientKey);
    ASSERT_TRUE(key);
    EXPECT_EQ(key->readString("Form1ListView"), "120:80:200:");
    EXPECT_EQ(zentcore::ReadColumnWidths("Form1ListView", 3), (std::vector<int>{120, 80, 200}));
    EXPECT_TRUE(zentcore::ReadColumnWidths("ArchiveListView", 3).empty());
}

}  // namespace

TEST(Settings, TheUserSaveDirectoryIsTheUsersAlone) {
    testenv::IsolatedMachine machine;
    useTestDirectories(machine);
    const std::string mine = machine.dir().file("save") + "/" + zentcore::LoadClientSettings().settings.UserName;
    ASSERT_TRUE(fs::is_directory(mine));
    EXPECT_EQ(fs::status(mine).permissions() & fs::perms::all, fs::perms::owner_all);

    // One an older version left open is closed at the next start.
    ASSERT_EQ(chmod(mine.c_str(), 0755), 0);
    EXPECT_TRUE(zentcore::LoadClientSettings().mayGoOn);
    EXPECT_EQ(fs::status(mine).permissions() & fs::perms::all, fs::perms::owner_all);

    // One made beforehand by another user is not used.
    if (geteuid() == 0) {
        ASSERT_EQ(chown(mine.c_str(), 65534, 65534), 0);
        EXPECT_FALSE(zentcore::LoadClientSettings().mayGoOn);
    }
}
