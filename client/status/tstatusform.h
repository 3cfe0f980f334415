// StatusForm ("Job Status Information"): asks a print server what has become
// of a job sent earlier, given its printer address and job id.
#pragma once

#include <zplatform/messaging.h>

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
class QStatusBar;

namespace zentclient {

class TStatusForm : public QDialog {
    Q_OBJECT
public:
    explicit TStatusForm(QWidget* parent = nullptr);
    ~TStatusForm() override;

    QLabel* Label1 = nullptr;
    QLineEdit* Edit1 = nullptr;   // printer@server
    QLabel* Label2 = nullptr;
    QLineEdit* Edit2 = nullptr;   // job id
    QPushButton* BitBtnQuery = nullptr;
    QPushButton* BitBtnClose = nullptr;
    QLabel* Label3 = nullptr;
    QLineEdit* Edit3 = nullptr;   // the result, read only
    QStatusBar* StatusBar1 = nullptr;

    // The query. A click while one is still waiting for the server is
    // ignored: the answer of the first is the one shown.
    void BitBtnQueryClick();
    // As the archive's Status button asks: both fields filled, query at once.
    void QueryJob(const std::string& address, std::int32_t jobId);

private:
    platform::WindowHandle handle_ = 0;
    bool querying_ = false;
};

}  // namespace zentclient
