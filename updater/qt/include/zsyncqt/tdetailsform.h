// "File Details": every remote file with its times and status, and the server
// in the status bar. Owned by the progress window, hidden until asked for.
#pragma once

#include <zsync/sync.h>

#include <QDialog>

class QStatusBar;
class QTreeWidget;
class QTreeWidgetItem;

namespace zsyncqt {

class TDetailsForm : public QDialog {
    Q_OBJECT
public:
    explicit TDetailsForm(QWidget* owner);

    QTreeWidget* ListView1;
    QStatusBar* StatusBar1;

    void showServer(const std::string& server);
    void addRow(const std::string& remotePath);
    void addColumn(const std::string& text);
    void selectRow(std::size_t index);
    void setStatus(const std::string& text);
    void setIcon(zsync::RowIcon icon);

private:
    QTreeWidgetItem* current_ = nullptr;
    int nextColumn_ = 1;
};

}  // namespace zsyncqt
