#include "render/tfindpsprog.h"

#include "desktop/opendocument.h"

#include <zentcore/application.h>
#include <zentcore/render.h>
#include <zplatform/prompter.h>

#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <sys/stat.h>
#include <unistd.h>

namespace zentclient {

namespace {

constexpr const char* kExplanation =
    "In order to preview your printout, you need to specify an external program\n"
    "that processes postscript files, such as Ghostcript. \n"
    "If you have already installed such a program, click [Locate] to identify \n"
    "and register it. \n"
    "If you don't have such a program, click [Download] in order to download\n"
    "GNU Ghostscript version 6.52 or later, now.";

// A regular file this user may run: a text file or a directory picked by
// mistake would only fail later, at every preview.
bool isProgram(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

}  // namespace

std::optional<std::string> ChooseProcessorFile(QWidget* owner) {
    QFileDialog dialog(owner, "Find Postscript processor");
    dialog.setObjectName("OpenDialog1");
    // Qt's own dialog, so the filter below (programs only) applies.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setFilter(QDir::AllDirs | QDir::Files | QDir::Executable | QDir::NoDotAndDotDot);
    dialog.setNameFilter("Programs (*)");
    const QString proposed = QString::fromUtf8(zentcore::kProposedProcessor.data(), int(zentcore::kProposedProcessor.size()));
    dialog.setDirectory(QFileInfo(proposed).absolutePath());
    dialog.selectFile(QFileInfo(proposed).fileName());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().first().toStdString();
}

TFindPsProg::TFindPsProg(QWidget* parent, std::string appDir, Services services)
    : QDialog(parent), appDir_(std::move(appDir)), services_(std::move(services)) {
    setObjectName("FindPsProg");
    setWindowTitle("Find Postscript Processor");
    if (!services_.chooseFile) services_.chooseFile = ChooseProcessorFile;
    if (!services_.openAddress) services_.openAddress = OpenWithDesktop;

    Memo1 = new QLabel(kExplanation, this);
    Memo1->setObjectName("Memo1");
    Memo1->setTextInteractionFlags(Qt::TextSelectableByMouse);
    ButtonRegister = new QPushButton("Locate", this);
    ButtonRegister->setObjectName("ButtonRegister");
    ButtonDownload = new QPushButton("Download", this);
    ButtonDownload->setObjectName("ButtonDownload");
    connect(ButtonRegister, &QPushButton::clicked, this, [this] { ButtonRegisterClick(); });
    connect(ButtonDownload, &QPushButton::clicked, this, [this] { ButtonDownloadClick(); });

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ButtonRegister);
    buttons->addWidget(ButtonDownload);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Memo1);
    layout->addLayout(buttons);
}

void TFindPsProg::ButtonRegisterClick() {
    const auto chosen = services_.chooseFile(this);
    if (!chosen) return;   // the locator stays open
    if (!isProgram(*chosen)) {
        platform::prompter().warn(zentcore::kApplicationTitle, *chosen + kNotAProgramMessage);
        return;
    }
    chosenPath_ = *chosen;
    accept();
}

void TFindPsProg::ButtonDownloadClick() {
    // Stays open: the user locates the processor once it is installed.
    services_.openAddress(zentcore::ProcessorDownloadAddress(appDir_));
}

}  // namespace zentclient
