// A thread with a small stack, as game engines run their workers, for the tests that show a
// deep piece of work fits one. Not on the web, where the engine's build has no threads.
#pragma once

#if !defined(__EMSCRIPTEN__)

#include <cstddef>

#if defined(_WIN32)
#include <windows.h>
#else
#include <pthread.h>
#endif

namespace smallstack {

struct Job {
    void (*work)(void*);
    void* argument;
};

#if defined(_WIN32)
inline DWORD WINAPI run(void* job) {
    static_cast<Job*>(job)->work(static_cast<Job*>(job)->argument);
    return 0;
}
#else
inline void* run(void* job) {
    static_cast<Job*>(job)->work(static_cast<Job*>(job)->argument);
    return nullptr;
}
#endif

} // namespace smallstack

/// Runs work(argument) to its end on a new thread whose stack holds `bytes`; false where no such
/// thread could be made.
inline bool onSmallStack(std::size_t bytes, void (*work)(void*), void* argument) {
    smallstack::Job job{work, argument};
#if defined(_WIN32)
    HANDLE thread = CreateThread(nullptr, bytes, smallstack::run, &job,
                                 STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
    if (thread == nullptr) {
        return false;
    }
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    return true;
#else
    pthread_attr_t attributes;
    if (pthread_attr_init(&attributes) != 0) {
        return false;
    }
    pthread_t thread;
    const bool made = pthread_attr_setstacksize(&attributes, bytes) == 0 &&
                      pthread_create(&thread, &attributes, smallstack::run, &job) == 0;
    pthread_attr_destroy(&attributes);
    if (made) {
        pthread_join(thread, nullptr);
    }
    return made;
#endif
}

#endif
