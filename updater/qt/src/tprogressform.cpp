#include <zsyncqt/tprogressform.h>

#include <zsyncqt/tdetailsform.h>

#include "syncworker.h"

#include <zsync/sync.h>
#include <zplatform/prompter.h>

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace zsyncqt {

namespace {

constexpr unsigned kSynchronize = platform::WM_APP + 1;

// Changes of the configuration step, made on the user-interface thread itself.
class DirectObserver : public zsync::SyncObserver {
public:
    explicit DirectObserver(TProgressForm& form) : form_(form) {}
    void showServer(const std::string& s) override { form_.DetailsForm->showServer(s); }
    void message(const std::string& t) override { platform::prompter().warn(zsync::kMessageCaption, t); }
    void internetError(const std::string& c, const std::string& t) override { platform::prompter().warn(c, t); }

private:
    TProgressForm& form_;
};

}  // namespace

TProgressForm::TProgressForm(QWidget* owner, std::string iniPath) : QDialog(owner), iniPath_(std::move(iniPath)) {
    setObjectName("ProgressForm");
    setWindowTitle("Progress Form");
    setModal(true);
    Label1 = new QLabel("Status", this);
    Label1->setObjectName("Label1");
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName("Edit1");
    Edit1->setReadOnly(true);
    Edit1->setEnabled(false);   // greyed
    Edit1->setMinimumWidth(360);
    Button1 = new QPushButton("Close", this);
    Button1->setObjectName("Button1");
    Button1->setAutoDefault(false);
    Button2 = new QPushButton("Details", this);
    Button2->setObjectName("Button2");
    Button2->setAutoDefault(false);
    connect(Button1, &QPushButton::clicked, this, &TProgressForm::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TProgressForm::Button2Click);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(Edit1);
    layout->addLayout(buttons);

    DetailsForm = new TDetailsForm(this);
    handle_ = platform::registerWindow([this](const platform::Message&) { deliver(); });
}

TProgressForm::~TProgressForm() {
    if (worker_) {
        worker_->requestStop();
        worker_->waitFor();
    }
    platform::unregisterWindow(handle_);
}

void TProgressForm::synchronize(std::function<void(TProgressForm&)> change) {
    {
        std::lock_guard lock(mutex_);
        pending_.push_back(std::move(change));
    }
    platform::postMessage(handle_, kSynchronize, 0, 0);
}

void TProgressForm::deliver() {
    for (;;) {
        std::function<void(TProgressForm&)> change;
        {
            std::lock_guard lock(mutex_);
            if (pending_.empty()) return;
            change = std::move(pending_.front());
            pending_.pop_front();
        }
        change(*this);
    }
}

void TProgressForm::setWorking(bool working, bool stopEnabled) {
    working_ = working;
    Button1->setText(working ? "Stop" : "Close");
    Button1->setEnabled(!working || stopEnabled);
}

void TProgressForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (started_) return;
    started_ = true;
    start();
}

void TProgressForm::start() {
    DirectObserver observer(*this);
    zsync::FtpConfig config;
    if (!zsync::loadForSync(iniPath_, observer, config)) return;
    setWorking(true, false);
    worker_ = std::make_unique<SyncWorker>(*this, std::move(config));
    worker_->resume();
}

// "Stop" while the worker runs, "Close" afterwards.
void TProgressForm::Button1Click() {
    if (working_) {
        if (worker_) worker_->requestStop();
        return;
    }
    reject();
}

void TProgressForm::Button2Click() { DetailsForm->setVisible(!DetailsForm->isVisible()); }

// Escape and the close box: a running worker is asked to stop; the window
// goes, and its destruction waits for the worker.
void TProgressForm::reject() {
    if (worker_) worker_->requestStop();
    QDialog::reject();
}

void TProgressForm::closeEvent(QCloseEvent* event) {
    if (worker_) worker_->requestStop();
    QDialog::closeEvent(event);
}

}  // namespace zsyncqt
