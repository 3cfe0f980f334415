// The client's windows, each created once for the life of the process. The
// windows the main window's commands show (about, job status) are also
// reached through a process-wide reference of their names.
#pragma once

#include "shell/qtmessaging.h"
#include "shell/tform1.h"

#include <memory>

namespace zentclient {

class TAboutForm;
class TAddressForm;
class TArchiForm;
class TPrefForm;
class TStatusForm;
class TUserForm;
class WizardServices;
class WizardSlot;

inline TAboutForm* AboutForm = nullptr;
inline TStatusForm* StatusForm = nullptr;
inline TPrefForm* PrefForm = nullptr;
inline TArchiForm* ArchiForm = nullptr;
inline TAddressForm* AddressForm = nullptr;

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
    TStatusForm& statusForm() { return *statusForm_; }
    TPrefForm& prefForm() { return *prefForm_; }
    TArchiForm& archiForm() { return *archiForm_; }

private:
    QtMessagePump pump_;
    std::unique_ptr<WizardSlot> wizardSlot_;   // the queue's wizard, set once UserForm exists
    std::unique_ptr<TForm1> form1_;
    std::unique_ptr<TUserForm> userForm_;
    // Windows of the preview come here.
    std::unique_ptr<TArchiForm> archiForm_;
    // Windows of the authentication and templates come here, in that order.
    std::unique_ptr<TPrefForm> prefForm_;
    std::unique_ptr<TAddressForm> addressForm_;
    std::unique_ptr<TStatusForm> statusForm_;
    std::unique_ptr<TAboutForm> aboutForm_;
};

}  // namespace zentclient
