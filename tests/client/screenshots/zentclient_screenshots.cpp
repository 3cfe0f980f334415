// Renders the client's windows into PNG files for the documentation: the main
// window with the jobs of the machine it is started on and its about window,
// then the road of the first job through the wizard to a print server: the
// print page, the server's printer list, the authentication dialog with its
// sign-in page, and the receipt; then a job with real pages on the wizard's
// e-mail and HTML pages, the busy window, and its preview fitted to the
// width with a printer's borders. Run by scripts/screenshots.sh, which
// prepares the machine, the display and the server.
//
//   zentclient_screenshots OUTPUT_DIR SERVER_ADDRESS
#include "auth/tselauth.h"
#include "render/tpreviewavi.h"
#include "render/tzoomform.h"
#include "htmlpage/thtmlpage.h"
#include "archive/tarchiform.h"
#include "prefs/tprefform.h"
#include "status/tstatusform.h"
#include "shell/taboutform.h"
#include "shell/windows.h"
#include "wizard/tuserform.h"
#include "wizard/wizardservices.h"

#include <zentcore/htmlpage.h>
#include <zentcore/queuedjob.h>
#include <zentcore/settings.h>
#include <zplatform/registry.h>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QTabWidget>
#include <QEventLoop>
#include <QMenu>
#include <QPixmap>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QRadioButton>
#include <QSystemTrayIcon>
#include <QToolTip>
#include <QScreen>
#include <QGuiApplication>
#include <QLabel>
#include <QPointer>
#include <QTableWidget>
#include <QThread>
#include <QTimer>
#include <QWebEngineView>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <iostream>

namespace {

void settle(int milliseconds) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (std::chrono::steady_clock::now() < end) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(10);
    }
}

bool waitFor(const std::function<bool()>& condition, int milliseconds) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= end) return false;
        settle(50);
    }
    return true;
}

bool save(QWidget& window, const QString& file) {
    window.raise();
    settle(300);
    if (window.grab().save(file, "PNG")) return true;
    std::cerr << "cannot write " << file.toStdString() << '\n';
    return false;
}

// Waits until the view has shown a page, then a little for it to paint.
void waitForPage(QWebEngineView& view) {
    QEventLoop loop;
    QObject::connect(&view, &QWebEngineView::loadFinished, &loop, &QEventLoop::quit);
    QTimer::singleShot(5000, &loop, &QEventLoop::quit);
    if (view.url().isEmpty() || view.page()->isLoading()) loop.exec();
    settle(700);
}

// Plays the user of the wizard's windows: each window is pictured and then
// answered by the step the caller set up.
class PictureServices : public zentclient::QtWizardServices {
public:
    std::function<int(QDialog&)> onModal;
    std::function<void(QDialog&)> onModeless;

    int showModal(QDialog& dialog) override { return onModal ? onModal(dialog) : 0; }
    void showModeless(QDialog& dialog) override {
        QtWizardServices::showModeless(dialog);
        if (onModeless) onModeless(dialog);
    }
};

class Pictures {
public:
    explicit Pictures(QString dir) : dir_(std::move(dir)) {}

    void window(QWidget& w, const char* name) { ok_ = save(w, dir_ + "/" + name) && ok_; }
    void page(QDialog& dialog, const char* name) {
        dialog.show();
        if (auto* view = dialog.findChild<QWebEngineView*>()) waitForPage(*view);
        window(dialog, name);
    }
    QString path(const char* name) const { return dir_ + "/" + name; }
    void fail(const char* what) {
        std::cerr << what << '\n';
        ok_ = false;
    }
    bool ok() const { return ok_; }

private:
    QString dir_;
    bool ok_ = true;
};

// The authentication dialog: the methods with the charge, then the sign-in
// page of the first method, signed in with the demo server's password.
int authenticate(zentclient::TSelAuth& auth, Pictures& pictures) {
    auth.show();
    settle(300);
    pictures.window(auth, "auth-methods.png");
    auth.BitBtnNextClick();
    if (!waitFor([&] { return auth.PageControl1->currentWidget() == auth.TabSheet2; }, 10000)) {
        pictures.fail("the sign-in page did not open");
        auth.reject();
        return auth.Result();
    }
    waitForPage(*auth.WebBrowser1);
    auth.WebBrowser1->page()->runJavaScript("user.value = 'anna'; password.value = 'demo';");
    pictures.window(auth, "auth-sign-in.png");
    auth.WebBrowser1->page()->runJavaScript("document.querySelector('input[type=submit]').click();");
    if (!waitFor([&] { return auth.Result() != 0; }, 15000)) {
        pictures.fail("the server did not take the sign-in");
        auth.reject();
    }
    return auth.Result();
}

// An application's print dialog with the print system's printers: the
// virtual printer must be among them, and is chosen.
void printDialog(Pictures& pictures) {
    if (!QPrinterInfo::availablePrinterNames().contains("Zentrope")) {
        pictures.fail("the print dialog does not offer Zentrope");
        return;
    }
    QPrinter printer(QPrinterInfo::printerInfo("Zentrope"));
    printer.setDocName("Quarterly report");
    QPrintDialog dialog(&printer);
    dialog.setWindowTitle("Print");
    dialog.show();
    settle(500);
    pictures.window(dialog, "print-dialog.png");
    dialog.reject();
}

