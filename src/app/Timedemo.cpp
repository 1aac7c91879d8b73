#include "app/Timedemo.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace arvel {

TimedemoResult summariseFrames(const std::vector<double>& frameMs) {
    TimedemoResult r;
    if (frameMs.empty()) return r;
    r.frames = static_cast<int>(frameMs.size());
    double total = 0;
    for (double ms : frameMs) total += ms;
    r.seconds = total / 1000.0;
    r.fps = total > 0 ? r.frames / r.seconds : 0;
    // The nearest-rank 99th percentile: below a hundred frames, the slowest.
    std::vector<double> sorted = frameMs;
    std::sort(sorted.begin(), sorted.end());
    const size_t rank = static_cast<size_t>(std::ceil(0.99 * static_cast<double>(sorted.size())));
    r.slowestMs = sorted[std::max<size_t>(rank, 1) - 1];
    return r;
}

std::string timedemoLine(const std::string& name, const TimedemoResult& r) {
    char text[512];
    std::snprintf(text, sizeof text, "%d frames, %.2f s, %.1f fps, 1%% slowest %.1f ms", r.frames,
                  r.seconds, r.fps, r.slowestMs);
    return "timedemo " + name + ": " + text;
}

bool Timedemo::load(const std::string& fileName, std::string& error) {
    if (!path_.read(fileName, error)) return false;
    name_ = fileName;
    next_ = 0;
    frameMs_.clear();
    frameMs_.reserve(path_.frames().size());
    return true;
}

const CameraPathFrame& Timedemo::beginFrame() {
    if (next_ == 0 && frameMs_.empty()) last_ = Clock::now();
    return path_.frames()[std::min(next_, path_.frames().size() - 1)];
}

bool Timedemo::endFrame() {
    const Clock::time_point now = Clock::now();
    frameMs_.push_back(std::chrono::duration<double, std::milli>(now - last_).count());
    last_ = now;
    ++next_;
    return next_ >= path_.frames().size();
}

}  // namespace arvel
