#include "syncworker.h"

#include <zsyncqt/tdetailsform.h>
#include <zsyncqt/tprogressform.h>

#include <zplatform/prompter.h>

#include <QLabel>
#include <QLineEdit>

namespace zsyncqt {

namespace {

QString qs(const std::string& s) { return QString::fromStdString(s); }

class PostingObserver : public zsync::SyncObserver {
public:
    explicit PostingObserver(TProgressForm& form) : form_(form) {}
    void showServer(const std::string& s) override { post([s](TProgressForm& f) { f.DetailsForm->showServer(s); }); }
    void setLabel(const std::string& t) override { post([t](TProgressForm& f) { f.Label1->setText(qs(t)); }); }
    void setText(const std::string& t) override { post([t](TProgressForm& f) { f.Edit1->setText(qs(t)); }); }
    void setWorking(bool w, bool e) override { post([w, e](TProgressForm& f) { f.setWorking(w, e); }); }
    void addRow(const std::string& r) override { post([r](TProgressForm& f) { f.DetailsForm->addRow(r); }); }
    void addColumn(const std::string& t) override { post([t](TProgressForm& f) { f.DetailsForm->addColumn(t); }); }
    void selectRow(std::size_t i) override { post([i](TProgressForm& f) { f.DetailsForm->selectRow(i); }); }
    void setStatus(const std::string& t) override { post([t](TProgressForm& f) { f.DetailsForm->setStatus(t); }); }
    void setIcon(zsync::RowIcon i) override { post([i](TProgressForm& f) { f.DetailsForm->setIcon(i); }); }
    void message(const std::string& t) override {
        post([t](TProgressForm&) { platform::prompter().warn(zsync::kMessageCaption, t); });
    }
    void internetError(const std::string& caption, const std::string& text) override {
        post([caption, text](TProgressForm&) { platform::prompter().warn(caption, text); });
    }

private:
    void post(std::function<void(TProgressForm&)> change) { form_.synchronize(std::move(change)); }
    TProgressForm& form_;
};

}  // namespace

SyncWorker::SyncWorker(TProgressForm& form, zsync::FtpConfig config)
    : platform::Thread(true), observer_(std::make_unique<PostingObserver>(form)), sync_(std::move(config), *observer_) {}

SyncWorker::~SyncWorker() {
    requestStop();
    waitFor();
}

void SyncWorker::requestStop() {
    terminate();
    sync_.requestStop();
}

void SyncWorker::execute() { sync_.run(); }

}  // namespace zsyncqt
