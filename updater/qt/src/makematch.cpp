#include <zsyncqt/makematch.h>

#include <zsyncqt/tprogressform.h>

#include <QWidget>

namespace zsyncqt {

void makeMatch(QWidget* owner, const std::string& iniPath, const std::function<void(QDialog&)>& showModal) {
    TProgressForm form(owner, iniPath);
    showModal(form);
}

}  // namespace zsyncqt

extern "C" void _makeMatch(void* owner, const char* iniPath) {
    zsyncqt::makeMatch(static_cast<QWidget*>(owner), iniPath ? iniPath : "", [](QDialog& d) { d.exec(); });
}
