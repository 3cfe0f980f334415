// TWebWrapperRules: what the web wrapper does with the pages it shows and the
// navigations it filters, without a browser. The browser adapter feeds it
// each navigation the page starts and applies the returned result; it never
// decides anything itself.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <orlo/orlofunction.h>

// One navigation the browser is about to make.
struct TNavigation {
    std::string Url;                      // as the browser reports it (percent-encoded); may be empty
    std::optional<std::string> PostData;  // body of a POST form submission; none for links and GET forms
    bool Cancelled = false;               // an earlier handler (the page's own) already refused it
    // The program asked for it (Load, a page the wrapper made): the bounds of
    // a page (PageMayOpen) do not apply. Whatever a shown page asks for,
    // however it asks, is not the program's.
    bool FromOwner = false;
};

// The wrapper's own HTTP request for a submitted form.
struct TInnerPost {
    std::string Url;
    TOrloFunction::StringList Names;
    TOrloFunction::StringList Values;
    bool Succeeded = false;
    std::string Response;  // the answer on success, empty on failure
    int ErrorCode = 0;     // on failure: the transfer's error code (0 when the server answered "Error")
};

// What the adapter applies, in this order.
struct TNavigationResult {
    // A form was submitted: notify the owner window (the submission message);
    // the owner reads TWebWrapperRules::CollectedText().
    bool Submitted = false;
    // The wrapper posted the form itself: fire the success event with
    // Response, or the error event with ErrorCode.
    std::optional<TInnerPost> InnerPost;
    // Not empty: show this produced page (a file URL) instead. The next
    // navigation, when it goes to this page, is the wrapper's own and is
    // neither fetched again nor refused.
    std::string NavigateTo;
    // Refuse the navigation the browser asked for.
    bool Cancel = false;
};

// What SetContents shows.
struct TContentsResult {
    bool GoHref = false;  // load Url (an ordinary navigation) instead of showing Html
    std::string Url;
    std::string Html;
};

enum class TPopupChoice {
    BrowserMenu,  // the browser shows its own context menu
    OwnMenu,      // suppress it and show the wrapper's popup menu at the cursor
    NoMenu,       // suppress it and show nothing
};

class TWebWrapperRules {
public:
    // The page producer: turns a document into the page to show.
    using PageProducer = std::function<std::string(const std::string& document)>;

    // The form field that carries the navigation's target in collected texts.
    static constexpr const char* UrlField = "_ORLO_URL_";
    // Prefix of the form field that numbers a submission ("XSB12=...").
    static constexpr const char* SPREFIX = "XSB";
    // Separator of the collected text's entries.
    static constexpr char EOT = '\x04';

    TWebWrapperRules() = default;
    ~TWebWrapperRules();  // deletes the produced pages
    TWebWrapperRules(const TWebWrapperRules&) = delete;
    TWebWrapperRules& operator=(const TWebWrapperRules&) = delete;

    // Published switches.
    bool DoDefPost = false;      // a submission is also carried out, not only reported
    bool DoDefAction = true;     // navigation without form data is allowed
    bool CallInnerPost = true;   // a carried-out submission is posted by the wrapper, not the browser
    std::string InnerPostReferrer;
    bool PopupEnabled = false;   // the browser's context menu is replaced
    // Pages made from the program's own files may open local files (the page
    // window's templates); a server's page may not (the default).
    bool LocalPagesAllowed = false;

    // Where a shown page may lead: http and https, about:blank and the
    // wrapper's own pages; local files only while LocalPagesAllowed. Nothing
    // else (data:, javascript:, qrc: or any other scheme). A page's request
    // beyond these is neither followed nor fetched, and a form aimed there
    // reaches the owner but is not sent.
    bool PageMayOpen(std::string_view url) const;
    // A local page of the wrapper's own besides the produced ones (a text too
    // large to show inline); forgotten when the pages are released.
    void AddOwnPage(const std::string& path) { ownPages_.push_back(path); }

    void SetFpp(PageProducer producer) { producer_ = std::move(producer); }
    void SetFppEnabled(bool enabled) { producerEnabled_ = enabled; }

    // Filters one navigation. May post the form or fetch the page (blocking
    // HTTP) and write a produced page into a temporary file.
    TNavigationResult BeforeNavigate(const TNavigation& navigation);

    // The page to show for a text: the producer's output when one is set and
    // enabled; a single line "GO_HREF#url" (blanks around it allowed) loads
    // url instead; otherwise the lines, each trimmed, joined by line feeds.
    TContentsResult SetContents(const std::string& text) const;
    // The same for a file's content; nullopt when it cannot be read.
    std::optional<TContentsResult> SetContentsFile(const std::string& path) const;

    // The target of Load: an empty URL is "about:blank".
    static std::string LoadUrl(const std::string& url) { return url.empty() ? "about:blank" : url; }

    // A context-menu request, given whether a popup menu is set.
    TPopupChoice ShowPopup(bool hasPopupMenu) const;

    // The entries of the last submission, each followed by EOT; "0" before any.
    const std::string& CollectedText() const { return collected_; }
    // The number of the last "XSB<n>" field seen (0 when none or not a number).
    int SubmissionNumber() const { return submissionNumber_; }

    // Deletes the produced page files (when the browser is released).
    void ReleasePages();

private:
    bool producerActive() const { return producer_ && producerEnabled_; }
    std::string savePage(const std::string& html);

    PageProducer producer_;
    bool producerEnabled_ = true;
    std::string collected_ = "0";
    int submissionNumber_ = 0;
    bool ownNavigation_ = false;  // the next navigation may be to ownPage_
    std::string ownPage_;
    std::vector<std::string> pages_;      // produced pages, deleted on release
    std::vector<std::string> ownPages_;   // the owner's, deleted by the owner
};
