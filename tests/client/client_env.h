// What the window tests share: a brand-new machine with the client's
// directories, a client started on it with scripted seams, and waiting while
// the event loop runs.
#pragma once

#include "queue_doubles.h"
#include "test_env.h"
#include "wait.h"

#include "shell/shellservices.h"
#include "shell/spooler.h"
#include "shell/windows.h"

#include <zentcore/printsystem.h>
#include <zentcore/queuepass.h>
#include <zplatform/prompter.h>

class QTimer;

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace clienttest {

// The window tests' waits run the event loop (test_main installs the step).
using testenv::waitUntil;
// Runs the event loop for a while.
void spin(int milliseconds);

// Runs an action once, from inside the event loop, as soon as when() holds:
// the way a user acts while a window waits with the loop running (inside
// Communicate, say). Looked at every few milliseconds while the loop runs.
class PostedAction {
public:
    PostedAction(std::function<bool()> when, std::function<void()> action);
    ~PostedAction();
    PostedAction(const PostedAction&) = delete;
    PostedAction& operator=(const PostedAction&) = delete;
    bool ran = false;

private:
    std::function<bool()> when_;
    std::function<void()> action_;
    std::unique_ptr<QTimer> timer_;
};

// A machine whose settings name a private working and save directory.
class ClientMachine {
public:
    ClientMachine();
    void setMachineString(const std::string& name, const std::string& value);
    void setMachineDword(const std::string& name, std::uint32_t value);
    void setUserString(const std::string& name, const std::string& value);
    std::string userString(const std::string& name) const;
    // Writes <base>.txt and <base>.ztp into the working directory.
    void writeJob(const std::string& baseName, const std::string& description, const std::string& data = "%!PS\n");
    // Names of the files in the working directory, sorted.
    std::vector<std::string> workFiles() const;
    std::string userSaveDir() const;

    testenv::IsolatedMachine machine;
    const std::string workDir;
    const std::string saveDir;
};

class RecordingServices : public zentclient::ShellServices {
public:
    std::optional<std::string> chooseExportFile(QWidget* owner) override;
    void showModal(QDialog& dialog) override;
    void openDocument(const std::string& path) override;

    std::deque<std::optional<std::string>> chosenFiles;   // answers of the file dialog (cancel once empty)
    std::vector<QDialog*> modals;
    // Runs inside showModal, while the dialog still exists (one made for the call).
    std::function<void(QDialog&)> duringModal;
    std::vector<std::string> opened;
};

// A client with its windows on the machine, a scripted prompter and recorded
// dialogs. start() creates the windows and runs the loop until the first idle
// moment is over (or the client ended).
class Client {
public:
    explicit Client(zentcore::QueueWizard* wizard = nullptr, zentclient::Spooler* spooler = nullptr);
    ~Client();
    void start();
    zentclient::TForm1& form() { return windows->form1(); }
    // The texts of one row of ListView1, "Send" first.
    std::vector<std::string> row(int r);
    int rows();
    std::string status();
    // Selects the row showing the job with this base name.
    void select(const std::string& baseName);
    // Triggers a menu item as a click would: its menu is opened first.
    void click(QAction* action);

    platform::ScriptedPrompter prompter;
    RecordingServices services;
    testenv::ManualClock clock{1714604400};   // 2024-05-01 23:00:00 UTC
    std::unique_ptr<zentclient::ClientWindows> windows;
    bool useRealClock = false;   // set before start()
    zentcore::PrintSystem* printSystem = nullptr;   // set before start(); none skips the printer check
    int closedSignals = 0;
    bool started = false;

private:
    platform::ScopedPrompter scopedPrompter_{prompter};
    zentcore::QueueWizard* wizard_;
    zentclient::Spooler* spooler_;
};

}  // namespace clienttest
