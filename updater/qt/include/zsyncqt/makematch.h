// The updater as the client calls it: shows the progress window modally for
// the configuration file and returns when the user has closed it.
#pragma once

#include <functional>
#include <string>

class QDialog;
class QWidget;

namespace zsyncqt {

// showModal shows the window and returns once it is closed (the client's
// seam); the worker is waited for before this returns.
void makeMatch(QWidget* owner, const std::string& iniPath, const std::function<void(QDialog&)>& showModal);

}  // namespace zsyncqt

// The library's one working export: owner is the calling window (a QWidget),
// iniPath the configuration file.
extern "C" void _makeMatch(void* owner, const char* iniPath);
