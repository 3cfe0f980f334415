// TWebWrapper: takes charge of an embedded browser (a QWebEngineView). It
// shows HTML held in memory or in a file, hands every form the page submits
// to its owner window as one text (the submission message), can post such a
// form itself, and controls the browser's context menu. What it does with
// each navigation is decided by TWebWrapperRules; this class only feeds the
// browser's navigations and submitted forms to them and applies the results.
//
// A page shown through the wrapper is untrusted unless the owner says
// otherwise (SetLocalPagesAllowed): it may open http and https pages,
// about:blank and the wrapper's own pages, never local files or any other
// scheme, however it asks (links, forms, scripts, refreshes, frames, a
// "GO_HREF#" text).

#pragma once

#include <orlo/webrules.h>
#include <zplatform/messaging.h>

#include <QObject>
#include <QPointer>
#include <QUrl>

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

class QMenu;
class QWebEnginePage;
class QWebEngineView;

namespace orloqt {
class WrapperPage;
}

class TWebWrapper : public QObject {
    Q_OBJECT
public:
    // Sent to the owner window when the page submitted a form: wParam is the
    // wrapper, lParam MsgLParam. The owner reads CollectedText().
    static constexpr unsigned SubmissionMessage = platform::WM_APP + 20;

    // The owner's own look at a navigation (the URL percent-encoded) before the
    // rules see it; true refuses it. The rules still collect a refused form.
    using BeforeNavigateHandler = std::function<bool(const std::string& url)>;

    explicit TWebWrapper(QObject* parent = nullptr);
    ~TWebWrapper() override;  // releases the browser

    // The window that receives the submission message; 0 for none.
    void SetOwner(platform::WindowHandle owner) { owner_ = owner; }
    platform::WindowHandle GetOwner() const { return owner_; }

    // Attaching gives the view a page of the wrapper's own (the view's old
    // page goes, as Qt does with a page the view made itself) and takes over
    // its context menu; detaching gives it a plain page back and deletes the
    // wrapper's temporary pages.
    void SetBrowser(QWebEngineView* browser);
    QWebEngineView* GetBrowser() const { return browser_; }
    void UnsetBrowser();
    QWebEnginePage* GetDocument() const;

    // Shows a text (or, with isFile, the content of the file it names)
    // through the page producer; a single line "GO_HREF#url" loads url
    // instead, when a shown page may open it (the text is the page's, not
    // the program's). False without a browser, when the file cannot be read
    // or the GO_HREF target is out of bounds.
    bool SetContents(const std::string& text, bool isFile);
    bool SetContents(std::istream& stream);
    bool SetContents(const std::vector<std::string>& lines);

    // Navigates to url (empty: about:blank) bypassing the cache; the previous
    // URL is kept when navigation cannot start (no browser, a URL that is not
    // one). Returns once the navigation has started, not when it is done.
    bool Load(const std::string& url);
    bool Load();
    void SetURL(const std::string& url) { url_ = url; }
    const std::string& GetURL() const { return url_; }

    // Relative links in shown texts resolve against this; empty: none.
    void SetBaseUrl(const QUrl& base) { baseUrl_ = base; }
    // Pages from the program's own files may open local files (the page
    // window's templates); pages from a server must not (the default).
    void SetLocalPagesAllowed(bool allowed);
    bool GetLocalPagesAllowed() const { return rules_.LocalPagesAllowed; }
    void SetBeforeNavigate(BeforeNavigateHandler handler) { beforeNavigate_ = std::move(handler); }

    // Published switches (see TWebWrapperRules).
    void SetDoDefPost(bool on) { rules_.DoDefPost = on; }
    bool GetDoDefPost() const { return rules_.DoDefPost; }
    void SetDoDefAction(bool on) { rules_.DoDefAction = on; }
    bool GetDoDefAction() const { return rules_.DoDefAction; }
    void SetCallInnerPost(bool on) { rules_.CallInnerPost = on; }
    bool GetCallInnerPost() const { return rules_.CallInnerPost; }
    void SetInnerPostReferrer(const std::string& referrer) { rules_.InnerPostReferrer = referrer; }
    const std::string& GetInnerPostReferrer() const { return rules_.InnerPostReferrer; }
    void SetMsgLParam(std::int32_t value) { msgLParam_ = value; }
    std::int32_t GetMsgLParam() const { return msgLParam_; }
    void SetPopupMenu(QMenu* menu);
    QMenu* GetPopupMenu() const;
    void SetPopupEnabled(bool on) { rules_.PopupEnabled = on; }
    bool GetPopupEnabled() const { return rules_.PopupEnabled; }
    void SetFpp(TWebWrapperRules::PageProducer producer) { rules_.SetFpp(std::move(producer)); }
    void SetFppEnabled(bool enabled) { rules_.SetFppEnabled(enabled); }

    // False while the popup is not enabled; otherwise shows PopupMenu (when
    // there is one) at the mouse cursor and returns true.
    bool ShowPopup();

    // The last submission's entries, each followed by EOT ("0" before any),
    // and the number of its "XSB<n>" field.
    const std::string& CollectedText() const { return rules_.CollectedText(); }
    int SubmissionNumber() const { return rules_.SubmissionNumber(); }

signals:
    // The wrapper posted a submitted form itself.
    void OnSuccessfulInnerPost(const std::string& response);
    void OnErrorInnerPost(int errorCode);
    // A context-menu request was answered (a TPopupChoice).
    void ContextMenuHandled(int choice);

private:
    enum class NavigationOrigin {
        Page,           // the page: a link, a script, a redirect, history
        Owner,          // Load(), or a page the rules produced
        OwnText,        // a text the owner shows (SetContents)
        OwnSubmission,  // a form the rules let through, sent by the wrapper
    };
    NavigationOrigin originOf(const QUrl& url, int type) const;
    bool acceptNavigation(const QUrl& url, int type, bool mainFrame);
    void formSubmitted(const QString& action, const QString& method, const QString& body);
    // Runs one navigation through the owner's handler and the rules; true
    // when the browser may go.
    bool filter(const QUrl& url, const std::optional<std::string>& postData, bool fromOwner);
    void apply(const TNavigationResult& result);
    bool mayOpen(const QUrl& url) const;   // the rules' page bounds
    bool show(const TContentsResult& contents);
    QUrl resolve(const std::string& url) const;
    void contextMenu(const QPoint& position);
    void releaseBrowser(bool browserAlive);
    void deleteContentPages();

    TWebWrapperRules rules_;
    QWebEngineView* browser_ = nullptr;  // cleared when it is destroyed
    orloqt::WrapperPage* page_ = nullptr;
    Qt::ContextMenuPolicy savedMenuPolicy_ = Qt::DefaultContextMenu;
    std::vector<QMetaObject::Connection> browserConnections_;
    QPointer<QMenu> popupMenu_;
    platform::WindowHandle owner_ = 0;
    std::int32_t msgLParam_ = 0;
    std::string url_;
    QUrl baseUrl_;
    BeforeNavigateHandler beforeNavigate_;
    QUrl ownSubmission_;       // a form the rules let through, loaded by the wrapper itself
    QUrl ownContentPage_;      // a text too large to show inline, shown from this file
    std::vector<std::string> contentPages_;
};
