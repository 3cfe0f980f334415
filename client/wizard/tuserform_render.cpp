// What the wizard's renderings share: the processor and the render requester.
#include "wizard/tuserform.h"

#include "render/renderrequester.h"
#include "wizard/wizardservices.h"

#include <zentcore/jobfiles.h>
#include <zentcore/render.h>

namespace zentclient {

RenderRequester& TUserForm::renderer() {
    if (!render_)
        render_ = std::make_unique<RenderRequester>(this, context_.settings.AppDir,
                                                    [this](QDialog& busy) { services_->showModeless(busy); });
    return *render_;
}

bool TUserForm::rendering() const { return render_ && render_->running(); }

std::optional<std::string> TUserForm::resolveProcessor() {
    return zentcore::ResolveProcessorPath(
        [this] { return services_->locateProcessor(this, context_.settings.AppDir); }, context_.settings.IsAdmin);
}

zentcore::RenderRequest TUserForm::imageRequest(const std::string& processor, zentcore::ImageFormat format, int dpi,
                                                std::string pagePrefix) const {
    zentcore::RenderRequest request;
    request.processor = processor;
    request.colour = job_->Color != 0;
    request.use = zentcore::RenderUse::Image;
    request.format = format;
    request.dpi = dpi;
    request.pagePrefix = std::move(pagePrefix);
    request.input = zentcore::FilesOf(*job_, context_.settings.FirstTempDir).ztp();
    return request;
}

}  // namespace zentclient
