// Ticks, message boxes, the executable's folder and where libraries are looked for.
#include "platform/platform.h"
#include "platform/sdl/Backend.h"
#include "shared/TempDir.h"

#include <SDL2/SDL_scancode.h>
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>

namespace arvel::platform {
namespace {

namespace fs = std::filesystem;

TEST(PlatformTicks, CountMillisecondsForward) {
    const uint32_t before = tickCount();
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    const uint32_t after = tickCount();
    EXPECT_GE(after - before, 25u);
    EXPECT_LT(after - before, 2000u);
}

class PlatformMessageBox : public ::testing::Test {
protected:
    void SetUp() override { setenv("ARVEL_NO_DIALOGS", "1", 1); }
};

TEST_F(PlatformMessageBox, WritesCaptionAndTextToStandardErrorAndConfirms) {
    ::testing::internal::CaptureStderr();
    const int result = messageBox("couldnt load gfx driver: x.drv", "Fatal error", kBoxIconError);
    const std::string written = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(result, 1);
    EXPECT_EQ(written, "Fatal error: couldnt load gfx driver: x.drv\n");
}

TEST_F(PlatformMessageBox, EndsTheLineOnceWhenTheTextAlreadyEndsOne) {
    ::testing::internal::CaptureStderr();
    messageBox("Couldnt Set Resolution\n", "Error", kBoxOk);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "Error: Couldnt Set Resolution\n");
}

TEST_F(PlatformMessageBox, NullTextAndCaptionAreShownAsTheSystemWould) {
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(messageBox(nullptr, nullptr, kBoxOk), 1);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "Error: \n");
}

TEST(PlatformExecutable, DirectoryIsTheTestProgramsFolderWithASeparator) {
    const std::string directory = executableDirectory();
    ASSERT_FALSE(directory.empty());
    EXPECT_EQ(directory.back(), '/');
    EXPECT_TRUE(fs::equivalent(directory, ARVEL_TEST_BIN_DIR));
}

// A real shared library to copy under test names: the file that holds cos.
fs::path mathLibrary() {
    void* handle = dlopen("libm.so.6", RTLD_NOW);
    if (handle == nullptr) return {};
    Dl_info info{};
    const bool found = dladdr(dlsym(handle, "cos"), &info) != 0 && info.dli_fname != nullptr;
    fs::path path = found ? fs::path(info.dli_fname) : fs::path();
    dlclose(handle);
    return path;
}

class PlatformLibrary : public ::testing::Test {
protected:
    void SetUp() override {
        source_ = mathLibrary();
        if (source_.empty()) GTEST_SKIP() << "no math library to copy";
        name_ = "arvel_probe_" + std::to_string(getpid()) + ".so";
        besideExecutable_ = fs::path(executableDirectory()) / name_;
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove(besideExecutable_, ignored);
    }
    void copyTo(const fs::path& target) const {
        fs::create_directories(target.parent_path());
        fs::copy_file(source_, target, fs::copy_options::overwrite_existing);
    }

    fs::path source_;
    std::string name_;
    fs::path besideExecutable_;
    test::TempDir temp_;
};

TEST_F(PlatformLibrary, FindsANameInTheWorkingDirectory) {
    copyTo(temp_.path() / name_);
    test::ScopedWorkingDirectory inTemp(temp_.path());
    Library* library = loadLibrary(name_.c_str());
    ASSERT_NE(library, nullptr);
    EXPECT_NE(getProcAddress(library, "cos"), nullptr);
    EXPECT_EQ(getProcAddress(library, "noSuchFunctionAnywhere"), nullptr);
}

TEST_F(PlatformLibrary, PrefersTheFileNextToTheExecutableOverTheWorkingDirectory) {
    copyTo(besideExecutable_);
    // A file of that name in the working directory that is no library at all.
    temp_.write(name_, "not a library");
    test::ScopedWorkingDirectory inTemp(temp_.path());
    Library* library = loadLibrary(name_.c_str());
    ASSERT_NE(library, nullptr);
    EXPECT_NE(getProcAddress(library, "cos"), nullptr);
}

TEST_F(PlatformLibrary, TakesABackslashAsADirectorySeparator) {
    copyTo(temp_.path() / "drivers" / name_);
    test::ScopedWorkingDirectory inTemp(temp_.path());
    const std::string name = "drivers\\" + name_;
    EXPECT_EQ(sdl::resolveLibraryPath(name.c_str()), "drivers/" + name_);
    EXPECT_NE(loadLibrary(name.c_str()), nullptr);
}

