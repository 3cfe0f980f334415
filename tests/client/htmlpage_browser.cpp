#include "htmlpage_browser.h"

#include "client_env.h"

// The client tests host the browser engine.
#include "../orloqt/browser_sanitizer.h"

#include <QWebEnginePage>
#include <QWebEngineView>

#include <memory>
#include <optional>

namespace clienttest {

QVariant runScript(QWebEngineView& view, const QString& script) {
    // The answer may come after a time-out: it must not write into a gone frame.
    auto answer = std::make_shared<std::optional<QVariant>>();
    view.page()->runJavaScript(script, [answer](const QVariant& value) { *answer = value; });
    waitUntil([&] { return answer->has_value(); }, 10000);
    return answer->value_or(QVariant());
}

QString pageText(QWebEngineView& view) {
    auto answer = std::make_shared<std::optional<QString>>();
    view.page()->toPlainText([answer](const QString& value) { *answer = value; });
    waitUntil([&] { return answer->has_value(); }, 10000);
    return answer->value_or(QString());
}

bool waitForText(QWebEngineView& view, const QString& text, int milliseconds) {
    return waitUntil([&] { return pageText(view).contains(text); }, milliseconds);
}

}  // namespace clienttest
