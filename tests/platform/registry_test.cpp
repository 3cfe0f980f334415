#include <zplatform/registry.h>
#include <zplatform/system.h>

#include "test_env.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <filesystem>
#include <functional>
#include <thread>

namespace {

namespace fs = std::filesystem;
using platform::Hive;
using platform::RegKey;
using testenv::IsolatedMachine;
using testenv::readFile;
using testenv::writeFile;

constexpr const char* kKey = "SOFTWARE\\ORLO Vestra\\Zentrope Client";

RegKey create(Hive hive, const std::string& path) {
    auto key = RegKey::openOrCreate(hive, path);
    EXPECT_TRUE(key) << path << ": " << platform::errorText(platform::lastError());
    return *key;
}

RegKey openExisting(Hive hive, const std::string& path) {
    auto key = RegKey::openReadOnly(hive, path);
    EXPECT_TRUE(key) << path;
    return *key;
}

// Temporary files left beside a hive (by a writer that died, or by a bug).
std::vector<std::string> strayTemps(const std::string& hive) {
    std::vector<std::string> found;
    for (const auto& e : fs::directory_iterator(fs::path(hive).parent_path()))
        if (e.path().filename().string().find(".tmp-") != std::string::npos) found.push_back(e.path());
    return found;
}

// Runs `body` in a forked child and returns its exit status.
TEST(Registry, TypedReadsOfAHandWrittenHive) {
    IsolatedMachine m;
    writeFile(m.machineHive(),
              "REGEDIT4\n\n"
              "[HKEY_LOCAL_MACHINE\\SOFTWARE\\ORLO Vestra\\Zentrope Client]\n"
              "\"Text\"=\"hello\"\n"
              "\"Empty\"=\"\"\n"
              "\"Number\"=dword:0000000a\n"
              "\"Big\"=DWORD:FFFFFFFF\n"
              "@=\"default\"\n");
    struct Row {
        const char* name;
        bool exists;
        std::optional<std::string> text;
        std::optional<std::uint32_t> dword;
    } rows[] = {
        {"Text", true, "hello", std::nullopt},      // a string is no dword
        {"TEXT", true, "hello", std::nullopt},      // names ignore case
        {"Empty", true, "", std::nullopt},
        {"Number", true, "10", 10u},                // a dword reads as its decimal text
        {"big", true, "4294967295", 0xFFFFFFFFu},
        {"", true, "default", std::nullopt},        // the key's default value
        {"Missing", false, std::nullopt, std::nullopt},
    };
    RegKey key = openExisting(Hive::LocalMachine, kKey);
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        EXPECT_EQ(key.valueExists(r.name), r.exists);
        EXPECT_EQ(key.tryReadString(r.name), r.text);
        EXPECT_EQ(key.readString(r.name), r.text.value_or(""));   // missing reads as empty
        EXPECT_EQ(key.readDword(r.name), r.dword);
    }
    EXPECT_TRUE(platform::hiveDiagnostics(Hive::LocalMachine).empty());
}

TEST(Registry, KeysAndNamesIgnoreCaseButKeepTheirWrittenCase) {
    IsolatedMachine m;
    RegKey key = create(Hive::LocalMachine, "Software\\Orlo");
    ASSERT_TRUE(key.writeString("MixedCase", "1"));
    RegKey again = create(Hive::LocalMachine, "SOFTWARE\\ORLO\\");
    ASSERT_TRUE(again.writeString("mixedCASE", "2"));

    EXPECT_EQ(openExisting(Hive::LocalMachine, "\\software\\orlo").readString("MIXEDCASE"), "2");
    EXPECT_EQ(key.valueNames(), std::vector<std::string>{"MixedCase"});
    EXPECT_EQ(readFile(m.machineHive()), "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Orlo]\n\"MixedCase\"=\"2\"\n\n");
}

