// The one seam through which every message box, question and modal dialog of
// a flow is shown, so every flow also runs in a test without a human.
#pragma once

#include <deque>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

class Prompter {
public:
    virtual ~Prompter() = default;
    // Exclamation icon: refusals and user-facing failures.
    virtual void warn(std::string_view caption, std::string_view text) = 0;
    // Information icon.
    virtual void info(std::string_view caption, std::string_view text) = 0;
    // Error (stop) icon: failed platform calls.
    virtual void error(std::string_view caption, std::string_view text) = 0;
    // Question icon with Yes and No; true only for Yes.
    virtual bool ask(std::string_view caption, std::string_view text) = 0;
};

// The process-wide prompter. Defaults to a ConsolePrompter; the client
// installs its Qt one and tests install a ScriptedPrompter. Not owned.
Prompter& prompter();
void setPrompter(Prompter* p);   // nullptr restores the console prompter

// Writes every message to stderr; questions read y/n from stdin when it is a
// terminal and answer No otherwise.
class ConsolePrompter : public Prompter {
public:
    void warn(std::string_view caption, std::string_view text) override;
    void info(std::string_view caption, std::string_view text) override;
    void error(std::string_view caption, std::string_view text) override;
    bool ask(std::string_view caption, std::string_view text) override;
};

// Records every call and answers questions from a queue (No once it is empty).
class ScriptedPrompter : public Prompter {
public:
    enum class Kind { Warn, Info, Error, Ask };
    struct Call {
        Kind kind;
        std::string caption;
        std::string text;
    };

    void warn(std::string_view caption, std::string_view text) override;
    void info(std::string_view caption, std::string_view text) override;
    void error(std::string_view caption, std::string_view text) override;
    bool ask(std::string_view caption, std::string_view text) override;

    void answer(bool yes) { answers.push_back(yes); }
    std::deque<bool> answers;
    std::vector<Call> calls;
};

// Installs a prompter for the lifetime of the guard (tests).
class ScopedPrompter {
public:
    explicit ScopedPrompter(Prompter& p);
    ~ScopedPrompter();
    ScopedPrompter(const ScopedPrompter&) = delete;
    ScopedPrompter& operator=(const ScopedPrompter&) = delete;

private:
    Prompter* previous_;
};

}  // namespace platform
