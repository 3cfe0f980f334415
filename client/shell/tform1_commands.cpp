// The main window's commands: the queue actions of the File menu, "Add new
// job", Help and About, and Get Newer Version (the updater).
#include "shell/tform1.h"

#include <zentcore/application.h>
#include "shell/importjob.h"
#include "shell/shellservices.h"
#include "shell/taboutform.h"
#include "shell/windows.h"
#include "archive/tarchiform.h"
#include "prefs/tprefform.h"
#include "status/tstatusform.h"

#include <zplatform/prompter.h>
#ifdef ZENTROPE_UPDATER
#include <zsyncqt/makematch.h>
#endif

namespace zentclient {

void TForm1::Sendnow1Click() {
    if (!pass_) return;
    pass_->sendNow(selectedJob());
    RefreshJobList();
}

void TForm1::Sendlater1Click() {
    if (!pass_) return;
    pass_->sendLater(selectedJob());
    RefreshJobList();
}

void TForm1::Cancel1Click() {
    if (!pass_) return;
    pass_->neverSend(selectedJob());
    // Redrawn at once: no row may name the job that is gone.
    RefreshJobList();
}

void TForm1::AddNewJobExecute() {
    if (!settingsLoaded_) return;
    const auto file = seams_.services->chooseExportFile(this);
    if (!file) return;
    if (ImportExportFile(*file, settings_.FirstTempDir).failed) return;
    RescanWorkDir();
    RefreshJobList();
}

void TForm1::Help2Click() { seams_.services->openDocument(settings_.AppDir + "/data/help.htm"); }

void TForm1::About1Click() {
    if (AboutForm) seams_.services->showModal(*AboutForm);
}

void TForm1::GetJobInfoExecute() {
    // Shown as it was left: the fields keep what they held.
    if (StatusForm && !StatusForm->isVisible()) StatusForm->show();
}
void TForm1::PreferencesClick() {
    if (PrefForm) seams_.services->showModal(*PrefForm);
}
void TForm1::Archive3Click() {
    if (ArchiForm) ArchiForm->Open();
}
void TForm1::FTPActionExecute() {
#ifdef ZENTROPE_UPDATER
    if (!settingsLoaded_) return;   // no AppDir to find ftp.ini in
    zsyncqt::makeMatch(this, settings_.AppDir + "/ftp.ini", [this](QDialog& dialog) { seams_.services->showModal(dialog); });
#endif
}
void TForm1::withInstallation(void (zentcore::PrinterInstallation::*command)()) {
    if (!installation_) {
        platform::prompter().info(zentcore::kApplicationTitle, "There is no print system to install the printer in.");
        return;
    }
    (installation_.get()->*command)();
}

void TForm1::AddPortMonActionExecute() { withInstallation(&zentcore::PrinterInstallation::AddPortMonActionExecute); }
void TForm1::DelPortMonActionExecute() { withInstallation(&zentcore::PrinterInstallation::DelPortMonActionExecute); }
void TForm1::AddPrinterExecute() { withInstallation(&zentcore::PrinterInstallation::AddPrinterExecute); }
void TForm1::RemovePrinter1Click() { withInstallation(&zentcore::PrinterInstallation::RemovePrinter1Click); }

}  // namespace zentclient
