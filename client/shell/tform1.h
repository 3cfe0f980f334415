// Form1, the main window "Zentrope Control Center": the queue of captured
// print jobs, the one-second timer that moves them on, the menus through which
// the user reaches every other window, and the tray icon. It is also where the
// hand-off's notifications arrive, and what makes the client the only one.
#pragma once

#include "shell/imagelist.h"

#include <zentcore/jobnews.h>
#include <zentcore/jobqueue.h>
#include <zentcore/joblistener.h>
#include <zentcore/printerinstall.h>
#include <zentcore/queuepass.h>
#include <zentcore/settings.h>
#include <zentcore/uploadprogress.h>
#include <zplatform/messaging.h>

#include <QMainWindow>
#include <orloqt/exttrayicon.h>
#include <QTimer>

#include <deque>
#include <memory>
#include <mutex>
#include <string>

class QAction;
class QLabel;
class QMenu;
class QStatusBar;
class QTableWidget;

namespace zentclient {

class ShellServices;
class Spooler;

// The tray icon's tooltip while nothing is being sent.
inline constexpr const char* kTrayToolTip = "Zentrope Control Center";

// The message the hand-off's notification arrives as.
inline constexpr unsigned WM_NEWJOB = platform::WM_APP + 2;

// What the main window works with; null members take the running program's
// own (Qt dialogs, no wizard yet, the system clock). The print system is the
// program's to give (main gives CUPS); without one the printer commands say
// so and, unless a spooler is given, the start-up check is skipped. The
// spooler defaults to the printer installation over the print system.
struct FormSeams {
    ShellServices* services = nullptr;
    zentcore::PrintSystem* printSystem = nullptr;
    Spooler* spooler = nullptr;
    zentcore::QueueWizard* wizard = nullptr;
    const zentcore::Clock* clock = nullptr;
};

class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    using Seams = FormSeams;

    explicit TForm1(Seams seams = {}, QWidget* parent = nullptr);
    ~TForm1() override;

    // Controls.
    QTableWidget* ListView1 = nullptr;
    QStatusBar* StatusBar1 = nullptr;
    QLabel* StatusText = nullptr;   // the status bar's one text panel
    QLabel* TrayNote = nullptr;     // says so where the client runs without a tray icon
    QTimer* Timer1 = nullptr;
    orloqt::TExtTrayIcon* TrayIcon1 = nullptr;
    ImageList ImageList1;

    // Menus and their items.
    QMenu *File1 = nullptr, *Edit1 = nullptr, *View1 = nullptr, *Tools1 = nullptr, *Help1 = nullptr;
    QMenu* TrayPopupMenu = nullptr;
    QAction *Addnewjob1 = nullptr, *Getjobinfo1 = nullptr, *Sendnow1 = nullptr, *Sendlater1 = nullptr,
            *Cancel1 = nullptr, *Exit1 = nullptr;
    QAction* Preferences1 = nullptr;
    QAction* Archive3 = nullptr;
    QAction* Archive = nullptr;   // the action of the same caption, bound to no menu item
    QAction *getNewerVersion1 = nullptr, *AddPortMonitor1 = nullptr, *RemovePortMonitor1 = nullptr,
            *AddPrinter1 = nullptr, *RemovePrinter1 = nullptr;
    QAction *Help2 = nullptr, *About1 = nullptr;
    QAction *Restore1 = nullptr, *Exit2 = nullptr;

    // The queue (its ListChanged is the window's redraw mark).
    zentcore::JobQueue JobQueue;
    bool TrayIconPending = false;
    bool PortCheckPending = false;
    unsigned OsPlatform = 0;
    unsigned OsMajorVersion = 0;

