#include "prefs/tprefform.h"

#include "prefs/prefservices.h"
#include "prefs/rowdelegate.h"
#include "shell/tform1.h"

#include <zcodec/utilities.h>
#include <zentcore/application.h>
#include <zplatform/prompter.h>

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace zentclient {

namespace {

using zentcore::RowEditing;

constexpr int kKeyColumn = 0, kValueColumn = 1, kBrowseColumn = 2;
const QColor kValueColour(0, 0, 128);   // navy

QPushButton* button(QWidget* parent, const char* name, const char* caption) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    return b;
}

bool hasBrowseButton(RowEditing editing) { return editing == RowEditing::Browse || editing == RowEditing::BrowseOnly; }

std::string joined(const std::vector<std::string>& addresses) {
    std::string text;
    for (const std::string& a : addresses)
        if (!encdec::Trim(a).empty()) text += (text.empty() ? "" : "; ") + encdec::Trim(a);
    return text;
}

}  // namespace

TPrefForm::TPrefForm(TForm1& form1, QWidget* parent) : QDialog(parent), form1_(form1) {
    setObjectName("PrefForm");
    setWindowTitle("Preferences");
    ownServices_ = std::make_unique<QtPrefServices>(form1.settings().AppDir);
    services = ownServices_.get();
    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName("PageControl1");
    createIdentificationPage();
    createPropertiesPage();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(PageControl1);
    resize(660, 636);
}

TPrefForm::~TPrefForm() = default;

void TPrefForm::createIdentificationPage() {
    TabSheetIdent = new QWidget;
    TabSheetIdent->setObjectName("TabSheetIdent");
    EditPassword = new QLineEdit(TabSheetIdent);
    EditPassword->setObjectName("EditPassword");
    EditPassword->setEchoMode(QLineEdit::Password);
    auto* label = new QLabel("Administrator password:", TabSheetIdent);
    label->setBuddy(EditPassword);
    BitBtnLogin = button(TabSheetIdent, "BitBtnLogin", "Login");
    BitBtnLogin->setDefault(true);
    BitBtnCancel1 = button(TabSheetIdent, "BitBtnCancel1", "Cancel");
    connect(BitBtnLogin, &QPushButton::clicked, this, &TPrefForm::BitBtnLoginClick);
    connect(BitBtnCancel1, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BitBtnLogin);
    buttons->addWidget(BitBtnCancel1);
    auto* layout = new QVBoxLayout(TabSheetIdent);
    layout->addStretch();
    layout->addWidget(label);
    layout->addWidget(EditPassword);
    layout->addLayout(buttons);
    layout->addStretch();
    PageControl1->addTab(TabSheetIdent, "Identification");
}

void TPrefForm::createPropertiesPage() {
    TabSheetProps = new QWidget;
    TabSheetProps->setObjectName("TabSheetProps");
    ValueListEditor1 = new QTableWidget(zentcore::kPreferenceRowCount, 3, TabSheetProps);
    ValueListEditor1->setObjectName("ValueListEditor1");
    ValueListEditor1->setHorizontalHeaderLabels({"Setting", "Value", ""});
    ValueListEditor1->verticalHeader()->hide();
    ValueListEditor1->verticalHeader()->setDefaultSectionSize(ValueListEditor1->fontMetrics().height() + 8);
    ValueListEditor1->horizontalHeader()->setSectionResizeMode(kKeyColumn, QHeaderView::ResizeToContents);
    ValueListEditor1->horizontalHeader()->setSectionResizeMode(kValueColumn, QHeaderView::Stretch);
    ValueListEditor1->horizontalHeader()->setSectionResizeMode(kBrowseColumn, QHeaderView::Fixed);
    ValueListEditor1->setColumnWidth(kBrowseColumn, 28);
    ValueListEditor1->setSelectionMode(QAbstractItemView::SingleSelection);
    ValueListEditor1->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked |
                                      QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
    ValueListEditor1->setItemDelegateForColumn(kValueColumn, new PrefRowDelegate(ValueListEditor1));
    for (int row = 1; row <= zentcore::kPreferenceRowCount; ++row) {
        const auto& info = zentcore::PreferenceRowOf(row);
        auto* key = new QTableWidgetItem(info.caption);
        key->setFlags(Qt::ItemIsEnabled);
        ValueListEditor1->setItem(row - 1, kKeyColumn, key);
        auto* value = new QTableWidgetItem;
        value->setForeground(kValueColour);
        const bool editable = info.editing != RowEditing::ReadOnly && info.editing != RowEditing::BrowseOnly;
        value->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | (editable ? Qt::ItemIsEditable : Qt::NoItemFlags));
        ValueListEditor1->setItem(row - 1, kValueColumn, value);
        auto* filler = new QTableWidgetItem;
        filler->setFlags(Qt::ItemIsEnabled);
        ValueListEditor1->setItem(row - 1, kBrowseColumn, filler);
        if (hasBrowseButton(info.editing)) {
            auto* browse = new QToolButton(ValueListEditor1);
            browse->setObjectName(QString("Browse%1").arg(row));
            browse->setText("...");
            browse->setToolTip(QString("Choose the ") + info.caption);
            connect(browse, &QToolButton::clicked, this, [this, row] { BrowseClick(row); });
            ValueListEditor1->setCellWidget(row - 1, kBrowseColumn, browse);
        }
    }
    connect(ValueListEditor1, &QTableWidget::itemChanged, this, &TPrefForm::cellEdited);

    BitBtnSave = button(TabSheetProps, "BitBtnSave", "Save");
    BitBtnDefault = button(TabSheetProps, "BitBtnDefault", "Default");
    BitBtnCancel2 = button(TabSheetProps, "BitBtnCancel2", "Cancel");
    connect(BitBtnSave, &QPushButton::clicked, this, &TPrefForm::BitBtnSaveClick);
    connect(BitBtnDefault, &QPushButton::clicked, this, &TPrefForm::BitBtnDefaultClick);
    connect(BitBtnCancel2, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(BitBtnDefault);
    buttons->addStretch();
    buttons->addWidget(BitBtnSave);
    buttons->addWidget(BitBtnCancel2);
    auto* layout = new QVBoxLayout(TabSheetProps);
    layout->addWidget(ValueListEditor1);
    layout->addLayout(buttons);
    PageControl1->addTab(TabSheetProps, "Properties");
}