TEST(Registry, EscapedTextsRoundTripThroughTheFile) {
    IsolatedMachine m;
    const std::pair<std::string, std::string> values[] = {
        {"Path", "C:\\dir\\"},
        {"Quoted", "say \"hi\""},
        {"Mixed", "\\\"\\\\\""},
        {"Unc", "\\\\server\\share"},
        {"Symbols", "=;[x]@ dword:1"},
        {"Utf8", "\xc3\xbc \xe2\x82\xac"},
        {"name \"with\" \\ escapes", "v"},
        {"", "default value"},
    };
    RegKey key = create(Hive::CurrentUser, kKey);
    for (const auto& [name, text] : values) ASSERT_TRUE(key.writeString(name, text)) << name;

    RegKey fresh = openExisting(Hive::CurrentUser, kKey);
    for (const auto& [name, text] : values) EXPECT_EQ(fresh.tryReadString(name), text) << name;
    EXPECT_TRUE(platform::hiveDiagnostics(Hive::CurrentUser).empty());

    std::string file = readFile(m.userHive());
    EXPECT_NE(file.find("\n\"Path\"=\"C:\\\\dir\\\\\"\n"), std::string::npos) << file;
    EXPECT_NE(file.find("\n\"Quoted\"=\"say \\\"hi\\\"\"\n"), std::string::npos) << file;
    EXPECT_NE(file.find("\n@=\"default value\"\n"), std::string::npos) << file;
}

TEST(Registry, ValuesListInFileOrder) {
    IsolatedMachine m;
    writeFile(m.machineHive(), "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\K]\n\"Z\"=\"1\"\n\"Y\"=dword:00000002\n\"X\"=\"3\"\n");
    RegKey key = create(Hive::LocalMachine, "K");
    EXPECT_EQ(key.valueNames(), (std::vector<std::string>{"Z", "Y", "X"}));

    ASSERT_TRUE(key.writeDword("y", 5));   // overwriting keeps the place
    ASSERT_TRUE(key.deleteValue("Z"));
    ASSERT_TRUE(key.writeString("W", "new"));   // new values go last
    EXPECT_EQ(key.valueNames(), (std::vector<std::string>{"Y", "X", "W"}));
    EXPECT_EQ(key.valueLines(), (std::vector<std::string>{"\"Y\"=dword:00000005", "\"X\"=\"3\"", "\"W\"=\"new\""}));

    EXPECT_FALSE(key.deleteValue("Z"));
    EXPECT_EQ(platform::lastError(), ENOENT);
}

TEST(Registry, OpenReadOnlyNeedsAnExistingKey) {
    IsolatedMachine m;
    EXPECT_FALSE(RegKey::openReadOnly(Hive::LocalMachine, kKey)) << "no hive file";
    EXPECT_FALSE(fs::exists(m.machineHive())) << "reading created the hive";

    create(Hive::LocalMachine, std::string(kKey) + "\\Last printer");
    struct Row {
        std::string path;
        bool opens;
    } rows[] = {
        {std::string(kKey) + "\\Last printer", true},
        {kKey, true},                                 // parent of an existing key
        {"SOFTWARE", true},
        {"SOFTWARE\\ORLO Vestra\\Zentrope Cli", false},   // a prefix of a name is no parent
        {"SOFTWARE\\Other", false},
        {"SOFTWARE\\\\ORLO Vestra", false},           // empty component
    };
    for (const auto& r : rows) EXPECT_EQ(RegKey::openReadOnly(Hive::LocalMachine, r.path).has_value(), r.opens) << r.path;
    EXPECT_FALSE(RegKey::openReadOnly(Hive::CurrentUser, kKey)) << "the other hive";
}

TEST(Registry, WritesNeedAWritableKeyAndOneLineTexts) {
    IsolatedMachine m;
    create(Hive::LocalMachine, kKey).writeString("Keep", "me");
    const std::string before = readFile(m.machineHive());

    RegKey readOnly = openExisting(Hive::LocalMachine, kKey);
    EXPECT_FALSE(readOnly.writeString("A", "b"));
    EXPECT_EQ(platform::lastError(), EPERM);
    EXPECT_FALSE(readOnly.deleteAllValues());

    RegKey key = create(Hive::LocalMachine, kKey);
    const std::pair<std::string, std::string> unstorable[] = {
        {"Line", "two\nlines"}, {"Cr", "a\rb"}, {"new\nname", "x"}, {"Nul", std::string("a\0b", 3)}};
    for (const auto& [name, text] : unstorable) {
        EXPECT_FALSE(key.writeString(name, text)) << name;
        EXPECT_EQ(platform::lastError(), EINVAL);
    }
    EXPECT_FALSE(RegKey::openOrCreate(Hive::LocalMachine, "A\\\\B"));
    EXPECT_EQ(readFile(m.machineHive()), before);
}

