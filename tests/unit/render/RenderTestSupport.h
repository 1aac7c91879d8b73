// What the render tests share: a temporary folder mounted as the only file source,
// the recording driver, headless boxes whose text is collected from standard error,
// and byte builders for the two image formats.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "fs/CommonFile.h"
#include "fs/FileSystem.h"
#include "platform/platform.h"
#include "shared/TempDir.h"
#include "support/RecordingDriver.h"
#include "unit/core/ReportCapture.h"

namespace arvel::test {

class RenderTest : public ::testing::Test {
protected:
    RenderTest() {
        setenv("ARVEL_NO_DIALOGS", "1", 1);
        fileSystem().clear();
        const std::string prefix = folder.path().string() + "/";
        source = new CommonFile();
        if (!fileSystem().mount(source, prefix.c_str())) ADD_FAILURE() << "cannot mount " << prefix;
        drainPostedCloses();
    }
    ~RenderTest() override {
        fileSystem().clear();
        drainPostedCloses();
    }

    void provide(const std::string& name, const std::string& bytes) { folder.write(name, bytes); }

    // Runs body and returns what message boxes wrote meanwhile.
    template <typename F>
    static std::string boxesOf(F&& body) {
        ::testing::internal::CaptureStderr();
        body();
        return ::testing::internal::GetCapturedStderr();
    }

    TempDir folder;
    CommonFile* source = nullptr;  // owned by the file system
    RecordingDriver driver;
};

inline void putLe16(std::string& out, int value) {
    out.push_back(static_cast<char>(value & 0xFF));
    out.push_back(static_cast<char>((value >> 8) & 0xFF));
}

inline void putLe32(std::string& out, int32_t value) {
    const auto bits = static_cast<uint32_t>(value);
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<char>((bits >> shift) & 0xFF));
}

struct TargaHeader {
    int idLength = 0;
    int mapType = 0;
    int imageType = 2;
    int width = 0;
    int height = 0;
    int depth = 24;
    int descriptor = 0;
};

// A Targa file: the 18-byte header, an identification field of idLength 'i' bytes,
// then pixels as given.
inline std::string targaFile(const TargaHeader& h, const std::string& pixels) {
    std::string out;
    out.push_back(static_cast<char>(h.idLength));
    out.push_back(static_cast<char>(h.mapType));
    out.push_back(static_cast<char>(h.imageType));
    out.append(9, '\0');
    putLe16(out, h.width);
    putLe16(out, h.height);
    out.push_back(static_cast<char>(h.depth));
    out.push_back(static_cast<char>(h.descriptor));
    out.append(static_cast<size_t>(h.idLength), 'i');
    return out + pixels;
}

// An FPF file: flags, image count, width, height, bytes per pixel, then pixels.
inline std::string fpfFile(int flags, int count, int width, int height, int bytesPerPixel,
                           const std::string& pixels) {
    std::string out;
    for (int value : {flags, count, width, height, bytesPerPixel}) putLe32(out, value);
    return out + pixels;
}

inline std::string bytes(std::initializer_list<int> values) {
    std::string out;
    for (int v : values) out.push_back(static_cast<char>(v));
    return out;
}

}  // namespace arvel::test
