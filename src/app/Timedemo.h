// A replay of a camera path as fast as the machine draws: the frames' wall-clock times
// are measured and summed up in one line when the last frame is out.
#pragma once

#include <chrono>
#include <string>
#include <vector>

#include "app/CameraPath.h"

namespace arvel {

struct TimedemoResult {
    int frames = 0;
    double seconds = 0;
    double fps = 0;
    double slowestMs = 0;  // 99% of the frames took no longer than this
};

// The summary of the frames' durations in milliseconds (none gives zeros).
TimedemoResult summariseFrames(const std::vector<double>& frameMs);
// "timedemo NAME: 612 frames, 9.84 s, 62.2 fps, 1% slowest 24.1 ms"
std::string timedemoLine(const std::string& name, const TimedemoResult& result);

class Timedemo {
public:
    // False, with the reason (file and line) in error, when the path cannot be replayed.
    bool load(const std::string& fileName, std::string& error);
    bool active() const { return !name_.empty(); }

    // The frame to draw next; starts the clock at the first.
    const CameraPathFrame& beginFrame();
    // After the swap; true when that was the last frame.
    bool endFrame();
    TimedemoResult result() const { return summariseFrames(frameMs_); }
    const std::string& name() const { return name_; }

private:
    using Clock = std::chrono::steady_clock;

    CameraPath path_;
    std::string name_;
    size_t next_ = 0;
    Clock::time_point last_;
    std::vector<double> frameMs_;
};

}  // namespace arvel
