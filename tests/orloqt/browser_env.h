// What the web wrapper's tests share: one application object for the whole
// program (the browser engine starts once), window messages delivered by the
// Qt event loop, and a browser view with a wrapper and an owner window that
// records the submission messages it receives.
#pragma once

#include <orloqt/webwrapper.h>
#include <zplatform/messaging.h>

#include "test_env.h"
#include "wait.h"

#include <QString>
#include <QVariant>
#include <QWebEngineView>

#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

// Failure messages show texts, not their bytes.
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

namespace browsertest {

// Waits run the event loop (the test environment installs the step).
using testenv::waitUntil;

// An owner window: records every message posted to it.
class OwnerWindow {
public:
    explicit OwnerWindow(std::function<void()> onMessage = {});
    ~OwnerWindow();
    platform::WindowHandle handle() const { return handle_; }
    std::vector<platform::Message> messages;

private:
    std::function<void()> onMessage_;
    platform::WindowHandle handle_;
};

class Browser {
public:
    Browser();
    ~Browser();

    // Shows a text through the wrapper and waits until the page has loaded.
    void show(const std::string& html);
    // Runs a script in the page and returns its value.
    QVariant eval(const QString& script);
    // The visible text of the page.
    QString text();
    QUrl url() const { return view->url(); }
    // The number of loads finished so far: take it before starting one.
    int mark() const { return int(loads_.size()); }
    // The mark right after the load of the page show() showed.
    int afterShown() const { return afterShown_; }
    // Waits for the first load to finish after mark; its success, or false
    // on time-out. A navigation the wrapper refuses ends as a failed load.
    bool loadedSince(int mark, int milliseconds = 10000);
    int started() const { return started_; }
    // Waits until the wrapper has filtered a navigation whose URL contains text.
    bool waitForFiltered(const std::string& text);

    // Every URL the wrapper filtered (the owner's handler records them and
    // refuses nothing unless refuse says so).
    std::vector<std::string> filtered;
    std::function<bool(const std::string& url)> refuse;

    std::unique_ptr<QWebEngineView> view;
    std::unique_ptr<TWebWrapper> wrapper;
    OwnerWindow owner;
    // The wrapper's collected text at each submission message.
    std::vector<std::string> collected;

private:
    std::vector<bool> loads_;
    int started_ = 0;
    int afterShown_ = 0;
};

// A page with one link, id "go", to href.
std::string linkPage(const std::string& href);

}  // namespace browsertest
