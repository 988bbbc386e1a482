#pragma once
// A thread that looks at something every few milliseconds until it goes:
// the watchdog of a run that must not hang, the hand that cancels dialogs.

#include <windows.h>

#include <atomic>
#include <functional>
#include <thread>
#include <utility>

namespace scrivlet::win {

class PollingThread {
public:
    PollingThread(DWORD period_ms, std::function<void()> poll)
        : thread_([this, period_ms, poll = std::move(poll)] {
              while (!stop_) {
                  poll();
                  Sleep(period_ms);
              }
          }) {}
    PollingThread(const PollingThread&) = delete;
    PollingThread& operator=(const PollingThread&) = delete;
    // The last poll has ended when this returns.
    ~PollingThread() {
        stop_ = true;
        thread_.join();
    }

private:
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

} // namespace scrivlet::win
