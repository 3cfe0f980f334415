#include "shell/shellservices.h"

#include "desktop/opendocument.h"

#include <QDialog>
#include <QFileDialog>

namespace zentclient {

std::optional<std::string> QtShellServices::chooseExportFile(QWidget* owner) {
    QFileDialog dialog(owner);
    dialog.setObjectName("OpenDialog1");
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilter("Zentrope export files (*.zte)");
    dialog.setDefaultSuffix("zte");
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().first().toStdString();
}

void QtShellServices::showModal(QDialog& dialog) { dialog.exec(); }

void QtShellServices::openDocument(const std::string& path) { OpenWithDesktop(path); }

}  // namespace zentclient
