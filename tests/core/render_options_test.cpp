// The processor's command line: templates stored or built in, placeholders,
// quoting, and where the processor comes from.
#include <zentcore/render.h>

#include <zentcore/settings.h>
#include <zplatform/prompter.h>
#include <zplatform/registry.h>
#include <zplatform/system.h>

#include "test_env.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

namespace {

using platform::Hive;
using platform::RegKey;
using zentcore::RenderUse;

RegKey machineKey() { return *RegKey::openOrCreate(Hive::LocalMachine, zentcore::kClientKey); }

std::string options(bool colour, RenderUse use, bool mayWrite = false) {
    std::string line;
    zentcore::AppendOptionTemplate(line, colour, use, mayWrite);
    return line;
}

TEST(RenderOptions, BuiltInTemplatesKeepTheirExactBlanks) {
    testenv::IsolatedMachine m;
    struct Row {
        bool colour;
        RenderUse use;
        std::string expected;
    } rows[] = {
        {true, RenderUse::Preview,
         " -dNOPAUSE -dBATCH -sDEVICE=bmp16m -dDOINTERPOLATE  -dCOLORSCREEN  -r120  -dTextAlphaBits=4 -dGraphicsAlphaBits=2 "},
        {false, RenderUse::Preview,
         " -dNOPAUSE -dBATCH -sDEVICE=bmpgray -dDOINTERPOLATE  -r120  -dTextAlphaBits=4 -dGraphicsAlphaBits=2 "},
        {true, RenderUse::Image,
         " -dNOPAUSE -dBATCH -sDEVICE=%device% -dDOINTERPOLATE  -dCOLORSCREEN  -r%resolution%  -dTextAlphaBits=4 "
         "-dGraphicsAlphaBits=2 "},
        {false, RenderUse::Image,
         " -dNOPAUSE -dBATCH -sDEVICE=%device% -dDOINTERPOLATE  -r%resolution%  -dTextAlphaBits=4 -dGraphicsAlphaBits=2 "},
    };
    for (const auto& r : rows) EXPECT_EQ(options(r.colour, r.use), r.expected) << r.colour << int(r.use);
    EXPECT_FALSE(platform::fileExists(m.machineHive())) << "nothing stored without the right to";
}

TEST(RenderOptions, CommandLinesForPreviewAndImages) {
    testenv::IsolatedMachine m;
    zentcore::RenderRequest r;
    r.processor = "/usr/bin/gs";
    r.pagePrefix = "/tmp/zentrope-0/ztp_1_";
    r.input = "/var/spool/zentrope/ztp_1.ztp";
    r.use = RenderUse::Image;
    r.format = zentcore::ImageFormat::Png;
    r.dpi = 120;
    EXPECT_EQ(zentcore::BuildRenderCommandLine(r, false),
              "\"/usr/bin/gs\" -dNOPAUSE -dBATCH -sDEVICE=png16m -dDOINTERPOLATE  -dCOLORSCREEN  -r120  "
              "-dTextAlphaBits=4 -dGraphicsAlphaBits=2  -sOutputFile=\"/tmp/zentrope-0/ztp_1_%d.png\" "
              "\"/var/spool/zentrope/ztp_1.ztp\"");
    r.colour = false;
    r.format = zentcore::ImageFormat::Jpeg;
    r.dpi = 96;
    EXPECT_EQ(zentcore::BuildRenderCommandLine(r, false),
              "\"/usr/bin/gs\" -dNOPAUSE -dBATCH -sDEVICE=jpeggray -dDOINTERPOLATE  -r96  -dTextAlphaBits=4 "
              "-dGraphicsAlphaBits=2  -sOutputFile=\"/tmp/zentrope-0/ztp_1_%d.jpg\" \"/var/spool/zentrope/ztp_1.ztp\"");
    r.use = RenderUse::Preview;
    EXPECT_EQ(zentcore::BuildRenderCommandLine(r, false),
              "\"/usr/bin/gs\" -dNOPAUSE -dBATCH -sDEVICE=bmpgray -dDOINTERPOLATE  -r120  -dTextAlphaBits=4 "
              "-dGraphicsAlphaBits=2  -sOutputFile=\"/tmp/zentrope-0/ztp_1_%d.bmp\" \"/var/spool/zentrope/ztp_1.ztp\"");

    // Odd names reach the processor as one argument each, and a '%' of the
    // name is not taken for a page number.
    r.processor = "/opt/my \"gs\"/gs";
    r.pagePrefix = "/home/a/100% done\\";
    r.input = "/home/a/in put.ps";
    const auto args = platform::splitCommandLine(zentcore::BuildRenderCommandLine(r, false));
    ASSERT_GE(args.size(), 3u);
    EXPECT_EQ(args.front(), "/opt/my \"gs\"/gs");
    EXPECT_EQ(args[args.size() - 2], "-sOutputFile=/home/a/100%% done\\%d.bmp");
    EXPECT_EQ(args.back(), "/home/a/in put.ps");
}

TEST(RenderOptions, StoredTemplatesAndWhenTheBuiltInOneIsStored) {
    testenv::IsolatedMachine m;
    // %device% in a stored preview template is the administrator's text, used as it is.
    machineKey().writeString("PSViewParam", "-sDEVICE=%device% -r%resolution%");
    machineKey().writeString("PSEmailParam", "-sDEVICE=%device% -r%resolution% -sX=%device%");
    EXPECT_EQ(options(true, RenderUse::Preview, true), " -sDEVICE=%device% -r%resolution%");
    EXPECT_EQ(zentcore::ReplaceRenderPlaceholders(options(true, RenderUse::Image, true), "png16m", 72),
              " -sDEVICE=png16m -r72 -sX=png16m");
    EXPECT_EQ(zentcore::ReplaceRenderPlaceholders("%DEVICE% %device%", "jpeg", 1), "%DEVICE% jpeg") << "case-sensitive";

    // An existing but empty value: the built-in template, and the value stays empty.
    machineKey().writeString("PSViewParamBW", "");
    EXPECT_EQ(options(false, RenderUse::Preview, true), " " + zentcore::BuiltInOptionTemplate(false, RenderUse::Preview));
    EXPECT_EQ(machineKey().tryReadString("PSViewParamBW"), "");

    // A missing value is stored for an administrator to edit, not for others.
    options(false, RenderUse::Image, false);
    EXPECT_FALSE(machineKey().valueExists("PSEmailParaBW"));
    options(false, RenderUse::Image, true);
    EXPECT_EQ(machineKey().tryReadString("PSEmailParaBW"), zentcore::BuiltInOptionTemplate(false, RenderUse::Image));
}

struct LocatorCalls {
    int count = 0;
    std::optional<std::string> answer;
    zentcore::ProcessorLocator locator() {
        return [this] {
            ++count;
            return answer;
        };
    }
};

TEST(RenderProcessor, StoredPathOrTheLocatorsChoice) {
    testenv::IsolatedMachine m;
    platform::ScriptedPrompter prompter;
    platform::ScopedPrompter scoped(prompter);
    const std::string gs = m.dir().file("gs");
    testenv::writeFile(gs, "");

    machineKey().writeString("PSProcessor", "  " + gs + " ");
    LocatorCalls calls;
    EXPECT_EQ(zentcore::ResolveProcessorPath(calls.locator(), true), gs);
    EXPECT_EQ(calls.count, 0);

    // A stored file that has gone opens the locator; the choice is stored.
    machineKey().writeString("PSProcessor", m.dir().file("gone"));
    calls.answer = " /usr/bin/gs ";
    EXPECT_EQ(zentcore::ResolveProcessorPath(calls.locator(), true), "/usr/bin/gs");
    EXPECT_EQ(calls.count, 1);
    EXPECT_EQ(machineKey().readString("PSProcessor"), "/usr/bin/gs");
    EXPECT_TRUE(prompter.calls.empty());

    // Closing the locator stops the action and stores nothing.
    machineKey().writeString("PSProcessor", "");
    calls.answer.reset();
    EXPECT_EQ(zentcore::ResolveProcessorPath(calls.locator(), true), std::nullopt);
    EXPECT_EQ(machineKey().readString("PSProcessor"), "");
    EXPECT_TRUE(prompter.calls.empty());

    // Without the right to save: used for this run, with the warning.
    calls.answer = gs;
    EXPECT_EQ(zentcore::ResolveProcessorPath(calls.locator(), false), gs);
    EXPECT_EQ(machineKey().readString("PSProcessor"), "");
    ASSERT_EQ(prompter.calls.size(), 1u);
    EXPECT_EQ(prompter.calls[0].text, zentcore::kAdminToSaveMessage);
    EXPECT_EQ(prompter.calls[0].caption, "Zentrope Client");
}

TEST(RenderProcessor, AFailedSaveWarnsAndUsesThePathForThisRun) {
    testenv::IsolatedMachine m;
    platform::ScriptedPrompter prompter;
    platform::ScopedPrompter scoped(prompter);
    LocatorCalls calls;
    calls.answer = "/usr/bin/gs";
    {
        // A hive whose directory is a file cannot be written, not even by root.
        testenv::writeFile(m.dir().file("blocker"), "");
        testenv::ScopedEnv hive("ZENTROPE_MACHINE_REGISTRY", m.dir().file("blocker/machine.reg"));
        EXPECT_EQ(zentcore::ResolveProcessorPath(calls.locator(), true), "/usr/bin/gs");
        ASSERT_EQ(prompter.calls.size(), 1u);
        EXPECT_EQ(prompter.calls[0].text, zentcore::kRegistrySaveFailedMessage);
    }
}

TEST(RenderProcessor, UnreadableSettingsStopTheAction) {
    if (::geteuid() == 0) GTEST_SKIP() << "root reads every file";
    testenv::IsolatedMachine m;
    platform::ScriptedPrompter prompter;
    platform::ScopedPrompter scoped(prompter);
    LocatorCalls calls;
    machineKey().writeString("PSProcessor", "/usr/bin/gs");
    ::chmod(m.machineHive().c_str(), 0);
    EXPECT_EQ(zentcore::ResolveProcessorPath(calls.locator(), true), std::nullopt);
    EXPECT_EQ(prompter.calls.back().text, zentcore::kRegistryFailedMessage);
}

TEST(RenderProcessor, DownloadAddressFromTheClientDataFile) {
    testenv::TempDir dir;
    const std::string fallback(zentcore::kDefaultProcessorDownloadAddress);
    struct Row {
        std::optional<std::string> file;
        std::string expected;
    } rows[] = {
        {std::nullopt, fallback},
        {"GS_download_address=\r\n", fallback},
        {"Other=1\r\nGS_download_address= https://mirror.example/gs \r\n", "https://mirror.example/gs"},
        {"gs_download_address=http://x.example/\n", "http://x.example/"},
        {"GS_download_addressX=http://wrong.example/\n", fallback},
    };
    for (const auto& r : rows) {
        std::remove(dir.file("ztpclient.dat").c_str());
        if (r.file) testenv::writeFile(dir.file("ztpclient.dat"), *r.file);
        EXPECT_EQ(zentcore::ProcessorDownloadAddress(dir.path()), r.expected) << r.file.value_or("(none)");
    }
}

}  // namespace
