// Checks and reading shared by the sources that read through stdio files.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace arvel {

// Folders open for reading on some systems; only plain files are data.
bool isRegularFile(FILE* file);
// Measures the file and rewinds it; -1 when it cannot be measured or is too big.
long measureFile(FILE* file);

// The characters nextByte() gives up to and including the next 0 byte, or to EOF, as a
// malloc'd string the caller frees; null when memory runs out.
template <typename NextByte>
char* collectString(NextByte nextByte) {
    size_t capacity = 65536;
    char* work = static_cast<char*>(malloc(capacity));
    if (!work) return nullptr;
    size_t length = 0;
    for (int c; (c = nextByte()) != EOF && c != 0;) {
        // Keep room for the terminating 0.
        if (length + 1 == capacity) {
            char* grown = static_cast<char*>(realloc(work, capacity * 2));
            if (!grown) {
                free(work);
                return nullptr;
            }
            work = grown;
            capacity *= 2;
        }
        work[length++] = static_cast<char>(c);
    }
    work[length] = 0;
    char* result = static_cast<char*>(malloc(length + 1));
    if (result) memcpy(result, work, length + 1);
    free(work);
    return result;
}

}  // namespace arvel
