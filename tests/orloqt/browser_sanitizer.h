// The browser engine under AddressSanitizer. Qt WebEngine 6.4.2 (Chromium
// 102) as Debian ships it trips two checks in its own code, just the same in
// a bare program that only shows a QWebEngineView: on every page it deletes
// an 88-byte object through a 24-byte type (new-delete-type-mismatch, inside
// libQt6WebEngineCore), and at exit it leaves each view's web contents, its
// udev monitor and a fontconfig pattern allocated (the last one's stack ends
// inside fontconfig, which has no frame pointers; a full unwind shows it comes
// from the engine). A program that hosts the browser switches off exactly
// these; every other check stays on. Include in one file per program.
#pragma once

#if defined(__SANITIZE_ADDRESS__)
extern "C" const char* __asan_default_options() { return "new_delete_type_mismatch=0"; }
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libQt6WebEngineCore.so\n"
           "leak:libudev.so\n"
           "leak:libfontconfig.so\n";
}
#endif
