#include "common/win/call_thread.h"

#include <process.h>

#include <cerrno>
#include <stdexcept>
#include <string>
#include <utility>

namespace scrivlet::win {

namespace {

UniqueHandle auto_reset_event() {
    UniqueHandle event(CreateEventA(nullptr, FALSE, FALSE, nullptr));
    if (!event) {
        throw std::runtime_error("cannot make an event (Windows error " +
                                 std::to_string(GetLastError()) + ")");
    }
    return event;
}

} // namespace

unsigned __stdcall CallThread::serve(void* self) {
    auto& owner = *static_cast<CallThread*>(self);
    for (;;) {
        WaitForSingleObject(owner.handed_.get(), INFINITE);
        if (owner.call_ == nullptr) {
            return 0;
        }
        try {
            (*owner.call_)();
        } catch (...) {
            owner.thrown_ = std::current_exception();
        }
        SetEvent(owner.returned_.get());
    }
}

// Events of its own for each thread: a thread that ended inside a call may
// have left them in any state.
void CallThread::start() {
    handed_ = auto_reset_event();
    returned_ = auto_reset_event();
    // _beginthreadex, not CreateThread: the thread uses the C runtime.
    thread_.reset(reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, serve, this, 0, nullptr)));
    if (!thread_) {
        throw std::runtime_error("cannot start a thread (C runtime error " + std::to_string(errno) +
                                 ")");
    }
}

bool CallThread::run(const std::function<void()>& call) {
    if (!thread_) {
        start();
    }
    call_ = &call;
    thrown_ = nullptr;
    SetEvent(handed_.get());
    const HANDLE ends[] = {returned_.get(), thread_.get()};
    // The lower index wins when both are set: a call that returned counts.
    const DWORD woken = WaitForMultipleObjects(2, ends, FALSE, INFINITE);
    if (woken == WAIT_FAILED) {
        throw std::runtime_error("cannot wait for a thread (Windows error " +
                                 std::to_string(GetLastError()) + ")");
    }
    if (woken != WAIT_OBJECT_0) {
        thread_.reset();
        return false;
    }
    if (thrown_) {
        std::rethrow_exception(std::exchange(thrown_, nullptr));
    }
    return true;
}

CallThread::~CallThread() {
    if (thread_) {
        call_ = nullptr;
        SetEvent(handed_.get());
        WaitForSingleObject(thread_.get(), INFINITE);
    }
}

} // namespace scrivlet::win
