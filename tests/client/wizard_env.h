// What the wizard tests share: a client whose queue hands its jobs to the
// real wizard, with scripted messages and dialogs, on a machine of its own.
#pragma once

#include "client_env.h"

#include "wizard/tuserform.h"
#include "wizard/wizardservices.h"

#include <zentcore/queuedjob.h>
#include <zplatform/prompter.h>

#include <QString>

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace clienttest {

class ScriptedWizardServices : public zentclient::WizardServices {
public:
    struct InputCall {
        std::string caption, prompt, text;
    };

    std::optional<std::string> inputBox(QWidget* owner, const std::string& caption, const std::string& prompt,
                                        const std::string& text) override;
    std::optional<std::string> chooseExportFile(QWidget* owner) override;
    std::optional<std::string> chooseHtmlFile(QWidget* owner, const std::string& proposed) override;
    std::string documentsFolder() override { return documents; }
    std::optional<std::string> locateProcessor(QWidget* owner, const std::string& appDir) override;
    int showModal(QDialog& dialog) override;
    void showModeless(QDialog& dialog) override;
    void popup(QMenu& menu, const QPoint& at) override;
    void openDocument(const std::string& path) override;
    void beep() override { ++beeps; }

    std::deque<std::optional<std::string>> inputs;        // answers of the input box (cancel once empty)
    std::vector<InputCall> inputCalls;
    std::deque<std::optional<std::string>> exportFiles;   // answers of SaveDialog1 (cancel once empty)
    std::deque<std::optional<std::string>> htmlFiles;     // answers of SaveDialogHtml (cancel once empty)
    std::vector<std::string> htmlProposals;               // the file each of its calls proposed
    std::string documents;                                // the documents folder
    std::deque<std::optional<std::string>> processors;    // answers of FindPsProg (closed once empty)
    int locatorCalls = 0;
    // Plays the user of a modal window; closed with 0 when unset.
    std::function<int(QDialog&)> onModal;
    std::vector<QString> modalTitles;
    std::vector<QString> modelessTitles;
    std::function<void(QDialog&)> onModeless;   // looks at a window shown without waiting
    std::vector<QMenu*> popups;
    std::vector<QPoint> popupPoints;
    std::vector<std::string> opened;
    int beeps = 0;
};

// A started client (timer stopped: tests run the passes) with its wizard.
class WizardClient {
public:
    explicit WizardClient(ClientMachine& machine);
    ~WizardClient();

    zentclient::TForm1& form() { return windows->form1(); }
    zentclient::TUserForm& wizard() { return windows->userForm(); }
    // One pass of the queue; returns the job the wizard then holds.
    zentcore::TQueuedJob* pass();
    // Types an address into the (editable) address box.
    void type(const std::string& address);
    // The messages shown so far, as "W:text", "I:text", "E:text", "Q:text".
    std::vector<std::string> messages() const;

    platform::ScriptedPrompter prompter;
    RecordingServices shellServices;
    ScriptedWizardServices services;
    std::unique_ptr<zentclient::ClientWindows> windows;

private:
    platform::ScopedPrompter scopedPrompter_{prompter};
};

// A job description as the hand-off writes it.
std::string JobDescription(const std::string& docName, int pages, int copies, int papersize = 9, int color = 0);

}  // namespace clienttest
