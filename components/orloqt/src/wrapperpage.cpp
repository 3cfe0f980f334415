#include "wrapperpage.h"

#include <QFile>
#include <QWebChannel>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>

namespace orloqt {

namespace {

QString resourceText(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) qFatal("orloqt: resource %s is missing", qPrintable(path));
    return QString::fromUtf8(file.readAll());
}

// The channel's client library (from Qt) and our capture script, injected
// into the page's own world before any of its scripts run, so that it sees
// every form and its form.submit() calls.
QWebEngineScript formCaptureScript() {
    QWebEngineScript script;
    script.setName("orloqt-form-capture");
    script.setSourceCode(resourceText(":/qtwebchannel/qwebchannel.js") + "\n" +
                         resourceText(":/orloqt/formcapture.js"));
    script.setInjectionPoint(QWebEngineScript::DocumentCreation);
    script.setWorldId(QWebEngineScript::MainWorld);
    script.setRunsOnSubFrames(false);
    return script;
}

}  // namespace

void FormBridge::submit(const QString& action, const QString& method, const QString& body) {
    if (sink_) sink_(action, method, body);
}

WrapperPage::WrapperPage(QWebEngineProfile* profile, Filter filter, FormBridge::Sink forms, QObject* parent)
    : QWebEnginePage(profile, parent), filter_(std::move(filter)), channel_(new QWebChannel(this)) {
    channel_->registerObject("orloForms", new FormBridge(std::move(forms), channel_));
    setWebChannel(channel_, QWebEngineScript::MainWorld);
    scripts().insert(formCaptureScript());
}

bool WrapperPage::acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) {
    return filter_(url, type, isMainFrame);
}

}  // namespace orloqt
