// What the HTML page window asks of the desktop, behind one seam so that the
// window also runs in a test without a human.
#pragma once

#include <string>

class QPrinter;
class QWidget;

namespace zentclient {

class HtmlPageServices {
public:
    virtual ~HtmlPageServices() = default;
    // The print dialog: sets up printer; false when the user cancels.
    virtual bool choosePrinter(QWidget* owner, QPrinter& printer) = 0;
    // Starts the desktop's tool for adding a printer, without waiting for it;
    // false, with the reason, when it cannot be started.
    virtual bool startAddPrinter(std::string& error) = 0;
};

// The running program's: the Qt print dialog and system-config-printer.
class QtHtmlPageServices : public HtmlPageServices {
public:
    bool choosePrinter(QWidget* owner, QPrinter& printer) override;
    bool startAddPrinter(std::string& error) override;
};

}  // namespace zentclient
