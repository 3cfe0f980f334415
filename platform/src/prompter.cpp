#include <zplatform/prompter.h>

#include <unistd.h>

#include <iostream>
#include <string>

namespace platform {

namespace {

ConsolePrompter& consolePrompter() {
    static ConsolePrompter console;
    return console;
}

Prompter* current = nullptr;

void print(std::string_view label, std::string_view caption, std::string_view text) {
    std::cerr << label << " [" << caption << "] " << text << std::endl;
}

}  // namespace

Prompter& prompter() { return current ? *current : consolePrompter(); }

void setPrompter(Prompter* p) { current = p; }

void ConsolePrompter::warn(std::string_view caption, std::string_view text) { print("warning:", caption, text); }
void ConsolePrompter::info(std::string_view caption, std::string_view text) { print("info:", caption, text); }
void ConsolePrompter::error(std::string_view caption, std::string_view text) { print("error:", caption, text); }

bool ConsolePrompter::ask(std::string_view caption, std::string_view text) {
    print("question:", caption, text);
    if (!isatty(STDIN_FILENO)) {
        std::cerr << "(no terminal: answered No)" << std::endl;
        return false;
    }
    std::cerr << "[y/N] " << std::flush;
    std::string line;
    std::getline(std::cin, line);
    return !line.empty() && (line[0] == 'y' || line[0] == 'Y');
}

void ScriptedPrompter::warn(std::string_view caption, std::string_view text) {
    calls.push_back({Kind::Warn, std::string(caption), std::string(text)});
}
void ScriptedPrompter::info(std::string_view caption, std::string_view text) {
    calls.push_back({Kind::Info, std::string(caption), std::string(text)});
}
void ScriptedPrompter::error(std::string_view caption, std::string_view text) {
    calls.push_back({Kind::Error, std::string(caption), std::string(text)});
}
bool ScriptedPrompter::ask(std::string_view caption, std::string_view text) {
    calls.push_back({Kind::Ask, std::string(caption), std::string(text)});
    if (answers.empty()) return false;
    bool yes = answers.front();
    answers.pop_front();
    return yes;
}

ScopedPrompter::ScopedPrompter(Prompter& p) : previous_(current) { current = &p; }
ScopedPrompter::~ScopedPrompter() { current = previous_; }

}  // namespace platform
