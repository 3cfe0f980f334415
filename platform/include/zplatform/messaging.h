// Window messages between threads. A window registers a handle with a handler;
// any thread may post a message to the handle, and the message is delivered on
// the thread that owns the queue (the UI thread) when it pumps. Qt installs a
// dispatcher that wakes its event loop; without a GUI the caller drains the
// queue with pumpMessages().
#pragma once

#include <cstdint>
#include <functional>

namespace platform {

using WindowHandle = std::uintptr_t;   // 0 is "no window"

constexpr unsigned WM_APP = 0x8000;

struct Message {
    WindowHandle window;
    unsigned msg;
    std::uintptr_t wParam;
    std::intptr_t lParam;
};

using MessageHandler = std::function<void(const Message&)>;

// Registers a window; returns its new, never reused, non-zero handle.
WindowHandle registerWindow(MessageHandler handler);
// After this, messages still queued for the handle are dropped.
void unregisterWindow(WindowHandle handle);
bool isWindow(WindowHandle handle);

// Queues a message for the window; false when the handle is not a live window.
// Safe from any thread.
bool postMessage(WindowHandle handle, unsigned msg, std::uintptr_t wParam, std::intptr_t lParam);

// Delivers every queued message for live windows; returns how many were
// delivered. Call on the UI thread.
int pumpMessages();

// A GUI event loop sets a waker that is called (from any thread) after a post,
// so it can schedule pumpMessages() on its own thread; and a pump that lets the
// UI run while a caller waits (Communicate). Both may be empty.
void setPostWaker(std::function<void()> waker);
void setUiPump(std::function<void()> pump);
// Processes pending UI work: the installed UI pump, or pumpMessages().
void processPendingMessages();

}  // namespace platform
