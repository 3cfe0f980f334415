// The preferences editor's rows against real hive files: what fills them,
// what Default proposes, the login, and what Save writes.
#include <zentcore/preferences.h>

#include <zplatform/registry.h>

#include "test_env.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

namespace {

namespace fs = std::filesystem;
using platform::Hive;
using platform::RegKey;
using ::testing::ElementsAre;
using namespace zentcore;

RegKey machineKey() { return *RegKey::openOrCreate(Hive::LocalMachine, kClientKey); }

ClientSettings someSettings() {
    ClientSettings s;
    s.AppDir = "/opt/zentrope";
    s.FirstTempDir = "/var/spool/zentrope";
    s.ClientSaveDir = "/srv/save";
    s.UserSaveDir = "/srv/save/anna";
    s.UserName = "anna";
    s.Preview_En = true;
    s.ArchiveDocs = true;
    s.ClientDelay = 250;
    return s;
}

TEST(PreferenceRows, AreFilledFromTheRecordTheMenusAndTheMachineValues) {
    testenv::IsolatedMachine machine;
    RegKey key = machineKey();
    key.writeString("PSProcessor", "/usr/bin/gs");
    key.writeString("PSViewParam", "-r72");
    key.writeDword("PSHtmlDpi", 100);
    key.writeDword("HtmlDisposition", 1);
    ASSERT_TRUE(SaveRequestAddresses({"laser@print", "colour@print:20203"}));

    PreferenceRows rows;
    rows[kRowEmailDpi] = "as before";
    rows[kRowPassword] = "secret";
    FillPreferenceRows(someSettings(), MenuSwitches{false, true}, rows);
    EXPECT_EQ(rows[kRowWorkDir], "/var/spool/zentrope");
    EXPECT_EQ(rows[kRowUserSaveDir], "/srv/save/anna");
    EXPECT_EQ(rows[kRowProcessor], "/usr/bin/gs");
    EXPECT_EQ(rows[kRowViewParam], "-r72");
    EXPECT_EQ(rows[kRowViewParamBW], "") << "a missing string gives an empty row";
    EXPECT_EQ(rows[kRowEmailDpi], "as before") << "never stored: the row is left";
    EXPECT_EQ(rows[kRowHtmlDpi], "100 dpi");
    EXPECT_EQ(rows[kRowHtmlDisposition], "Document pages inside a frame, with frame navigator");
    EXPECT_EQ(rows[kRowClientDelay], "250");
    EXPECT_EQ(rows[kRowExit], "No");
    EXPECT_EQ(rows[kRowTools], "Yes");
    EXPECT_EQ(rows[kRowPreview], "Yes");
    EXPECT_EQ(rows[kRowLater], "No");
    EXPECT_EQ(rows[kRowArchive], "Yes");
    EXPECT_EQ(rows[kRowAddresses], "laser@print; colour@print:20203");
    EXPECT_EQ(rows[kRowPassword], "");

    // Values outside the lists leave their rows.
    key.writeDword("PSEmailDpi", 96);
    key.writeDword("HtmlDisposition", 3);
    rows[kRowEmailDpi] = "kept";
    FillPreferenceRows(someSettings(), MenuSwitches{}, rows);
    EXPECT_EQ(rows[kRowEmailDpi], "kept");
    EXPECT_EQ(rows[kRowHtmlDisposition], "Document pages inside a frame, with frame navigator");
}

TEST(PreferenceRows, DefaultLeavesTheSaveDirectoriesTheAddressesAndThePassword) {
    PreferenceRows rows;
    for (int row = 1; row <= kPreferenceRowCount; ++row) rows[row] = "old " + std::to_string(row);
    rows[kRowProcessor] = "  ";
    ProposeDefaultPreferences("/opt/zentrope", rows);
    EXPECT_EQ(rows[kRowWorkDir], "/opt/zentrope/PSTemp");
    for (int row : {kRowBaseSaveDir, kRowUserSaveDir, kRowAddresses, kRowPassword})
        EXPECT_EQ(rows[row], "old " + std::to_string(row));
    EXPECT_EQ(rows[kRowProcessor], "/usr/bin/gs");
    EXPECT_EQ(rows[kRowViewParamBW],
              "-dNOPAUSE -dBATCH -sDEVICE=bmpgray -dDOINTERPOLATE -r120 -dTextAlphaBits=4 -dGraphicsAlphaBits=2");
    EXPECT_EQ(rows[kRowEmailDpi], "120 (perfect view)");
    EXPECT_EQ(rows[kRowHtmlDpi], "72 dpi (smallest result)");
    EXPECT_EQ(rows[kRowClientDelay], "0");
    EXPECT_EQ(rows[kRowAddrReadOnly], "No");
    EXPECT_EQ(rows[kRowSaveAddr], "Yes");
    EXPECT_EQ(rows[kRowLocalExport], "Yes");

    rows[kRowProcessor] = "/usr/local/bin/gs";
    ProposeDefaultPreferences("/opt/zentrope", rows);
    EXPECT_EQ(rows[kRowProcessor], "/usr/local/bin/gs") << "a chosen processor stays";
}

TEST(AdministratorLogin, ComparesTheStoredFormOfTheTrimmedPassword) {
    testenv::IsolatedMachine machine;
    EXPECT_EQ(CheckAdministratorLogin(""), LoginResult::NoSettings) << "no settings at all: nothing happens";
    RegKey key = machineKey();
    EXPECT_EQ(CheckAdministratorLogin(""), LoginResult::Accepted) << "no password stored yet";
    EXPECT_EQ(CheckAdministratorLogin("guess"), LoginResult::Refused);
    key.writeString("AdminPass", EncodeAdminPassword("BC"));
    EXPECT_EQ(CheckAdministratorLogin(" BC "), LoginResult::Accepted);
    EXPECT_EQ(CheckAdministratorLogin(""), LoginResult::Refused);
}

class SavingPreferences : public ::testing::Test {
protected:
    SavingPreferences() {
        machineKey().writeString("AdminPass", EncodeAdminPassword("old"));
        ProposeDefaultPreferences("/opt/zentrope", rows);
        rows[kRowBaseSaveDir] = "/srv/other";
        rows[kRowProcessor] = "/usr/bin/gs";
        rows[kRowEmailDpi] = "90 dpi";
        rows[kRowHtmlDisposition] = "All document pages into one HTML file";
        rows[kRowClientDelay] = " 1500 ";
        rows[kRowExit] = "No";
        rows[kRowLater] = "No";
        rows[kRowAddrReadOnly] = "Yes";
        rows[kRowAddresses] = "a@s ;; b@s:1 ";
    }
    std::vector<std::string> machineValues() const {
        return RegKey::openReadOnly(Hive::LocalMachine, kClientKey)->valueLines();
    }

