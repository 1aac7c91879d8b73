// The one copy of stb_image and stb_image_write, compiled here rather than linked from a
// system library so that every build, the Windows one too, has the same code. PNGs are
// deflated by zlib, which compresses better than stb's own deflate.
#include <zlib.h>

#include <cstdlib>

namespace {

unsigned char* zlibCompress(unsigned char* data, int length, int* outLength, int quality) {
    uLongf size = compressBound(static_cast<uLong>(length));
    auto* out = static_cast<unsigned char*>(std::malloc(size));
    if (!out) return nullptr;
    if (compress2(out, &size, data, static_cast<uLong>(length), quality) != Z_OK) {
        std::free(out);
        return nullptr;
    }
    *outLength = static_cast<int>(size);
    return out;
}

}  // namespace

#define STBIW_ZLIB_COMPRESS zlibCompress
#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image.h>
#include <stb_image_write.h>
