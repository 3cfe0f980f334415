// HTMLPage ("HTML Form"): shows a page made from one of the HTML templates
// (document, printer and printer-list information) in an embedded browser.
// Its special links are not followed: "pr_sel.cgi#name" picks a printer
// (modal result 101), "moredata.cgi" asks for the details page (100) and
// "addprinter.cgi" starts the desktop's printer tool.
#pragma once

#include <zcodec/printerdata.h>
#include <zentcore/htmlpage.h>
#include <zentcore/queuedjob.h>

#include <QDialog>

#include <memory>
#include <string>
#include <vector>

class QPrinter;
class QPushButton;
class QWebEngineView;
class TWebWrapper;

namespace zentclient {

class HtmlPageServices;

// The template a page is made from.
struct PageTemplate {
    std::string HTMLFile;  // full path; its directory is the page's base for relative links
};

class THTMLPage : public QDialog {
    Q_OBJECT
public:
    // services: the print dialog and the printer tool; null takes the
    // desktop's own.
    explicit THTMLPage(QWidget* parent = nullptr, HtmlPageServices* services = nullptr);
    ~THTMLPage() override;

    // Inputs, set by the caller before every showing.
    PageTemplate PageProducer1;
    std::string AppPath;  // what the "AppPath" parameter names; the program's data/ by default
    const zentcore::TQueuedJob* Job = nullptr;
    const encdec::TPrinterData* Printer = nullptr;
    const std::vector<zentcore::PrinterListEntry>* PrinterList = nullptr;
    bool AddrReadOnly = false;
    // Output: the printer a "pr_sel.cgi" link picked.
    std::string PickedPrinter;

    QWebEngineView* WebBrowser1 = nullptr;
    TWebWrapper* WebWrap1 = nullptr;
    QPushButton* BitBtn1 = nullptr;      // OK
    QPushButton* BitBtnPrint = nullptr;  // Print

    void BitBtn1Click();
    void BitBtnPrintClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    // Makes the page from the template and shows it.
    void FormShow();
    // Before each navigation: true keeps the browser where it is.
    bool WebBrowser1BeforeNavigate2(const std::string& url);
    void WebBrowser1PrintFinished(bool ok);

    std::unique_ptr<HtmlPageServices> ownServices_;
    HtmlPageServices* services_;
    std::unique_ptr<QPrinter> printer_;  // alive while a print runs
};

}  // namespace zentclient
