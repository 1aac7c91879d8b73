// Console statements, as one line of text, against every setting of the engine; the
// first byte chooses whether the console's lock is on and whether the line is typed.
// Afterwards every variable must still hold a text and a number that agrees with it.
#include <string>

#include "FuzzSupport.h"
#include "console/Console.h"
#include "console/Settings.h"

using namespace arvel;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::headless();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    Settings values;
    Console console;
    registerSettings(console, values);
    console.setLock((data[0] & 1) != 0);
    const std::string line(fuzz::bytesOf(data + 1, size - 1));
    if (data[0] & 2)
        console.executeTyped(line.c_str());
    else
        console.executeLine(line.c_str());
    FUZZ_CHECK(console.output().lines().size() <= ConsoleOutput::kMaxLines);
    for (const ConsoleVariable* variable : console.variables()) fuzz::checkVariable(*variable);
    // Locked settings keep their defaults while the lock is on.
    Settings defaults;
    if (console.lock()) {
        FUZZ_CHECK(std::string(values.gfxVpprofile.text) == defaults.gfxVpprofile.text);
        FUZZ_CHECK(std::string(values.expRootDir.text) == defaults.expRootDir.text);
    }
    fuzz::drainMessages();
    return 0;
}
