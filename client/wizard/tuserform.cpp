// The wizard's window: its controls, showing it for a job, the topmost rule,
// the default page, and closing it.
#include "wizard/tuserform.h"

#include "wizard/wizardservices.h"

#include "render/renderrequester.h"
#include "render/tzoomform.h"

#include <zentcore/clientlog.h>
#include <zentcore/settings.h>
#include <zplatform/registry.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QStyle>
#include <QTabWidget>
#include <QVBoxLayout>
#include <QWindow>

namespace zentclient {

namespace {

struct LaterEntry {
    const char* caption;
    int minutes;
};
constexpr LaterEntry kLaterEntries[] = {{"After 5 minutes", 5},  {"After 10 minutes", 10}, {"After 20 minutes", 20},
                                        {"After 1 hour", 60},    {"After 2 hours", 120},   {"Tomorrow", 1440}};

QString qs(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

TUserForm::TUserForm(WizardContext context, WizardServices* services)
    : QWidget(nullptr), context_(context), services_(services) {
    if (!services_) services_ = (ownServices_ = std::make_unique<QtWizardServices>()).get();
    setObjectName("UserForm");
    // No Close in the title bar: the job's fate is decided with the buttons.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowMinimizeButtonHint);
    createControls();
    createMenus();
    // Requests of the wizard name it as their owner; their end needs no action.
    handle_ = platform::registerWindow([](const platform::Message&) {});
}

TUserForm::~TUserForm() {
    // A rendering still running ends with its processor, before the window goes.
    render_.reset();
    zoom_.reset();
    platform::unregisterWindow(handle_);
}

QPushButton* TUserForm::button(QWidget* page, const char* name, const char* caption, const char* hint) {
    auto* b = new QPushButton(QString::fromUtf8(caption), page);
    b->setObjectName(name);
    if (hint) b->setToolTip(QString::fromUtf8(hint));
    return b;
}

void TUserForm::createControls() {
    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName("PageControl1");
    createPrintPage();
    createEmailPage();
    createHtmlPage();
    PageControl1->addTab(TabSheetPrint, "&Print !");
    PageControl1->addTab(TabSheetEmail, "&Email");
    PageControl1->addTab(TabSheetHtml, "&Html Export");
    connect(PageControl1, &QTabWidget::currentChanged, this, &TUserForm::PageControl1Change);

    CheckBoxQA = new QCheckBox("&Make this the default selection", this);
    CheckBoxQA->setObjectName("CheckBoxQA");

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(PageControl1);
    layout->addWidget(CheckBoxQA);
    resize(520, 220);

    // Clicks and keys anywhere in the window count as the user's action.
    installEventFilter(this);
    for (QWidget* w : findChildren<QWidget*>()) w->installEventFilter(this);
}

void TUserForm::createPrintPage() {
    TabSheetPrint = new QWidget;
    TabSheetPrint->setObjectName("TabSheetPrint");
    LabelPrTo = new QLabel("Print to:", TabSheetPrint);
    LabelPrTo->setObjectName("LabelPrTo");
    ComboBox1 = new QComboBox(TabSheetPrint);
    ComboBox1->setObjectName("ComboBox1");
    ComboBox1->setMinimumWidth(260);
    ComboBox1->setInsertPolicy(QComboBox::NoInsert);
    BitBtnPrInfo = button(TabSheetPrint, "BitBtnPrInfo", "?", "Get Printer Information");
    BitBtnPreview = button(TabSheetPrint, "BitBtnPreview", "Pre&view");
    BitBtnDocInfo = button(TabSheetPrint, "BitBtnDocInfo", "i", "Get Information about the document");
    BitBtnTitle = button(TabSheetPrint, "BitBtnTitle", "T", "Set document Title");
    BitBtnHelp = button(TabSheetPrint, "BitBtnHelp", "Help");
    BitBtnNext = button(TabSheetPrint, "BitBtnNext", "&GO !", "Print now this document");
    BitBtnLater = button(TabSheetPrint, "BitBtnLater", "&Later", "Print document at a later time");
    BitBtnCancel = button(TabSheetPrint, "BitBtnCancel", "&Cancel", "Cancel this printout");
    BitBtnNext->setDefault(true);
    BitBtnNext->setAutoDefault(true);

    auto* address = new QHBoxLayout;
    address->addWidget(ComboBox1, 1);
    address->addWidget(BitBtnPrInfo);
    auto* tools = new QHBoxLayout;
    for (QPushButton* b : {BitBtnPreview, BitBtnDocInfo, BitBtnTitle, BitBtnHelp}) tools->addWidget(b);
    tools->addStretch();
    auto* actions = new QHBoxLayout;
    actions->addStretch();
    for (QPushButton* b : {BitBtnNext, BitBtnLater, BitBtnCancel}) actions->addWidget(b);
    auto* layout = new QVBoxLayout(TabSheetPrint);
    layout->addWidget(LabelPrTo);
    layout->addLayout(address);
    layout->addLayout(tools);
    layout->addLayout(actions);

    connect(BitBtnNext, &QPushButton::clicked, this, &TUserForm::BitBtnNextClick);
    connect(BitBtnLater, &QPushButton::clicked, this, &TUserForm::BitBtnLaterClick);
    connect(BitBtnCancel, &QPushButton::clicked, this, &TUserForm::BitBtnCancelClick);
    connect(BitBtnTitle, &QPushButton::clicked, this, &TUserForm::BitBtnTitleClick);
    connect(BitBtnHelp, &QPushButton::clicked, this, &TUserForm::BitBtnHelpClick);
    connect(BitBtnPreview, &QPushButton::clicked, this, &TUserForm::BitBtnPreviewClick);
    connect(BitBtnPrInfo, &QPushButton::clicked, this, &TUserForm::BitBtnPrInfoClick);
    connect(BitBtnDocInfo, &QPushButton::clicked, this, &TUserForm::BitBtnDocInfoClick);
}

void TUserForm::createEmailPage() {
    TabSheetEmail = new QWidget;
    TabSheetEmail->setObjectName("TabSheetEmail");
    auto* label = new QLabel("Email as:", TabSheetEmail);
    ComboBoxEx1 = new QComboBox(TabSheetEmail);
    ComboBoxEx1->setObjectName("ComboBoxEx1");
    ComboBoxEx1->addItems({"PNG image(s): absolute quality - varying size", "JPG image(s): smaller size - loose quality"});
    ComboBoxEx1->setCurrentIndex(-1);
    BitBtnGoE = button(TabSheetEmail, "BitBtnGoE", "&GO !");
    BitBtnCancelE = button(TabSheetEmail, "BitBtnCancelE", "&Cancel");
    BitBtnHelpE = button(TabSheetEmail, "BitBtnHelpE", "Help");
    BitBtnMore = button(TabSheetEmail, "BitBtnMore", "More...");
    CheckBoxPrAfter = new QCheckBox("Co&ntinue processing after email", TabSheetEmail);
    CheckBoxPrAfter->setObjectName("CheckBoxPrAfter");

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(BitBtnMore);
    buttons->addWidget(BitBtnHelpE);
    buttons->addStretch();
    buttons->addWidget(BitBtnGoE);
    buttons->addWidget(BitBtnCancelE);
    auto* layout = new QVBoxLayout(TabSheetEmail);
    layout->addWidget(label);
    layout->addWidget(ComboBoxEx1);
    layout->addWidget(CheckBoxPrAfter);
    layout->addLayout(buttons);

    connect(BitBtnGoE, &QPushButton::clicked, this, &TUserForm::BitBtnGoEClick);
    connect(BitBtnCancelE, &QPushButton::clicked, this, &TUserForm::BitBtnCancelClick);
    connect(BitBtnHelpE, &QPushButton::clicked, this, &TUserForm::BitBtnHelpClick);
    connect(BitBtnMore, &QPushButton::clicked, this, &TUserForm::BitBtnMoreClick);
}

void TUserForm::createHtmlPage() {
    TabSheetHtml = new QWidget;
    TabSheetHtml->setObjectName("TabSheetHtml");
    auto* label = new QLabel("Save as:", TabSheetHtml);
    EditFname = new QLineEdit(TabSheetHtml);
    EditFname->setObjectName("EditFname");
    EditFname->setReadOnly(true);
    ButtonOpnFile = button(TabSheetHtml, "ButtonOpnFile", "...");
    BitBtnGoH = button(TabSheetHtml, "BitBtnGoH", "&GO !");
    BitBtnCancelH = button(TabSheetHtml, "BitBtnCancelH", "&Cancel");
    BitBtnHelpH = button(TabSheetHtml, "BitBtnHelpH", "Help");
    BitBtnMoreH = button(TabSheetHtml, "BitBtnMoreH", "More...");
    CheckBoxPrAfterH = new QCheckBox("Co&ntinue processing after save", TabSheetHtml);
    CheckBoxPrAfterH->setObjectName("CheckBoxPrAfterH");

    auto* file = new QHBoxLayout;
    file->addWidget(EditFname, 1);
    file->addWidget(ButtonOpnFile);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(BitBtnMoreH);
    buttons->addWidget(BitBtnHelpH);
    buttons->addStretch();
    buttons->addWidget(BitBtnGoH);
    buttons->addWidget(BitBtnCancelH);
    auto* layout = new QVBoxLayout(TabSheetHtml);
    layout->addWidget(label);
    layout->addLayout(file);
    layout->addWidget(CheckBoxPrAfterH);
    layout->addLayout(buttons);

    connect(BitBtnGoH, &QPushButton::clicked, this, &TUserForm::BitBtnGoHClick);
    connect(BitBtnCancelH, &QPushButton::clicked, this, &TUserForm::BitBtnCancelClick);
    connect(BitBtnHelpH, &QPushButton::clicked, this, &TUserForm::BitBtnHelpClick);
    connect(BitBtnMoreH, &QPushButton::clicked, this, &TUserForm::BitBtnMoreClick);
    connect(ButtonOpnFile, &QPushButton::clicked, this, &TUserForm::ButtonOpnFileClick);
}

void TUserForm::createMenus() {
    LaterPopupMenu = new QMenu(this);
    LaterPopupMenu->setObjectName("LaterPopupMenu");
    for (const auto& entry : kLaterEntries) {
        QAction* item = LaterPopupMenu->addAction(QString::fromUtf8(entry.caption));
        item->setData(entry.minutes);
    }
    connect(LaterPopupMenu, &QMenu::triggered, this, &TUserForm::LaterItemClick);

    PrInfoPopupMenu = new QMenu(this);
    PrInfoPopupMenu->setObjectName("PrInfoPopupMenu");
    GetPrInfo = PrInfoPopupMenu->addAction("Get Printer information");
    GetPrInfo->setObjectName("GetPrInfo");
    GetPrList = PrInfoPopupMenu->addAction("Get list of Printers on server");
    GetPrList->setObjectName("GetPrList");
    connect(GetPrInfo, &QAction::triggered, this, &TUserForm::GetPrInfoClick);
    connect(GetPrList, &QAction::triggered, this, &TUserForm::GetPrListClick);
}

// --- the queue's side, showing and closing ---------------------------------

void TUserForm::takeJob(zentcore::TQueuedJob& job) {
    // A new job must not go unnoticed behind other windows; the first action
    // of the user ends that.
    setWindowFlag(Qt::WindowStaysOnTopHint, true);
    zentcore::ClientLog("wizard shows " + job.BaseName);
    showFor(&job);
    activateWindow();
    raise();
}

void TUserForm::showFor(zentcore::TQueuedJob* job) {
    job_ = job;
    FormShow();
    show();
    pageShown(PageControl1->currentIndex());
}

bool TUserForm::staysOnTop() const { return windowFlags().testFlag(Qt::WindowStaysOnTopHint); }

void TUserForm::leaveTopmost() {
    if (!staysOnTop()) return;
    const Qt::WindowFlags flags = windowFlags() & ~Qt::WindowStaysOnTopHint;
    // Told to the window system in place: changing the widget's flags would
    // hide the window and show it again, under the user's pointer.
    overrideWindowFlags(flags);
    if (QWindow* window = windowHandle()) window->setFlags(flags);
}

bool TUserForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::KeyPress) leaveTopmost();
    if (event->type() == QEvent::KeyPress && dialogKey(watched, *static_cast<QKeyEvent*>(event))) return true;
    return QWidget::eventFilter(watched, event);
}

bool TUserForm::dialogKey(QObject* watched, const QKeyEvent& key) {
    // Qt honours default buttons in dialogs only; the wizard is a window of
    // its own, so Enter is looked at here, before the focused control.
    const bool enter = key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter;
    if (!enter || (key.modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    // Popups (the address list, the menus) take their own Enter.
    if (!widget || widget->window() != this) return false;
    // A button with the focus is the one Enter presses; else the print
    // page's default button, GO.
    QPushButton* target = qobject_cast<QPushButton*>(widget);
    if (!target && PageControl1->currentWidget() == TabSheetPrint) target = BitBtnNext;
    if (!target) return false;
    if (target->isEnabled() && target->isVisible()) target->click();
    return true;
}

void TUserForm::FormShow() {
    const auto& s = context_.settings;
    BitBtnPreview->setEnabled(s.Preview_En);
    BitBtnLater->setEnabled(s.Later_En);
    if (job_) {
        setWindowTitle(qs("Zentrope: " + job_->DocName));
        std::string label = "Print " + std::to_string(job_->Pages) + " pages";
        if (job_->Copies > 1) label += " x " + std::to_string(job_->Copies) + " copies";
        LabelPrTo->setText(qs(label + " to:"));
    } else {
        setWindowTitle("Zentrope: (no documents)");
        LabelPrTo->setText("Print to:");
    }
    ComboBox1->setEditable(!s.AddrReadOnly);
    // Typing an address is a user action too.
    if (ComboBox1->lineEdit()) ComboBox1->lineEdit()->installEventFilter(this);
    fillAddressBox();
    showDefaultPage();
}

void TUserForm::showDefaultPage() {
    const bool pagesAllowed = context_.settings.Email_En;
    PageControl1->setTabEnabled(1, pagesAllowed);
    PageControl1->setTabEnabled(2, pagesAllowed);
    startupQA_ = 0;
    if (!pagesAllowed) {
        PageControl1->setCurrentIndex(0);
        return;
    }
    if (auto key = platform::RegKey::openReadOnly(platform::Hive::CurrentUser, zentcore::kClientKey))
        startupQA_ = int(key->readDword("StartupQA").value_or(0));
    CheckBoxQA->setChecked(startupQA_ != 0);
    if (startupQA_ >= 1 && startupQA_ <= 3) PageControl1->setCurrentIndex(startupQA_ - 1);
}

int TUserForm::pageNumber(int index) const { return index + 1; }

void TUserForm::PageControl1Change(int index) {
    if (index != 0 && !context_.settings.Email_En) {
        PageControl1->setCurrentIndex(0);
        return;
    }
    pageShown(index);
}

void TUserForm::pageShown(int index) {
    CheckBoxQA->setChecked(startupQA_ == pageNumber(index));
    if (index == 0) {
        ComboBox1->setFocus();
    } else if (index == 1 && ComboBoxEx1->currentIndex() < 0) {
        ComboBoxEx1->setCurrentIndex(0);
    } else if (index == 2) {
        proposeHtmlFile();
    }
}

void TUserForm::saveDefaultPage(int page) {
    if (!CheckBoxQA->isChecked()) return;
    // Not being able to remember the choice is no reason to bother the user.
    if (auto key = platform::RegKey::openOrCreate(platform::Hive::CurrentUser, zentcore::kClientKey))
        key->writeDword("StartupQA", std::uint32_t(page));
}

void TUserForm::closeWizard() {
    job_ = nullptr;
    context_.queue.ListChanged = true;
    closing_ = true;
    hide();
    closing_ = false;
}

void TUserForm::closeEvent(QCloseEvent* event) {
    // The title bar has no Close; a window manager's close request is refused.
    if (!closing_) event->ignore();
}

int TUserForm::addressImage(int index) const { return ComboBox1->itemData(index).toInt(); }

}  // namespace zentclient
