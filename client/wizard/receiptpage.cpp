#include "wizard/receiptpage.h"

namespace zentclient {

namespace {

// The fields a page shows; the threads stay with the queued record.
void copyFields(const zentcore::TQueuedJob& from, zentcore::TQueuedJob& to) {
    to.SessionId = from.SessionId;
    to.Printer = from.Printer;
    to.Server = from.Server;
    to.BaseName = from.BaseName;
    to.DocName = from.DocName;
    to.Submited = from.Submited;
    to.OkDate = from.OkDate;
    to.UserName = from.UserName;
    to.Orientation = from.Orientation;
    to.Pages = from.Pages;
    to.Copies = from.Copies;
    to.Papersize = from.Papersize;
    to.Color = from.Color;
    to.Scale = from.Scale;
    to.MediaType = from.MediaType;
    to.NextAttempt = from.NextAttempt;
    to.ServerFlags = from.ServerFlags;
    to.Previewed = from.Previewed;
    to.PageGeometry = from.PageGeometry;
    to.DataSize = from.DataSize;
    to.PackedSize = from.PackedSize;
}

}  // namespace

ReceiptPage::ReceiptPage(QWidget* owner, const zentcore::TQueuedJob& job, const std::string& templateFile)
    : THTMLPage(owner) {
    copyFields(job, copy_);
    setObjectName("ReceiptPage");
    setWindowTitle("Job Information");
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    Job = &copy_;
    PageProducer1.HTMLFile = templateFile;
}

}  // namespace zentclient
