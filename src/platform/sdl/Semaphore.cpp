// Counting semaphores with a maximum, as the system's own.
#include "platform/sdl/Backend.h"

#include <condition_variable>
#include <mutex>

namespace arvel::platform {

struct Semaphore {
    std::mutex mutex;
    std::condition_variable available;
    int count = 0;
    int maximum = 0;
};

Semaphore* createSemaphore(int initialCount, int maximumCount) {
    if (maximumCount <= 0 || initialCount < 0 || initialCount > maximumCount) return nullptr;
    auto* semaphore = new Semaphore;
    semaphore->count = initialCount;
    semaphore->maximum = maximumCount;
    return semaphore;
}

void waitSemaphore(Semaphore* semaphore) {
    if (semaphore == nullptr) return;
    std::unique_lock lock(semaphore->mutex);
    semaphore->available.wait(lock, [semaphore] { return semaphore->count > 0; });
    --semaphore->count;
}

bool releaseSemaphore(Semaphore* semaphore) {
    if (semaphore == nullptr) return false;
    {
        std::lock_guard lock(semaphore->mutex);
        if (semaphore->count >= semaphore->maximum) return false;
        ++semaphore->count;
    }
    semaphore->available.notify_one();
    return true;
}

void closeSemaphore(Semaphore* semaphore) { delete semaphore; }

}  // namespace arvel::platform
