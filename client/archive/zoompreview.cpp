#include "archive/zoompreview.h"

#include "render/tfindpsprog.h"
#include "render/tzoomform.h"

namespace zentclient {

ZoomArchivePreview::ZoomArchivePreview(QWidget* owner, const zentcore::ClientSettings& settings)
    : owner_(owner), settings_(settings) {}

ZoomArchivePreview::~ZoomArchivePreview() = default;

TZoomForm& ZoomArchivePreview::zoom() {
    if (!zoom_) zoom_ = std::make_unique<TZoomForm>(nullptr, settings_.AppDir);
    return *zoom_;
}

bool ZoomArchivePreview::isVisible() const { return zoom_ && zoom_->isVisible(); }

bool ZoomArchivePreview::prepare(zentcore::TQueuedJob& job, const std::string& dir) {
    const auto locate = [this]() -> std::optional<std::string> {
        TFindPsProg locator(owner_, settings_.AppDir);
        if (locator.exec() != QDialog::Accepted) return std::nullopt;
        return locator.chosenPath();
    };
    return zoom().Prepare(job, dir, locate, settings_.IsAdmin);
}

void ZoomArchivePreview::showModal() { zoom().exec(); }

}  // namespace zentclient
