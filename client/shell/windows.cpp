#include "shell/windows.h"

#include "address/taddressform.h"
#include "archive/tarchiform.h"
#include "prefs/tprefform.h"
#include "shell/taboutform.h"
#include "status/tstatusform.h"
#include "wizard/tuserform.h"
#include "wizard/wizardslot.h"

namespace zentclient {

ClientWindows::ClientWindows(TForm1::Seams seams, WizardServices* wizardServices) {
    wizardSlot_ = std::make_unique<WizardSlot>();
    if (!seams.wizard) seams.wizard = wizardSlot_.get();
    form1_ = std::make_unique<TForm1>(seams);
    userForm_ = std::make_unique<TUserForm>(WizardContext{form1_->JobQueue, form1_->settings(), form1_.get()},
                                            wizardServices);
    wizardSlot_->set(userForm_.get());
    // An action of the wizard that waited goes no further once the client ends.
    userForm_->setEndingCheck([form = form1_.get()] { return form->ending(); });
    archiForm_ = std::make_unique<TArchiForm>(*form1_, form1_.get());
    ArchiForm = archiForm_.get();
    prefForm_ = std::make_unique<TPrefForm>(*form1_, form1_.get());
    PrefForm = prefForm_.get();
    addressForm_ = std::make_unique<TAddressForm>(form1_.get());
    AddressForm = addressForm_.get();
    statusForm_ = std::make_unique<TStatusForm>(form1_.get());
    StatusForm = statusForm_.get();
    aboutForm_ = std::make_unique<TAboutForm>(form1_.get());
    AboutForm = aboutForm_.get();
}

ClientWindows::~ClientWindows() {
    AboutForm = nullptr;
    aboutForm_.reset();
    StatusForm = nullptr;
    statusForm_.reset();
    AddressForm = nullptr;
    addressForm_.reset();
    PrefForm = nullptr;
    prefForm_.reset();
    ArchiForm = nullptr;
    archiForm_.reset();
    // The queue hands nothing to a wizard that is gone.
    wizardSlot_->set(nullptr);
    userForm_.reset();
    form1_.reset();
}

}  // namespace zentclient
