#include "client_env.h"

#include <zentcore/settings.h>
#include <zplatform/registry.h>

#include <QAction>
#include <QCoreApplication>
#include <QLabel>
#include <QMenu>
#include <QTableWidget>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>

namespace clienttest {

namespace fs = std::filesystem;

void spin(int milliseconds) {
    waitUntil([] { return false; }, milliseconds);
}

PostedAction::PostedAction(std::function<bool()> when, std::function<void()> action)
    : when_(std::move(when)), action_(std::move(action)), timer_(std::make_unique<QTimer>()) {
    QObject::connect(timer_.get(), &QTimer::timeout, [this] {
        if (ran || !when_()) return;
        ran = true;
        timer_->stop();
        action_();
    });
    timer_->start(5);
}

PostedAction::~PostedAction() = default;

ClientMachine::ClientMachine() : workDir(machine.dir().file("jobs")), saveDir(machine.dir().file("save")) {
    setMachineString("FirstTempDir", workDir);
    setMachineString("ClientSaveDir", saveDir);
    fs::create_directories(workDir);
}

void ClientMachine::setMachineString(const std::string& name, const std::string& value) {
    auto key = platform::RegKey::openOrCreate(platform::Hive::LocalMachine, zentcore::kClientKey);
    ASSERT_TRUE(key && key->writeString(name, value));
}

void ClientMachine::setMachineDword(const std::string& name, std::uint32_t value) {
    auto key = platform::RegKey::openOrCreate(platform::Hive::LocalMachine, zentcore::kClientKey);
    ASSERT_TRUE(key && key->writeDword(name, value));
}

void ClientMachine::setUserString(const std::string& name, const std::string& value) {
    auto key = platform::RegKey::openOrCreate(platform::Hive::CurrentUser, zentcore::kClientKey);
    ASSERT_TRUE(key && key->writeString(name, value));
}

std::string ClientMachine::userString(const std::string& name) const {
    auto key = platform::RegKey::openReadOnly(platform::Hive::CurrentUser, zentcore::kClientKey);
    return key ? key->readString(name) : std::string();
}

void ClientMachine::writeJob(const std::string& baseName, const std::string& description, const std::string& data) {
    fs::create_directories(workDir);
    testenv::writeFile(workDir + "/" + baseName + ".ztp", data);
    testenv::writeFile(workDir + "/" + baseName + ".txt", description);
}

std::vector<std::string> ClientMachine::workFiles() const {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(workDir, ec)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string ClientMachine::userSaveDir() const {
    auto load = zentcore::LoadClientSettings();
    return load.settings.UserSaveDir;
}

std::optional<std::string> RecordingServices::chooseExportFile(QWidget*) {
    if (chosenFiles.empty()) return std::nullopt;
    auto file = chosenFiles.front();
    chosenFiles.pop_front();
    return file;
}

void RecordingServices::showModal(QDialog& dialog) {
    modals.push_back(&dialog);
    if (duringModal) duringModal(dialog);
}

void RecordingServices::openDocument(const std::string& path) { opened.push_back(path); }

Client::Client(zentcore::QueueWizard* wizard, zentclient::Spooler* spooler) : wizard_(wizard), spooler_(spooler) {}

Client::~Client() {
    windows.reset();
    QCoreApplication::processEvents();
}

void Client::start() {
    zentclient::FormSeams seams;
    seams.services = &services;
    seams.wizard = wizard_;
    seams.spooler = spooler_;
    seams.printSystem = printSystem;
    seams.clock = useRealClock ? nullptr : &clock;
    windows = std::make_unique<zentclient::ClientWindows>(seams);
    QObject::connect(&form(), &zentclient::TForm1::startedUp, [this] { started = true; });
    QObject::connect(&form(), &zentclient::TForm1::closed, [this] { ++closedSignals; });
    waitUntil([this] { return started || form().ending(); });
}

std::vector<std::string> Client::row(int r) {
    std::vector<std::string> texts;
    QTableWidget* list = form().ListView1;
    for (int c = 0; c < list->columnCount(); ++c) {
        const QTableWidgetItem* item = list->item(r, c);
        texts.push_back(item ? item->text().toStdString() : std::string());
    }
    return texts;
}

int Client::rows() { return form().ListView1->rowCount(); }

std::string Client::status() { return form().StatusText->text().toStdString(); }

void Client::select(const std::string& baseName) {
    QTableWidget* list = form().ListView1;
    list->clearSelection();
    for (int r = 0; r < list->rowCount(); ++r) {
        auto* job = static_cast<zentcore::TQueuedJob*>(list->item(r, 0)->data(Qt::UserRole).value<void*>());
        if (job && job->BaseName == baseName) {
            list->selectRow(r);
            return;
        }
    }
    ADD_FAILURE() << "no row shows " << baseName;
}

void Client::click(QAction* action) {
    for (QObject* owner : action->associatedObjects())
        if (auto* menu = qobject_cast<QMenu*>(owner)) emit menu->aboutToShow();
    action->trigger();
}

}  // namespace clienttest
