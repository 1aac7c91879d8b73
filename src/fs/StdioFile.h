// Checks shared by the sources that read through stdio files.
#pragma once

#include <cstdio>

namespace arvel {

// Folders open for reading on some systems; only plain files are data.
bool isRegularFile(FILE* file);
// Measures the file and rewinds it; -1 when it cannot be measured or is too big.
long measureFile(FILE* file);

}  // namespace arvel
