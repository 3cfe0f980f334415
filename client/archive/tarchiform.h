// ArchiForm ("Zentrope Archive"): the jobs delivered and archived in the
// user's save directory, sortable by every column, with Preview, Resubmit
// (back into the queue as new jobs), Status, Refresh and Delete.
#pragma once

#include <zentcore/archive.h>

#include <QDialog>

#include <memory>

class QLabel;
class QPushButton;
class QTableWidget;

namespace zentclient {

class ArchivePreview;
class TForm1;

class TArchiForm : public QDialog {
    Q_OBJECT
public:
    explicit TArchiForm(TForm1& form1, QWidget* parent = nullptr);
    ~TArchiForm() override;

    QTableWidget* ListView1 = nullptr;
    QLabel* InfoLabel = nullptr;
    QPushButton *BitBtnPreview = nullptr, *BitBtnSubmit = nullptr, *BitBtnStatus = nullptr,
                *BitBtnRefresh = nullptr, *BitBtnDelete = nullptr, *BitBtn1 = nullptr;

    // The preview window; the running program's unless replaced.
    ArchivePreview* preview = nullptr;

    // The main window's "Archive": shows the window and reads the archive,
    // unless it is open already.
    void Open();
    const zentcore::ArchiveRecords& records() const { return records_; }
    int sortColumn() const { return sortColumn_; }

    void BitBtnRefreshClick();
    void ListView1ColumnClick(int column);
    void BitBtnPreviewClick();
    void BitBtnSubmitClick();
    void BitBtnStatusClick();
    void BitBtnDeleteClick();

private:
    QPushButton* button(const char* name, const char* caption);
    void fillList();
    // The base names of the selected rows, in list order.
    std::vector<std::string> selectedBaseNames() const;
    bool warnIfNoneSelected(const std::vector<std::string>& selected) const;
    std::string dir() const;

    TForm1& form1_;
    std::unique_ptr<ArchivePreview> ownPreview_;
    zentcore::ArchiveRecords records_;
    int sortColumn_ = zentcore::kArchiveDefaultSortColumn;
    bool widthsChosen_ = false;
};

}  // namespace zentclient
