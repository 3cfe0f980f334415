#include "archive/tarchiform.h"

#include "archive/archivepreview.h"
#include "archive/zoompreview.h"
#include "shell/tform1.h"
#include "shell/windows.h"
#include "status/tstatusform.h"

#include <zcodec/jobfiles.h>
#include <zentcore/application.h>
#include <zentcore/jobfiles.h>
#include <zentcore/settings.h>
#include <zplatform/prompter.h>
#include <zplatform/system.h>

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace zentclient {

namespace {

constexpr const char* kWidthsValue = "ArchiveListView";
constexpr const char* kSelectOne = "You need to select at least one item first!";
constexpr const char* kSelectExactlyOne = "You need to select exactly one item first!";

void warn(const std::string& text) { platform::prompter().warn(zentcore::kApplicationTitle, text); }

}  // namespace

TArchiForm::TArchiForm(TForm1& form1, QWidget* parent) : QDialog(parent), form1_(form1) {
    setObjectName("ArchiForm");
    setWindowTitle("Zentrope Archive");
    setModal(false);
    ownPreview_ = std::make_unique<ZoomArchivePreview>(this, form1_.settings());
    preview = ownPreview_.get();

    ListView1 = new QTableWidget(0, zentcore::kArchiveColumns, this);
    ListView1->setObjectName("ListView1");
    QStringList captions;
    for (int c = 0; c < zentcore::kArchiveColumns; ++c) captions << zentcore::ArchiveColumnCaption(c);
    ListView1->setHorizontalHeaderLabels(captions);
    ListView1->verticalHeader()->hide();
    ListView1->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListView1->setSelectionMode(QAbstractItemView::ExtendedSelection);
    ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListView1->setShowGrid(true);
    ListView1->horizontalHeader()->setSectionsClickable(true);
    ListView1->horizontalHeader()->setHighlightSections(false);
    ListView1->verticalHeader()->setDefaultSectionSize(ListView1->fontMetrics().height() + 6);
    connect(ListView1->horizontalHeader(), &QHeaderView::sectionClicked, this, &TArchiForm::ListView1ColumnClick);
    const auto widths = zentcore::ReadColumnWidths(kWidthsValue, zentcore::kArchiveColumns);
    for (std::size_t c = 0; c < widths.size(); ++c) ListView1->setColumnWidth(int(c), widths[c]);
    widthsChosen_ = !widths.empty();

    // In the list's place while the archive is read.
    InfoLabel = new QLabel("Gathering information. Please wait...", this);
    InfoLabel->setObjectName("InfoLabel");
    InfoLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    InfoLabel->hide();

    BitBtnPreview = button("BitBtnPreview", "Preview");
    BitBtnSubmit = button("BitBtnSubmit", "Resubmit");
    BitBtnStatus = button("BitBtnStatus", "Status");
    BitBtnRefresh = button("BitBtnRefresh", "Refresh");
    BitBtnDelete = button("BitBtnDelete", "Delete");
    BitBtn1 = button("BitBtn1", "Close");
    connect(BitBtnPreview, &QPushButton::clicked, this, &TArchiForm::BitBtnPreviewClick);
    connect(BitBtnSubmit, &QPushButton::clicked, this, &TArchiForm::BitBtnSubmitClick);
    connect(BitBtnStatus, &QPushButton::clicked, this, &TArchiForm::BitBtnStatusClick);
    connect(BitBtnRefresh, &QPushButton::clicked, this, &TArchiForm::BitBtnRefreshClick);
    connect(BitBtnDelete, &QPushButton::clicked, this, &TArchiForm::BitBtnDeleteClick);
    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::close);

    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {BitBtnPreview, BitBtnSubmit, BitBtnStatus, BitBtnRefresh, BitBtnDelete}) buttons->addWidget(b);
    buttons->addStretch();
    buttons->addWidget(BitBtn1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(InfoLabel);
    layout->addWidget(ListView1, 1);
    layout->addLayout(buttons);
    resize(1100, 380);
}

TArchiForm::~TArchiForm() {
    // Widths nobody has seen yet are not stored: the first list shown fits
    // its columns to what it holds.
    if (!widthsChosen_) return;
    std::vector<int> widths;
    for (int c = 0; c < zentcore::kArchiveColumns; ++c) widths.push_back(ListView1->columnWidth(c));
    zentcore::WriteColumnWidths(kWidthsValue, widths);
}

