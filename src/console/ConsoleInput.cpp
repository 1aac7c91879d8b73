#include "console/ConsoleInput.h"

#include <strings.h>
#include <algorithm>
#include <cctype>

namespace arvel {

namespace {

bool lessIgnoringCase(const std::string& a, const std::string& b) {
    return strcasecmp(a.c_str(), b.c_str()) < 0;
}

bool equalIgnoringCase(const std::string& a, const std::string& b) {
    return strcasecmp(a.c_str(), b.c_str()) == 0;
}

}  // namespace

void ConsoleInput::insert(std::string_view text) {
    std::string printable;
    for (char c : text)
        if (c >= 0x20 && c <= 0x7e) printable.push_back(c);
    const size_t room = kMaxLength - std::min(kMaxLength, line_.size());
    if (printable.size() > room) printable.resize(room);
    line_.insert(cursor_, printable);
    cursor_ += printable.size();
}

void ConsoleInput::left() {
    if (cursor_ > 0) --cursor_;
}

void ConsoleInput::right() {
    if (cursor_ < line_.size()) ++cursor_;
}

void ConsoleInput::home() { cursor_ = 0; }

void ConsoleInput::end() { cursor_ = line_.size(); }

void ConsoleInput::backspace() {
    if (cursor_ == 0) return;
    line_.erase(--cursor_, 1);
}

void ConsoleInput::erase() {
    if (cursor_ < line_.size()) line_.erase(cursor_, 1);
}

void ConsoleInput::clear() { setLine(""); }

void ConsoleInput::setLine(std::string line) {
    line_ = std::move(line);
    cursor_ = line_.size();
}

void ConsoleInput::historyUp() {
    if (historyIndex_ == 0) return;
    if (historyIndex_ == history_.size()) typed_ = line_;
    setLine(history_[--historyIndex_]);
}

void ConsoleInput::historyDown() {
    if (historyIndex_ >= history_.size()) return;
    ++historyIndex_;
    setLine(historyIndex_ == history_.size() ? typed_ : history_[historyIndex_]);
}

std::string ConsoleInput::submit() {
    std::string line = std::move(line_);
    if (!line.empty() && (history_.empty() || history_.back() != line)) {
        history_.push_back(line);
        if (history_.size() > kMaxHistory) history_.erase(history_.begin());
    }
    historyIndex_ = history_.size();
    typed_.clear();
    setLine("");
    return line;
}

std::vector<std::string> ConsoleInput::complete(const std::vector<std::string>& names) {
    size_t start = 0;
    if (cursor_ > 0) {
        const size_t semicolon = line_.rfind(';', cursor_ - 1);
        if (semicolon != std::string::npos) start = semicolon + 1;
    }
    while (start < line_.size() && line_[start] == ' ') ++start;
    size_t wordEnd = line_.find_first_of(" ;", start);
    if (wordEnd == std::string::npos) wordEnd = line_.size();
    if (cursor_ < start || cursor_ > wordEnd) return {};

    const std::string word = line_.substr(start, wordEnd - start);
    std::vector<std::string> matches;
    for (const std::string& name : names)
        if (name.size() >= word.size() && strncasecmp(name.c_str(), word.c_str(), word.size()) == 0)
            matches.push_back(name);
    // A name listed twice (a setting and a command) is still one candidate.
    std::sort(matches.begin(), matches.end(), lessIgnoringCase);
    matches.erase(std::unique(matches.begin(), matches.end(), equalIgnoringCase), matches.end());
    if (matches.empty()) return matches;

    std::string replacement = matches.front();
    if (matches.size() == 1) {
        if (wordEnd == line_.size() || line_[wordEnd] != ' ') replacement += ' ';
    } else {
        size_t common = replacement.size();
        for (const std::string& match : matches) {
            size_t k = 0;
            while (k < common && k < match.size() &&
                   tolower(static_cast<unsigned char>(match[k])) ==
                       tolower(static_cast<unsigned char>(replacement[k])))
                ++k;
            common = k;
        }
        replacement.resize(common);
    }
    std::string completed = line_.substr(0, start) + replacement + line_.substr(wordEnd);
    if (completed.size() > kMaxLength) return matches;
    size_t cursor = start + replacement.size();
    if (matches.size() == 1 && replacement.back() != ' ') ++cursor;  // past the blank there
    line_ = std::move(completed);
    cursor_ = cursor;
    return matches;
}

}  // namespace arvel