TEST(Registry, DeleteAllValuesLeavesOtherKeysAlone) {
    IsolatedMachine m;
    const std::string last = std::string(kKey) + "\\Last printer";
    create(Hive::CurrentUser, kKey).writeDword("StartupQA", 2);
    RegKey printers = create(Hive::CurrentUser, last);
    for (auto n : {"1", "2", "3"}) printers.writeString(n, std::string("p") + n + "@server");
    create(Hive::CurrentUser, last + "\\Deeper").writeString("1", "deep");
    create(Hive::CurrentUser, "SOFTWARE\\Other").writeString("1", "other");
    create(Hive::LocalMachine, last).writeString("1", "machine");

    ASSERT_TRUE(printers.deleteAllValues());

    EXPECT_TRUE(openExisting(Hive::CurrentUser, last).valueNames().empty());   // the key itself stays
    EXPECT_EQ(openExisting(Hive::CurrentUser, kKey).readDword("StartupQA"), 2u);
    EXPECT_EQ(openExisting(Hive::CurrentUser, last + "\\Deeper").readString("1"), "deep");
    EXPECT_EQ(openExisting(Hive::CurrentUser, "SOFTWARE\\Other").readString("1"), "other");
    EXPECT_EQ(openExisting(Hive::LocalMachine, last).readString("1"), "machine");
    EXPECT_TRUE(printers.deleteAllValues()) << "nothing left to delete is no failure";
}

TEST(Registry, HandEditedMistakesCostNothingElse) {
    IsolatedMachine m;
    const std::vector<std::string> kept = {
        "; tuned by the admin",
        "Preview_En=1",
        "\"Broken\"=\"unterminated",
        "\"Email_En\"=dword:1x",
        "\"Bad\\escape\"=\"x\"",
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Other",
        "\"Lost\"=\"belongs to the broken key\"",
        "[HKEY_CURRENT_USER\\Elsewhere]",
        "\"Foreign\"=\"y\"",
    };
    writeFile(m.machineHive(),
              "REGEDIT4\r\n\r\n" + kept[0] + "\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\ORLO Vestra\\Zentrope Client]\r\n"
              "\"FirstTempDir\"=\"/opt/zentrope/PSTemp\"\r\n" + kept[1] + "\n\"Later_En\"=dword:00000001\n" + kept[2] +
              "\n" + kept[3] + "\n" + kept[4] + "\n\n" + kept[5] + "\n" + kept[6] + "\n" + kept[7] + "\n" + kept[8] + "\n");
    const std::string file = m.machineHive();
    const std::vector<std::string> expectedProblems = {
        file + ":6: not a setting: Preview_En=1",
        file + ":8: not a setting: \"Broken\"=\"unterminated",
        file + ":9: not a setting: \"Email_En\"=dword:1x",
        file + ":10: not a setting: \"Bad\\escape\"=\"x\"",
        file + ":12: bad key: [HKEY_LOCAL_MACHINE\\SOFTWARE\\Other",
        file + ":14: key outside HKEY_LOCAL_MACHINE: [HKEY_CURRENT_USER\\Elsewhere]",
    };

    testing::internal::CaptureStderr();
    RegKey key = openExisting(Hive::LocalMachine, kKey);
    EXPECT_EQ(key.readString("FirstTempDir"), "/opt/zentrope/PSTemp");
    EXPECT_EQ(key.readDword("Later_En"), 1u);
    EXPECT_EQ(key.valueNames(), (std::vector<std::string>{"FirstTempDir", "Later_En"}));
    EXPECT_EQ(platform::hiveDiagnostics(Hive::LocalMachine), expectedProblems);
    std::string err = testing::internal::GetCapturedStderr();
    for (const auto& p : expectedProblems) {
        auto at = err.find(p);
        EXPECT_NE(at, std::string::npos) << p;
        EXPECT_EQ(err.find(p, at + 1), std::string::npos) << "reported twice: " << p;
    }
    EXPECT_FALSE(RegKey::openReadOnly(Hive::LocalMachine, "SOFTWARE\\Other")) << "values under a broken key stay unread";

    // A rewrite keeps every line it did not understand, where it was.
    ASSERT_TRUE(create(Hive::LocalMachine, kKey).writeString("ClientDelay", "250"));
    std::string text = readFile(file);
    size_t pos = 0;
    for (const auto& line : kept) {
        auto at = text.find("\n" + line + "\n", pos);
        EXPECT_NE(at, std::string::npos) << "lost or moved: " << line << "\n" << text;
        if (at != std::string::npos) pos = at + 1;
    }
    EXPECT_EQ(platform::hiveDiagnostics(Hive::LocalMachine).size(), expectedProblems.size());
    RegKey after = openExisting(Hive::LocalMachine, kKey);
    EXPECT_EQ(after.valueNames(), (std::vector<std::string>{"FirstTempDir", "Later_En", "ClientDelay"}));
}

