// The line being typed at the console: editing at a cursor, the history of submitted
// lines and completion of the statement's name.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace arvel {

class ConsoleInput {
public:
    static constexpr size_t kMaxLength = 255;
    static constexpr size_t kMaxHistory = 64;

    const std::string& line() const { return line_; }
    size_t cursor() const { return cursor_; }

    // Inserts the printable ASCII characters of text at the cursor; anything else, and
    // whatever would make the line longer than kMaxLength, is ignored.
    void insert(std::string_view text);
    void left();
    void right();
    void home();
    void end();
    // Deletes before the cursor.
    void backspace();
    // Deletes under the cursor.
    void erase();
    void clear();

    // Walk the submitted lines; down past the newest returns to the line being typed.
    void historyUp();
    void historyDown();
    // Oldest first.
    const std::vector<std::string>& history() const { return history_; }

    // Returns the line and clears it; a non-empty line different from the previous one
    // is recorded in the history.
    std::string submit();

    // Completes the current statement's name (the first word of the line, or the first
    // after the last ';' before the cursor) when the cursor is in or just after it.
    // Returns the names that match it ignoring case, sorted: one replaces the word and
    // is followed by a blank; several extend the word to their longest common prefix;
    // none change nothing.
    std::vector<std::string> complete(const std::vector<std::string>& names);

private:
    void setLine(std::string line);

    std::string line_;
    size_t cursor_ = 0;
    std::vector<std::string> history_;
    // history_.size() while on the line being typed, kept in typed_.
    size_t historyIndex_ = 0;
    std::string typed_;
};

}  // namespace arvel
