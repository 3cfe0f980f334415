#include "auth/tselauth.h"

#include "auth/chargetags.h"
#include "auth/serverpagebase.h"

#include <orloqt/controls.h>
#include <orloqt/webwrapper.h>

#include <QApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <QWebEngineView>

#include <algorithm>
#include <vector>

namespace zentclient {

namespace {

constexpr int kMaxMethods = 10;
constexpr const char* kMethodProperty = "method";

// "-DEBUG" or "/DEBUG", in any case, on the program's command line: the
// browser's own context menu stays, for looking into a server's pages.
bool debugSwitch() {
    const QStringList arguments = QCoreApplication::arguments();
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        if ((a.startsWith('-') || a.startsWith('/')) && a.mid(1).compare("DEBUG", Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

// Waiting for the server: the flag, and the hourglass when asked for. The
// event loop runs meanwhile; the method and the page must stay what the
// request was made for, so their controls take no clicks until it is over
// (every handler also looks at the flag).
class Busy {
public:
    Busy(bool& flag, bool hourglass, std::vector<QWidget*> held)
        : flag_(flag), hourglass_(hourglass), held_(std::move(held)) {
        flag_ = true;
        for (QWidget* w : held_) w->setEnabled(false);
        if (hourglass_) QApplication::setOverrideCursor(Qt::WaitCursor);
    }
    ~Busy() {
        if (hourglass_) QApplication::restoreOverrideCursor();
        for (QWidget* w : held_) w->setEnabled(true);
        flag_ = false;
    }
    Busy(const Busy&) = delete;
    Busy& operator=(const Busy&) = delete;

private:
    bool& flag_;
    bool hourglass_;
    std::vector<QWidget*> held_;
};

}  // namespace

TSelAuth::TSelAuth(QWidget* owner, const encdec::StringList& printerData, std::int32_t copies, std::int32_t pages,
                   const std::string& printerName, const std::string& serverAddress, std::int32_t session)
    : QDialog(owner) {
    setObjectName("SelAuth");
    setWindowTitle("Authentication");
    handle_ = platform::registerWindow([this](const platform::Message& m) { dispatch(m); });
    createControls();
    WebWrap1->SetPopupEnabled(!debugSwitch());
    WebWrap1->SetOwner(handle_);
    // The server's pages come as text; they belong to the server's address.
    WebWrap1->SetBaseUrl(ServerPageBase(serverAddress));

    dialogue_ = std::make_unique<zentcore::AuthDialogue>(printerData, copies, pages, printerName, serverAddress,
                                                         session, handle_);
    for (QLabel* label : {LabelPricePerPage, LabelMinimumCharge}) {
        const std::string caption = label->text().toStdString();
        label->setText(QString::fromStdString(zentcore::WithCurrency(caption, dialogue_->currency())));
    }

    const auto& methods = dialogue_->methods();
    const int count = std::min<int>(int(methods.size()), kMaxMethods);
    for (int i = 0; i < kMaxMethods; ++i) {
        auto* button = findChild<QRadioButton*>(QString("RadioButton%1").arg(i + 1));
        button->setVisible(i < count);
        if (i >= count) continue;
        const QString name = QString::fromStdString(methods[size_t(i)].name);
        button->setProperty(kMethodProperty, name);
        button->setText(QString(name).replace('&', "&&"));  // shown as written, not as a shortcut
    }
    if (count > 0) {
        auto* first = findChild<QRadioButton*>("RadioButton1");
        first->setChecked(true);
        RadioButtonClick(first);
    }
    PageControl1->setCurrentWidget(TabSheet1);
    PageControl1Change();
    // Without a method there is nothing to choose: only "OK", which cancels.
    orloqt::ShowControls(count > 0, {PageControl1, Panel1, BitBtnBack, BitBtnNext});
    orloqt::ShowControls(count == 0, {BitBtnOK});
}

TSelAuth::~TSelAuth() { platform::unregisterWindow(handle_); }

void TSelAuth::createControls() {
    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName("PageControl1");
    TabSheet1 = new QWidget;
    TabSheet1->setObjectName("TabSheet1");
    TabSheet2 = new QWidget;
    TabSheet2->setObjectName("TabSheet2");
    PageControl1->addTab(TabSheet1, "Authentication");
    PageControl1->addTab(TabSheet2, QString());

    RadioGroup1 = new QGroupBox("Choose how to authenticate", TabSheet1);
    RadioGroup1->setObjectName("RadioGroup1");
    auto* radios = new QVBoxLayout(RadioGroup1);
    for (int i = 1; i <= kMaxMethods; ++i) {
        auto* button = new QRadioButton(RadioGroup1);
        button->setObjectName(QString("RadioButton%1").arg(i));
        connect(button, &QRadioButton::clicked, this, [this, button] { RadioButtonClick(button); });
        radios->addWidget(button);
    }
    radios->addStretch();
    (new QVBoxLayout(TabSheet1))->addWidget(RadioGroup1);

    WebBrowser1 = new QWebEngineView(TabSheet2);
    WebBrowser1->setObjectName("WebBrowser1");
    (new QVBoxLayout(TabSheet2))->addWidget(WebBrowser1);
    WebWrap1 = new TWebWrapper(this);
    WebWrap1->setObjectName("WebWrap1");
    WebWrap1->SetBrowser(WebBrowser1);

    Panel1 = new QWidget(this);
    Panel1->setObjectName("Panel1");
    auto* figures = new QGridLayout(Panel1);
    const auto figure = [this, figures](QLabel*& caption, QLabel*& value, const char* name, const char* text,
                                        int column) {
        caption = new QLabel(text, Panel1);
        caption->setObjectName(QString("Label") + name);
        value = new QLabel(Panel1);
        value->setObjectName(name);
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        figures->addWidget(caption, 0, column);
        figures->addWidget(value, 1, column);
    };
    figure(LabelPricePerPage, PricePerPage, "PricePerPage", "Price/Page ${CURRENCY}", 0);
    figure(LabelMinimumCharge, MinimumCharge, "MinimumCharge", "Minimum charge ${CURRENCY}", 1);
    figure(LabelTax, TaxPercentage, "TaxPercentage", "Tax (%)", 2);

    BitBtnBack = new QPushButton("< Back", this);
    BitBtnBack->setObjectName("BitBtnBack");
    BitBtnNext = new QPushButton("Next >", this);
    BitBtnNext->setObjectName("BitBtnNext");
    BitBtnNext->setDefault(true);
    BitBtnOK = new QPushButton("OK", this);
    BitBtnOK->setObjectName("BitBtnOK");
    connect(BitBtnBack, &QPushButton::clicked, this, &TSelAuth::BitBtnBackClick);
    connect(BitBtnNext, &QPushButton::clicked, this, &TSelAuth::BitBtnNextClick);
    connect(BitBtnOK, &QPushButton::clicked, this, &TSelAuth::BitBtnOKClick);
    connect(PageControl1, &QTabWidget::currentChanged, this, &TSelAuth::PageControl1Change);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BitBtnBack);
    buttons->addWidget(BitBtnNext);
    buttons->addWidget(BitBtnOK);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(PageControl1, 1);
    layout->addWidget(Panel1);
    layout->addLayout(buttons);
    resize(560, 480);
}

std::vector<QWidget*> TSelAuth::heldWhileBusy() const { return {RadioGroup1, PageControl1->tabBar()}; }

void TSelAuth::RadioButtonClick(QRadioButton* button) {
    if (busy_) return;
    dialogue_->selectMethod(button->property(kMethodProperty).toString().toStdString());
    if (!dialogue_->methodKnown()) {
        orloqt::ClearControls({PricePerPage, MinimumCharge, TaxPercentage});
        return;
    }
    const zentcore::ChargeFigures& f = dialogue_->figures();
    PricePerPage->setText(QString::number(f.pricePerPage, 'g', 15));
    MinimumCharge->setText(QString::number(f.minimumCharge, 'g', 15));
    TaxPercentage->setText(QString::number(f.taxPercentage, 'g', 15));
}

void TSelAuth::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (activated_ || event->spontaneous()) return;
    activated_ = true;
    // One method leaves nothing to choose.
    if (dialogue_->methods().size() == 1) QTimer::singleShot(0, this, &TSelAuth::BitBtnNextClick);
}

void TSelAuth::BitBtnNextClick() {
    if (busy_ || result_ != zentcore::AuthDialogue::kRunning || PageControl1->currentWidget() != TabSheet1) return;
    BitBtnNext->setEnabled(false);
    const int plugin = PageControl1->indexOf(TabSheet2);
    PageControl1->setTabText(plugin, QString::fromStdString(dialogue_->chosenMethod()).replace('&', "&&"));
    PageControl1->setTabIcon(plugin, QIcon());
    bool showPlugin = false;
    const std::int32_t stepBefore = dialogue_->step();
    {
        Busy busy(busy_, false, heldWhileBusy());
        const std::string icon = dialogue_->fetchIcon();
        QPixmap image;
        // An icon the server sends that is not one is left out.
        if (!icon.empty() && image.loadFromData(reinterpret_cast<const uchar*>(icon.data()), uint(icon.size())))
            PageControl1->setTabIcon(plugin, QIcon(image));
        showPlugin = dialogue_->start();
    }
    stepDone(stepBefore);
    if (showPlugin && result_ == zentcore::AuthDialogue::kRunning) showPluginPage();
}

void TSelAuth::BitBtnBackClick() {
    if (busy_) return;
    if (PageControl1->currentWidget() == TabSheet1)
        setResult(zentcore::AuthDialogue::kCancelled);
    else
        PageControl1->setCurrentWidget(TabSheet1);
}

void TSelAuth::BitBtnOKClick() {
    if (!busy_) setResult(zentcore::AuthDialogue::kCancelled);
}

void TSelAuth::reject() {
    if (!busy_) setResult(zentcore::AuthDialogue::kCancelled);
}

void TSelAuth::PageControl1Change() {
    const int plugin = PageControl1->indexOf(TabSheet2);
    if (PageControl1->currentWidget() == TabSheet1) {
        dialogue_->restartSteps();
        PageControl1->setTabVisible(plugin, false);
        BitBtnNext->setEnabled(true);
    } else {
        PageControl1->setTabVisible(plugin, true);
        BitBtnNext->setEnabled(false);
    }
}

void TSelAuth::showPluginPage() {
    // A hidden tab cannot become the current one: show it first.
    PageControl1->setTabVisible(PageControl1->indexOf(TabSheet2), true);
    PageControl1->setCurrentWidget(TabSheet2);
}

void TSelAuth::dispatch(const platform::Message& message) {
    if (message.msg == TWebWrapper::SubmissionMessage && message.wParam == reinterpret_cast<std::uintptr_t>(WebWrap1))
        WebWrap1Submitted();
}

void TSelAuth::WebWrap1Submitted() {
    // A page submitted again while the server is still answering waits for nothing.
    if (busy_ || result_ != zentcore::AuthDialogue::kRunning) return;
    const std::int32_t stepBefore = dialogue_->step();
    {
        Busy busy(busy_, true, heldWhileBusy());
        dialogue_->runStep(WebWrap1->CollectedText());
    }
    stepDone(stepBefore);
}

void TSelAuth::stepDone(std::int32_t stepBefore) {
    WebWrap1->SetDoDefPost(dialogue_->doDefPost());
    if (dialogue_->step() > stepBefore)
        WebWrap1->SetContents(ProduceChargeTags(dialogue_->page(), dialogue_->figures()), false);
    if (dialogue_->result() != zentcore::AuthDialogue::kRunning) setResult(dialogue_->result());
}

void TSelAuth::setResult(int result) {
    result_ = result;
    if (result != zentcore::AuthDialogue::kRunning) done(result);
}

}  // namespace zentclient
