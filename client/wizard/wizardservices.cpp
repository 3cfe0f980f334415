#include "wizard/wizardservices.h"

#include "desktop/opendocument.h"
#include "render/tfindpsprog.h"

#include <QApplication>
#include <QDir>
#include <QStandardPaths>
#include <QDialog>
#include <QFileDialog>
#include <QInputDialog>
#include <QMenu>

namespace zentclient {

std::optional<std::string> QtWizardServices::inputBox(QWidget* owner, const std::string& caption,
                                                      const std::string& prompt, const std::string& text) {
    bool ok = false;
    const QString answer = QInputDialog::getText(owner, QString::fromStdString(caption), QString::fromStdString(prompt),
                                                 QLineEdit::Normal, QString::fromStdString(text), &ok);
    if (!ok) return std::nullopt;
    return answer.toStdString();
}

std::optional<std::string> QtWizardServices::chooseExportFile(QWidget* owner) {
    QFileDialog dialog(owner, "Save to Zentrope export file");
    dialog.setObjectName("SaveDialog1");
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter("Zentrope export files (*.zte)");
    dialog.setDefaultSuffix("zte");
    // Qt's save dialog asks before it overwrites a file.
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().first().toStdString();
}

std::optional<std::string> QtWizardServices::chooseHtmlFile(QWidget* owner, const std::string& proposed) {
    QFileDialog dialog(owner, "Save to HTML file");
    dialog.setObjectName("SaveDialogHtml");
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter("HTML file (*htm *html)");
    dialog.setDefaultSuffix("htm");
    if (!proposed.empty()) dialog.selectFile(QString::fromStdString(proposed));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().first().toStdString();
}

std::string QtWizardServices::documentsFolder() {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty() || !QDir().mkpath(folder)) return {};
    return folder.toStdString();
}

std::optional<std::string> QtWizardServices::locateProcessor(QWidget* owner, const std::string& appDir) {
    TFindPsProg locator(owner, appDir);
    if (locator.exec() != QDialog::Accepted) return std::nullopt;
    return locator.chosenPath();
}

int QtWizardServices::showModal(QDialog& dialog) { return dialog.exec(); }

void QtWizardServices::showModeless(QDialog& dialog) { dialog.show(); }

void QtWizardServices::popup(QMenu& menu, const QPoint& at) { menu.popup(at); }

void QtWizardServices::openDocument(const std::string& path) { OpenWithDesktop(path); }

void QtWizardServices::beep() { QApplication::beep(); }

}  // namespace zentclient
