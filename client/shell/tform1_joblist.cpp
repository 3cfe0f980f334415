// Drawing the queue into ListView1 and the status bar, and finding the job of
// the selected row.
#include "shell/tform1.h"

#include <zentcore/joblist.h>

#include <QLabel>
#include <QTableWidget>

namespace zentclient {

namespace {

constexpr int kJobRole = Qt::UserRole;

}  // namespace

void TForm1::Timer1Timer() {
    if (!pass_ || ending_) return;
    pass_->run();
    RefreshJobList();
    showUploadProgress();
}

void TForm1::RefreshJobList() {
    if (!JobQueue.ListChanged) return;
    JobQueue.ListChanged = false;
    const zentcore::JobListContents contents = zentcore::BuildJobList(
        JobQueue, seams_.wizard->currentJob(), seams_.clock->now(), zentcore::LocalStandardOffset());

    // The rows are rewritten in place: the list keeps its scroll position, and
    // the user's selection follows its job instead of vanishing under the
    // mouse while other jobs change.
    const zentcore::TQueuedJob* selected = selectedJob();
    const std::string selectedName = selected ? selected->BaseName : std::string();
    ListView1->clearSelection();
    ListView1->setRowCount(int(contents.rows.size()));
    auto cell = [this](int r, int c) {
        QTableWidgetItem* item = ListView1->item(r, c);
        if (!item) ListView1->setItem(r, c, item = new QTableWidgetItem);
        return item;
    };
    for (int r = 0; r < int(contents.rows.size()); ++r) {
        const zentcore::JobRow& row = contents.rows[std::size_t(r)];
        QTableWidgetItem* send = cell(r, 0);
        send->setIcon(ImageList1.icon(row.image));
        send->setText(QString::fromStdString(row.caption));
        send->setData(kJobRole, QVariant::fromValue(static_cast<void*>(row.job)));
        for (std::size_t c = 0; c < row.columns.size() && int(c) + 1 < ListView1->columnCount(); ++c)
            cell(r, int(c) + 1)->setText(QString::fromStdString(row.columns[c]));
        // Why a job waits shows over its row.
        const QString reason =
            row.job && !row.job->WaitReason.empty() ? QString::fromStdString("Waits: " + row.job->WaitReason) : QString();
        for (int c = 0; c < ListView1->columnCount(); ++c) cell(r, c)->setToolTip(reason);
        if (!selectedName.empty() && row.job && row.job->BaseName == selectedName) ListView1->selectRow(r);
    }
    listStatus_ = contents.status;
    updateStatusText();
}

zentcore::TQueuedJob* TForm1::selectedJob() const {
    const QList<QTableWidgetItem*> items = ListView1->selectedItems();
    if (items.isEmpty()) return nullptr;
    const QTableWidgetItem* first = ListView1->item(items.first()->row(), 0);
    if (!first) return nullptr;
    auto* job = static_cast<zentcore::TQueuedJob*>(first->data(kJobRole).value<void*>());
    // A row drawn before its job left the queue names nothing any more.
    for (std::size_t i = 0; i < JobQueue.size(); ++i)
        if (&JobQueue.at(i) == job) return job;
    return nullptr;
}

}  // namespace zentclient
