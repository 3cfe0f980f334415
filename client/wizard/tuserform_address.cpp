// The request address box: filling it, reading the chosen address, and
// putting a printer picked from a list into it.
#include "wizard/tuserform.h"

#include "wizard/wizardservices.h"

#include <zcodec/utilities.h>
#include <zentcore/application.h>
#include <zentcore/printeraddress.h>
#include <zentcore/settings.h>
#include <zplatform/prompter.h>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QStyle>

namespace zentclient {

namespace {

QIcon imageFor(int image) {
    QStyle* style = QApplication::style();
    return style->standardIcon(image == TUserForm::kImageLocalExport ? QStyle::SP_DialogSaveButton
                                                                     : QStyle::SP_DriveNetIcon);
}

void addEntry(QComboBox& box, const std::string& text, int image) {
    box.addItem(imageFor(image), QString::fromStdString(text), image);
}

}  // namespace

void TUserForm::fillAddressBox() {
    ComboBox1->clear();
    for (const auto& address : zentcore::LoadRequestAddresses())
        if (address != zentcore::kLocalExportEntry) addEntry(*ComboBox1, address, kImageAddress);
    if (context_.settings.LocalExport) addEntry(*ComboBox1, std::string(zentcore::kLocalExportEntry), kImageLocalExport);
    if (ComboBox1->currentText().isEmpty() && ComboBox1->count() > 0) ComboBox1->setCurrentIndex(0);
}

std::optional<std::string> TUserForm::selectedAddress() {
    std::string text;
    if (!ComboBox1->isEditable()) {
        if (ComboBox1->currentIndex() < 0) {
            platform::prompter().warn(zentcore::kApplicationTitle, "No selection!");
            return std::nullopt;
        }
        text = ComboBox1->itemText(ComboBox1->currentIndex()).toStdString();
    } else {
        text = ComboBox1->currentText().toStdString();
    }
    return encdec::Trim(text);
}

void TUserForm::pickIntoAddressBox(const std::string& address) {
    const int found = ComboBox1->findText(QString::fromStdString(address), Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (found >= 0) {
        ComboBox1->setCurrentIndex(found);
        return;
    }
    if (context_.settings.AddrReadOnly) {
        services_->beep();
        return;
    }
    addEntry(*ComboBox1, address, kImageAddress);
    ComboBox1->setCurrentIndex(ComboBox1->count() - 1);
}

}  // namespace zentclient
