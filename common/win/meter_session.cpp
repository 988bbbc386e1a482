#include "common/win/meter_session.h"

#include <utility>

namespace scrivlet::win {

MeterSession::MeterSession(const api::Exports& exports, HWND owner, CallRunner runner)
    : exports_(&exports), runner_(std::move(runner)) {
    run({"dllstartup"}, [&] { instance_ = exports_->dllstartup(owner, 0); });
}

MeterSession::MeterSession(MeterSession&& other) noexcept
    : exports_(other.exports_), runner_(std::move(other.runner_)),
      instance_(std::exchange(other.instance_, nullptr)) {}

MeterSession& MeterSession::operator=(MeterSession&& other) noexcept {
    if (this != &other) {
        shut_down();
        exports_ = other.exports_;
        runner_ = std::move(other.runner_);
        instance_ = std::exchange(other.instance_, nullptr);
    }
    return *this;
}

MeterSession::~MeterSession() {
    shut_down();
}

void MeterSession::shut_down() noexcept {
    if (instance_ == nullptr) {
        return;
    }
    try {
        run({"dllshutdown"}, [&] { exports_->dllshutdown(instance_); });
    } catch (...) {
        // The meter is gone either way; see the header.
    }
    instance_ = nullptr;
}

int MeterSession::load_settings(const std::string& file, const std::string& section) const {
    int result = 0;
    run({"load_settings"},
        [&] { result = exports_->load_settings(instance_, file.c_str(), section.c_str()); });
    return result;
}

int MeterSession::save_settings(const std::string& file, const std::string& section) const {
    int result = 0;
    run({"save_settings"},
        [&] { result = exports_->save_settings(instance_, file.c_str(), section.c_str()); });
    return result;
}

int MeterSession::repaint(HDC dc, const char* value, int width, int height) const {
    int result = 0;
    run({"repaint", value, width, height},
        [&] { result = exports_->repaint(dc, instance_, value, width, height); });
    return result;
}

int MeterSession::configure() const {
    int result = 0;
    run({"vis_configure"}, [&] { result = exports_->vis_configure(instance_); });
    return result;
}

void MeterSession::run(const PluginCall& call, const std::function<void()>& calls) const {
    if (runner_) {
        runner_(call, calls);
    } else {
        calls();
    }
}

} // namespace scrivlet::win
