// UserForm, the submission wizard: the window in which the user decides the
// fate of one queued job — send it to a printer now (GO), later, never, or
// into a local export file; look at the printer and the document first. The
// queue hands it a job (QueueWizard); it holds the job by reference only.
#pragma once

#include <zcodec/printerdata.h>
#include <zentcore/render.h>
#include <zentcore/htmlexport.h>
#include <zentcore/jobqueue.h>
#include <zentcore/printeraddress.h>
#include <zentcore/queuepass.h>
#include <zentcore/settings.h>
#include <zplatform/messaging.h>

#include <QWidget>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QAction;
class QCheckBox;
class QComboBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QTabWidget;

namespace zentclient {

class RenderRequester;
class TZoomForm;
class WizardServices;

// What the wizard works with: the main window's queue, settings and window.
struct WizardContext {
    zentcore::JobQueue& queue;
    const zentcore::ClientSettings& settings;
    QWidget* mainWindow = nullptr;   // owns the receipt pages
};

class TUserForm : public QWidget, public zentcore::QueueWizard {
    Q_OBJECT
public:
    // services: the dialogs; null takes the running program's.
    explicit TUserForm(WizardContext context, WizardServices* services = nullptr);
    ~TUserForm() override;

    // The queue's side.
    zentcore::TQueuedJob* currentJob() const override { return job_; }
    bool isVisible() const override { return QWidget::isVisible(); }
    void takeJob(zentcore::TQueuedJob& job) override;

    // Shows the window for job (or none) as Show prepares it.
    void showFor(zentcore::TQueuedJob* job);
    // Closes the window: the job reference is dropped, the list redrawn.
    void closeWizard();
    bool staysOnTop() const;
    // Tells whether the client is ending (Exit): an action that waited for
    // the server goes no further then. Unset: never.
    void setEndingCheck(std::function<bool()> ending) { endingCheck_ = std::move(ending); }
    // The processor runs for the e-mail or HTML page.
    bool rendering() const;
    // ZoomForm, the preview this wizard opens (created on first use).
    TZoomForm& previewWindow();
    static inline const char* kNoBordersQuestion =
        "Without selecting a specific printer, you can not see the page borders. Continue anyway ?";

    // Pages and the controls below them.
    QTabWidget* PageControl1 = nullptr;
    QWidget *TabSheetPrint = nullptr, *TabSheetEmail = nullptr, *TabSheetHtml = nullptr;
    QCheckBox* CheckBoxQA = nullptr;
    // Print page.
    QLabel* LabelPrTo = nullptr;
    QComboBox* ComboBox1 = nullptr;
    QPushButton *BitBtnPrInfo = nullptr, *BitBtnPreview = nullptr, *BitBtnDocInfo = nullptr, *BitBtnTitle = nullptr,
                *BitBtnHelp = nullptr, *BitBtnNext = nullptr, *BitBtnLater = nullptr, *BitBtnCancel = nullptr;
    // E-mail page.
    QComboBox* ComboBoxEx1 = nullptr;
    QPushButton *BitBtnGoE = nullptr, *BitBtnCancelE = nullptr, *BitBtnHelpE = nullptr, *BitBtnMore = nullptr;
    QCheckBox* CheckBoxPrAfter = nullptr;
    // HTML page.
    QLineEdit* EditFname = nullptr;
    QPushButton *ButtonOpnFile = nullptr, *BitBtnGoH = nullptr, *BitBtnCancelH = nullptr, *BitBtnHelpH = nullptr,
                *BitBtnMoreH = nullptr;
    QCheckBox* CheckBoxPrAfterH = nullptr;
    // Menus.
    QMenu* LaterPopupMenu = nullptr;      // six entries, the delay in minutes as data
    QMenu* PrInfoPopupMenu = nullptr;
    QAction *GetPrInfo = nullptr, *GetPrList = nullptr;

    // Image numbers of the address box.
    static constexpr int kImageAddress = 0;
    static constexpr int kImageLocalExport = 1;
    // The image number of an entry of the address box.
    int addressImage(int index) const;

