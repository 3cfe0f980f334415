// The main window's life: creation, the single-instance rule, messages from
// other threads, the first idle moment, closing and destruction.
#include "shell/tform1.h"

#include <zentcore/application.h>
#include "shell/columnwidths.h"
#include "shell/nowizard.h"
#include "shell/installationspooler.h"
#include "shell/spoolercheck.h"
#include "shell/shellservices.h"

#include <zcodec/utilities.h>
#include <zentcore/clientlog.h>
#include <zentcore/jobscan.h>
#include <zplatform/prompter.h>
#include <zplatform/system.h>

#include <QCloseEvent>
#include <QMenu>
#include <QLabel>
#include <QSystemTrayIcon>
#include <QTableWidget>

#include <cerrno>

namespace zentclient {

namespace {

constexpr const char* kColumnWidthsValue = "Form1ListView";

}  // namespace

TForm1::TForm1(Seams seams, QWidget* parent) : QMainWindow(parent), seams_(seams) {
    if (!seams_.services) seams_.services = (ownServices_ = std::make_unique<QtShellServices>()).get();
    if (!seams_.wizard) seams_.wizard = (ownWizard_ = std::make_unique<NoWizard>()).get();
    if (!seams_.clock) seams_.clock = (ownClock_ = std::make_unique<zentcore::SystemClock>()).get();

    setObjectName("Form1");
    setWindowTitle("Zentrope Control Center");
    createControls();
    createMenus();
    createTrayIcon();

    endTimer_.setSingleShot(true);
    endTimer_.setInterval(0);
    connect(&endTimer_, &QTimer::timeout, this, [this] {
        exitRequested_ = true;
        close();
    });
    handle_ = platform::registerWindow([this](const platform::Message& m) { dispatch(m); });

    FormCreate();
    setWindowState(Qt::WindowMinimized);
    // The first idle moment: once the event loop runs.
    QTimer::singleShot(0, this, &TForm1::ApplicationEvents1Idle);
}

TForm1::~TForm1() { FormDestroy(); }

void TForm1::FormCreate() {
    JobQueue.ListChanged = false;

    // Single instance: the notification socket can be bound by one client
    // only; the hand-off finds the client by it.
    listener_ = std::make_unique<zentcore::JobListener>([this](const std::string& name) {
        {
            std::lock_guard lock(notifiedMutex_);
            notified_.push_back(name);
        }
        platform::postMessage(handle_, WM_NEWJOB, 0, 0);
    });
    if (!listener_->listening()) {
        const int error = listener_->bindError();
        listener_.reset();
        if (error == EADDRINUSE) {
            platform::prompter().warn(zentcore::kApplicationTitle, "Application already running!");
        } else {
            errno = error;
            encdec::GetErrorMessage(handle_, "SetProp FAILURE", -1);
        }
        EndAtFirstChance();
        return;
    }

    LoadColumnWidths(*ListView1, kColumnWidthsValue);
    widthsLoaded_ = true;
    PortCheckPending = true;
    TrayIconPending = true;

    const platform::SystemVersion version = platform::systemVersion();
    OsPlatform = unsigned(version.platformId);
    OsMajorVersion = unsigned(version.major);
    if ((OsPlatform != 1 && OsPlatform != 2) || OsMajorVersion < 4) {
        platform::prompter().warn(zentcore::kApplicationTitle, "O.S. not supported!");
        EndAtFirstChance();
    }

    zentcore::SettingsLoad load = zentcore::LoadClientSettings();
    settings_ = load.settings;
    // Only the NT family knows administrators; any other system makes every
    // user one.
    if (OsPlatform != 2) settings_.IsAdmin = true;
    applyMenuSwitches(load.switches);
    if (!load.mayGoOn) {
        EndAtFirstChance();
        return;
    }
    settingsLoaded_ = true;
    if (seams_.printSystem && seams_.printSystem->reachable()) {
        installation_ = std::make_unique<zentcore::PrinterInstallation>(
            *seams_.printSystem,
            zentcore::InstallationContext{settings_.AppDir, settings_.IsAdmin, OsPlatform, handle_});
        if (!seams_.spooler) seams_.spooler = (ownSpooler_ = std::make_unique<InstallationSpooler>(*installation_)).get();
    }
    pass_ = std::make_unique<zentcore::QueuePass>(JobQueue, *seams_.wizard, *seams_.clock, settings_, handle_);
    pass_->onNews = [this](const zentcore::JobNews& news) { notify(news); };
    NotificationsOn = zentcore::NotificationsEnabled();
    disableCloseButton();
    zentcore::ClientLog("started; working directory " + settings_.FirstTempDir);
}

void TForm1::FormDestroy() {
    endTimer_.stop();
    Timer1->stop();
    // No notification and no thread's message reaches a window being destroyed.
    listener_.reset();
    platform::unregisterWindow(handle_);
    // A job the server has taken is completed now, so it is never sent twice.
    if (pass_) pass_->finishTransmissions();
    pass_.reset();
    // In list order; each record waits for its threads. The files stay.
    while (!JobQueue.empty()) JobQueue.remove(&JobQueue.at(0));
    // A client that found another one running leaves that one's widths alone.
    if (widthsLoaded_) SaveColumnWidths(*ListView1, kColumnWidthsValue);
    if (settingsLoaded_) zentcore::ClientLog("ended");
}

zentcore::MenuSwitches TForm1::menuSwitches() const {
    return {Exit1->isEnabled(), Tools1->menuAction()->isEnabled()};
}

void TForm1::preferencesChanged(const zentcore::MenuSwitches& switches) {
    applyMenuSwitches(switches);
    platform::forceDirectories(settings_.FirstTempDir);
    platform::forceDirectories(settings_.UserSaveDir);
    RescanWorkDir();
    RefreshJobList();
}

void TForm1::applyMenuSwitches(const zentcore::MenuSwitches& switches) {
    Tools1->menuAction()->setEnabled(switches.toolsEnabled);
    Exit1->setEnabled(switches.exitEnabled);
    Exit2->setEnabled(Exit1->isEnabled());
}

void TForm1::disableCloseButton() {
    // The title bar can only minimise; the program ends through Exit.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint);
}

void TForm1::EndAtFirstChance() {
    ending_ = true;
    endedAtFirstChance_ = true;
    endTimer_.start();
}

void TForm1::dispatch(const platform::Message& message) {
    if (message.msg == platform::WM_APP) {
        RescanWorkDir();
    } else if (message.msg == WM_NEWJOB) {
        acceptPendingNotifications();
    }
}

void TForm1::acceptPendingNotifications() {
    for (;;) {
        std::string name;
        {
            std::lock_guard lock(notifiedMutex_);
            if (notified_.empty()) return;
            name = std::move(notified_.front());
            notified_.pop_front();
        }
        AcceptNotifiedJob(name);
    }
}

void TForm1::RescanWorkDir() {
    if (!settingsLoaded_ || ending_) return;
    const std::size_t before = JobQueue.size();
    zentcore::RescanWorkDir(JobQueue, settings_.FirstTempDir, seams_.wizard->currentJob());
    logQueued(before, "scan");
}

void TForm1::AcceptNotifiedJob(const std::string& dataFileName) {
    if (!settingsLoaded_ || ending_) return;
    const std::size_t before = JobQueue.size();
    zentcore::AcceptNotifiedJob(JobQueue, settings_.FirstTempDir, dataFileName, seams_.wizard->currentJob());
    logQueued(before, "notification");
    // A job printed while the window is out of sight is announced.
    if (!isVisible())
        for (std::size_t i = before; i < JobQueue.size(); ++i)
            notify(zentcore::NewsOf(zentcore::JobNews::Kind::AwaitsDecision, JobQueue.at(i)));
}

void TForm1::logQueued(std::size_t before, const char* how) {
    for (std::size_t i = before; i < JobQueue.size(); ++i)
        zentcore::ClientLog("queued " + JobQueue.at(i).BaseName + " by " + how);
}

void TForm1::ApplicationEvents1Idle() {
    if (ending_) return;
    if (PortCheckPending) {
        PortCheckPending = false;
        switch (RunPrinterCheck(seams_.spooler, settings_.IsAdmin, handle_)) {
        case PrinterCheckOutcome::Scan:
            RescanWorkDir();
            break;
        case PrinterCheckOutcome::NoScan:
            break;
        case PrinterCheckOutcome::End:
            EndAtFirstChance();
            return;
        }
    }
    if (TrayIconPending) {
        TrayIconPending = false;
        if (QSystemTrayIcon::isSystemTrayAvailable()) {
            TrayIcon1->show();
        } else {
            // Without a tray the window is the only way to the client (and to Exit).
            withoutTray_ = true;
            showNormal();
            TrayNote->setText("No system tray on this desktop: the client runs in this window");
            TrayNote->show();
        }
    }
    RefreshJobList();
    if (!startedUp_) {
        startedUp_ = true;
        emit startedUp();
    }
}

void TForm1::ApplicationEvents1Minimize() {
    // Only the tray icon remains; without a tray the window stays minimised.
    if (TrayIcon1->isVisible()) hide();
}

void TForm1::Restore1Click() {
    showNormal();
    raise();
    activateWindow();
}

void TForm1::Restore1DbClick() { Restore1Click(); }

void TForm1::Exit1Click() {
    exitRequested_ = true;
    close();
}

void TForm1::Exit2Click() { Exit1Click(); }

void TForm1::closeEvent(QCloseEvent* event) {
    if (!exitRequested_) {
        // Closing from the title bar only minimises.
        event->ignore();
        setWindowState(windowState() | Qt::WindowMinimized);
        return;
    }
    ending_ = true;
    event->accept();
    TrayIcon1->hide();
    if (closed_) return;
    closed_ = true;
    emit closed();
}

void TForm1::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && isMinimized())
        QTimer::singleShot(0, this, [this] {
            if (isMinimized()) ApplicationEvents1Minimize();
        });
}

}  // namespace zentclient