TEST_F(PlatformLibrary, DoesNotSearchTheSystemLibraryPathForABareName) {
    test::ScopedWorkingDirectory inTemp(temp_.path());
    EXPECT_EQ(loadLibrary("libm.so.6"), nullptr);
}

TEST_F(PlatformLibrary, FailsCleanlyForMissingEmptyAndBrokenFiles) {
    temp_.write("broken.drv", "MZ but not really");
    test::ScopedWorkingDirectory inTemp(temp_.path());
    EXPECT_EQ(loadLibrary("missing.drv"), nullptr);
    EXPECT_EQ(loadLibrary(""), nullptr);
    EXPECT_EQ(loadLibrary(nullptr), nullptr);
    EXPECT_EQ(loadLibrary("broken.drv"), nullptr);
    EXPECT_EQ(getProcAddress(nullptr, "cos"), nullptr);
}

TEST(PlatformKeys, ScancodesMapToTheSystemsVirtualKeyCodes) {
    EXPECT_EQ(sdl::virtualKeyFromScancode(SDL_SCANCODE_A), 'A');
    EXPECT_EQ(sdl::virtualKeyFromScancode(SDL_SCANCODE_C), 0x43);
    EXPECT_EQ(sdl::virtualKeyFromScancode(SDL_SCANCODE_Z), 'Z');
    EXPECT_EQ(sdl::virtualKeyFromScancode(SDL_SCANCODE_1), '1');
    EXPECT_EQ(sdl::virtualKeyFromScancode(SDL_SCANCODE_9), '9');
    EXPECT_EQ(sdl::virtualKeyFromScancode(SDL_SCANCODE_0), '0');
    EXPECT_EQ(sdl::virtualKeyFromScancode(SDL_SCANCODE_ESCAPE), kVkEscape);
    EXPECT_EQ(sdl::virtualKeyFromScancode(SDL_SCANCODE_RETURN), kVkReturn);
    EXPECT_EQ(sdl::virtualKeyFromScancode(SDL_SCANCODE_SPACE), kVkSpace);
    EXPECT_EQ(sdl::virtualKeyFromScancode(SDL_SCANCODE_LSHIFT), kVkShift);
    EXPECT_EQ(sdl::virtualKeyFromScancode(SDL_SCANCODE_RSHIFT), kVkShift);
    EXPECT_EQ(sdl::virtualKeyFromScancode(SDL_SCANCODE_LEFT), kVkLeft);
    EXPECT_EQ(sdl::virtualKeyFromScancode(SDL_SCANCODE_UP), kVkUp);
    EXPECT_EQ(sdl::virtualKeyFromScancode(SDL_SCANCODE_RIGHT), kVkRight);
    EXPECT_EQ(sdl::virtualKeyFromScancode(SDL_SCANCODE_DOWN), kVkDown);
    EXPECT_EQ(sdl::virtualKeyFromScancode(SDL_SCANCODE_F1), 0x70);
    EXPECT_EQ(sdl::virtualKeyFromScancode(SDL_SCANCODE_UNKNOWN), 0);
}

TEST(PlatformWithoutDisplay, StartUpFailsAndWindowsAndModesAreRefused) {
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
    unsetenv("SDL_VIDEODRIVER");
    EXPECT_FALSE(initialise());
    EXPECT_TRUE(registerClass("ArvelHeadless",
                              [](Window*, unsigned, uintptr_t, intptr_t) { return intptr_t(0); }));
    EXPECT_EQ(createWindow("ArvelHeadless", "x", kWindowPopup, 0, 0, 64, 64), nullptr);
    DisplayMode mode;
    EXPECT_FALSE(enumDisplayMode(0, &mode));
    EXPECT_FALSE(changeDisplayMode(DisplayMode{640, 480, 32, 0}));
    EXPECT_STREQ(windowSystemExtensions(), "");
    EXPECT_EQ(glProcAddress("glClear"), nullptr);
}

TEST(PlatformInput, WithoutADisplayNoKeyIsDownAndNoMouseEventWaits) {
    uint8_t state[256];
    std::memset(state, 0xFF, sizeof state);
    getKeyboardState(state);
    for (int key = 0; key < 256; ++key) EXPECT_EQ(state[key], 0) << "key " << key;
    MouseEvent events[4];
    EXPECT_EQ(readMouseEvents(events, 4), 0);
}

}  // namespace
}  // namespace arvel::platform