    // Handlers.
    void BitBtnNextClick();      // GO on the print page
    void BitBtnGoEClick();
    void BitBtnGoHClick();
    void BitBtnLaterClick();
    void LaterItemClick(QAction* item);
    void BitBtnCancelClick();
    void BitBtnTitleClick();
    void BitBtnHelpClick();
    void BitBtnMoreClick();
    void BitBtnPreviewClick();
    void BitBtnPrInfoClick();
    void GetPrInfoClick();
    void GetPrListClick();
    void BitBtnDocInfoClick();
    void ButtonOpnFileClick();

protected:
    void closeEvent(QCloseEvent* event) override;
    // Any click or key inside the window is a user action; Enter presses
    // the default button.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Return or the keypad's Enter on a control of the window: presses the
    // focused button, or GO on the print page. True when it was taken.
    bool dialogKey(QObject* watched, const QKeyEvent& key);
    void createControls();
    void createPrintPage();
    void createEmailPage();
    void createHtmlPage();
    void createMenus();
    QPushButton* button(QWidget* page, const char* name, const char* caption, const char* hint = nullptr);

    // Show, step by step.
    void FormShow();
    void fillAddressBox();
    void showDefaultPage();
    void PageControl1Change(int index);
    void pageShown(int index);
    int pageNumber(int index) const;

    // The user acted: the window leaves the topmost band.
    void leaveTopmost();
    void saveDefaultPage(int page);
    // The trimmed selected address; nullopt (after "No selection!") when none.
    std::optional<std::string> selectedAddress();
    // Puts printer@server into the address box (printer picked from a list).
    void pickIntoAddressBox(const std::string& address);

    // Inside Communicate (and the dialogs an action opens) the event loop
    // runs, so the user can act meanwhile. While one action waits, the others
    // are refused: none may take the job away from it or ask the server again.
    class RunningAction {
    public:
        explicit RunningAction(TUserForm& form) : form_(form) { ++form_.runningActions_; }
        ~RunningAction() { --form_.runningActions_; }
        RunningAction(const RunningAction&) = delete;
        RunningAction& operator=(const RunningAction&) = delete;

    private:
        TUserForm& form_;
    };
    // Rendering for e-mail or HTML keeps the window disabled until it ends,
    // and counts as a running action meanwhile.
    bool actionRuns() const { return runningActions_ > 0 || rendering(); }
    // The user asked the client to end while an action waited.
    bool ending() const { return endingCheck_ && endingCheck_(); }

    // GO, its steps.
    void setGoControlsEnabled(bool enabled);
    void sendJob(const zentcore::PrinterAddress& address, const std::string& typed);
    // Whether the user passed the printer's authentication (or it needs none).
    bool authenticate(const zentcore::PrinterAddress& address, const encdec::StringList& printerLines,
                      std::int32_t session);
    void showReceipt();
    void localExport();

    // Printer queries: the details page of a printer list, with what the
    // server says of each printer; its modal result and picked printer.
    int showPrinterDetails(const encdec::StringList& names, const std::string& server, std::string& picked);
    std::string templatePath(const char* name) const;

    // Rendering for the e-mail and HTML pages.
    RenderRequester& renderer();
    // The processor, asking the user where it is when it is not known;
    // nullopt when the action stops.
    std::optional<std::string> resolveProcessor();
    // The request that renders the wizard's job into page images.
    zentcore::RenderRequest imageRequest(const std::string& processor, zentcore::ImageFormat format, int dpi,
                                         std::string pagePrefix) const;
    // HTML export: the file proposed to SaveDialogHtml, the export started
    // by GO, and its end.
    void proposeHtmlFile();
    void htmlImagesReady(const zentcore::TQueuedJob* job, const std::string& target,
                         zentcore::HtmlDisposition disposition);
    // E-mail: GO's images are ready; mail them or save them.
    void emailImagesReady(const zentcore::TQueuedJob* job, const std::string& prefix, const std::string& extension);

    WizardContext context_;
    std::unique_ptr<WizardServices> ownServices_;
    WizardServices* services_;
    platform::WindowHandle handle_ = 0;
    zentcore::TQueuedJob* job_ = nullptr;
    int startupQA_ = 0;
    bool closing_ = false;
    int runningActions_ = 0;
    std::function<bool()> endingCheck_;
    std::unique_ptr<RenderRequester> render_;
    std::unique_ptr<TZoomForm> zoom_;
    std::string htmlDialogFile_;   // SaveDialogHtml's file name
};

}  // namespace zentclient
