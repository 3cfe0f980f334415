#include "address/taddressform.h"

#include <zentcore/settings.h>

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QShowEvent>
#include <QStyle>
#include <QTableWidget>
#include <QVBoxLayout>

namespace zentclient {

TAddressForm::TAddressForm(QWidget* parent) : QDialog(parent) {
    setObjectName("AddressForm");
    setWindowTitle("Request Addresses");
    setModal(true);

    StringGrid1 = new QTableWidget(this);
    StringGrid1->setObjectName("StringGrid1");
    StringGrid1->setColumnCount(2);
    StringGrid1->horizontalHeader()->hide();
    StringGrid1->verticalHeader()->hide();
    StringGrid1->setColumnWidth(0, 24);
    StringGrid1->horizontalHeader()->setStretchLastSection(true);
    StringGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    StringGrid1->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                                 QAbstractItemView::AnyKeyPressed);
    connect(StringGrid1, &QTableWidget::currentCellChanged, this,
            [this](int row, int column, int, int) { StringGrid1SelectCell(row, column); });
    connect(StringGrid1, &QTableWidget::itemChanged, this, &TAddressForm::StringGrid1SetEditText);

    BitBtnTop = button("BitBtnTop", "|<", "Move to Top");
    BitBtnPrior = button("BitBtnPrior", "<", "Move to previous selection (upper)");
    BitBtnNextRow = button("BitBtnNextRow", ">", "Move to next selection (down)");
    BitBtnBottom = button("BitBtnBottom", ">|", "Move to Bottom");
    BitBtnAdd = button("BitBtnAdd", "+", "Add new entry");
    BitBtnDelete = button("BitBtnDelete", "-", "Delete current entry");
    BitBtnMoveUp = button("BitBtnMoveUp", "^", "Move this entry up");
    BitBtnDone = button("BitBtnDone", "OK", "Done");
    BitBtnCancel = button("BitBtnCancel", "Cancel", "Cancel");
    BitBtnRefresh = button("BitBtnRefresh", "Refresh", "Refresh");
    connect(BitBtnTop, &QPushButton::clicked, this, &TAddressForm::BitBtnTopClick);
    connect(BitBtnPrior, &QPushButton::clicked, this, &TAddressForm::BitBtnPriorClick);
    connect(BitBtnNextRow, &QPushButton::clicked, this, &TAddressForm::BitBtnNextRowClick);
    connect(BitBtnBottom, &QPushButton::clicked, this, &TAddressForm::BitBtnBottomClick);
    connect(BitBtnAdd, &QPushButton::clicked, this, &TAddressForm::BitBtnAddClick);
    connect(BitBtnDelete, &QPushButton::clicked, this, &TAddressForm::BitBtnDeleteClick);
    connect(BitBtnMoveUp, &QPushButton::clicked, this, &TAddressForm::BitBtnMoveUpClick);
    connect(BitBtnDone, &QPushButton::clicked, this, &QDialog::accept);
    connect(BitBtnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(BitBtnRefresh, &QPushButton::clicked, this, &TAddressForm::BitBtnRefreshClick);

    auto* navigation = new QHBoxLayout;
    for (QPushButton* b : {BitBtnTop, BitBtnPrior, BitBtnNextRow, BitBtnBottom, BitBtnAdd, BitBtnDelete, BitBtnMoveUp,
                           BitBtnRefresh})
        navigation->addWidget(b);
    navigation->addStretch();
    auto* closing = new QHBoxLayout;
    closing->addStretch();
    closing->addWidget(BitBtnDone);
    closing->addWidget(BitBtnCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(navigation);
    layout->addWidget(StringGrid1, 1);
    layout->addLayout(closing);
    resize(460, 320);
}

QPushButton* TAddressForm::button(const char* name, const char* caption, const char* hint) {
    auto* b = new QPushButton(QString::fromUtf8(caption), this);
    b->setObjectName(name);
    b->setToolTip(QString::fromUtf8(hint));
    b->setAutoDefault(false);
    return b;
}

void TAddressForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous()) return;
    Refresh();
    moveCursorTo(1);
    SelectedRow = 1;
    RedrawGrid();
}

void TAddressForm::Refresh() {
    Addresses = zentcore::LoadRequestAddresses();
    StringGrid1->setRowCount(int(Addresses.size()) + 2);
    RedrawGrid();
}

void TAddressForm::RedrawGrid() {
    redrawing_ = true;
    const QIcon arrow = QApplication::style()->standardIcon(QStyle::SP_ArrowRight);
    for (int row = 0; row < StringGrid1->rowCount(); ++row) {
        auto* marker = new QTableWidgetItem;
        // The marker column cannot be selected; the title row cannot be edited.
        marker->setFlags(Qt::NoItemFlags);
        if (row != 0 && row == SelectedRow) marker->setIcon(arrow);
        StringGrid1->setItem(row, 0, marker);

        auto* cell = new QTableWidgetItem;
        if (row == 0) {
            cell->setText("Printer address");
            cell->setFlags(Qt::ItemIsEnabled);
        } else {
            if (std::size_t(row) <= Addresses.size())
                cell->setText(QString::fromStdString(Addresses[std::size_t(row) - 1]));
            cell->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable);
        }
        StringGrid1->setItem(row, 1, cell);
    }
    redrawing_ = false;
}

void TAddressForm::moveCursorTo(int row) {
    if (row < 1 || row >= StringGrid1->rowCount()) return;
    StringGrid1->setCurrentCell(row, 1);
}

void TAddressForm::StringGrid1SelectCell(int row, int column) {
    if (redrawing_ || row < 1) return;
    if (column != 1) {
        StringGrid1->setCurrentCell(row, 1);
        return;
    }
    if (row == SelectedRow) return;
    SelectedRow = row;
    RedrawGrid();
    StringGrid1->setCurrentCell(row, 1);
}

void TAddressForm::extendTo(std::size_t entries) {
    if (Addresses.size() < entries) Addresses.resize(entries);
}

void TAddressForm::StringGrid1SetEditText(QTableWidgetItem* item) {
    if (redrawing_ || item->column() != 1 || item->row() < 1) return;
    const auto r = std::size_t(item->row());
    extendTo(r);
    Addresses[r - 1] = item->text().toStdString();
}

void TAddressForm::BitBtnTopClick() { moveCursorTo(1); }

void TAddressForm::BitBtnPriorClick() { moveCursorTo(std::max(1, StringGrid1->currentRow() - 1)); }

void TAddressForm::BitBtnNextRowClick() {
    moveCursorTo(std::min(StringGrid1->rowCount() - 1, StringGrid1->currentRow() + 1));
}

void TAddressForm::BitBtnBottomClick() { moveCursorTo(StringGrid1->rowCount() - 1); }

void TAddressForm::BitBtnAddClick() {
    StringGrid1->setRowCount(StringGrid1->rowCount() + 1);
    RedrawGrid();
}

void TAddressForm::BitBtnDeleteClick() {
    const int r = StringGrid1->currentRow();
    if (r < 1 || std::size_t(r) > Addresses.size()) return;
    Addresses.erase(Addresses.begin() + (r - 1));
    RedrawGrid();
}

void TAddressForm::BitBtnMoveUpClick() {
    const int r = StringGrid1->currentRow();
    if (r <= 1) return;
    extendTo(std::size_t(r));
    std::swap(Addresses[std::size_t(r) - 1], Addresses[std::size_t(r) - 2]);
    RedrawGrid();
}

void TAddressForm::BitBtnRefreshClick() {
    Refresh();
    RedrawGrid();
}

}  // namespace zentclient
