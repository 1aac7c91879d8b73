// Targa images through the texture loader, compared pixel for pixel with a plain
// reading of the accepted subset.
#include "ImageReference.h"

using namespace arvel;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::headless();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > INT32_MAX) return 0;
    fuzz::loadAndCompare("fuzz.tga", data, size, fuzz::referenceTarga(data, size));
    return 0;
}
