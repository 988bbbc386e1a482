// The lock that the statically linked unwinder creates for its table of
// exception frames, closed when the module's frames are deregistered.
//
// GCC's i686 runtime guards that table with a mutex whose Windows semaphore
// it makes when the module registers its frames, during start-up, and never
// closes: a static mutex is meant to last as long as the process, but this
// one lives in the module's image and goes with it, leaving one semaphore
// handle in the host for every load and free. No link option or public
// runtime call releases it, and the runtime does not tell us the handle, so
// the semaphore made while the frames are registered is noted as it is
// created, and closed right after they are deregistered. That is the last
// thing the runtime does at detach (it was the first thing at start-up);
// the lock is only taken again to look up frames for an exception, and
// after deregistration this module has none left to look up. Other
// semaphores the runtime makes (the emergency exception buffer's lock) are
// left alone: it closes them itself.
//
// Linked into Scrivlet.dll alone, with
// -Wl,--wrap=__register_frame_info,--wrap=__deregister_frame_info.

#include <windows.h>

namespace {

using CreateSemaphoreFunction = HANDLE(WINAPI*)(LPSECURITY_ATTRIBUTES, LONG, LONG, LPCWSTR);

bool registering_frames = false;
HANDLE frame_table_semaphore = nullptr;

HANDLE WINAPI create_semaphore(LPSECURITY_ATTRIBUTES attributes, LONG initial, LONG maximum,
                               LPCWSTR name) {
    const HANDLE semaphore =
        CreateSemaphoreExW(attributes, initial, maximum, name, 0, SEMAPHORE_ALL_ACCESS);
    if (registering_frames && frame_table_semaphore == nullptr) {
        frame_table_semaphore = semaphore;
    }
    return semaphore;
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

void wrapped_register_frame_info(const void* frames,
                                 void* object) __asm__("___wrap___register_frame_info");
void* wrapped_deregister_frame_info(const void* frames) __asm__("___wrap___deregister_frame_info");

void wrapped_register_frame_info(const void* frames, void* object) {
    registering_frames = true;
    real_register_frame_info(frames, object);
    registering_frames = false;
}

void* wrapped_deregister_frame_info(const void* frames) {
    void* const object = real_deregister_frame_info(frames);
    if (frame_table_semaphore != nullptr) {
        CloseHandle(frame_table_semaphore);
        frame_table_semaphore = nullptr;
    }
    return object;
}

} // extern "C"
