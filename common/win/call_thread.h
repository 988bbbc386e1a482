#pragma once
// A thread of its own for calls into code that may end the thread it runs
// on without returning (Wine's 64-bit GDI+ does, see wine64_rounding.h; on
// a program's main thread that ends the whole process without a word). The
// caller hands each call over and waits for it, so the calls run one at a
// time and in order, as code written for a single caller expects, and the
// caller learns when the thread ended instead of returning.

#include "common/win/handles.h"

#include <windows.h>

#include <exception>
#include <functional>

namespace scrivlet::win {

class CallThread {
public:
    // The thread starts with the first call.
    CallThread() = default;
    CallThread(const CallThread&) = delete;
    CallThread& operator=(const CallThread&) = delete;
    // The thread has ended when this returns.
    ~CallThread();

    // Runs `call` on the thread and waits until it returns; what it throws
    // is thrown here. False when the thread ended inside the call instead;
    // the next call then starts a new thread. Throws std::runtime_error when
    // no thread can be started.
    [[nodiscard]] bool run(const std::function<void()>& call);

private:
    static unsigned __stdcall serve(void* self);
    void start();

    UniqueHandle thread_;
    UniqueHandle handed_;   // a call is waiting, or (none) the thread is to end
    UniqueHandle returned_; // the call has returned
    const std::function<void()>* call_ = nullptr;
    std::exception_ptr thrown_;
};

} // namespace scrivlet::win
