#include "wizard_env.h"

#include "sample_jobs.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDialog>
#include <QLineEdit>

#include <gtest/gtest.h>

namespace clienttest {

std::optional<std::string> ScriptedWizardServices::inputBox(QWidget*, const std::string& caption,
                                                            const std::string& prompt, const std::string& text) {
    inputCalls.push_back({caption, prompt, text});
    if (inputs.empty()) return std::nullopt;
    auto answer = inputs.front();
    inputs.pop_front();
    return answer;
}

std::optional<std::string> ScriptedWizardServices::chooseExportFile(QWidget*) {
    if (exportFiles.empty()) return std::nullopt;
    auto file = exportFiles.front();
    exportFiles.pop_front();
    return file;
}

std::optional<std::string> ScriptedWizardServices::chooseHtmlFile(QWidget*, const std::string& proposed) {
    htmlProposals.push_back(proposed);
    if (htmlFiles.empty()) return std::nullopt;
    auto file = htmlFiles.front();
    htmlFiles.pop_front();
    return file;
}

std::optional<std::string> ScriptedWizardServices::locateProcessor(QWidget*, const std::string&) {
    ++locatorCalls;
    if (processors.empty()) return std::nullopt;
    auto path = processors.front();
    processors.pop_front();
    return path;
}

int ScriptedWizardServices::showModal(QDialog& dialog) {
    modalTitles.push_back(dialog.windowTitle());
    return onModal ? onModal(dialog) : 0;
}

void ScriptedWizardServices::showModeless(QDialog& dialog) {
    modelessTitles.push_back(dialog.windowTitle());
    if (onModeless) onModeless(dialog);
}

void ScriptedWizardServices::popup(QMenu& menu, const QPoint& at) {
    popups.push_back(&menu);
    popupPoints.push_back(at);
}

void ScriptedWizardServices::openDocument(const std::string& path) { opened.push_back(path); }

WizardClient::WizardClient(ClientMachine&) {
    zentclient::FormSeams seams;
    seams.services = &shellServices;
    windows = std::make_unique<zentclient::ClientWindows>(seams, &services);
    bool started = false;
    QObject::connect(&form(), &zentclient::TForm1::startedUp, [&started] { started = true; });
    EXPECT_TRUE(waitUntil([&] { return started || form().ending(); }));
    form().Timer1->stop();
}

WizardClient::~WizardClient() {
    windows.reset();
    QCoreApplication::processEvents();
}

zentcore::TQueuedJob* WizardClient::pass() {
    form().Timer1Timer();
    return wizard().currentJob();
}

void WizardClient::type(const std::string& address) {
    QComboBox* box = wizard().ComboBox1;
    EXPECT_TRUE(box->isEditable());
    box->setEditText(QString::fromStdString(address));
}

std::vector<std::string> WizardClient::messages() const {
    std::vector<std::string> texts;
    for (const auto& call : prompter.calls) {
        const char* kind = call.kind == platform::ScriptedPrompter::Kind::Warn   ? "W:"
                           : call.kind == platform::ScriptedPrompter::Kind::Info ? "I:"
                           : call.kind == platform::ScriptedPrompter::Kind::Error ? "E:"
                                                                                  : "Q:";
        EXPECT_EQ(call.caption, "Zentrope Client") << call.text;
        texts.push_back(kind + call.text);
    }
    return texts;
}

std::string JobDescription(const std::string& docName, int pages, int copies, int papersize, int color) {
    return testenv::JobText{
        .DocName = docName, .Pages = pages, .Copies = copies, .Papersize = papersize, .Color = color}
        .text();
}

}  // namespace clienttest
