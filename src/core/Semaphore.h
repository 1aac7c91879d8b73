// A counting semaphore, used with counts (1, 1) as a lock around small shared records.
#pragma once

namespace arvel {

struct Semaphore;

Semaphore* createSemaphore(int initialCount, int maximumCount);
void destroySemaphore(Semaphore* semaphore);  // accepts null
void waitSemaphore(Semaphore* semaphore);
void releaseSemaphore(Semaphore* semaphore);  // null: fatal box "NULL SEMAPHORE"

}  // namespace arvel