void TPrefForm::showEvent(QShowEvent* event) {
    PageControl1->setTabVisible(PageControl1->indexOf(TabSheetIdent), true);
    PageControl1->setCurrentWidget(TabSheetIdent);
    PageControl1->setTabVisible(PageControl1->indexOf(TabSheetProps), false);
    EditPassword->clear();
    EditPassword->setFocus();
    zentcore::FillPreferenceRows(form1_.settings(), form1_.menuSwitches(), rows_);
    showRows();
    BitBtnSave->setEnabled(form1_.settings().IsAdmin);
    QDialog::showEvent(event);
}

bool TPrefForm::propertiesShown() const {
    return PageControl1->isTabVisible(PageControl1->indexOf(TabSheetProps));
}

void TPrefForm::setValue(int row, const std::string& text) {
    rows_[row] = text;
    showing_ = true;
    ValueListEditor1->item(row - 1, kValueColumn)->setText(QString::fromStdString(text));
    showing_ = false;
}

void TPrefForm::showRows() {
    for (int row = 1; row <= zentcore::kPreferenceRowCount; ++row) setValue(row, rows_[row]);
}

void TPrefForm::cellEdited(QTableWidgetItem* item) {
    if (showing_ || item->column() != kValueColumn) return;
    const int row = item->row() + 1;
    rows_[row] = item->text().toStdString();
    if (row == zentcore::kRowBaseSaveDir)
        setValue(zentcore::kRowUserSaveDir, zentcore::UserSaveDirFor(rows_[row], form1_.settings().UserName));
}

void TPrefForm::BitBtnLoginClick() {
    switch (zentcore::CheckAdministratorLogin(encdec::Trim(EditPassword->text().toStdString()))) {
    case zentcore::LoginResult::Accepted:
        PageControl1->setTabVisible(PageControl1->indexOf(TabSheetProps), true);
        PageControl1->setCurrentWidget(TabSheetProps);
        PageControl1->setTabVisible(PageControl1->indexOf(TabSheetIdent), false);
        break;
    case zentcore::LoginResult::Refused:
        platform::prompter().warn(zentcore::kApplicationTitle, "Login failed!");
        break;
    case zentcore::LoginResult::ReadFailed:
        platform::prompter().warn(zentcore::kApplicationTitle, "Failed to read registry.");
        break;
    case zentcore::LoginResult::NoSettings:
        break;
    }
}

void TPrefForm::BitBtnDefaultClick() {
    zentcore::ProposeDefaultPreferences(form1_.settings().AppDir, rows_);
    showRows();
}

void TPrefForm::BitBtnSaveClick() {
    // A cell still being edited counts as confirmed.
    ValueListEditor1->setCurrentIndex(QModelIndex());
    zentcore::MenuSwitches switches = form1_.menuSwitches();
    const bool stored = zentcore::SavePreferences(rows_, form1_.editableSettings(), switches);
    form1_.preferencesChanged(switches);
    if (!stored) platform::prompter().warn(zentcore::kApplicationTitle, "Failed to update registry.");
    accept();
}

void TPrefForm::BrowseClick(int row) {
    switch (row) {
    case zentcore::kRowWorkDir:
        if (auto dir = services->chooseDirectory(this, "Select Working directory", rows_[row])) setValue(row, *dir);
        break;
    case zentcore::kRowBaseSaveDir:
        if (auto dir = services->chooseDirectory(this, "Select Base save directory", rows_[row])) {
            setValue(row, *dir);
            setValue(zentcore::kRowUserSaveDir, zentcore::UserSaveDirFor(*dir, form1_.settings().UserName));
        }
        break;
    case zentcore::kRowProcessor:
        if (auto program = services->locateProcessor(this, rows_[row])) setValue(row, *program);
        break;
    case zentcore::kRowAddresses:
        if (auto addresses = services->editAddresses(this)) setValue(row, joined(*addresses));
        break;
    default:
        break;
    }
}

}  // namespace zentclient
