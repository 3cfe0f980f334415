#include "handoff_messages.h"

#include <zplatform/registry.h>
#include <zplatform/system.h>

namespace zentro {

namespace {

const char* const kSettingsKey = "'SOFTWARE\\ORLO Vestra\\Zentrope Client'";

std::string settingsFile() { return platform::hiveFile(platform::Hive::LocalMachine); }

}  // namespace

HandOffFailure ExplainHandOffFailure(const std::string& errorText, int error) {
    if (errorText.rfind("TRegistry->", 0) == 0)
        return {"no working directory is set in the machine settings " + settingsFile() +
                    ": set one with zentctl reg set HKLM " + kSettingsKey +
                    " FirstTempDir /var/spool/zentrope (a directory of mode 1777 when several users print)",
                false};
    if (errorText == "Failed to write-open ZTP file!")
        return {"cannot create a job file in the working directory (FirstTempDir in " + settingsFile() +
                    "): " + platform::errorText(error) + "; create the directory or correct the setting",
                false};
    if (errorText.empty())
        return {"every job number from 1 to 999 is taken in the working directory: send or delete jobs in the "
                "client, or remove old ztp_* files",
                false};
    if (errorText == "No job description given" || errorText == "Failed to read-open file")
        return {"the spooled print data could not be handed on (" + errorText + ")", true};
    // The directory check and write errors say what they are.
    return {errorText, false};
}

std::string HandedOffText(const std::string& user, const std::string& baseName, const std::string& note) {
    std::string text = "job " + baseName + " handed to " + user;
    if (note == "EnumWindows() failed") text += "; no client of " + user + " runs: it takes the job at its next start";
    else if (!note.empty()) text += "; the client could not be told (" + note + "): it takes the job at its next scan";
    return text;
}

}  // namespace zentro
