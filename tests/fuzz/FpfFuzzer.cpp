// FPF images (plain and cube maps, either row order) through the texture loader,
// compared pixel for pixel with a plain reading of the format.
#include "ImageReference.h"

using namespace arvel;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::headless();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > INT32_MAX) return 0;
    fuzz::loadAndCompare("fuzz.fpf", data, size, fuzz::referenceFpf(data, size));
    return 0;
}
