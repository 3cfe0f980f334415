// zentctl: the command line of the print client.
#include "commands.h"

#include <cstring>
#include <iostream>
#include <string_view>

namespace zentctl {

namespace {

struct Command {
    std::string_view name;
    int (*run)(const Args&);
    std::string_view usage;
};

// Keep one line per subcommand; the usage text is printed as it stands.
constexpr Command commands[] = {
    {"reg", cmdReg, "reg get|set|delete|list HIVE KEY [NAME [VALUE]] [--dword]"},
    {"settings", cmdSettings, "settings"},
    {"pack", cmdPack, "pack --type N IN OUT      (N 0-5: transport type)"},
    {"unpack", cmdUnpack, "unpack --type N IN OUT    (N 0-5: transport type)"},
    {"submit", cmdSubmit, "submit FILE [--doc NAME] [--user NAME] [--pages N] [--copies N] [--papersize CODE] [--orientation TEXT] [--color N] [--width N] [--length N] [--quality N] [--scale N] [--media N]"},
    {"print", cmdPrint, "print FILE PRINTER@SERVER[:PORT] [--doc NAME] [--pages N] [--copies N] [--papersize CODE] [--color N] [--auth METHOD] [--yes]"},
    {"printer", cmdPrinter, "printer install|remove|remove-port|status   (the virtual printer \"Zentrope\" in CUPS; install and remove need an administrator)"},
    {"status", cmdStatus, "status PRINTER@SERVER[:PORT] JOBID   (what has become of a job sent earlier)"},
    {"archive", cmdArchive, "archive list [--sort COLUMN] | resubmit BASE... | delete BASE...   (the archive of delivered jobs)"},
    {"render", cmdRender, "render FILE.ps --pages N [--color 0|1] --format bmp|png|jpeg [--dpi N] --out PREFIX [--dry-run]   (page k goes to PREFIXk.ext)"},
    {"export-html", cmdExportHtml, "export-html FILE.ps TARGET.htm --pages N [--color 0|1] [--disposition 0|1|2] [--doc NAME]"},
    {"queue", cmdQueue, "queue [--dir DIR]         (the job list: Send column, ten columns, status)"},
#ifdef ZENTROPE_UPDATER
    {"update", cmdUpdate, "update [--ini FILE]       (synchronise the program's files with the FTP server of ftp.ini beside zentctl)"},
#endif
    {"send", cmdSend, "send COMMAND DATA ADDRESS [--transport N] [--session N] [--delay MS] [--answer-file F]   (in DATA, \\x04 or the byte 0x04 separates fields)"},
};

void printUsage(std::ostream& out) {
    out << "usage:\n";
    for (const auto& c : commands) out << "  zentctl " << c.usage << "\n";
    out << "HIVE is HKLM (machine) or HKCU (user).\n";
}

}  // namespace

int usageError(const std::string& message) {
    std::cerr << "zentctl: " << message << "\n";
    printUsage(std::cerr);
    return 2;
}

}  // namespace zentctl

int main(int argc, char** argv) {
    using namespace zentctl;
    if (argc < 2) return usageError("no command given");
    std::string_view name = argv[1];
    if (name == "--help" || name == "-h" || name == "help") {
        printUsage(std::cout);
        return 0;
    }
    Args args(argv + 2, argv + argc);
    for (const auto& c : commands) {
        if (c.name != name) continue;
        // Every command tells its own usage.
        if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
            std::cout << "usage: zentctl " << c.usage << "\n";
            return 0;
        }
        return c.run(args);
    }
    return usageError("unknown command '" + std::string(name) + "'");
}
