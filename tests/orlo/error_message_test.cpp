#include <orlo/orlofunction.h>

#include <zplatform/prompter.h>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

namespace {

using platform::ScriptedPrompter;

void failOpeningMissingFile() {
    ASSERT_EQ(::open("/nonexistent/zentrope/missing.file", O_RDONLY), -1);
    ASSERT_EQ(errno, ENOENT);
}

TEST(ErrorMessage, DescribesTheLastErrorWithoutShowing) {
    ScriptedPrompter script;
    platform::ScopedPrompter guard(script);
    failOpeningMissingFile();
    EXPECT_EQ(TOrloFunction::GetErrorMessage(-1), std::strerror(ENOENT));
    EXPECT_TRUE(script.calls.empty());
}

TEST(ErrorMessage, ShowsTheTextUnderTheCallersCaptionOrError) {
    const struct {
        std::string caption, shown;
    } cases[] = {{"CreateFile", "CreateFile"}, {"", "Error"}};
    for (const auto& c : cases) {
        ScriptedPrompter script;
        platform::ScopedPrompter guard(script);
        failOpeningMissingFile();
        const std::string text = TOrloFunction::GetErrorMessage(0, c.caption, -1);
        EXPECT_EQ(text, std::strerror(ENOENT));
        ASSERT_EQ(script.calls.size(), 1u);
        EXPECT_EQ(script.calls[0].kind, ScriptedPrompter::Kind::Error);
        EXPECT_EQ(script.calls[0].caption, c.shown);
        EXPECT_EQ(script.calls[0].text, text);
    }
}

TEST(ErrorMessage, CodeWithoutTextGivesSystemErrorNumber) {
    ScriptedPrompter script;
    platform::ScopedPrompter guard(script);
    for (const int code : {99999, -5, 0}) {
        const std::string expected = "System error " + std::to_string(code);
        errno = code;
        EXPECT_EQ(TOrloFunction::GetErrorMessage(-1), expected);
        errno = code;
        EXPECT_EQ(TOrloFunction::GetErrorMessage(0, "Call", -1), expected);
    }
}

TEST(ErrorMessage, ShownCaptionIsCutTo2048CharactersNotBytes) {
    ScriptedPrompter script;
    platform::ScopedPrompter guard(script);
    std::string caption;
    for (int i = 0; i < 3000; ++i) caption += "\xC3\xA9";  // two-byte character
    errno = ENOENT;
    TOrloFunction::GetErrorMessage(0, caption, -1);
    ASSERT_EQ(script.calls.size(), 1u);
    EXPECT_EQ(script.calls[0].caption, caption.substr(0, 2 * 2048));
}

}  // namespace
