// arvel-chain-map [--unlit] ROOMS FILE: writes a chain of ROOMS rooms, each with a
// light unless --unlit, as an OTM map and prints the dbg_camera value that puts the
// camera in its middle room.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "RoomChain.h"

int main(int argc, char** argv) {
    const bool lit = !(argc > 1 && std::strcmp(argv[1], "--unlit") == 0);
    if (!lit) --argc, ++argv;
    const int rooms = argc == 3 ? std::atoi(argv[1]) : 0;
    if (rooms < 1) {
        std::fprintf(stderr, "usage: arvel-chain-map [--unlit] ROOMS FILE\n");
        return 2;
    }
    if (!arvel::content::saveOtm(argv[2], arvel::bench::roomChain(rooms, lit))) {
        std::fprintf(stderr, "cannot write %s\n", argv[2]);
        return 1;
    }
    const arvel::bench::ChainCamera c = arvel::bench::chainCamera(rooms);
    std::printf("%g %g %g %g %g 0\n", c.x, c.y, c.z, c.pitch, c.yaw);
    return 0;
}
