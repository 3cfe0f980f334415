// FindPsProg: asks the user where the PostScript processor is, or sends
// them to its download page. It only returns the chosen path; storing it is
// the renderer's business.
#pragma once

#include <QDialog>

#include <functional>
#include <optional>
#include <string>

class QLabel;
class QPushButton;

namespace zentclient {

class TFindPsProg : public QDialog {
    Q_OBJECT
public:
    // The file dialog (OpenDialog1) and the browser, replaceable for tests.
    struct Services {
        std::function<std::optional<std::string>(QWidget* owner)> chooseFile;
        std::function<void(const std::string& address)> openAddress;
    };
    // appDir: where ztpclient.dat is. Unset services take the desktop's.
    TFindPsProg(QWidget* parent, std::string appDir, Services services = {});

    // The located file, after the dialogue was accepted.
    const std::string& chosenPath() const { return chosenPath_; }

    QLabel* Memo1 = nullptr;
    QPushButton *ButtonRegister = nullptr, *ButtonDownload = nullptr;

    void ButtonRegisterClick();
    void ButtonDownloadClick();

    static inline const char* kNotAProgramMessage = " is not a program that can be run. Choose the processor itself.";

private:
    std::string appDir_;
    Services services_;
    std::string chosenPath_;
};

// OpenDialog1: a file dialog that shows programs, proposing the packaged
// processor.
std::optional<std::string> ChooseProcessorFile(QWidget* owner);

}  // namespace zentclient