// The rendering windows, with the job "Price list" the script handed off.
void renderingPictures(zentclient::TUserForm& wizard, zentcore::TQueuedJob& job, Pictures& pictures) {
    wizard.showFor(&job);
    wizard.PageControl1->setCurrentWidget(wizard.TabSheetEmail);
    pictures.window(wizard, "wizard-email-page.png");
    wizard.PageControl1->setCurrentWidget(wizard.TabSheetHtml);
    wizard.EditFname->setText("/home/anna/Documents/price-list.htm");
    pictures.window(wizard, "wizard-html-page.png");

    zentclient::TPreviewAvi busy(nullptr, QCoreApplication::applicationDirPath().toStdString());
    busy.setProgress("Page 3 of 12");
    busy.show();
    pictures.window(busy, "busy-window.png");
    busy.hide();

    // A4 with 5 mm margins all round, as a printer reports them.
    job.PageGeometry = {};
    job.PageGeometry.PaperWidth = 21000;
    job.PageGeometry.PaperHeight = 29700;
    job.PageGeometry.Margin = {500, 500, 500, 500};
    std::string workDir;
    if (auto key = platform::RegKey::openReadOnly(platform::Hive::LocalMachine, zentcore::kClientKey))
        workDir = key->readString("FirstTempDir");
    auto& preview = wizard.previewWindow();
    if (!preview.Prepare(job, workDir, {}, false)) {
        pictures.fail("the preview could not be prepared");
        return;
    }
    preview.resize(640, 720);
    preview.show();
    if (!waitFor([&] { return !preview.rendering() && !preview.page().isNull(); }, 20000)) {
        pictures.fail("the preview rendered nothing");
        preview.close();
        return;
    }
    preview.RadioButton4->click();
    pictures.window(preview, "preview-fit-width.png");
    preview.close();
    wizard.hide();
}

// The first job's delivery as the desktop tells it (where the screen has a
// tray: the script starts one), and the invoice, whose server is not there,
// waiting with its reason over its row.
void notificationsAndReasons(zentclient::TForm1& form, Pictures& pictures) {
    const std::string delivered = form.JobQueue.at(0).BaseName;
    auto queued = [&form](const std::string& base) {
        for (std::size_t i = 0; i < form.JobQueue.size(); ++i)
            if (form.JobQueue.at(i).BaseName == base) return &form.JobQueue.at(i);
        return static_cast<zentcore::TQueuedJob*>(nullptr);
    };
    const bool tray = QSystemTrayIcon::isSystemTrayAvailable();
    if (tray) form.TrayIcon1->show();
    if (!waitFor([&] { form.Timer1Timer(); return !queued(delivered); }, 15000)) pictures.fail("the job was not delivered");
    // The balloon deletes itself when it goes.
    QPointer<QWidget> balloon;
    waitFor([&] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->isVisible() && std::string(w->metaObject()->className()) == "QBalloonTip") balloon = w;
        return balloon != nullptr;
    }, 2000);
    if (balloon) pictures.window(*balloon, "notification-delivered.png");
    else std::cerr << "no tray on this screen: the notification is left out\n";

    // The upload to the slow server, a quarter of the way.
    const bool uploading = waitFor([&] {
        form.Timer1Timer();
        const std::string status = form.StatusText->text().toStdString();
        const auto percent = status.find(" % of");
        return status.rfind("Sending \"", 0) == 0 && percent != std::string::npos &&
               status.find("MB/s") != std::string::npos &&
               std::atoi(status.substr(status.rfind(' ', percent - 1) + 1).c_str()) >= 25;
    }, 30000);
    if (uploading) pictures.window(form, "main-window-upload.png");
    else pictures.fail("no upload showed its progress");

    // Once no upload runs, the invoice (whose server is not there) waits with its reason.
    zentcore::TQueuedJob* invoice = nullptr;
    waitFor([&] {
        form.Timer1Timer();
        invoice = nullptr;
        bool sending = false;
        for (std::size_t i = 0; i < form.JobQueue.size(); ++i) {
            zentcore::TQueuedJob& job = form.JobQueue.at(i);
            if (job.SessionId == 1001 && !job.WaitReason.empty()) invoice = &job;
            if (job.SendThread) sending = true;
        }
        return invoice != nullptr && !sending;
    }, 60000);
    if (!invoice) {
        pictures.fail("no job waits with a reason");
        return;
    }
    // The pass has handed the next job to the wizard meanwhile: out of the picture.
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w != &form && w->isVisible() && !w->inherits("QMenu")) w->hide();
    form.raise();
    form.activateWindow();
    settle(500);
    form.RefreshJobList();
    for (int r = 0; r < form.ListView1->rowCount(); ++r)
        if (form.ListView1->item(r, 1)->text().toStdString() == invoice->DocName) {
            form.ListView1->selectRow(r);
            const QRect cell = form.ListView1->visualItemRect(form.ListView1->item(r, 1));
            QToolTip::showText(form.ListView1->viewport()->mapToGlobal(cell.center()),
                               form.ListView1->item(r, 1)->toolTip(), form.ListView1);
        }
    settle(400);
    // The tooltip is a window of its own: the screen shows both.
    const QPixmap screen = QGuiApplication::primaryScreen()->grabWindow(0, form.x(), form.y(), form.width(),
                                                                        form.height());
    if (!screen.save(pictures.path("main-window-waiting-reason.png"), "PNG")) pictures.fail("cannot save the reason");
    QToolTip::hideText();
}

}  // namespace

