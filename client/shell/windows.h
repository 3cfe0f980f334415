// The client's windows, each created once for the life of the process. The
// about window, which the main window's command shows, is also reached
// through a process-wide reference of its name.
#pragma once

#include "shell/qtmessaging.h"
#include "shell/tform1.h"

#include <memory>

namespace zentclient {

class TAboutForm;
class TAddressForm;
class TUserForm;
class WizardServices;
class WizardSlot;

inline TAboutForm* AboutForm = nullptr;

// Creates the windows in their order (the main window first; all but the main
// window stay hidden until used) and destroys them in reverse.
class ClientWindows {
public:
    // Without a wizard in seams the queue hands its jobs to UserForm;
    // wizardServices: UserForm's dialogs (null: the running program's).
    explicit ClientWindows(TForm1::Seams seams = {}, WizardServices* wizardServices = nullptr);
    ~ClientWindows();
    ClientWindows(const ClientWindows&) = delete;
    ClientWindows& operator=(const ClientWindows&) = delete;

    TForm1& form1() { return *form1_; }
    TAboutForm& aboutForm() { return *aboutForm_; }
    TUserForm& userForm() { return *userForm_; }
    TAddressForm& addressForm() { return *addressForm_; }

private:
    QtMessagePump pump_;
    std::unique_ptr<WizardSlot> wizardSlot_;   // the queue's wizard, set once UserForm exists
    std::unique_ptr<TForm1> form1_;
    std::unique_ptr<TUserForm> userForm_;
    // Windows of the preview, archive, authentication, templates and
    // preferences come here, in that order.
    std::unique_ptr<TAddressForm> addressForm_;
    // The job status window comes here.
    std::unique_ptr<TAboutForm> aboutForm_;
};

}  // namespace zentclient
