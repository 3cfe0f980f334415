// The prompter of the running program: message boxes with the captions and
// icons the flows ask for.
#pragma once

#include <zplatform/prompter.h>

namespace zentclient {

class QtPrompter : public platform::Prompter {
public:
    void warn(std::string_view caption, std::string_view text) override;
    void info(std::string_view caption, std::string_view text) override;
    void error(std::string_view caption, std::string_view text) override;
    bool ask(std::string_view caption, std::string_view text) override;
};

// Whether a person can see and answer a message box: false on the offscreen
// and minimal platforms, where a box would wait for ever.
bool CanShowMessageBoxes();

}  // namespace zentclient