QPushButton* TArchiForm::button(const char* name, const char* caption) {
    auto* b = new QPushButton(caption, this);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
}

std::string TArchiForm::dir() const { return form1_.settings().UserSaveDir; }

void TArchiForm::Open() {
    if (isVisible()) return;
    show();
    BitBtnRefreshClick();
}

void TArchiForm::BitBtnRefreshClick() {
    records_.clear();
    ListView1->setRowCount(0);
    ListView1->hide();
    InfoLabel->show();
    InfoLabel->repaint();
    records_ = zentcore::ReadArchive(dir());
    if (!records_.empty()) {
        sortColumn_ = zentcore::kArchiveDefaultSortColumn;
        zentcore::SortArchive(records_, sortColumn_);
        fillList();
    }
    ListView1->show();
    InfoLabel->hide();
}

void TArchiForm::ListView1ColumnClick(int column) {
    sortColumn_ = column;
    zentcore::SortArchive(records_, sortColumn_);
    fillList();
}

void TArchiForm::fillList() {
    ListView1->clearSelection();
    ListView1->setRowCount(int(records_.size()));
    for (std::size_t r = 0; r < records_.size(); ++r) {
        const auto texts = zentcore::ArchiveRowTexts(*records_[r]);
        for (std::size_t c = 0; c < texts.size(); ++c)
            ListView1->setItem(int(r), int(c), new QTableWidgetItem(QString::fromStdString(texts[c])));
    }
    // Until the user has sized the columns, they fit the first list shown.
    if (!widthsChosen_ && !records_.empty()) {
        ListView1->resizeColumnsToContents();
        widthsChosen_ = true;
    }
}

std::vector<std::string> TArchiForm::selectedBaseNames() const {
    std::vector<std::string> names;
    for (int r = 0; r < ListView1->rowCount(); ++r)
        if (ListView1->selectionModel()->isRowSelected(r, QModelIndex()) && std::size_t(r) < records_.size())
            names.push_back(records_[std::size_t(r)]->BaseName);
    return names;
}

bool TArchiForm::warnIfNoneSelected(const std::vector<std::string>& selected) const {
    if (!selected.empty()) return false;
    warn(kSelectOne);
    return true;
}

void TArchiForm::BitBtnPreviewClick() {
    if (preview->isVisible()) return;
    const auto selected = selectedBaseNames();
    if (warnIfNoneSelected(selected)) return;
    for (const std::string& base : selected) {
        const encdec::JobFiles files(dir(), base);
        if (!platform::fileExists(files.ztp())) {
            warn("Data is not available: " + files.ztp());
            continue;
        }
        zentcore::TQueuedJob job;
        job.BaseName = base;
        if (!zentcore::ReadJobDescription(job, dir(), -1, false)) continue;
        warn("Since there is no target device defined yet, you can not see the paper borders.");
        if (preview->prepare(job, dir())) preview->showModal();
    }
}

void TArchiForm::BitBtnSubmitClick() {
    const auto selected = selectedBaseNames();
    if (warnIfNoneSelected(selected)) return;
    for (const std::string& base : selected) {
        const auto result = zentcore::ResubmitArchivedJob(base, dir(), form1_.settings().FirstTempDir);
        if (result.outcome == zentcore::ResubmitResult::Outcome::NoData) warn("Data is not available: " + result.text);
    }
    // The new jobs enter the queue before the window goes; they wait for the
    // user's decision in the wizard again.
    form1_.RescanWorkDir();
    form1_.RefreshJobList();
    close();
}

void TArchiForm::BitBtnStatusClick() {
    const auto selected = selectedBaseNames();
    if (selected.size() != 1) {
        warn(kSelectExactlyOne);
        return;
    }
    const auto it = std::find_if(records_.begin(), records_.end(),
                                 [&](const auto& job) { return job->BaseName == selected[0]; });
    if (it == records_.end() || !StatusForm) return;
    StatusForm->show();
    StatusForm->QueryJob((*it)->Printer + "@" + (*it)->Server, (*it)->SessionId);
}

void TArchiForm::BitBtnDeleteClick() {
    const auto selected = selectedBaseNames();
    if (warnIfNoneSelected(selected)) return;
    // Names from the listing, never from a file's text: exactly the selected
    // jobs' two files go.
    for (const std::string& base : selected) zentcore::DeleteArchivedJob(base, dir());
    BitBtnRefreshClick();
}

}  // namespace zentclient
