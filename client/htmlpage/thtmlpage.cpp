#include "htmlpage/thtmlpage.h"

#include "htmlpage/htmlpageservices.h"
#include <zentcore/application.h>

#include <orloqt/webwrapper.h>
#include <zplatform/prompter.h>
#include <zplatform/system.h>

#include <QHBoxLayout>
#include <QPrinter>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>
#include <QWebEngineView>

namespace zentclient {

namespace {

std::string directoryOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

}  // namespace

THTMLPage::THTMLPage(QWidget* parent, HtmlPageServices* services)
    : QDialog(parent),
      AppPath(directoryOf(platform::executablePath()) + "/data"),
      services_(services) {
    if (!services_) services_ = (ownServices_ = std::make_unique<QtHtmlPageServices>()).get();
    setObjectName("HTMLPage");
    setWindowTitle("HTML Form");
    resize(640, 520);

    WebBrowser1 = new QWebEngineView(this);
    WebBrowser1->setObjectName("WebBrowser1");
    WebWrap1 = new TWebWrapper(this);
    WebWrap1->setObjectName("WebWrap1");
    WebWrap1->SetBrowser(WebBrowser1);
    WebWrap1->SetPopupEnabled(true);
    // The templates are the program's own files: their ordinary links may
    // open local pages.
    WebWrap1->SetLocalPagesAllowed(true);
    WebWrap1->SetBeforeNavigate([this](const std::string& url) { return WebBrowser1BeforeNavigate2(url); });
    connect(WebBrowser1, &QWebEngineView::printFinished, this, &THTMLPage::WebBrowser1PrintFinished);

    BitBtn1 = new QPushButton("OK", this);
    BitBtn1->setObjectName("BitBtn1");
    BitBtn1->setDefault(true);
    connect(BitBtn1, &QPushButton::clicked, this, &THTMLPage::BitBtn1Click);
    BitBtnPrint = new QPushButton("Print", this);
    BitBtnPrint->setObjectName("BitBtnPrint");
    connect(BitBtnPrint, &QPushButton::clicked, this, &THTMLPage::BitBtnPrintClick);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BitBtnPrint);
    buttons->addWidget(BitBtn1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(WebBrowser1, 1);
    layout->addLayout(buttons);
}

THTMLPage::~THTMLPage() = default;

void THTMLPage::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) FormShow();
}

void THTMLPage::FormShow() {
    PickedPrinter.clear();
    zentcore::HtmlPageData data;
    data.AppPath = AppPath;
    data.Job = Job;
    data.Printer = Printer;
    data.PrinterList = PrinterList;
    data.AddrReadOnly = AddrReadOnly;
    std::string html, error;
    if (!zentcore::ProduceHtmlPageFile(PageProducer1.HTMLFile, data, html, error)) {
        platform::prompter().warn(zentcore::kApplicationTitle, error);
        html.clear();
    }
    WebWrap1->SetBaseUrl(QUrl::fromLocalFile(QString::fromStdString(directoryOf(PageProducer1.HTMLFile) + "/")));
    WebWrap1->SetContents(html, false);
}

bool THTMLPage::WebBrowser1BeforeNavigate2(const std::string& url) {
    const zentcore::PageLinkDecision decision = zentcore::InterceptPageLink(url);
    switch (decision.Action) {
    case zentcore::PageLinkAction::Follow: break;
    case zentcore::PageLinkAction::AddPrinter: {
        std::string error;
        if (!services_->startAddPrinter(error)) platform::prompter().error(zentcore::kApplicationTitle, error);
        break;
    }
    case zentcore::PageLinkAction::PickPrinter:
        PickedPrinter = decision.PickedPrinter;
        [[fallthrough]];
    case zentcore::PageLinkAction::MoreData:
        // Closed once the browser's call has returned.
        QMetaObject::invokeMethod(this, [this, result = decision.ModalResult()] { done(result); },
                                  Qt::QueuedConnection);
        break;
    }
    return decision.Cancel();
}

void THTMLPage::BitBtn1Click() { accept(); }

void THTMLPage::BitBtnPrintClick() {
    if (printer_) return;  // one print at a time
    printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    if (!services_->choosePrinter(this, *printer_)) {
        printer_.reset();
        return;
    }
    BitBtnPrint->setEnabled(false);
    WebBrowser1->print(printer_.get());
}

void THTMLPage::WebBrowser1PrintFinished(bool ok) {
    printer_.reset();
    BitBtnPrint->setEnabled(true);
    if (!ok) platform::prompter().warn(zentcore::kApplicationTitle, "The page could not be printed.");
}

}  // namespace zentclient
