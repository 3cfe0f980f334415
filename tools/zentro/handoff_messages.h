// What the hand-off's results mean to the administrator of the print
// system: what went wrong and what to do.
#pragma once

#include <string>

namespace zentro {

struct HandOffFailure {
    std::string text;
    bool cancelsJob;   // false: the setup is at fault, the job may wait for a fix
};

// From the hand-off's error text and the errno it left.
HandOffFailure ExplainHandOffFailure(const std::string& errorText, int error);

// The note on a job handed off; note is the hand-off's text about telling
// the client (empty when it was told).
std::string HandedOffText(const std::string& user, const std::string& baseName, const std::string& note);

}  // namespace zentro
