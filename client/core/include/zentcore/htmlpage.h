// The content side of the HTML page window: the "docinfo", "prinfo" and
// "prlist" tags of the page templates, and the links the window intercepts.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <zcodec/printerdata.h>
#include <zentcore/pageproducer.h>
#include <zentcore/queuedjob.h>

namespace zentcore {

// The template files, in the templates' directory.
inline constexpr const char* kDocInfoTemplate = "docinfo.htm";
inline constexpr const char* kReceiptTemplate = "docinfo2.htm";
inline constexpr const char* kPrinterInfoTemplate = "prinfo.htm";
inline constexpr const char* kPrinterListTemplate = "prlist.htm";
inline constexpr const char* kPrinterDetailsTemplate = "prlist2.htm";

// One line of a printer list: the name and, for the details page, the
// printer's description when the server gave one.
struct PrinterListEntry {
    std::string Name;
    std::optional<encdec::TPrinterData> Data;
};

// What the tags are filled from. Tags whose input is missing give nothing.
struct HtmlPageData {
    std::string AppPath;  // directory of the templates; "AppPath" gives it with a trailing "/"
    const TQueuedJob* Job = nullptr;                         // "docinfo"
    const encdec::TPrinterData* Printer = nullptr;           // "prinfo"
    const std::vector<PrinterListEntry>* PrinterList = nullptr;  // "prlist"
    bool AddrReadOnly = false;  // printer names are plain text, not links that pick them
};

// The replacement of one tag. Each parameter is looked at in order and the
// last one recognised wins; every value is escaped for HTML. Other tags give
// nothing.
std::string HtmlPageTag(const PageTag& tag, const HtmlPageData& data);

// A template text with its tags replaced.
std::string ProduceHtmlPage(std::string_view templateText, const HtmlPageData& data);
// The same for a template file; false, with a reason, when it cannot be read.
bool ProduceHtmlPageFile(const std::string& path, const HtmlPageData& data, std::string& html, std::string& error);

// Modal results of the page window set by intercepted links.
inline constexpr int kModalMoreData = 100;
inline constexpr int kModalPrinterPicked = 101;

enum class PageLinkAction {
    Follow,       // an ordinary link: let the browser go
    AddPrinter,   // "addprinter.cgi": start the system's add-printer tool
    MoreData,     // "moredata.cgi": close with kModalMoreData
    PickPrinter,  // "pr_sel.cgi#name": close with kModalPrinterPicked
};

struct PageLinkDecision {
    PageLinkAction Action = PageLinkAction::Follow;
    std::string PickedPrinter;  // PickPrinter: the fragment, unescaped

    bool Cancel() const { return Action != PageLinkAction::Follow; }
    // The window's modal result, 0 when it stays open.
    int ModalResult() const;
};

// What to do before the browser follows url (percent-escaped as the browser
// reports it). The file name, after the last "/" or "\", is compared exactly.
PageLinkDecision InterceptPageLink(std::string_view url);

}  // namespace zentcore
