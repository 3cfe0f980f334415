// What the archive window needs of the preview window: whether it is open,
// its preparation for a job whose files are in a directory, and showing it.
#pragma once

#include <string>

namespace zentcore {
struct TQueuedJob;
}

namespace zentclient {

class ArchivePreview {
public:
    virtual ~ArchivePreview() = default;
    virtual bool isVisible() const = 0;
    // True when the preview can be shown.
    virtual bool prepare(zentcore::TQueuedJob& job, const std::string& dir) = 0;
    virtual void showModal() = 0;
};

}  // namespace zentclient
