#include "console/ConsoleOutput.h"

namespace arvel {

void ConsoleOutput::print(const char* text) {
    if (!text || !*text) return;
    std::string line;
    auto finish = [&] {
        lines_.push_back(std::move(line));
        line.clear();
        if (lines_.size() > kMaxLines) lines_.pop_front();
    };
    const char* c = text;
    for (; *c; ++c) {
        const unsigned char byte = static_cast<unsigned char>(*c);
        if (byte == '\n') {
            finish();
            continue;
        }
        if (byte == '\r' || line.size() >= kMaxLineLength) continue;
        line.push_back(byte < 0x20 || byte == 0x7f ? ' ' : *c);
    }
    if (c[-1] != '\n') finish();
    scroll_ = 0;
    ++changes_;
}

void ConsoleOutput::clear() {
    lines_.clear();
    scroll_ = 0;
    ++changes_;
}

void ConsoleOutput::scrollBy(int lines) {
    const long long top = lines_.empty() ? 0 : static_cast<long long>(lines_.size()) - 1;
    long long scroll = static_cast<long long>(scroll_) + lines;
    if (scroll < 0) scroll = 0;
    if (scroll > top) scroll = top;
    if (scroll == scroll_) return;
    scroll_ = static_cast<int>(scroll);
    ++changes_;
}

}  // namespace arvel
