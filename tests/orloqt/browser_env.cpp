#include "browser_env.h"
#include "browser_sanitizer.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QWebEnginePage>

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <unistd.h>

namespace browsertest {

namespace {

// The browser engine needs its application object before the first view,
// shared OpenGL contexts, and as root a disabled sandbox (Chromium refuses
// to start otherwise).
class BrowserEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        if (geteuid() == 0) setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 1);
        QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
        app_ = std::make_unique<QApplication>(argc_, argv_);
        QApplication::setQuitOnLastWindowClosed(false);
        platform::setPostWaker([] {
            if (QCoreApplication* app = QCoreApplication::instance())
                QMetaObject::invokeMethod(app, [] { platform::pumpMessages(); }, Qt::QueuedConnection);
        });
        testenv::setWaitStep(
            [] { QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 20); });
    }
    void TearDown() override {
        testenv::setWaitStep({});
        platform::setPostWaker({});
        app_.reset();
    }

private:
    int argc_ = 1;
    char name_[16] = "orloqt_tests";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<QApplication> app_;
};

[[maybe_unused]] ::testing::Environment* const environment =
    ::testing::AddGlobalTestEnvironment(new BrowserEnvironment);

}  // namespace

OwnerWindow::OwnerWindow(std::function<void()> onMessage)
    : onMessage_(std::move(onMessage)), handle_(platform::registerWindow([this](const platform::Message& m) {
          messages.push_back(m);
          if (onMessage_) onMessage_();
      })) {}

OwnerWindow::~OwnerWindow() { platform::unregisterWindow(handle_); }

Browser::Browser()
    : view(std::make_unique<QWebEngineView>()),
      wrapper(std::make_unique<TWebWrapper>()),
      owner([this] { collected.push_back(wrapper->CollectedText()); }) {
    view->resize(640, 480);
    view->show();
    wrapper->SetBrowser(view.get());
    wrapper->SetOwner(owner.handle());
    wrapper->SetBeforeNavigate([this](const std::string& url) {
        filtered.push_back(url);
        return refuse && refuse(url);
    });
    QObject::connect(view.get(), &QWebEngineView::loadStarted, [this] { ++started_; });
    QObject::connect(view.get(), &QWebEngineView::loadFinished, [this](bool ok) { loads_.push_back(ok); });
}

Browser::~Browser() {
    wrapper.reset();
    view.reset();
}

bool Browser::loadedSince(int mark, int milliseconds) {
    if (!waitUntil([&] { return int(loads_.size()) > mark; }, milliseconds)) return false;
    return loads_[size_t(mark)];
}

bool Browser::waitForFiltered(const std::string& text) {
    return waitUntil([&] {
        for (const std::string& url : filtered)
            if (url.find(text) != std::string::npos) return true;
        return false;
    });
}

void Browser::show(const std::string& html) {
    const size_t before = loads_.size();
    ASSERT_TRUE(wrapper->SetContents(html, false));
    // A navigation refused on the page before may still report its end first.
    ASSERT_TRUE(waitUntil([&] { return std::find(loads_.begin() + before, loads_.end(), true) != loads_.end(); }))
        << "the page did not load";
    afterShown_ = int(std::find(loads_.begin() + before, loads_.end(), true) - loads_.begin()) + 1;
}

QVariant Browser::eval(const QString& script) {
    // The answer may come after a time-out; it must not write into a gone frame.
    auto answer = std::make_shared<std::optional<QVariant>>();
    view->page()->runJavaScript(script, [answer](const QVariant& value) { *answer = value; });
    EXPECT_TRUE(waitUntil([&] { return answer->has_value(); })) << "no answer to " << script.toStdString();
    return answer->value_or(QVariant());
}

QString Browser::text() {
    auto answer = std::make_shared<std::optional<QString>>();
    view->page()->toPlainText([answer](const QString& value) { *answer = value; });
    EXPECT_TRUE(waitUntil([&] { return answer->has_value(); })) << "no text from the page";
    return answer->value_or(QString());
}

std::string linkPage(const std::string& href) {
    return "<html><body><a id=\"go\" href=\"" + href + "\">go</a></body></html>";
}

}  // namespace browsertest
