// The job receipt ("Job Information"): an HTML page window that keeps its own
// copy of the job, because the queue deletes the job once it is delivered
// while the receipt may still be open.
#pragma once

#include "htmlpage/thtmlpage.h"

#include <zentcore/queuedjob.h>

#include <string>

namespace zentclient {

class ReceiptPage : public THTMLPage {
public:
    ReceiptPage(QWidget* owner, const zentcore::TQueuedJob& job, const std::string& templateFile);

private:
    zentcore::TQueuedJob copy_;
};

}  // namespace zentclient
