// The locks that the statically linked GCC runtime makes for itself and
// never closes, closed when the module goes.
//
// The runtime's locks are static objects that are meant to last as long as
// the process, so nothing ever closes their Windows semaphores: the lock
// that guards the initialisation of function-local statics (made at the
// first such initialisation) and, in the 32-bit build, the unwinder's lock on
// its table of exception frames (made when the module registers its frames,
// at start-up; the 64-bit runtime unwinds through the image's own tables and
// registers none). Both live in the module's image and go with it; each
// leaves one semaphore handle in the host for every load and free. No link
// option or public runtime call releases them and the runtime does not tell
// us their handles, so a semaphore made inside one of the calls that create
// them is noted as it is created, and closed as the last thing the module
// does: in the 32-bit build right after the frames are deregistered (the
// runtime's last step at detach, as registering them was its first at
// start-up), in the 64-bit build by the first exit handler the module
// registers, which runs after every static object of the module is gone.
// Both locks are only taken again to look up frames for an exception or to
// initialise a static, and after that point this module runs neither. The
// runtime's other semaphores (the emergency exception buffer's lock) are left
// alone: it closes them itself.
//
// Linked into Scrivlet.dll alone, with -Wl,--wrap= for the wrapped calls.

#include <windows.h>

#include <array>
#include <cstdlib>

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

// A C name as the assembler spells it: the 32-bit ABI puts an underscore
// in front, the 64-bit one does not.
#ifdef _WIN64
#define SCRIVLET_ASM_NAME(name) #name
#else
#define SCRIVLET_ASM_NAME(name) "_" #name
#endif

extern "C" {

// The module's own import slot of CreateSemaphoreW, which the runtime's
// objects call through: kernel32's function is reached through
// CreateSemaphoreExW instead.
#ifdef _WIN64
CreateSemaphoreFunction
    scrivlet_create_semaphore_import __asm__("__imp_CreateSemaphoreW") = &create_semaphore;
#else
CreateSemaphoreFunction
    scrivlet_create_semaphore_import __asm__("__imp__CreateSemaphoreW@16") = &create_semaphore;
#endif

int real_cxa_guard_acquire(long long* guard) __asm__(SCRIVLET_ASM_NAME(__real___cxa_guard_acquire));
int wrapped_cxa_guard_acquire(long long* guard) __asm__(
    SCRIVLET_ASM_NAME(__wrap___cxa_guard_acquire));

int wrapped_cxa_guard_acquire(long long* guard) {
    return noting_semaphores([&] { return real_cxa_guard_acquire(guard); });
}

#ifdef _WIN64

} // extern "C"

namespace {

// Runs before any other constructor of the module, so that its exit handler
// is the first registered and the last run.
__attribute__((constructor(101))) void close_noted_semaphores_at_exit() {
    std::atexit(close_noted_semaphores);
}

} // namespace

#else

void real_register_frame_info(const void* frames, void* object) __asm__(
    SCRIVLET_ASM_NAME(__real___register_frame_info));
void* real_deregister_frame_info(const void* frames) __asm__(
    SCRIVLET_ASM_NAME(__real___deregister_frame_info));
void wrapped_register_frame_info(const void* frames, void* object) __asm__(
    SCRIVLET_ASM_NAME(__wrap___register_frame_info));
void* wrapped_deregister_frame_info(const void* frames) __asm__(
    SCRIVLET_ASM_NAME(__wrap___deregister_frame_info));

void wrapped_register_frame_info(const void* frames, void* object) {
    noting_semaphores([&] {
        real_register_frame_info(frames, object);
        return 0;
    });
}

void* wrapped_deregister_frame_info(const void* frames) {
    void* const object = real_deregister_frame_info(frames);
    close_noted_semaphores();
    return object;
}

} // extern "C"

#endif
