// The web wrapper's navigation filter: which of the browser's navigations and
// the page's submitted forms reach the rules, and how their results are
// carried out.
#include <orloqt/webwrapper.h>

#include "wrapperpage.h"

#include <QWebEngineHttpRequest>

TWebWrapper::NavigationOrigin TWebWrapper::originOf(const QUrl& url, int type) const {
    // Only load() and setHtml() make typed navigations; a page cannot.
    if (type != QWebEnginePage::NavigationTypeTyped) return NavigationOrigin::Page;
    if (url.scheme() == QLatin1String("data")) return NavigationOrigin::OwnText;
    if (url == ownContentPage_) return NavigationOrigin::OwnText;
    if (ownSubmission_.isValid() && url == ownSubmission_) return NavigationOrigin::OwnSubmission;
    return NavigationOrigin::Owner;
}

bool TWebWrapper::acceptNavigation(const QUrl& url, int type, bool mainFrame) {
    const NavigationOrigin origin = originOf(url, type);
    // Frames inside a page are the page's business, within the same bounds.
    if (!mainFrame) return origin != NavigationOrigin::Page || mayOpen(url) || url.toString() == "about:srcdoc";
    switch (origin) {
    case NavigationOrigin::OwnText: return true;  // never through the rules: the owner chose the text
    case NavigationOrigin::OwnSubmission: ownSubmission_.clear(); return true;  // already filtered
    case NavigationOrigin::Owner: return filter(url, std::nullopt, true);
    case NavigationOrigin::Page: break;
    }
    // The page script hands every form over with its fields; a submission
    // that reaches the browser anyway went round it and is not sent.
    if (type == QWebEnginePage::NavigationTypeFormSubmitted) return false;
    return filter(url, std::nullopt, false);
}

void TWebWrapper::formSubmitted(const QString& action, const QString& method, const QString& body) {
    if (!page_) return;
    const QUrl url(action);
    const bool post = method == QLatin1String("post");
    std::optional<std::string> postData;
    if (post) postData = body.toStdString();
    if (!filter(url, postData, false)) return;
    // The rules let the browser send the form: the script stopped it, so the
    // wrapper sends it the way the browser would have.
    ownSubmission_ = url;
    if (post) {
        QWebEngineHttpRequest request(url, QWebEngineHttpRequest::Post);
        request.setHeader("Content-Type", "application/x-www-form-urlencoded");
        request.setPostData(body.toUtf8());
        page_->load(request);
    } else {
        page_->load(url);
    }
}

bool TWebWrapper::filter(const QUrl& url, const std::optional<std::string>& postData, bool fromOwner) {
    const std::string target = url.toString(QUrl::FullyEncoded).toStdString();
    const bool refusedByOwner = beforeNavigate_ && beforeNavigate_(target);
    // The rules hold the page to its bounds: a link beyond them is neither
    // followed nor fetched, a form aimed there reaches the owner unsent.
    const TNavigationResult result = rules_.BeforeNavigate({target, postData, refusedByOwner, fromOwner});
    apply(result);
    return !result.Cancel;
}

void TWebWrapper::apply(const TNavigationResult& result) {
    if (result.Submitted)
        platform::postMessage(owner_, SubmissionMessage, reinterpret_cast<std::uintptr_t>(this), msgLParam_);
    if (!result.InnerPost && result.NavigateTo.empty()) return;
    // After the browser's call has returned: handlers may show other pages.
    QMetaObject::invokeMethod(
        this,
        [this, post = result.InnerPost, page = result.NavigateTo] {
            if (post) {
                if (post->Succeeded)
                    emit OnSuccessfulInnerPost(post->Response);
                else
                    emit OnErrorInnerPost(post->ErrorCode);
            }
            if (!page.empty() && page_) page_->load(QUrl(QString::fromStdString(page)));
        },
        Qt::QueuedConnection);
}

bool TWebWrapper::mayOpen(const QUrl& url) const {
    return url.isValid() && rules_.PageMayOpen(url.toString(QUrl::FullyEncoded).toStdString());
}
