#include "prefs/prefservices.h"

#include "address/taddressform.h"
#include "render/tfindpsprog.h"
#include "shell/windows.h"

#include <QFileDialog>

namespace zentclient {

std::optional<std::string> QtPrefServices::chooseDirectory(QWidget* owner, const std::string& caption,
                                                           const std::string& start) {
    const QString dir =
        QFileDialog::getExistingDirectory(owner, QString::fromStdString(caption), QString::fromStdString(start));
    if (dir.isEmpty()) return std::nullopt;
    return dir.toStdString();
}

std::optional<std::string> QtPrefServices::locateProcessor(QWidget* owner, const std::string&) {
    TFindPsProg locator(owner, appDir_);
    if (locator.exec() != QDialog::Accepted) return std::nullopt;
    return locator.chosenPath();
}

std::optional<std::vector<std::string>> QtPrefServices::editAddresses(QWidget*) {
    if (!AddressForm) return std::nullopt;
    if (AddressForm->exec() != QDialog::Accepted) return std::nullopt;
    return AddressForm->Addresses;
}

}  // namespace zentclient
