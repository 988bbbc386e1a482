// The locks that the statically linked GCC runtime makes for itself and
// never closes, closed when the module's frames are deregistered.
//
// Two of the runtime's locks are static objects that are meant to last as
// long as the process, so nothing ever closes their Windows semaphores: the
// unwinder's lock on its table of exception frames (made when the module
// registers its frames, at start-up) and the lock that guards the
// initialisation of function-local statics (made at the first such
// initialisation). Both live in the module's image and go with it; each
// leaves one semaphore handle in the host for every load and free. No link
// option or public runtime call releases them and the runtime does not tell
// us their handles, so a semaphore made inside one of the two calls that
// create them is noted as it is created, and closed right after the frames
// are deregistered. That is the last thing the runtime does at detach (it
// was the first thing at start-up): both locks are only taken again to look
// up frames for an exception or to initialise a static, and after it this
// module runs neither. The runtime's other semaphores (the emergency
// exception buffer's lock) are left alone: it closes them itself.
//
// Linked into Scrivlet.dll alone, with -Wl,--wrap= for the three calls.

#include <windows.h>

#include <array>

namespace {

using CreateSemaphoreFunction = HANDLE(WINAPI*)(LPSECURITY_ATTRIBUTES, LONG, LONG, LPCWSTR);

// Both locks are made once per load; the room beyond that only keeps a
// race between two first calls from losing one.
constexpr size_t most_noted_semaphores = 4;

// Constant-initialised: the first semaphore is made before any constructor
// of this module has run.
LONG calls_making_static_locks = 0;
LONG noted_count = 0;
std::array<HANDLE, most_noted_semaphores> noted_semaphores{};

HANDLE WINAPI create_semaphore(LPSECURITY_ATTRIBUTES attributes, LONG initial, LONG maximum,
                               LPCWSTR name) {
    const HANDLE semaphore =
        CreateSemaphoreExW(attributes, initial, maximum, name, 0, SEMAPHORE_ALL_ACCESS);
    if (semaphore != nullptr && InterlockedCompareExchange(&calls_making_static_locks, 0, 0) > 0) {
        const LONG slot = InterlockedIncrement(&noted_count) - 1;
        if (slot < static_cast<LONG>(noted_semaphores.size())) {
            noted_semaphores[static_cast<size_t>(slot)] = semaphore;
        }
    }
    return semaphore;
}

// Notes the semaphores made while `call` runs (the static-initialisation
// call throws when a static's initialiser reaches itself again).
template <typename Call> auto noting_semaphores(Call&& call) {
    struct Noting {
        Noting() { InterlockedIncrement(&calls_making_static_locks); }
        Noting(const Noting&) = delete;
        Noting& operator=(const Noting&) = delete;
        ~Noting() { InterlockedDecrement(&calls_making_static_locks); }
    };
    const Noting noting;
    return call();
}

void close_noted_semaphores() {
    const LONG count = noted_count < static_cast<LONG>(noted_semaphores.size())
                           ? noted_count
                           : static_cast<LONG>(noted_semaphores.size());
    for (LONG i = 0; i < count; ++i) {
        CloseHandle(noted_semaphores[static_cast<size_t>(i)]);
        noted_semaphores[static_cast<size_t>(i)] = nullptr;
    }
    noted_count = 0;
}

} // namespace

extern "C" {

// The module's own import slot of CreateSemaphoreW, which the runtime's
// objects call through: kernel32's function is reached through
// CreateSemaphoreExW instead.
CreateSemaphoreFunction
    scrivlet_create_semaphore_import __asm__("__imp__CreateSemaphoreW@16") = &create_semaphore;

void real_register_frame_info(const void* frames,
                              void* object) __asm__("___real___register_frame_info");
void* real_deregister_frame_info(const void* frames) __asm__("___real___deregister_frame_info");
int real_cxa_guard_acquire(long long* guard) __asm__("___real___cxa_guard_acquire");

void wrapped_register_frame_info(const void* frames,
                                 void* object) __asm__("___wrap___register_frame_info");
void* wrapped_deregister_frame_info(const void* frames) __asm__("___wrap___deregister_frame_info");
int wrapped_cxa_guard_acquire(long long* guard) __asm__("___wrap___cxa_guard_acquire");

void wrapped_register_frame_info(const void* frames, void* object) {
    noting_semaphores([&] {
        real_register_frame_info(frames, object);
        return 0;
    });
}

int wrapped_cxa_guard_acquire(long long* guard) {
    return noting_semaphores([&] { return real_cxa_guard_acquire(guard); });
}

void* wrapped_deregister_frame_info(const void* frames) {
    void* const object = real_deregister_frame_info(frames);
    close_noted_semaphores();
    return object;
}

} // extern "C"