TEST(Registry, FileWithoutFirstLineIsReadAndRepaired) {
    IsolatedMachine m;
    writeFile(m.machineHive(), "[HKEY_LOCAL_MACHINE\\K]\n\"A\"=\"1\"\n");
    EXPECT_EQ(openExisting(Hive::LocalMachine, "K").readString("A"), "1");
    EXPECT_EQ(platform::hiveDiagnostics(Hive::LocalMachine),
              std::vector<std::string>{m.machineHive() + ":1: missing REGEDIT4 first line: [HKEY_LOCAL_MACHINE\\K]"});
    ASSERT_TRUE(create(Hive::LocalMachine, "K").writeString("B", "2"));
    EXPECT_EQ(readFile(m.machineHive()), "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\K]\n\"A\"=\"1\"\n\"B\"=\"2\"\n\n");
    EXPECT_TRUE(platform::hiveDiagnostics(Hive::LocalMachine).empty());
}

TEST(Registry, HiveFileLocations) {
    struct Row {
        std::optional<std::string> machineEnv, userEnv, xdg, home;
        std::string machine, user;
    } rows[] = {
        {std::nullopt, std::nullopt, std::nullopt, "/home/u", "/etc/zentrope/machine.reg", "/home/u/.config/zentrope/user.reg"},
        {"/m/machine.reg", "/u/user.reg", "/xdg", "/home/u", "/m/machine.reg", "/u/user.reg"},
        {"", "", "/xdg", "/home/u", "/etc/zentrope/machine.reg", "/xdg/zentrope/user.reg"},
        {std::nullopt, std::nullopt, "relative", "/home/u", "/etc/zentrope/machine.reg", "/home/u/.config/zentrope/user.reg"},
    };
    for (const auto& r : rows) {
        testenv::ScopedEnv a("ZENTROPE_MACHINE_REGISTRY", r.machineEnv), b("ZENTROPE_USER_REGISTRY", r.userEnv),
            c("XDG_CONFIG_HOME", r.xdg), d("HOME", r.home);
        EXPECT_EQ(platform::hiveFile(Hive::LocalMachine), r.machine);
        EXPECT_EQ(platform::hiveFile(Hive::CurrentUser), r.user);
    }
}

TEST(Registry, FirstWriteCreatesDirectoriesAndHive) {
    IsolatedMachine m;
    const std::string hive = m.dir().file("config/zentrope/deeper/user.reg");
    testenv::ScopedEnv env("ZENTROPE_USER_REGISTRY", hive);
    ASSERT_TRUE(platform::hiveWritable(Hive::CurrentUser));
    create(Hive::CurrentUser, kKey);
    EXPECT_EQ(readFile(hive), "REGEDIT4\n\n[HKEY_CURRENT_USER\\" + std::string(kKey) + "]\n\n");
    EXPECT_TRUE(RegKey::openReadOnly(Hive::CurrentUser, kKey));
}

