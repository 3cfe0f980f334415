#include <orloqt/threadcomp.h>

#include <QThread>

#include <pthread.h>
#include <sys/resource.h>
#include <unistd.h>

namespace orloqt {

namespace {

// Nice values for the priorities; raising one above normal needs a privilege
// the client does not have, and is then left as it is.
int niceOf(ThreadPriority priority) {
    switch (priority) {
    case ThreadPriority::tpIdle: return 19;
    case ThreadPriority::tpLowest: return 10;
    case ThreadPriority::tpLower: return 5;
    case ThreadPriority::tpNormal: return 0;
    case ThreadPriority::tpHigher: return -5;
    case ThreadPriority::tpHighest: return -10;
    case ThreadPriority::tpTimeCritical: return -20;
    }
    return 0;
}

void applyPriority(long threadId, ThreadPriority priority) {
    if (threadId != 0) ::setpriority(PRIO_PROCESS, id_t(threadId), niceOf(priority));
}

}  // namespace

ThreadCompInnerThread::ThreadCompInnerThread(bool createSuspended, std::string name, TThreadComponent* component)
    : platform::Thread(createSuspended), name_(std::move(name)), component_(component) {
    Suspended = createSuspended;
    afterConstruction();
}

ThreadCompInnerThread::~ThreadCompInnerThread() {
    terminate();
    waitFor();
}

std::string ThreadCompInnerThread::NameFor(const std::string& stored, const TThreadComponent* component) {
    std::string name = stored;
    if (name.empty() && component) name = component->objectName().toStdString();
    if (name.empty()) name = "InnerThread";
    return name.substr(0, 15);   // the system keeps 15 bytes of a thread's name
}

void ThreadCompInnerThread::start() {
    Suspended = false;
    resume();
}

void ThreadCompInnerThread::execute() {
    Suspended = false;
    ::pthread_setname_np(::pthread_self(), NameFor(name_, component_).c_str());
    ThreadId = long(::gettid());
    applyPriority(ThreadId, Priority);
    if (component_ && component_->OnExecute) component_->OnExecute(component_);
    if (component_) {
        // Told on the component's own thread; a component gone by then takes
        // no call.
        QMetaObject::invokeMethod(component_, [c = component_] { c->innerThreadEnded(); }, Qt::QueuedConnection);
    }
}

TThreadComponent::TThreadComponent(QObject* owner, bool createSuspended)
    : QObject(owner), createSuspended_(createSuspended) {}

TThreadComponent::~TThreadComponent() {
    if (inner_ && !inner_->Suspended) {
        inner_->terminate();
        inner_->waitFor();
    }
    inner_.reset();
}

void TThreadComponent::AfterConstruction() {
    try {
        GetThread();
        if (OnCreate) OnCreate(this);
    } catch (...) {
    }
}

ThreadCompInnerThread* TThreadComponent::GetThread() {
    if (inner_ || freedByItself_) return inner_.get();
    try {
        inner_ = std::make_unique<ThreadCompInnerThread>(createSuspended_, objectName().toStdString(), this);
    } catch (...) {
        return nullptr;
    }
    return inner_.get();
}

void TThreadComponent::Resume() {
    if (auto* t = GetThread()) t->start();
}

void TThreadComponent::Terminate() {
    if (auto* t = GetThread()) t->terminate();
}

int TThreadComponent::WaitFor() {
    auto* t = GetThread();
    if (!t) return 0;
    t->waitFor();
    return t->ReturnValue;
}

void TThreadComponent::Synchronize(const std::function<void()>& method) {
    if (QThread::currentThread() == thread()) method();
    else QMetaObject::invokeMethod(this, method, Qt::BlockingQueuedConnection);
}

long TThreadComponent::GetThreadID() {
    auto* t = GetThread();
    return t ? t->ThreadId.load() : 0;
}
int TThreadComponent::GetReturnValue() {
    auto* t = GetThread();
    return t ? t->ReturnValue.load() : 0;
}
std::exception_ptr TThreadComponent::GetFatalException() {
    auto* t = GetThread();
    return t ? t->fatalException() : nullptr;
}
ThreadPriority TThreadComponent::GetPriority() {
    auto* t = GetThread();
    return t ? t->Priority.load() : ThreadPriority::tpNormal;
}
bool TThreadComponent::GetSuspended() {
    auto* t = GetThread();
    return t ? t->Suspended.load() : true;
}
bool TThreadComponent::GetTerminated() {
    auto* t = GetThread();
    return t ? t->terminated() : true;
}
bool TThreadComponent::GetFreeOnTerminate() {
    auto* t = GetThread();
    return t ? t->FreeOnTerminate.load() : false;
}

void TThreadComponent::SetPriority(ThreadPriority priority) {
    if (!inner_ || inner_->Priority == priority) return;
    inner_->Priority = priority;
    applyPriority(inner_->ThreadId, priority);
}
void TThreadComponent::SetReturnValue(int value) {
    if (inner_) inner_->ReturnValue = value;
}
void TThreadComponent::SetSuspended(bool suspended) {
    if (inner_ && inner_->Suspended != suspended && !suspended) inner_->start();
}
void TThreadComponent::SetFreeOnTerminate(bool free) {
    if (inner_) inner_->FreeOnTerminate = free;
}

void TThreadComponent::SetFreedByItself(bool freed) {
    if (freed == freedByItself_) return;
    freedByItself_ = freed;
    if (freed) inner_.reset();   // the body has returned: this only joins it
}

void TThreadComponent::innerThreadEnded() {
    if (OnTerminate) OnTerminate(this);
    if (inner_ && inner_->FreeOnTerminate) SetFreedByItself(true);
}

}  // namespace orloqt
