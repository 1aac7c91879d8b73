// golden-compare: the golden pictures' places, settings and comparison
// (tests/e2e/golden/GoldenImage.h) for pictures taken outside the e2e tests, such as
// the Windows build's under Wine (scripts/test-windows).
#include <cstdio>
#include <string>
#include <vector>

#include "GoldenImage.h"

namespace {

int usage() {
    std::fprintf(stderr,
                 "usage: golden-compare --views\n"
                 "       golden-compare --settings view\n"
                 "       golden-compare [--difference diff.png] picture.png golden.png\n"
                 "--views lists the golden places as 'name camera'; --settings prints the\n"
                 "autoexec.cfg lines that, after the demo's own, make game take the view's\n"
                 "picture as shot.png. The comparison exits with 0 when the picture matches\n"
                 "the golden within the golden tests' tolerance, 1 when it does not (writing\n"
                 "the difference when asked), 2 when a picture cannot be read.\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace arvel::test;
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 1 && args[0] == "--views") {
        for (const GoldenView& view : kGoldenViews) std::printf("%s %s\n", view.name, view.camera);
        return 0;
    }
    if (args.size() == 2 && args[0] == "--settings") {
        for (const GoldenView& view : kGoldenViews)
            if (args[1] == view.name) {
                std::printf("%s", captureSettings(view.camera).c_str());
                return 0;
            }
        std::fprintf(stderr, "golden-compare: no view named '%s'\n", args[1].c_str());
        return 2;
    }
    std::string difference;
    if (args.size() == 4 && args[0] == "--difference") {
        difference = args[1];
        args.erase(args.begin(), args.begin() + 2);
    }
    if (args.size() != 2 || args[0].rfind("--", 0) == 0 || args[1].rfind("--", 0) == 0)
        return usage();

    arvel::RgbImage picture, golden;
    for (int i = 0; i < 2; ++i)
        if (!arvel::readPng(args[i], i == 0 ? picture : golden)) {
            std::fprintf(stderr, "golden-compare: %s is not a readable RGB PNG\n", args[i].c_str());
            return 2;
        }
    const GoldenComparison comparison = compareWithGolden(picture, golden);
    std::printf("%s\n", comparison.summary().c_str());
    if (comparison.matches()) return 0;
    if (!difference.empty() && comparison.sameSize &&
        !arvel::writePng(difference, comparison.difference)) {
        std::fprintf(stderr, "golden-compare: cannot write %s\n", difference.c_str());
        return 2;
    }
    return 1;
}
