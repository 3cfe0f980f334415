// The dialogs and desktop services the submission wizard uses, behind one
// seam so that every flow of the wizard also runs in a test without a human.
#pragma once

#include <optional>
#include <string>

class QDialog;
class QMenu;
class QPoint;
class QWidget;

namespace zentclient {

class WizardServices {
public:
    virtual ~WizardServices() = default;
    // An input box prefilled with text; nullopt when cancelled.
    virtual std::optional<std::string> inputBox(QWidget* owner, const std::string& caption, const std::string& prompt,
                                                const std::string& text) = 0;
    // SaveDialog1: the export file the user chose; nullopt when cancelled.
    virtual std::optional<std::string> chooseExportFile(QWidget* owner) = 0;
    // SaveDialogHtml, proposing a file: the HTML file chosen; nullopt when cancelled.
    virtual std::optional<std::string> chooseHtmlFile(QWidget* owner, const std::string& proposed) = 0;
    // The user's documents folder, created when missing; empty when there is none.
    virtual std::string documentsFolder() = 0;
    // FindPsProg: the processor the user located; nullopt when closed.
    virtual std::optional<std::string> locateProcessor(QWidget* owner, const std::string& appDir) = 0;
    // Shows a window modally and returns its modal result once it is closed.
    virtual int showModal(QDialog& dialog) = 0;
    // Shows a window without waiting for it.
    virtual void showModeless(QDialog& dialog) = 0;
    // Opens a popup menu at a screen position (returns at once).
    virtual void popup(QMenu& menu, const QPoint& at) = 0;
    // Opens a document with the desktop's handler; the result is not checked.
    virtual void openDocument(const std::string& path) = 0;
    // The system's exclamation sound.
    virtual void beep() = 0;
};

// The running program's: Qt dialogs, exec(), the desktop's handler.
class QtWizardServices : public WizardServices {
public:
    std::optional<std::string> inputBox(QWidget* owner, const std::string& caption, const std::string& prompt,
                                        const std::string& text) override;
    std::optional<std::string> chooseExportFile(QWidget* owner) override;
    std::optional<std::string> chooseHtmlFile(QWidget* owner, const std::string& proposed) override;
    std::string documentsFolder() override;
    std::optional<std::string> locateProcessor(QWidget* owner, const std::string& appDir) override;
    int showModal(QDialog& dialog) override;
    void showModeless(QDialog& dialog) override;
    void popup(QMenu& menu, const QPoint& at) override;
    void openDocument(const std::string& path) override;
    void beep() override;
};

}  // namespace zentclient
