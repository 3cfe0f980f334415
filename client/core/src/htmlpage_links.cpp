// The links the HTML page window keeps for itself.
#include <zentcore/htmlpage.h>

#include <orlo/urltext.h>

namespace zentcore {

int PageLinkDecision::ModalResult() const {
    switch (Action) {
    case PageLinkAction::MoreData: return kModalMoreData;
    case PageLinkAction::PickPrinter: return kModalPrinterPicked;
    default: return 0;
    }
}

PageLinkDecision InterceptPageLink(std::string_view url) {
    // The fragment starts at the first "#", as in any URL, so that a printer
    // name holding a "#" is picked whole; the query ends the path.
    const size_t hash = url.find('#');
    const std::string_view fragment = hash == std::string_view::npos ? std::string_view() : url.substr(hash + 1);
    std::string_view path = url.substr(0, hash);
    path = path.substr(0, path.find('?'));
    std::string file = orlo::UrlDecode(path);
    for (char& c : file)
        if (c == '\\') c = '/';
    file.erase(0, file.rfind('/') + 1);  // npos + 1 == 0: no directory

    PageLinkDecision decision;
    if (file == "addprinter.cgi") {
        decision.Action = PageLinkAction::AddPrinter;
    } else if (file == "moredata.cgi") {
        decision.Action = PageLinkAction::MoreData;
    } else if (file == "pr_sel.cgi") {
        decision.Action = PageLinkAction::PickPrinter;
        decision.PickedPrinter = orlo::UrlDecode(fragment);
    }
    return decision;
}

}  // namespace zentcore

