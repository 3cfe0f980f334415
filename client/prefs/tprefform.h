// PrefForm ("Preferences"): the administrator's editor of the client's
// settings. The "Identification" page asks for the administrator password;
// only after it the "Properties" page lists the 24 settings, with Save,
// Default and Cancel.
#pragma once

#include <zentcore/preferences.h>

#include <QDialog>

#include <memory>

class QLineEdit;
class QPushButton;
class QTabWidget;
class QTableWidget;
class QTableWidgetItem;
class QWidget;

namespace zentclient {

class PrefServices;
class TForm1;

class TPrefForm : public QDialog {
    Q_OBJECT
public:
    explicit TPrefForm(TForm1& form1, QWidget* parent = nullptr);
    ~TPrefForm() override;

    QTabWidget* PageControl1 = nullptr;
    QWidget* TabSheetIdent = nullptr;
    QWidget* TabSheetProps = nullptr;
    QLineEdit* EditPassword = nullptr;
    QPushButton *BitBtnLogin = nullptr, *BitBtnCancel1 = nullptr;
    // One row per setting under the title row; the value column in navy, a
    // browse button in the third column where the row has one.
    QTableWidget* ValueListEditor1 = nullptr;
    QPushButton *BitBtnSave = nullptr, *BitBtnDefault = nullptr, *BitBtnCancel2 = nullptr;

    // The browse buttons' dialogs; the running program's unless replaced.
    PrefServices* services = nullptr;

    // A row's value (rows counted from 1) as the editor holds it.
    std::string value(int row) const { return rows_[row]; }
    void setValue(int row, const std::string& text);

    void BitBtnLoginClick();
    void BitBtnDefaultClick();
    void BitBtnSaveClick();
    void BrowseClick(int row);
    bool propertiesShown() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void createIdentificationPage();
    void createPropertiesPage();
    void showRows();
    void cellEdited(QTableWidgetItem* item);

    TForm1& form1_;
    std::unique_ptr<PrefServices> ownServices_;
    zentcore::PreferenceRows rows_;
    bool showing_ = false;
};

}  // namespace zentclient
