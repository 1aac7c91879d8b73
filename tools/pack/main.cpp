// arvel-pack: stores files in a zip archive (no compression, as the engine reads it).
//   arvel-pack <output.zip> <folder> <name>...
// Each named file of the folder becomes an entry of the same name.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "ToolMain.h"
#include "ZipWriter.h"

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s <output.zip> <folder> <name>...\n", argv[0]);
        return 2;
    }
    return arvel::content::writeOutput(argv[0], argv[1], [&] {
        arvel::content::ZipWriter zip;
        for (int i = 3; i < argc; ++i) {
            const std::filesystem::path path = std::filesystem::path(argv[2]) / argv[i];
            std::ifstream in(path, std::ios::binary);
            if (!in) throw std::runtime_error("cannot read " + path.string());
            std::ostringstream bytes;
            bytes << in.rdbuf();
            zip.add(argv[i], bytes.str());
        }
        return zip.save(argv[1]);
    });
}
