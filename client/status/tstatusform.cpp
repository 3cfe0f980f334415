#include "status/tstatusform.h"

#include <zcodec/utilities.h>
#include <zentcore/application.h>
#include <zentcore/jobstatus.h>
#include <zentcore/printeraddress.h>
#include <zplatform/prompter.h>

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QVBoxLayout>

namespace zentclient {

namespace {

QLineEdit* edit(QWidget* parent, const char* name) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(name);
    e->setMinimumWidth(260);
    return e;
}

QLabel* label(QWidget* parent, const char* name, const char* caption, QWidget* buddy) {
    auto* l = new QLabel(caption, parent);
    l->setObjectName(name);
    l->setBuddy(buddy);
    return l;
}

}  // namespace

TStatusForm::TStatusForm(QWidget* parent) : QDialog(parent) {
    setObjectName("StatusForm");
    setWindowTitle("Job Status Information");
    setModal(false);
    handle_ = platform::registerWindow([](const platform::Message&) {});

    Edit1 = edit(this, "Edit1");
    Edit2 = edit(this, "Edit2");
    Edit3 = edit(this, "Edit3");
    Edit3->setReadOnly(true);
    Label1 = label(this, "Label1", "Job printer@server:", Edit1);
    Label2 = label(this, "Label2", "Job Id:", Edit2);
    Label3 = label(this, "Label3", "Status", Edit3);

    BitBtnQuery = new QPushButton("Query", this);
    BitBtnQuery->setObjectName("BitBtnQuery");
    BitBtnQuery->setDefault(true);
    connect(BitBtnQuery, &QPushButton::clicked, this, [this] { BitBtnQueryClick(); });
    BitBtnClose = new QPushButton("Cancel", this);
    BitBtnClose->setObjectName("BitBtnClose");
    connect(BitBtnClose, &QPushButton::clicked, this, &QDialog::reject);

    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName("StatusBar1");
    StatusBar1->setSizeGripEnabled(false);

    auto* fields = new QFormLayout;
    fields->addRow(Label1, Edit1);
    fields->addRow(Label2, Edit2);
    fields->addRow(Label3, Edit3);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BitBtnQuery);
    buttons->addWidget(BitBtnClose);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addLayout(buttons);
    layout->addWidget(StatusBar1);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

TStatusForm::~TStatusForm() { platform::unregisterWindow(handle_); }

void TStatusForm::QueryJob(const std::string& address, std::int32_t jobId) {
    Edit1->setText(QString::fromStdString(address));
    Edit2->setText(QString::number(jobId));
    BitBtnQueryClick();
}

void TStatusForm::BitBtnQueryClick() {
    if (querying_) return;
    const auto address = zentcore::SplitPrinterAddressOrWarn(encdec::Trim(Edit1->text().toStdString()), false);
    if (!address) return;
    const std::int32_t jobId = zentcore::ParseJobId(Edit2->text().toStdString());
    Edit2->setText(QString::number(jobId));

    StatusBar1->showMessage("Communicating. Please wait...");
    querying_ = true;
    const zentcore::JobStatus status = zentcore::QueryJobStatus(address->printer, address->server, jobId, handle_);
    querying_ = false;
    StatusBar1->clearMessage();

    switch (status.outcome) {
    case zentcore::JobStatus::Outcome::Known:
        Edit3->setText(QString::fromStdString(status.line));
        break;
    case zentcore::JobStatus::Outcome::ResultError:
        StatusBar1->showMessage(QString::fromUtf8(zentcore::kJobStatusResultError.data(),
                                                  qsizetype(zentcore::kJobStatusResultError.size())));
        break;
    case zentcore::JobStatus::Outcome::NoAnswer:
        platform::prompter().warn(zentcore::kApplicationTitle, zentcore::kJobStatusNoAnswer);
        break;
    }
}

}  // namespace zentclient
