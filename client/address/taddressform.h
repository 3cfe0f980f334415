// AddressForm ("Request Addresses"): the administrator's editor of the saved
// request addresses the wizard offers. A grid with one address per row under
// a title row, an arrow marking the selected row, and buttons to move the
// cursor and to add, delete and reorder entries. The preferences editor opens
// it modally and, after OK, takes Addresses back; nothing is stored here.
#pragma once

#include <QDialog>

#include <string>
#include <vector>

class QPushButton;
class QTableWidget;
class QTableWidgetItem;

namespace zentclient {

class TAddressForm : public QDialog {
    Q_OBJECT
public:
    explicit TAddressForm(QWidget* parent = nullptr);

    // The working list; entry i is shown in row i (rows counted from 1).
    std::vector<std::string> Addresses;
    // The row the arrow marks.
    int SelectedRow = 0;

    QTableWidget* StringGrid1 = nullptr;
    QPushButton *BitBtnTop = nullptr, *BitBtnPrior = nullptr, *BitBtnNextRow = nullptr, *BitBtnBottom = nullptr,
                *BitBtnAdd = nullptr, *BitBtnDelete = nullptr, *BitBtnMoveUp = nullptr, *BitBtnDone = nullptr,
                *BitBtnCancel = nullptr, *BitBtnRefresh = nullptr;

    // Reloads the saved addresses; the grid gets a row for each and one
    // empty row for a new entry.
    void Refresh();
    // The grid shows the list again (its row count stays).
    void RedrawGrid();

    void BitBtnTopClick();
    void BitBtnPriorClick();
    void BitBtnNextRowClick();
    void BitBtnBottomClick();
    void BitBtnAddClick();
    void BitBtnDeleteClick();
    void BitBtnMoveUpClick();
    void BitBtnRefreshClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    QPushButton* button(const char* name, const char* caption, const char* hint);
    void moveCursorTo(int row);
    void StringGrid1SelectCell(int row, int column);
    void StringGrid1SetEditText(QTableWidgetItem* item);
    // Makes the list at least rows entries long (empty ones added).
    void extendTo(std::size_t entries);

    bool redrawing_ = false;
};

}  // namespace zentclient
