#include <zplatform/prompter.h>

#include <gtest/gtest.h>

using platform::ScriptedPrompter;

TEST(Prompter, ScriptedPrompterRecordsCallsAndAnswersInOrder) {
    ScriptedPrompter script;
    platform::ScopedPrompter guard(script);
    script.answer(true);
    platform::prompter().warn("Zentrope Client", "careful");
    EXPECT_TRUE(platform::prompter().ask("Zentrope Client", "go on?"));
    EXPECT_FALSE(platform::prompter().ask("Zentrope Client", "again?"));   // queue empty: No
    ASSERT_EQ(script.calls.size(), 3u);
    EXPECT_EQ(script.calls[0].kind, ScriptedPrompter::Kind::Warn);
    EXPECT_EQ(script.calls[0].text, "careful");
    EXPECT_EQ(script.calls[2].kind, ScriptedPrompter::Kind::Ask);
}
