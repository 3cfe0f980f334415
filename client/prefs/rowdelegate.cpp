#include "prefs/rowdelegate.h"

#include <zentcore/preferences.h>

#include <QComboBox>
#include <QLineEdit>
#include <QRegularExpressionValidator>

namespace zentclient {

namespace {

using zentcore::RowEditing;

// Table rows start at 0; the editor's rows at 1.
const zentcore::PreferenceRowInfo& infoOf(const QModelIndex& index) {
    return zentcore::PreferenceRowOf(index.row() + 1);
}

}  // namespace

QWidget* PrefRowDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                       const QModelIndex& index) const {
    const auto& info = infoOf(index);
    switch (info.editing) {
    case RowEditing::Choice: {
        auto* box = new QComboBox(parent);
        for (const std::string& choice : *info.choices) box->addItem(QString::fromStdString(choice));
        // A pick changes the value at once, as a pick list does.
        connect(box, &QComboBox::activated, this, [this, box] { emit const_cast<PrefRowDelegate*>(this)->commitData(box); });
        return box;
    }
    case RowEditing::Digits: {
        auto* edit = new QLineEdit(parent);
        edit->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]{0,4}"), edit));
        return edit;
    }
    case RowEditing::Password: {
        auto* edit = new QLineEdit(parent);
        edit->setMaxLength(20);
        edit->setEchoMode(QLineEdit::Password);
        return edit;
    }
    default:
        return QStyledItemDelegate::createEditor(parent, option, index);
    }
}

void PrefRowDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
    if (auto* box = qobject_cast<QComboBox*>(editor)) {
        box->setCurrentIndex(box->findText(index.data(Qt::EditRole).toString()));
        return;
    }
    QStyledItemDelegate::setEditorData(editor, index);
}

void PrefRowDelegate::setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const {
    if (auto* box = qobject_cast<QComboBox*>(editor)) {
        if (box->currentIndex() >= 0) model->setData(index, box->currentText(), Qt::EditRole);
        return;
    }
    QStyledItemDelegate::setModelData(editor, model, index);
}

void PrefRowDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    if (infoOf(index).editing == RowEditing::Password)
        option->text = QString(option->text.size(), QChar(0x2022));
}

}  // namespace zentclient
