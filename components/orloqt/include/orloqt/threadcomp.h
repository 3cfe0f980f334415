// A worker thread owned as a component: its body is the OnExecute event, run
// on an inner thread created on first use; OnCreate and OnTerminate tell the
// owner's thread (which needs a running event loop for OnTerminate) that the
// thread was made and has finished.
#pragma once

#include <zplatform/thread.h>

#include <QObject>

#include <atomic>
#include <exception>
#include <functional>
#include <memory>
#include <string>

namespace orloqt {

class TThreadComponent;

enum class ThreadPriority { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };

class ThreadCompInnerThread : public platform::Thread {
public:
    ThreadCompInnerThread(bool createSuspended, std::string name, TThreadComponent* component);
    ~ThreadCompInnerThread() override;

    const std::string& name() const { return name_; }
    // The name the thread carries (as the system shows it, at most 15 bytes).
    static std::string NameFor(const std::string& stored, const TThreadComponent* component);
    std::atomic<int> ReturnValue{0};
    std::atomic<bool> FreeOnTerminate{false};
    std::atomic<bool> Suspended{true};
    std::atomic<ThreadPriority> Priority{ThreadPriority::tpNormal};
    std::atomic<long> ThreadId{0};
    void start();

protected:
    void execute() override;

private:
    std::string name_;
    TThreadComponent* component_;
};

class TThreadComponent : public QObject {
public:
    explicit TThreadComponent(QObject* owner = nullptr) : TThreadComponent(owner, true) {}
    TThreadComponent(QObject* owner, bool createSuspended);
    ~TThreadComponent() override;

    std::string Data;
    std::function<void(TThreadComponent*)> OnCreate, OnExecute, OnTerminate;

    // Creates the inner thread (started unless created suspended) and fires OnCreate.
    void AfterConstruction();
    // The inner thread, made on first use; null once it has freed itself.
    ThreadCompInnerThread* GetThread();

    void Resume();
    // A running thread cannot be stopped from outside on this system; one
    // not yet started stays so.
    void Suspend() {}
    void Terminate();
    int WaitFor();
    // Runs method on the owner's thread and waits for it.
    void Synchronize(const std::function<void()>& method);

    long GetThreadID();
    int GetReturnValue();
    std::exception_ptr GetFatalException();
    ThreadPriority GetPriority();
    bool GetSuspended();
    bool GetTerminated();
    bool GetFreeOnTerminate();
    void SetPriority(ThreadPriority priority);
    void SetReturnValue(int value);
    void SetSuspended(bool suspended);
    void SetFreeOnTerminate(bool free);
    void SetFreedByItself(bool freed);

private:
    friend class ThreadCompInnerThread;
    void innerThreadEnded();

    bool createSuspended_;
    bool freedByItself_ = false;
    std::unique_ptr<ThreadCompInnerThread> inner_;
};

}  // namespace orloqt
