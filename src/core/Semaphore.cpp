#include "core/Semaphore.h"

#include <cstdlib>

#include "core/ErrorReport.h"
#include "platform/platform.h"

namespace arvel {

struct Semaphore {
    platform::Semaphore* handle;
};

Semaphore* createSemaphore(int initialCount, int maximumCount) {
    platform::Semaphore* handle = platform::createSemaphore(initialCount, maximumCount);
    if (!handle) {
        WarningBox("Made NULL Semaphore!!!");
        return nullptr;
    }
    auto* semaphore = static_cast<Semaphore*>(malloc(sizeof(Semaphore)));
    if (!semaphore) {
        platform::closeSemaphore(handle);
        WarningBox("Made NULL Semaphore!!!");
        return nullptr;
    }
    semaphore->handle = handle;
    return semaphore;
}

void destroySemaphore(Semaphore* semaphore) {
    if (!semaphore) return;
    platform::closeSemaphore(semaphore->handle);
    free(semaphore);
}

void waitSemaphore(Semaphore* semaphore) {
    // Waiting on nothing would never return; report it like a null release.
    if (!semaphore) {
        SetErrorLocation(66, "Utils\\System");
        FatalError("NULL SEMAPHORE");
        return;
    }
    platform::waitSemaphore(semaphore->handle);
}

void releaseSemaphore(Semaphore* semaphore) {
    if (!semaphore) {
        SetErrorLocation(66, "Utils\\System");
        FatalError("NULL SEMAPHORE");
        return;
    }
    platform::releaseSemaphore(semaphore->handle);
}

}  // namespace arvel