int main(int argc, char** argv) {
    // The embedded browser of later windows shares its GL contexts; this must
    // be said before the application object exists.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    if (argc != 3) {
        std::cerr << "usage: zentclient_screenshots OUTPUT_DIR SERVER_ADDRESS\n";
        return 2;
    }
    Pictures pictures(QString::fromLocal8Bit(argv[1]));
    const std::string server = argv[2];

    PictureServices services;
    zentclient::ClientWindows windows({}, &services);
    zentclient::TForm1& form = windows.form1();
    // No pass runs: the picture shows the jobs as they were handed off.
    form.Timer1->stop();
    settle(300);
    if (form.ending() || form.JobQueue.empty()) {
        std::cerr << "the client did not start with jobs on this machine\n";
        return 1;
    }
    // One job postponed by the user and one on its way, as in daily use.
    if (form.JobQueue.size() > 1) {
        form.ListView1->selectRow(1);
        emit form.File1->aboutToShow();
        form.Sendlater1->trigger();
    }
    if (form.JobQueue.size() > 3) form.JobQueue.at(3).Busy = true;
    form.JobQueue.ListChanged = true;
    form.RefreshJobList();
    form.ListView1->selectRow(0);

    form.showNormal();
    form.resize(1180, 300);
    pictures.window(form, "main-window.png");

    auto& about = *zentclient::AboutForm;
    about.show();
    pictures.window(about, "about-window.png");
    about.hide();

    // The preferences after the administrator's login, with the proposed
    // defaults.
    auto& preferences = *zentclient::PrefForm;
    preferences.show();
    preferences.BitBtnLogin->click();
    preferences.BitBtnDefault->click();
    settle(200);
    pictures.window(preferences, "preferences.png");
    preferences.hide();

    // The first job as the queue hands it to the wizard.
    auto& wizard = windows.userForm();
    wizard.showFor(&form.JobQueue.at(0));
    pictures.window(wizard, "wizard-print-page.png");

    // The server's printer list, then its details view, where the user picks
    // the first printer.
    wizard.ComboBox1->setEditText(QString::fromStdString(server));
    services.onModal = [&](QDialog& dialog) {
        auto& list = dynamic_cast<zentclient::THTMLPage&>(dialog);
        if (list.windowTitle().contains("details")) {
            pictures.page(list, "printer-details.png");
            list.PickedPrinter = list.PrinterList->front().Name;
            return zentcore::kModalPrinterPicked;
        }
        pictures.page(list, "printer-list.png");
        return zentcore::kModalMoreData;
    };
    wizard.GetPrListClick();
    pictures.window(wizard, "wizard-printer-picked.png");

    // GO: the printer check, the session, the authentication, the receipt,
    // and the job leaves.
    services.onModal = [&](QDialog& dialog) {
        return authenticate(dynamic_cast<zentclient::TSelAuth&>(dialog), pictures);
    };
    services.onModeless = [&](QDialog& receipt) { pictures.page(receipt, "receipt.png"); };
    wizard.BitBtnNextClick();
    if (wizard.isVisible()) pictures.fail("the job was not sent");
    if (form.JobQueue.at(0).SessionId == 0) pictures.fail("the job has no session");
    form.JobQueue.ListChanged = true;
    form.RefreshJobList();
    pictures.window(form, "main-window-sending.png");
    notificationsAndReasons(form, pictures);

    // The archive of jobs delivered earlier, and what became of one of them.
    auto& archive = *zentclient::ArchiForm;
    archive.Open();
    archive.resize(1180, 260);
    archive.ListView1->selectRow(0);
    settle(200);
    pictures.window(archive, "archive.png");
    archive.BitBtnStatusClick();
    settle(300);
    pictures.window(*zentclient::StatusForm, "job-status.png");
    zentclient::StatusForm->hide();
    archive.close();

    // What any application shows when its user prints: the print dialog,
    // offering the virtual printer (when the script started a print system).
    if (std::getenv("ZENTROPE_PICTURE_PRINT_DIALOG")) printDialog(pictures);

    for (std::size_t i = 0; i < form.JobQueue.size(); ++i)
        if (form.JobQueue.at(i).DocName == "Price list") renderingPictures(windows.userForm(), form.JobQueue.at(i), pictures);

    // Leave the made-up busy mark off again: destroying the window waits
    // only for what really runs.
    if (form.JobQueue.size() > 3) form.JobQueue.at(3).Busy = false;
    return pictures.ok() ? 0 : 1;
}
