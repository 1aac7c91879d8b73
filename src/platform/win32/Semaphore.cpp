// The system's counting semaphores; the handle is the opaque semaphore.
#include "platform/win32/Backend.h"

namespace arvel::platform {

Semaphore* createSemaphore(int initialCount, int maximumCount) {
    if (maximumCount <= 0 || initialCount < 0 || initialCount > maximumCount) return nullptr;
    return reinterpret_cast<Semaphore*>(
        CreateSemaphoreA(nullptr, initialCount, maximumCount, nullptr));
}

void waitSemaphore(Semaphore* semaphore) {
    if (semaphore != nullptr) WaitForSingleObject(reinterpret_cast<HANDLE>(semaphore), INFINITE);
}

bool releaseSemaphore(Semaphore* semaphore) {
    if (semaphore == nullptr) return false;
    return ReleaseSemaphore(reinterpret_cast<HANDLE>(semaphore), 1, nullptr) != 0;
}

void closeSemaphore(Semaphore* semaphore) {
    if (semaphore != nullptr) CloseHandle(reinterpret_cast<HANDLE>(semaphore));
}

}  // namespace arvel::platform