    testenv::IsolatedMachine machine;
    PreferenceRows rows;
    ClientSettings settings = someSettings();
    MenuSwitches switches;
};

TEST_F(SavingPreferences, WritesTheRecordTheMachineValuesAndTheAddressList) {
    ASSERT_TRUE(SavePreferences(rows, settings, switches));
    EXPECT_EQ(settings.FirstTempDir, "/opt/zentrope/PSTemp");
    EXPECT_EQ(settings.UserSaveDir, "/srv/other/anna");
    EXPECT_FALSE(settings.Later_En);
    EXPECT_TRUE(settings.AddrReadOnly);
    EXPECT_EQ(settings.ClientDelay, 1500);
    EXPECT_FALSE(switches.exitEnabled);
    EXPECT_TRUE(switches.toolsEnabled);
    EXPECT_THAT(machineValues(),
                ElementsAre("\"AdminPass\"=\"" + EncodeAdminPassword("old") + "\"",
                            "\"FirstTempDir\"=\"/opt/zentrope/PSTemp\"", "\"ClientSaveDir\"=\"/srv/other\"",
                            "\"PSProcessor\"=\"/usr/bin/gs\"",
                            "\"PSViewParam\"=\"-dNOPAUSE -dBATCH -sDEVICE=bmp16m -dDOINTERPOLATE -dCOLORSCREEN -r120 "
                            "-dTextAlphaBits=4 -dGraphicsAlphaBits=2\"",
                            ::testing::StartsWith("\"PSViewParamBW\"=\"-dNOPAUSE"),
                            ::testing::StartsWith("\"PSEmailParam\"=\"-dNOPAUSE -dBATCH -sDEVICE=%device%"),
                            ::testing::StartsWith("\"PSEmailParaBW\"=\"-dNOPAUSE -dBATCH -sDEVICE=%device%"),
                            "\"ClientDelay\"=\"1500\"", "\"PSEmailDpi\"=dword:0000005a",
                            "\"PSHtmlDpi\"=dword:00000048", "\"HtmlDisposition\"=dword:00000002",
                            "\"Preview_En\"=dword:00000001", "\"Later_En\"=dword:00000000",
                            "\"Email_En\"=dword:00000001", "\"Exit_En\"=dword:00000000",
                            "\"Tools_En\"=dword:00000001", "\"ArchiveDocs\"=dword:00000001",
                            "\"SaveRqAddr\"=dword:00000001", "\"AddrReadOnly\"=dword:00000001",
                            "\"LocalExport\"=dword:00000001", "\"WantsReceipt\"=dword:00000001"))
        << "an empty password row keeps the password";
    EXPECT_THAT(LoadRequestAddresses(), ElementsAre("a@s", "b@s:1"));
}

TEST_F(SavingPreferences, APasswordOfBlanksStoresTheEmptyOneAndADelayOfLettersIsNone) {
    rows[kRowPassword] = "   ";
    rows[kRowClientDelay] = "abc";
    ASSERT_TRUE(SavePreferences(rows, settings, switches));
    EXPECT_EQ(settings.ClientDelay, 0);
    EXPECT_EQ(CheckAdministratorLogin(""), LoginResult::Accepted);
    rows[kRowPassword] = "new one";
    ASSERT_TRUE(SavePreferences(rows, settings, switches));
    EXPECT_EQ(CheckAdministratorLogin("new one"), LoginResult::Accepted);
}

TEST_F(SavingPreferences, AMachineHiveThatCannotBeWrittenKeepsTheRecordsChangesOnly) {
    const std::string hive = machine.dir().file("machine.reg");
    fs::remove(hive);
    fs::create_directory(hive);   // no file can be written there
    EXPECT_FALSE(SavePreferences(rows, settings, switches));
    EXPECT_EQ(settings.UserSaveDir, "/srv/other/anna");
    EXPECT_FALSE(switches.exitEnabled);
    EXPECT_TRUE(LoadRequestAddresses().empty()) << "nothing after the failure is saved";
}

}  // namespace