    const zentcore::ClientSettings& settings() const { return settings_; }
    // The preferences editor changes the record in place.
    zentcore::ClientSettings& editableSettings() { return settings_; }
    // Exit_En and Tools_En as the menus show them.
    zentcore::MenuSwitches menuSwitches() const;
    // After the preferences editor saved: the menus take the switches, the
    // directories are made as at start-up, and the working directory is
    // scanned again.
    void preferencesChanged(const zentcore::MenuSwitches& switches);
    platform::WindowHandle handle() const { return handle_; }
    // The job of the selected row, if it is still queued.
    zentcore::TQueuedJob* selectedJob() const;
    // The per-user switch of the notifications (value "Notifications" of the
    // user key; absent: on).
    bool NotificationsOn = true;
    // Whether the client runs without a tray icon (none on this desktop).
    bool withoutTray() const { return withoutTray_; }
    // Whether the window is closing or about to (Exit, EndAtFirstChance).
    bool ending() const { return ending_; }
    // Whether the end came through EndAtFirstChance (a failed start).
    bool endedAtFirstChance() const { return endedAtFirstChance_; }

public slots:
    void Timer1Timer();
    void RefreshJobList();
    void RescanWorkDir();
    void AcceptNotifiedJob(const std::string& dataFileName);

    void AddNewJobExecute();
    void GetJobInfoExecute();
    void Sendnow1Click();
    void Sendlater1Click();
    void Cancel1Click();
    void Exit1Click();
    void PreferencesClick();
    void Archive3Click();
    void FTPActionExecute();
    void AddPortMonActionExecute();
    void DelPortMonActionExecute();
    void AddPrinterExecute();
    void RemovePrinter1Click();
    void Help2Click();
    void About1Click();
    void Restore1Click();
    void Restore1DbClick();
    void Exit2Click();

    void ApplicationEvents1Idle();
    void ApplicationEvents1Minimize();
    // Ends the program as soon as its event loop runs; never from inside
    // window creation.
    void EndAtFirstChance();

signals:
    // The first idle moment is over: tray icon shown, jobs scanned.
    void startedUp();
    // The window has closed for good (Exit, EndAtFirstChance); the program ends.
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void createControls();
    void createMenus();
    void createTrayIcon();
    void FormCreate();
    void FormDestroy();
    void applyMenuSwitches(const zentcore::MenuSwitches& switches);
    void disableCloseButton();
    void dispatch(const platform::Message& message);
    void menuUpdate(QMenu* menu);
    void acceptPendingNotifications();

    // Runs a printer command of the installation, or says there is none.
    void withInstallation(void (zentcore::PrinterInstallation::*command)());
    void logQueued(std::size_t before, const char* how);
    // Feedback: a balloon for news of a job, the upload's progress, and the
    // status bar's text (the upload, else the selected job's reason to wait,
    // else the list's count).
    void notify(const zentcore::JobNews& news);
    void showUploadProgress();
    void updateStatusText();

    Seams seams_;
    std::unique_ptr<ShellServices> ownServices_;
    std::unique_ptr<zentcore::QueueWizard> ownWizard_;
    std::unique_ptr<zentcore::Clock> ownClock_;
    std::unique_ptr<zentcore::PrinterInstallation> installation_;
    std::unique_ptr<Spooler> ownSpooler_;

    zentcore::ClientSettings settings_;
    bool settingsLoaded_ = false;
    bool widthsLoaded_ = false;
    bool ending_ = false;
    bool endedAtFirstChance_ = false;
    bool exitRequested_ = false;
    bool startedUp_ = false;
    bool closed_ = false;
    bool withoutTray_ = false;
    std::string listStatus_;
    std::string progress_;
    zentcore::UploadMeter uploadMeter_;
    QTimer endTimer_;

    platform::WindowHandle handle_ = 0;
    std::unique_ptr<zentcore::QueuePass> pass_;
    std::unique_ptr<zentcore::JobListener> listener_;
    // Names announced by the hand-off, waiting for the user-interface thread.
    std::mutex notifiedMutex_;
    std::deque<std::string> notified_;
};

}  // namespace zentclient
