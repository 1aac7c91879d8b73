#include <gtest/gtest.h>

#include <cstring>

#include "driver/Driver.h"
#include "support/RecordingDriver.h"

namespace arvel {
namespace {

using test::RecordingDriver;

TEST(DriverLoader, BindsEveryNameOfACompletePlugin) {
    RecordingDriver recorder;
    DriverTable table;
    ASSERT_TRUE(bindDriver(recorder.lookup(), table));
    EXPECT_NE(table.dIdentifyDriver, nullptr);
    EXPECT_NE(table.dSwapBuffer, nullptr);
    EXPECT_NE(table.dRestoreBuffer, nullptr);
}

TEST(DriverLoader, NamesFollowTheBindingOrder) {
    const char* const* names = driverFunctionNames();
    EXPECT_STREQ(names[0], "dIdentifyDriver");
    EXPECT_STREQ(names[9], "dSetRenderWindow");
    EXPECT_STREQ(names[27], "dTexCombine");
    EXPECT_STREQ(names[104], "dVARender");
    EXPECT_STREQ(names[123], "dRestoreBuffer");
}

TEST(DriverLoader, RejectsAWrongIdentificationBeforeBindingAnythingElse) {
    RecordingDriver recorder;
    recorder.setResult("dIdentifyDriver", 0x12345678);
    DriverTable table;
    EXPECT_FALSE(bindDriver(recorder.lookup(), table));
    EXPECT_EQ(table.dVersionNumber, nullptr);
    EXPECT_EQ(table.dGetResolutions, nullptr);
}

TEST(DriverLoader, RejectsAVersionBelowOne) {
    RecordingDriver recorder;
    recorder.setResult("dVersionNumber", 0.99f);
    DriverTable table;
    EXPECT_FALSE(bindDriver(recorder.lookup(), table));
    EXPECT_EQ(table.dError, nullptr);
}

TEST(DriverLoader, RejectsAPluginWithoutIdentificationOrVersion) {
    RecordingDriver recorder;
    DriverTable table;
    EXPECT_FALSE(bindDriver(recorder.lookup({"dIdentifyDriver"}), table));
    EXPECT_FALSE(bindDriver(recorder.lookup({"dVersionNumber"}), table));
}

TEST(DriverLoader, RejectsAPluginMissingARequiredDisplayFunction) {
    for (const char* required : {"dGetResolutions", "dSetResolution", "dRestoreResolution",
                                 "dSetRenderWindow", "dChangeWindowSize"}) {
        RecordingDriver recorder;
        DriverTable table;
        EXPECT_FALSE(bindDriver(recorder.lookup({required}), table)) << required;
        // Nothing after the display group was bound.
        EXPECT_EQ(table.dSetClear, nullptr) << required;
    }
}

TEST(DriverLoader, AcceptsMissingOptionalFunctionsLeavingThemNull) {
    RecordingDriver recorder;
    DriverTable table;
    ASSERT_TRUE(bindDriver(recorder.lookup({"dTexCombine", "dCloseDriver", "dVARender"}), table));
    EXPECT_EQ(table.dTexCombine, nullptr);
    EXPECT_EQ(table.dCloseDriver, nullptr);
    EXPECT_EQ(table.dVARender, nullptr);
    EXPECT_NE(table.dCMisses, nullptr);
}

TEST(DriverLoader, LoadingAMissingFileFails) { EXPECT_FALSE(loadDriver("no-such-driver.drv")); }

TEST(RecordingDriver, LogsCallsWithTheirArgumentsAndReturnsChosenValues) {
    RecordingDriver recorder;
    recorder.setResult("dNumRenderedTris", 42);
    gDriver.dColorMask(1, 2, 1, 1);
    gDriver.dSetVPProfile("arb");
    gDriver.dClearColor(0.5f, 0, 0, 1);
    EXPECT_EQ(gDriver.dNumRenderedTris(), 42);
    EXPECT_EQ(gDriver.dGenOcclusionQueries(4), nullptr);
    ASSERT_EQ(recorder.calls().size(), 5u);
    EXPECT_EQ(recorder.calls()[0], "dColorMask(1, 2, 1, 1)");
    EXPECT_EQ(recorder.calls()[1], "dSetVPProfile(\"arb\")");
    EXPECT_EQ(recorder.calls()[2], "dClearColor(0.5, 0, 0, 1)");
    EXPECT_EQ(recorder.countOf("dNumRenderedTris"), 1);
}

}  // namespace
}  // namespace arvel