// The administrator rule must agree with what a write really does, so each
// case asks both, as an ordinary user (root passes every permission check).
TEST(Registry, WritableHiveMeansTheWriteSucceeds) {
    IsolatedMachine m;
    ASSERT_EQ(chmod(m.dir().path().c_str(), 0755), 0);
    struct Row {
        const char* what;
        const char* hive;   // below the case directory
        mode_t dirMode;
        std::optional<mode_t> fileMode;
        bool writable;
    } rows[] = {
        {"file writable", "machine.reg", 0777, 0666, true},
        {"file read-only", "machine.reg", 0777, 0444, false},
        {"directory read-only", "machine.reg", 0555, 0666, false},
        {"absent, directory writable", "machine.reg", 0777, std::nullopt, true},
        {"absent below missing directories", "a/b/machine.reg", 0777, std::nullopt, true},
        {"absent, directory read-only", "machine.reg", 0555, std::nullopt, false},
        {"a file where a directory should be", "plain/machine.reg", 0777, std::nullopt, false},
    };
    int n = 0;
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        const std::string dir = m.dir().file("case" + std::to_string(n++));
        fs::create_directory(dir);
        writeFile(dir + "/plain", "");
        const std::string hive = dir + "/" + r.hive;
        if (r.fileMode) {
            writeFile(hive, "REGEDIT4\n");
            chmod(hive.c_str(), *r.fileMode);
        }
        chmod(dir.c_str(), r.dirMode);
        testenv::ScopedEnv env("ZENTROPE_MACHINE_REGISTRY", hive);
        const std::string before = r.fileMode ? readFile(hive) : "";

        int status = testenv::inChild([] {
            if (!testenv::dropRoot()) return 99;
            bool claimed = platform::hiveWritable(Hive::LocalMachine);
            auto key = RegKey::openOrCreate(Hive::LocalMachine, kKey);
            bool wrote = key && key->writeDword("Preview_En", 1);
            return (claimed ? 1 : 0) | (wrote ? 2 : 0);
        });
        ASSERT_NE(status, 99) << "cannot drop privileges";
        EXPECT_EQ((status & 1) != 0, r.writable) << "hiveWritable";
        EXPECT_EQ((status & 2) != 0, r.writable) << "write";
        if (!r.writable && r.fileMode) {
            EXPECT_EQ(readFile(hive), before);
        }
        chmod(dir.c_str(), 0777);
    }
}

// A write never touches the old file: it is replaced whole by a rename, and
// temporary files left by a writer that died are swept by the next writer.
TEST(RegistryCrash, WriteReplacesTheFileAndSweepsStaleTemporaries) {
    IsolatedMachine m;
    create(Hive::LocalMachine, kKey).writeString("A", "old");
    const std::string before = readFile(m.machineHive());
    const std::string stale = m.dir().file(".machine.reg.tmp-Xy12Zq");
    writeFile(stale, "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SOFTW");
    fs::create_hard_link(m.machineHive(), m.dir().file("old-link"));

    EXPECT_EQ(openExisting(Hive::LocalMachine, kKey).readString("A"), "old");
    ASSERT_TRUE(create(Hive::LocalMachine, kKey).writeString("A", "new"));

    EXPECT_EQ(readFile(m.dir().file("old-link")), before) << "the old file was written in place";
    EXPECT_EQ(openExisting(Hive::LocalMachine, kKey).readString("A"), "new");
    EXPECT_TRUE(strayTemps(m.machineHive()).empty());
}

TEST(RegistryCrash, WriterKilledMidWriteLeavesOldOrNewFile) {
    IsolatedMachine m;
    const size_t size = 100000;
    create(Hive::LocalMachine, kKey).writeString("Payload", std::string(size, 'a'));
    for (int round = 0; round < 3; ++round) {
        pid_t pid = fork();
        if (pid == 0) {
            RegKey key = *RegKey::openOrCreate(Hive::LocalMachine, kKey);
            for (int v = 1;; ++v) key.writeString("Payload", std::string(size, char('a' + v % 26)));
        }
        usleep(useconds_t(3000 + round * 4000));
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);

        EXPECT_TRUE(platform::hiveDiagnostics(Hive::LocalMachine).empty());
        std::string payload = openExisting(Hive::LocalMachine, kKey).readString("Payload");
        ASSERT_EQ(payload.size(), size);
        EXPECT_EQ(payload.find_first_not_of(payload[0]), std::string::npos) << "a mixed payload";
    }
    // The lock died with its holder; the next writer proceeds and cleans up.
    ASSERT_TRUE(create(Hive::LocalMachine, kKey).writeString("After", "crash"));
    EXPECT_TRUE(strayTemps(m.machineHive()).empty());
}

