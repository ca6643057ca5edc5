// A thread with a small stack, as game engines' workers have; not on the web, which has none.
#pragma once

#if !defined(__EMSCRIPTEN__)

#include <cstddef>
#include <functional>

#if defined(_WIN32)
#include <windows.h>
inline DWORD WINAPI runOnSmallStack(void* work) {
#else
#include <pthread.h>
inline void* runOnSmallStack(void* work) {
#endif
    (*static_cast<const std::function<void()>*>(work))();
    return {};
}

/// Runs work to its end on a new thread whose stack holds `bytes`; false where none was made.
inline bool onSmallStack(std::size_t bytes, const std::function<void()>& work) {
    void* const job = const_cast<std::function<void()>*>(&work);
#if defined(_WIN32)
    HANDLE thread = CreateThread(nullptr, bytes, runOnSmallStack, job,
                                 STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
    if (thread == nullptr) {
        return false;
    }
    WaitForSingleObject(thread, INFINITE);
    return CloseHandle(thread) != 0;
#else
    pthread_attr_t attributes;
    if (pthread_attr_init(&attributes) != 0) {
        return false;
    }
    pthread_t thread;
    const bool made = pthread_attr_setstacksize(&attributes, bytes) == 0 &&
                      pthread_create(&thread, &attributes, runOnSmallStack, job) == 0;
    pthread_attr_destroy(&attributes);
    return made && pthread_join(thread, nullptr) == 0;
#endif
}

#endif
