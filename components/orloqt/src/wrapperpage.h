// The page the web wrapper gives its browser: it reports every navigation
// request to the wrapper before the browser makes it, and carries the script
// that hands submitted forms, with their fields, to the wrapper over a web
// channel (the browser tells a navigation's target, never a form's body).
#pragma once

#include <QObject>
#include <QWebEnginePage>

#include <functional>

class QWebChannel;

namespace orloqt {

// The object the page script calls. JavaScript can reach every public slot of
// it (deleteLater too), so it holds nothing but a callback.
class FormBridge : public QObject {
    Q_OBJECT
public:
    using Sink = std::function<void(const QString& action, const QString& method, const QString& body)>;
    FormBridge(Sink sink, QObject* parent) : QObject(parent), sink_(std::move(sink)) {}

public slots:
    // action: the absolute target (for GET with the fields as its query);
    // method: "post" or "get"; body: the URL-encoded fields of a POST.
    void submit(const QString& action, const QString& method, const QString& body);

private:
    Sink sink_;
};

class WrapperPage : public QWebEnginePage {
public:
    using Filter = std::function<bool(const QUrl& url, NavigationType type, bool mainFrame)>;

    WrapperPage(QWebEngineProfile* profile, Filter filter, FormBridge::Sink forms, QObject* parent);

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;

private:
    Filter filter_;
    QWebChannel* channel_;
};

}  // namespace orloqt
