// The dialogs and desktop services the main window's commands use, behind one
// seam so every command also runs in a test without a human.
#pragma once

#include <optional>
#include <string>

class QDialog;
class QWidget;

namespace zentclient {

class ShellServices {
public:
    virtual ~ShellServices() = default;
    // OpenDialog1: the export file the user chose; nullopt when cancelled.
    virtual std::optional<std::string> chooseExportFile(QWidget* owner) = 0;
    // Shows a window modally and returns once it is closed.
    virtual void showModal(QDialog& dialog) = 0;
    // Opens a document with the desktop's handler; the result is not checked.
    virtual void openDocument(const std::string& path) = 0;
};

// The running program's: a file dialog, exec(), xdg-open.
class QtShellServices : public ShellServices {
public:
    std::optional<std::string> chooseExportFile(QWidget* owner) override;
    void showModal(QDialog& dialog) override;
    void openDocument(const std::string& path) override;
};

}  // namespace zentclient