TEST(RegistryCrash, ReadersNeverSeeAPartialFile) {
    IsolatedMachine m;
    RegKey key = create(Hive::LocalMachine, kKey);
    key.writeString("Payload", "start");
    key.writeDword("End", 0);
    std::atomic<bool> done{false};
    std::thread writer([&] {
        RegKey w = create(Hive::LocalMachine, kKey);
        for (std::uint32_t i = 1; i <= 15; ++i) w.writeString("Payload", std::string(20000 + i * 997, 'x'));
        done = true;
    });
    int reads = 0;
    while (!done) {
        ASSERT_EQ(key.valueNames(), (std::vector<std::string>{"Payload", "End"})) << "after " << reads << " reads";
        ++reads;
    }
    writer.join();
    EXPECT_TRUE(platform::hiveDiagnostics(Hive::LocalMachine).empty());
}

// Many writers at once, each adding its own values: none may be lost.
void expectEveryValueLanded(int writers, int perWriter) {
    RegKey key = openExisting(Hive::LocalMachine, kKey);
    EXPECT_EQ(key.valueNames().size(), size_t(writers * perWriter));
    for (int w = 0; w < writers; ++w)
        for (int j = 0; j < perWriter; ++j) {
            std::string name = "w" + std::to_string(w) + "_" + std::to_string(j);
            if (j % 2) EXPECT_EQ(key.readDword(name), std::uint32_t(w * 1000 + j)) << name;
            else EXPECT_EQ(key.readString(name), std::to_string(w * 1000 + j)) << name;
        }
    EXPECT_TRUE(platform::hiveDiagnostics(Hive::LocalMachine).empty());
    EXPECT_TRUE(strayTemps(platform::hiveFile(Hive::LocalMachine)).empty());
}

bool writeValues(int writer, int count) {
    for (int j = 0; j < count; ++j) {
        auto key = RegKey::openOrCreate(Hive::LocalMachine, kKey);
        std::string name = "w" + std::to_string(writer) + "_" + std::to_string(j);
        std::uint32_t v = std::uint32_t(writer * 1000 + j);
        if (!key || !(j % 2 ? key->writeDword(name, v) : key->writeString(name, std::to_string(v)))) return false;
    }
    return true;
}

constexpr int kWriters = 4, kPerWriter = 6;

TEST(RegistryConcurrency, WritersInSeveralProcessesLoseNothing) {
    IsolatedMachine m;
    int gate[2];
    ASSERT_EQ(pipe(gate), 0);
    std::vector<pid_t> children;
    for (int w = 0; w < kWriters; ++w) {
        pid_t pid = fork();
        if (pid == 0) {
            close(gate[1]);
            char c;
            while (read(gate[0], &c, 1) < 0 && errno == EINTR) {}   // all start together
            _exit(writeValues(w, kPerWriter) ? 0 : 1);
        }
        children.push_back(pid);
    }
    close(gate[0]);
    close(gate[1]);
    for (pid_t pid : children) {
        int status = 0;
        waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    expectEveryValueLanded(kWriters, kPerWriter);
}

TEST(RegistryConcurrency, WritersInSeveralThreadsLoseNothing) {
    IsolatedMachine m;
    std::vector<std::thread> threads;
    std::atomic<int> failures{0};
    for (int w = 0; w < kWriters; ++w)
        threads.emplace_back([w, &failures] { failures += writeValues(w, kPerWriter) ? 0 : 1; });
    for (auto& t : threads) t.join();
    EXPECT_EQ(failures, 0);
    expectEveryValueLanded(kWriters, kPerWriter);
}

}  // namespace
