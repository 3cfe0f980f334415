// The archive's preview: the preview window over an archived job, with the
// processor locator when the processor is unknown.
#pragma once

#include "archive/archivepreview.h"

#include <zentcore/settings.h>

#include <memory>

class QWidget;

namespace zentclient {

class TZoomForm;

class ZoomArchivePreview : public ArchivePreview {
public:
    ZoomArchivePreview(QWidget* owner, const zentcore::ClientSettings& settings);
    ~ZoomArchivePreview() override;

    bool isVisible() const override;
    bool prepare(zentcore::TQueuedJob& job, const std::string& dir) override;
    void showModal() override;

private:
    TZoomForm& zoom();

    QWidget* owner_;
    const zentcore::ClientSettings& settings_;
    std::unique_ptr<TZoomForm> zoom_;
};

}  // namespace zentclient
