#include "level/JsonLocator.h"

#include <vector>

namespace arvel::level {

namespace {

std::vector<std::string> pointerTokens(const std::string& pointer) {
    std::vector<std::string> tokens;
    size_t start = 1;
    while (start <= pointer.size() && !pointer.empty()) {
        size_t end = pointer.find('/', start);
        if (end == std::string::npos) end = pointer.size();
        std::string token;
        for (size_t i = start; i < end; ++i) {
            if (pointer[i] == '~' && i + 1 < end) {
                token += pointer[i + 1] == '1' ? '/' : '~';
                ++i;
            } else {
                token += pointer[i];
            }
        }
        tokens.push_back(token);
        start = end + 1;
    }
    return tokens;
}

// A scan of valid JSON that follows one path down and notes the line of every value
// on it.
class Scanner {
public:
    Scanner(const std::string& text, std::vector<std::string> target)
        : text_(text), target_(std::move(target)) {}

    int run() {
        skipSpace();
        value(0, true);
        return bestLine_;
    }

private:
    char peek() const { return pos_ < text_.size() ? text_[pos_] : '\0'; }
    void advance() {
        if (pos_ < text_.size() && text_[pos_] == '\n') ++line_;
        ++pos_;
    }
    void skipSpace() {
        while (pos_ < text_.size() &&
               (peek() == ' ' || peek() == '\t' || peek() == '\n' || peek() == '\r'))
            advance();
    }

    // depth: how many tokens of the target the current path matches; onPath: whether
    // the whole current path is a prefix of the target.
    void value(size_t depth, bool onPath) {
        if (onPath) bestLine_ = line_;
        const char c = peek();
        if (c == '{') {
            object(depth, onPath);
        } else if (c == '[') {
            array(depth, onPath);
        } else if (c == '"') {
            string();
        } else {
            while (pos_ < text_.size() && peek() != ',' && peek() != '}' && peek() != ']' &&
                   peek() != ' ' && peek() != '\n' && peek() != '\t' && peek() != '\r')
                advance();
        }
    }

    std::string string() {
        std::string out;
        advance();  // opening quote
        while (pos_ < text_.size() && peek() != '"') {
            if (peek() == '\\') {
                advance();
                out += peek();  // escapes other than \" and \\ never name a field here
            } else {
                out += peek();
            }
            advance();
        }
        advance();
        return out;
    }

    void object(size_t depth, bool onPath) {
        advance();
        skipSpace();
        while (pos_ < text_.size() && peek() != '}') {
            if (peek() != '"') return;  // not valid JSON: give up
            const std::string key = string();
            skipSpace();
            if (peek() != ':') return;
            advance();
            skipSpace();
            const bool next = onPath && depth < target_.size() && target_[depth] == key;
            value(depth + 1, next);
            skipSpace();
            if (peek() == ',') advance();
            skipSpace();
        }
        advance();
    }

    void array(size_t depth, bool onPath) {
        advance();
        skipSpace();
        size_t index = 0;
        while (pos_ < text_.size() && peek() != ']') {
            const bool next =
                onPath && depth < target_.size() && target_[depth] == std::to_string(index);
            const size_t before = pos_;
            value(depth + 1, next);
            skipSpace();
            if (peek() == ',') advance();
            skipSpace();
            if (pos_ == before) return;  // stuck on something that is not JSON
            ++index;
        }
        advance();
    }

    const std::string& text_;
    std::vector<std::string> target_;
    size_t pos_ = 0;
    int line_ = 1;
    int bestLine_ = 1;
};

}  // namespace

int lineOfPointer(const std::string& text, const std::string& pointer) {
    return Scanner(text, pointerTokens(pointer)).run();
}

int lineOfOffset(const std::string& text, size_t offset) {
    int line = 1;
    for (size_t i = 0; i < offset && i < text.size(); ++i) {
        if (text[i] == '\n') ++line;
    }
    return line;
}

}  // namespace arvel::level
