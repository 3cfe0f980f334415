// zentctl settings: the start-up load as the client does it, printed.
#include <zplatform/registry.h>
#include <zplatform/system.h>

#include "test_env.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {


TEST(ZentctlSettings, EmptyMachinePrintsTheDefaults) {
    testenv::IsolatedMachine machine;
    auto result = testenv::zentctl({"settings"});
    ASSERT_EQ(result.exitCode, 0) << result.err;

    std::string appDir = std::filesystem::canonical(testenv::zentctlPath()).parent_path().string();
    std::string user = platform::userName();
    if (user.empty()) user = "Default";
    EXPECT_EQ(result.out,
              "AppDir=" + appDir + "\n"
              "FirstTempDir=" + appDir + "/PSTemp\n"
              "ClientSaveDir=" + appDir + "/userdata\n"
              "UserSaveDir=" + appDir + "/userdata/" + user + "\n"
              "UserName=" + user + "\n"
              "IsAdmin=1\n"
              "Preview_En=0\n"
              "Later_En=0\n"
              "Email_En=0\n"
              "WantsReceipt=0\n"
              "ArchiveDocs=0\n"
              "SaveRqAddr=0\n"
              "AddrReadOnly=0\n"
              "LocalExport=0\n"
              "ClientDelay=0\n"
              "Exit_En=1\n"
              "Tools_En=1\n");
    EXPECT_EQ(result.err, "");
}

TEST(ZentctlSettings, FailsWhenTheWorkingDirectoryCannotBeMade) {
    testenv::IsolatedMachine machine;
    testenv::writeFile(machine.dir().file("plain"), "");
    auto key = platform::RegKey::openOrCreate(platform::Hive::LocalMachine, "SOFTWARE\\ORLO Vestra\\Zentrope Client");
    ASSERT_TRUE(key && key->writeString("FirstTempDir", machine.dir().file("plain/work")));

    auto result = testenv::zentctl({"settings"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.out.find("FirstTempDir=" + machine.dir().file("plain/work") + "\n"), std::string::npos);
    EXPECT_NE(result.err.find("cannot be created"), std::string::npos) << result.err;
}

TEST(ZentctlSettings, ReportsUnreadableLinesAndGoesOn) {
    testenv::IsolatedMachine machine;
    testenv::writeFile(machine.machineHive(),
                       "REGEDIT4\n\n"
                       "[HKEY_LOCAL_MACHINE\\SOFTWARE\\ORLO Vestra\\Zentrope Client]\n"
                       "\"FirstTempDir\"=\"" + machine.dir().file("work") + "\"\n"
                       "\"ClientSaveDir\"=\"" + machine.dir().file("save") + "\"\n"
                       "garbage here\n"
                       "\"ClientDelay\"=\"250\"\n");
    auto result = testenv::zentctl({"settings"});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_NE(result.out.find("ClientDelay=250\n"), std::string::npos);
    EXPECT_NE(result.err.find("garbage here"), std::string::npos) << result.err;
}

TEST(ZentctlSettings, RejectsArguments) {
    testenv::IsolatedMachine machine;
    EXPECT_EQ(testenv::zentctl({"settings", "extra"}).exitCode, 2);
}

}  // namespace
