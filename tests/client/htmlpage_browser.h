// Looking into the page of a window's embedded browser from a test.
#pragma once

#include <QString>

#include <ostream>
#include <QVariant>

class QWebEngineView;

// Failure messages show texts, not their bytes.
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

namespace clienttest {

// Runs a script in the view's page and returns its value (invalid on time-out).
QVariant runScript(QWebEngineView& view, const QString& script);
// The visible text of the view's page.
QString pageText(QWebEngineView& view);
// Waits until the page's text contains text.
bool waitForText(QWebEngineView& view, const QString& text, int milliseconds = 10000);

}  // namespace clienttest
