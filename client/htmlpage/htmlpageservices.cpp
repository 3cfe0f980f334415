#include "htmlpage/htmlpageservices.h"

#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>

namespace zentclient {

namespace {

constexpr const char* kAddPrinterTool = "system-config-printer";

}  // namespace

bool QtHtmlPageServices::choosePrinter(QWidget* owner, QPrinter& printer) {
    QPrintDialog dialog(&printer, owner);
    return dialog.exec() == QDialog::Accepted;
}

bool QtHtmlPageServices::startAddPrinter(std::string& error) {
    // Detached: the tool outlives the window and the client never waits for it.
    if (QProcess::startDetached(kAddPrinterTool, {})) return true;
    error = std::string("The printer tool ") + kAddPrinterTool + " could not be started.";
    return false;
}

}  // namespace zentclient
