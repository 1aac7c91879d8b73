// A flight through a level as the camera flew it: per frame the camera's place and
// angles and the frame clock's time, so that a replay draws the same frames (moving
// lights and animations included). Recorded by dbg_record_path, replayed by dbg_timedemo.
//
// The file is text: the first line "arvel camera path 1", then one line per frame of
// seven numbers "x y z pitch yaw roll time_ms" (dbg_camera's order, then the clock's
// milliseconds). Blank lines and lines starting with '#' are skipped.
#pragma once

#include <cstdint>
#include <cstdio>
#include <istream>
#include <string>
#include <vector>

namespace arvel {

struct CameraPathFrame {
    float x = 0, y = 0, z = 0;
    float pitch = 0, yaw = 0, roll = 0;
    uint32_t timeMs = 0;
};

class CameraPath {
public:
    static constexpr const char* kHeader = "arvel camera path 1";

    // False, with "NAME:LINE: what is wrong" in error, for a file that cannot be read,
    // is not a path, has a malformed line, a clock that runs backwards, or no frames.
    bool read(const std::string& fileName, std::string& error);
    bool parse(std::istream& in, const std::string& name, std::string& error);

    const std::vector<CameraPathFrame>& frames() const { return frames_; }

private:
    std::vector<CameraPathFrame> frames_;
};

// Appends frames to a path file; each open starts the file afresh.
class CameraPathWriter {
public:
    CameraPathWriter() = default;
    CameraPathWriter(const CameraPathWriter&) = delete;
    CameraPathWriter& operator=(const CameraPathWriter&) = delete;
    ~CameraPathWriter() { close(); }

    bool open(const std::string& fileName);
    void append(const CameraPathFrame& frame);
    void close();
    bool isOpen() const { return file_ != nullptr; }
    const std::string& fileName() const { return name_; }

private:
    std::FILE* file_ = nullptr;
    std::string name_;
};

}  // namespace arvel
