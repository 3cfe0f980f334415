// The web wrapper's navigation filter, its produced pages and its context menu.
#include <orlo/webrules.h>
#include <orlo/urltext.h>

#include "webrules_form.h"
#include "webrules_read.h"

#include <algorithm>

#include <unistd.h>

TWebWrapperRules::~TWebWrapperRules() { ReleasePages(); }

TNavigationResult TWebWrapperRules::BeforeNavigate(const TNavigation& navigation) {
    const std::string& url = navigation.Url;
    TNavigationResult result;
    // Only the navigation right after we showed a page is ours, and only when
    // it goes to that page.
    const bool own = ownNavigation_ && orlo::LocalPathOfUrl(url) == ownPage_;
    ownNavigation_ = false;
    const bool inBounds = navigation.FromOwner || own || PageMayOpen(url);
    if (!inBounds && !navigation.PostData) {
        // Neither followed nor fetched for the producer.
        result.Cancel = true;
        return result;
    }

    std::optional<std::string> document;  // what the producer gets
    const bool posted = navigation.PostData.has_value();
    if (posted) {
        orlo::CollectedForm form = orlo::CollectForm(url, *navigation.PostData);
        collected_ = std::move(form.text);
        if (form.number) submissionNumber_ = *form.number;
        result.Submitted = true;
        if (DoDefPost && CallInnerPost && !url.empty() && inBounds) {
            TInnerPost& post = result.InnerPost.emplace();
            post.Url = url;
            post.Names = std::move(form.names);
            post.Values = std::move(form.values);
            std::string response;
            post.Succeeded = TOrloFunction::PostData(url, post.Names, post.Values, &post.ErrorCode, &response,
                                                     InnerPostReferrer);
            if (post.Succeeded) {
                post.Response = response;
                document = std::move(response);
            }
        }
    } else if (DoDefAction && producerActive() && !url.empty() && !own) {
        // The wrapper fetches the page itself so that it can produce it; a
        // local file is read instead.
        std::string response;
        if (TOrloFunction::GetHttpData(url, nullptr, &response, InnerPostReferrer))
            document = std::move(response);
        else if (const auto path = orlo::LocalPathOfUrl(url))
            document = orlo::ReadWholeFile(*path);
    }

    if (document && producerActive() && !own) {
        const std::string page = producer_(*document);
        if (!page.empty()) {
            const std::string path = savePage(page);
            if (!path.empty()) {
                result.NavigateTo = orlo::FileUrl(path);
                ownNavigation_ = true;
                ownPage_ = path;
                result.Cancel = true;
                return result;
            }
        }
    }
    // The wrapper never refuses the page it asked for itself.
    result.Cancel =
        navigation.Cancelled || !inBounds || (!own && (posted ? !DoDefPost || CallInnerPost : !DoDefAction));
    return result;
}

bool TWebWrapperRules::PageMayOpen(std::string_view url) const {
    if (orlo::HasScheme(url, "http") || orlo::HasScheme(url, "https")) return true;
    if (url == "about:blank") return true;
    // A local file: a file: URL, or a path as the browser would take it.
    const std::optional<std::string> path = orlo::LocalPathOfUrl(url);
    if (!path) return false;
    if (LocalPagesAllowed) return true;
    const auto ours = [&path](const std::vector<std::string>& pages) {
        return std::find(pages.begin(), pages.end(), *path) != pages.end();
    };
    return ours(pages_) || ours(ownPages_);
}

TPopupChoice TWebWrapperRules::ShowPopup(bool hasPopupMenu) const {
    if (!PopupEnabled) return TPopupChoice::BrowserMenu;
    return hasPopupMenu ? TPopupChoice::OwnMenu : TPopupChoice::NoMenu;
}

std::string TWebWrapperRules::savePage(const std::string& html) {
    const std::string path = TOrloFunction::AnsiTempFileName("htm");
    if (path.empty()) return {};
    pages_.push_back(path);
    if (!orlo::WriteWholeFile(path, html)) return {};
    return path;
}

void TWebWrapperRules::ReleasePages() {
    for (const std::string& page : pages_) unlink(page.c_str());
    pages_.clear();
    ownPages_.clear();
    ownNavigation_ = false;
}
