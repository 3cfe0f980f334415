// Editors of the preferences list by the row's editing rule: a pick list for
// the choice rows, up to four digits for the delay, at most 20 hidden
// characters for the password, plain text otherwise. The password's cell
// shows bullets.
#pragma once

#include <QStyledItemDelegate>

namespace zentclient {

class PrefRowDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;
};

}  // namespace zentclient
