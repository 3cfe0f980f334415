// The web wrapper's browser, the pages it shows and its context menu.
#include <orloqt/webwrapper.h>

#include "wrapperpage.h"

#include <zplatform/system.h>

#include <QCursor>
#include <QMenu>
#include <QWebEngineHttpRequest>
#include <QWebEngineSettings>
#include <QWebEngineView>

#include <istream>
#include <iterator>

#include <unistd.h>

namespace {

// The browser takes an inline page as a data: URL of at most 2 MiB; a larger
// page is shown from a temporary file instead.
constexpr qsizetype kInlinePageLimit = 2 * 1024 * 1024 - 64;

}  // namespace

TWebWrapper::TWebWrapper(QObject* parent) : QObject(parent) {}

TWebWrapper::~TWebWrapper() { UnsetBrowser(); }

void TWebWrapper::SetBrowser(QWebEngineView* browser) {
    if (browser == browser_) return;
    UnsetBrowser();
    if (!browser) return;
    browser_ = browser;
    page_ = new orloqt::WrapperPage(
        browser->page()->profile(),
        [this](const QUrl& url, QWebEnginePage::NavigationType type, bool mainFrame) {
            return acceptNavigation(url, type, mainFrame);
        },
        [this](const QString& action, const QString& method, const QString& body) {
            formSubmitted(action, method, body);
        },
        this);
    SetLocalPagesAllowed(rules_.LocalPagesAllowed);
    // The wrapper has no window to open a page's windows in, and a window
    // would escape its filter: window.open() gives nothing.
    page_->settings()->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    browser->setPage(page_);

    savedMenuPolicy_ = browser->contextMenuPolicy();
    browser->setContextMenuPolicy(Qt::CustomContextMenu);
    browserConnections_.push_back(
        connect(browser, &QWidget::customContextMenuRequested, this, &TWebWrapper::contextMenu));
    // A browser destroyed first leaves the wrapper holding nothing.
    browserConnections_.push_back(connect(browser, &QObject::destroyed, this, [this] { releaseBrowser(false); }));
}

void TWebWrapper::UnsetBrowser() { releaseBrowser(true); }

void TWebWrapper::releaseBrowser(bool browserAlive) {
    if (!page_) return;
    for (const auto& connection : browserConnections_) disconnect(connection);
    browserConnections_.clear();
    rules_.ReleasePages();
    deleteContentPages();
    ownSubmission_.clear();
    if (browserAlive && browser_) {
        browser_->setContextMenuPolicy(savedMenuPolicy_);
        browser_->setPage(new QWebEnginePage(page_->profile(), browser_));
    }
    delete page_;
    page_ = nullptr;
    browser_ = nullptr;
}

QWebEnginePage* TWebWrapper::GetDocument() const { return page_; }

void TWebWrapper::SetLocalPagesAllowed(bool allowed) {
    rules_.LocalPagesAllowed = allowed;
    // A server's page shown from a file (a produced page) must not read other
    // local files either.
    if (page_) page_->settings()->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, allowed);
}

bool TWebWrapper::SetContents(const std::string& text, bool isFile) {
    if (!isFile) return show(rules_.SetContents(text));
    const std::optional<TContentsResult> contents = rules_.SetContentsFile(text);
    return contents && show(*contents);
}

bool TWebWrapper::SetContents(std::istream& stream) {
    return show(rules_.SetContents(std::string(std::istreambuf_iterator<char>(stream), {})));
}

bool TWebWrapper::SetContents(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) {
        text += line;
        text += '\n';
    }
    return show(rules_.SetContents(text));
}

bool TWebWrapper::show(const TContentsResult& contents) {
    // A "GO_HREF#" text is the page asking to go there: held to its bounds,
    // resolved as the browser would resolve it.
    if (contents.GoHref) return mayOpen(resolve(TWebWrapperRules::LoadUrl(contents.Url))) && Load(contents.Url);
    if (!page_) return false;
    const QString html = QString::fromUtf8(contents.Html.data(), qsizetype(contents.Html.size()));
    if (html.toUtf8().toPercentEncoding().size() <= kInlinePageLimit) {
        page_->setHtml(html, baseUrl_);
        return true;
    }
    const std::string path = TOrloFunction::AnsiTempFileName("htm");
    if (path.empty()) return false;
    contentPages_.push_back(path);
    rules_.AddOwnPage(path);
    // The byte-order mark tells the browser the text is UTF-8 even when the
    // page does not say so itself.
    if (!platform::writeFileAtomically(path, "\xEF\xBB\xBF" + contents.Html)) return false;
    ownContentPage_ = QUrl::fromLocalFile(QString::fromStdString(path));
    page_->load(ownContentPage_);
    return true;
}

void TWebWrapper::deleteContentPages() {
    for (const std::string& path : contentPages_) unlink(path.c_str());
    contentPages_.clear();
    ownContentPage_.clear();
}

bool TWebWrapper::Load(const std::string& url) {
    const std::string previous = url_;
    url_ = TWebWrapperRules::LoadUrl(url);
    if (Load()) return true;
    url_ = previous;
    return false;
}

bool TWebWrapper::Load() {
    if (!page_) return false;
    const QUrl target = resolve(TWebWrapperRules::LoadUrl(url_));
    if (!target.isValid() || target.isRelative()) return false;
    QWebEngineHttpRequest request(target);
    request.setHeader("Cache-Control", "no-cache");
    request.setHeader("Pragma", "no-cache");
    page_->load(request);
    return true;
}

QUrl TWebWrapper::resolve(const std::string& url) const {
    const QString text = QString::fromStdString(url);
    if (text.startsWith('/')) return QUrl::fromLocalFile(text);
    const QUrl parsed(text);
    return parsed.isRelative() && baseUrl_.isValid() ? baseUrl_.resolved(parsed) : parsed;
}

void TWebWrapper::SetPopupMenu(QMenu* menu) { popupMenu_ = menu; }

QMenu* TWebWrapper::GetPopupMenu() const { return popupMenu_; }

bool TWebWrapper::ShowPopup() {
    if (!rules_.PopupEnabled) return false;
    if (popupMenu_) popupMenu_->popup(QCursor::pos());
    return true;
}

void TWebWrapper::contextMenu(const QPoint& position) {
    const TPopupChoice choice = rules_.ShowPopup(popupMenu_ != nullptr);
    if (!ShowPopup() && browser_) {
        QMenu* menu = browser_->createStandardContextMenu();
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->popup(browser_->mapToGlobal(position));
    }
    emit ContextMenuHandled(static_cast<int>(choice));
}
