// "Progress Form": the status label, the read-only text field, "Close"/"Stop"
// and "Details". Showing it reads the configuration and starts the worker;
// "Stop" and closing the window both ask the worker to stop, and destroying
// the window waits for it.
#pragma once

#include <zplatform/messaging.h>

#include <QDialog>

#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

class QLabel;
class QLineEdit;
class QPushButton;

namespace zsyncqt {

class TDetailsForm;
class SyncWorker;

class TProgressForm : public QDialog {
    Q_OBJECT
public:
    TProgressForm(QWidget* owner, std::string iniPath);
    ~TProgressForm() override;

    QLabel* Label1;
    QLineEdit* Edit1;
    QPushButton* Button1;
    QPushButton* Button2;
    TDetailsForm* DetailsForm;

    void Button1Click();
    void Button2Click();
    bool working() const { return working_; }

    // From the worker's thread: runs the change on the user-interface thread
    // (the worker's synchronise call).
    void synchronize(std::function<void(TProgressForm&)> change);
    void setWorking(bool working, bool stopEnabled);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    void deliver();
    void start();

    std::string iniPath_;
    bool started_ = false;
    bool working_ = false;
    platform::WindowHandle handle_ = 0;
    std::mutex mutex_;
    std::deque<std::function<void(TProgressForm&)>> pending_;
    std::unique_ptr<SyncWorker> worker_;
};

}  // namespace zsyncqt
