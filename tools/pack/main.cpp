// arvel-pack: stores files in a zip archive (no compression, as the engine reads it).
//   arvel-pack <output.zip> <folder> <name>...
// Each named file of the folder becomes an entry of the same name.
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "ZipWriter.h"

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s <output.zip> <folder> <name>...\n", argv[0]);
        return 2;
    }
    try {
        arvel::content::ZipWriter zip;
        for (int i = 3; i < argc; ++i) {
            const std::filesystem::path path = std::filesystem::path(argv[2]) / argv[i];
            std::ifstream in(path, std::ios::binary);
            if (!in) {
                std::fprintf(stderr, "%s: cannot read %s\n", argv[0], path.string().c_str());
                return 1;
            }
            std::ostringstream bytes;
            bytes << in.rdbuf();
            zip.add(argv[i], bytes.str());
        }
        if (!zip.save(argv[1])) {
            std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[1]);
            return 1;
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s: %s\n", argv[0], error.what());
        return 1;
    }
    return 0;
}
