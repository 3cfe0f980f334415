// What the wizard's renderings share: the processor and the render requester.
#include "wizard/tuserform.h"

#include "render/renderrequester.h"
#include "wizard/wizardservices.h"

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

}  // namespace zentclient
