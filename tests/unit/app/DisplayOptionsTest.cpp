// scr_multisample and scr_vsync against drivers that grant, refuse or lack the engine's
// extensions: what the game asks of the driver and which warnings it gives (each at
// most once, always on standard error and in dump.dmp, never a box).
#include "app/DisplayOptions.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "../core/ReportCapture.h"
#include "console/Settings.h"
#include "driver/Driver.h"
#include "shared/TempDir.h"
#include "support/Process.h"

namespace arvel {
namespace {

// The driver of one case: what it exports and what it grants.
struct FakeDriver {
    bool exports = true;
    int grantedSamples = 0;  // what the context gets, whatever was asked
    bool swapControl = true;
    int askedSamples = -1, askedInterval = -1;  // -1: never asked
};
FakeDriver fake;

void setMultisample(int samples) { fake.askedSamples = samples; }
int getMultisample() { return fake.grantedSamples; }
bool setSwapInterval(int interval) {
    fake.askedInterval = interval;
    return fake.swapControl;
}

void* lookup(const char* name) {
    if (!fake.exports) return nullptr;
    if (std::strcmp(name, "dSetMultisample") == 0) return reinterpret_cast<void*>(&setMultisample);
    if (std::strcmp(name, "dGetMultisample") == 0) return reinterpret_cast<void*>(&getMultisample);
    if (std::strcmp(name, "dSetSwapInterval") == 0)
        return reinterpret_cast<void*>(&setSwapInterval);
    return nullptr;
}

struct Case {
    const char* name;
    const char* multisample;
    const char* vsync;
    FakeDriver driver;
    int askedSamples, askedInterval;
    const char* warnings;  // the warnings' texts, in order, joined
};

const Case kCases[] = {
    {"granted", "4", "true", {true, 4, true}, 4, 1, ""},
    {"more samples than asked", "2", "false", {true, 4, false}, 2, 0, ""},
    {"no format with that many",
     "8",
     "false",
     {true, 0, true},
     8,
     0,
     "Warning: The display has no pixel format with 8 samples; running without "
     "multisampling\n"},
    {"no swap control",
     "0",
     "true",
     {true, 0, false},
     0,
     1,
     "Warning: The display has no swap control; running without vertical sync\n"},
    {"driver without the extensions",
     "4",
     "true",
     {false},
     -1,
     -1,
     "Warning: Varnet.drv cannot multisample; running without multisampling\n"
     "Warning: Varnet.drv has no swap control; running without vertical sync\n"},
    {"nonsense",
     "3",
     "yes",
     {true, 0, true},
     0,
     0,
     "Warning: scr_multisample 3: the choices are 0, 2, 4 and 8 samples; running without "
     "multisampling\n"
     "Warning: scr_vsync yes: the choices are true and false; running without vertical "
     "sync\n"},
};

class DisplayOptionsTest : public test::ReportingTest {
protected:
    void TearDown() override {
        setDriverSymbolLookup({});
        settings().scrMultisample.assign("0");
        settings().scrVsync.assign("false");
        test::ReportingTest::TearDown();
    }
    test::TempDir dir;
    test::ScopedWorkingDirectory cwd{dir.path()};
};

TEST_F(DisplayOptionsTest, AsksTheDriverAndWarnsOnceForWhatItCannotGive) {
    setDriverSymbolLookup(lookup);
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        fake = c.driver;
        settings().scrMultisample.assign(c.multisample);
        settings().scrVsync.assign(c.vsync);
        std::filesystem::remove(dir.path() / "dump.dmp");
        const std::string err = stderrOf([] {
            requestDisplayOptions();
            applyDisplayOptions();
        });
        EXPECT_EQ(err, c.warnings);
        EXPECT_EQ(fake.askedSamples, c.askedSamples);
        EXPECT_EQ(fake.askedInterval, c.askedInterval);
        if (*c.warnings) {
            const std::string log = dir.read("dump.dmp");
            EXPECT_EQ(test::countOccurrences(c.warnings, "\n"), test::countOccurrences(log, "\n"))
                << log;
        }
        EXPECT_EQ(test::drainPostedCloses(), 0);
    }
}

}  // namespace
}  // namespace arvel
