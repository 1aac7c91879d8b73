// What the console has printed: a bounded scroll-back of lines and how far the reader
// has scrolled up from the newest of them.
#pragma once

#include <cstddef>
#include <deque>
#include <string>

namespace arvel {

class ConsoleOutput {
public:
    static constexpr size_t kMaxLines = 1024;
    static constexpr size_t kMaxLineLength = 512;

    // Adds one line per '\n'; a text without a final newline still ends its line, an
    // empty text adds nothing. '\r' is dropped, other control characters become blanks,
    // a line is cut at kMaxLineLength and the oldest lines go beyond kMaxLines. Scrolls
    // back to the bottom.
    void print(const char* text);
    void clear();

    // Moves up (positive) or down by lines, kept within [0, lines - 1].
    void scrollBy(int lines);
    // Lines scrolled up from the bottom; 0 shows the newest line last.
    int scroll() const { return scroll_; }
    // Oldest first.
    const std::deque<std::string>& lines() const { return lines_; }
    // Grows with every change, so a drawer can tell when to redo its text.
    unsigned changes() const { return changes_; }

private:
    std::deque<std::string> lines_;
    int scroll_ = 0;
    unsigned changes_ = 0;
};

}  // namespace arvel
