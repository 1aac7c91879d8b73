// "autoexec.cfg" as the game runs it: read through the file system with the console's
// lock off, line by line, against every setting of the engine.
#include <string>

#include "FuzzSupport.h"
#include "console/Console.h"
#include "console/Settings.h"

using namespace arvel;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::headless();
    fuzz::mountScratch();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::scratch().write("autoexec.cfg", fuzz::bytesOf(data, size));
    Settings values;
    Console console;
    registerSettings(console, values);
    console.setLock(false);
    FUZZ_CHECK(console.executeFile("autoexec.cfg"));
    console.setLock(true);
    for (const ConsoleVariable* variable : console.variables()) fuzz::checkVariable(*variable);
    fuzz::drainMessages();
    return 0;
}
