#include "fs/StdioFile.h"

#include <sys/stat.h>

#include <cstdint>

namespace arvel {

bool isRegularFile(FILE* file) {
#ifndef _WIN32
    struct stat status;
    return fstat(fileno(file), &status) == 0 && S_ISREG(status.st_mode);
#else
    (void)file;
    return true;
#endif
}

long measureFile(FILE* file) {
    if (fseek(file, 0, SEEK_END) != 0) return -1;
    long size = ftell(file);
    if (fseek(file, 0, SEEK_SET) != 0) return -1;
    return size >= 0 && size <= INT32_MAX ? size : -1;
}

}  // namespace arvel
