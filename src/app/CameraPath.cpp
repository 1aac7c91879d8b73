#include "app/CameraPath.h"

#include <cmath>
#include <fstream>
#include <limits>
#include <sstream>

namespace arvel {

namespace {

bool fail(std::string& error, const std::string& name, int line, const std::string& what) {
    error = name + (line > 0 ? ":" + std::to_string(line) : std::string()) + ": " + what;
    return false;
}

// Seven numbers and nothing else; the time a whole number of milliseconds in range.
bool parseFrame(const std::string& text, CameraPathFrame& frame) {
    std::istringstream in(text);
    double v[7];
    for (double& value : v)
        if (!(in >> value) || !std::isfinite(value)) return false;
    std::string rest;
    if (in >> rest) return false;
    if (v[6] < 0 || v[6] > 4294967295.0 || v[6] != std::floor(v[6])) return false;
    for (int i = 0; i < 6; ++i)
        if (std::fabs(v[i]) > std::numeric_limits<float>::max()) return false;
    frame = {static_cast<float>(v[0]),   static_cast<float>(v[1]), static_cast<float>(v[2]),
             static_cast<float>(v[3]),   static_cast<float>(v[4]), static_cast<float>(v[5]),
             static_cast<uint32_t>(v[6])};
    return true;
}

}  // namespace

bool CameraPath::read(const std::string& fileName, std::string& error) {
    std::ifstream in(fileName, std::ios::binary);
    if (!in) return fail(error, fileName, 0, "cannot open the camera path");
    return parse(in, fileName, error);
}

bool CameraPath::parse(std::istream& in, const std::string& name, std::string& error) {
    frames_.clear();
    std::string text;
    int line = 0;
    while (std::getline(in, text)) {
        ++line;
        if (!text.empty() && text.back() == '\r') text.pop_back();
        if (line == 1) {
            if (text != kHeader)
                return fail(
                    error, name, 1,
                    std::string("not a camera path (the first line must be \"") + kHeader + "\")");
            continue;
        }
        const size_t first = text.find_first_not_of(" \t");
        if (first == std::string::npos || text[first] == '#') continue;
        CameraPathFrame frame;
        if (!parseFrame(text, frame))
            return fail(error, name, line,
                        "wants seven numbers \"x y z pitch yaw roll time_ms\" (time_ms a whole "
                        "number from 0 to 4294967295)");
        if (!frames_.empty() && frame.timeMs < frames_.back().timeMs)
            return fail(error, name, line, "the time runs backwards");
        frames_.push_back(frame);
    }
    if (in.bad()) return fail(error, name, line, "read error");
    if (line == 0) return fail(error, name, 1, "empty file, not a camera path");
    if (frames_.empty()) return fail(error, name, line, "no frames");
    return true;
}

bool CameraPathWriter::open(const std::string& fileName) {
    close();
    name_ = fileName;
    file_ = std::fopen(fileName.c_str(), "w");
    if (!file_) return false;
    std::fprintf(file_, "%s\n", CameraPath::kHeader);
    return true;
}

void CameraPathWriter::append(const CameraPathFrame& f) {
    if (!file_) return;
    // %.9g keeps every float exactly, so a replay stands where the recording stood.
    std::fprintf(file_, "%.9g %.9g %.9g %.9g %.9g %.9g %u\n", f.x, f.y, f.z, f.pitch, f.yaw, f.roll,
                 static_cast<unsigned>(f.timeMs));
    // Line by line: a crash keeps the flight so far, and the file can be followed.
    std::fflush(file_);
}

void CameraPathWriter::close() {
    if (file_) std::fclose(file_);
    file_ = nullptr;
}

}  // namespace arvel
