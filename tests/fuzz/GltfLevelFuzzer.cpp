// glTF level sources (".gltf" JSON and ".glb" binaries, as Blender exports them) through
// the reader and the level compiler: a file is either refused with a LevelError that
// names the file (and the object, where there is one), or compiled into a map. Images
// are not decoded here: their decoder is the image library's, not the level's.
#include <cstring>
#include <string>

#include "FuzzSupport.h"
#include "OtmWriter.h"
#include "level/GltfLevel.h"
#include "level/LevelCompiler.h"

using namespace arvel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(fuzz::bytesOf(data, size));
    level::GltfOptions options;
    options.decodeImages = false;
    options.texturePrefix = "fuzz_";
    try {
        // External buffers and images are looked up where there are none.
        const level::GltfLevel source =
            level::parseGltfLevel(bytes, "fuzz.glb", "/nonexistent-arvel-fuzz", options);
        const level::CompiledLevel compiled = level::compileLevel(source.source);
        const std::string map = content::otmBytes(compiled.map);
        FUZZ_CHECK(!map.empty());
        FUZZ_CHECK(compiled.map.sectors.size() == source.source.sectors.size());
    } catch (const level::LevelError& error) {
        FUZZ_CHECK(std::strncmp(error.what(), "fuzz.glb: ", 10) == 0);
    }
    return 0;
}
