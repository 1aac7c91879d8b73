#include "console/Parser.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "core/Exception.h"

namespace arvel {

namespace {

const char* const kSource = "Parsers\\Parser";

// Tab is deliberately not blank: it belongs to words.
bool isBlank(char c) { return c == '\0' || c == '\n' || c == '\r' || c == ' '; }

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Appends c unless the buffer is full; what does not fit is dropped, so an over-long
// token is cut and its remainder still consumed.
void append(char* buffer, int& size, int capacity, char c) {
    if (size < capacity - 1) buffer[size++] = c;
}

}  // namespace

Parser::Parser(int capacity) : capacity_(capacity > 0 ? capacity : 1) {
    tokenBuffer_ = new char[capacity_];
    lookBuffer_ = new char[capacity_];
    tokenBuffer_[0] = '\0';
    lookBuffer_[0] = '\0';
}

Parser::~Parser() {
    setSeparators(0, nullptr);
    delete[] tokenBuffer_;
    delete[] lookBuffer_;
}

void Parser::setSeparators(int count, const char* const* strings) {
    for (int i = 0; i < separatorCount_; ++i) delete[] separators_[i];
    delete[] separators_;
    separators_ = nullptr;
    separatorCount_ = 0;
    if (count <= 0 || !strings) return;

    separators_ = new char*[count];
    for (int i = 0; i < count; ++i) {
        const char* source = strings[i] ? strings[i] : "";
        size_t size = strlen(source) + 1;
        separators_[i] = new char[size];
        memcpy(separators_[i], source, size);
    }
    separatorCount_ = count;
}

void Parser::setText(const char* text) {
    text_ = text ? text : "";
    length_ = static_cast<unsigned int>(strlen(text_));
    position_ = 0;
    line_ = 0;
    endOfText_ = false;
}

int Parser::matchSeparator() const {
    int best = -1;
    size_t bestLength = 0;
    const char* here = text_ + position_;
    for (int i = 0; i < separatorCount_; ++i) {
        const char* separator = separators_[i];
        size_t k = 0;
        // Separator characters are never NUL, so a mismatch stops at the text's end.
        while (separator[k] != '\0' && separator[k] == here[k]) ++k;
        if (separator[k] == '\0' && k > bestLength) {
            best = i;
            bestLength = k;
        }
    }
    return best;
}

const char* Parser::readQuoted(char* buffer) {
    int size = 0;
    ++position_;
    while (static_cast<unsigned>(position_) < length_ && text_[position_] != '"') {
        if (text_[position_] == '\n') ++line_;
        append(buffer, size, capacity_, text_[position_]);
        ++position_;
    }
    lastQuoted_ = true;
    if (static_cast<unsigned>(position_) >= length_) {
        endOfText_ = true;
        buffer[0] = '\0';
        return buffer;
    }
    ++position_;
    buffer[size] = '\0';
    return buffer;
}

const char* Parser::readToken(char* buffer) {
    lastQuoted_ = false;
    int size = 0;
    bool started = false;
    buffer[0] = '\0';

    while (!beyondEnd()) {
        char c = text_[position_];
        if (started) {
            if (isBlank(c) || c == '#' || matchSeparator() >= 0) {
                if (c == '\0') endOfText_ = true;
                buffer[size] = '\0';
                return buffer;
            }
            append(buffer, size, capacity_, c);
            ++position_;
            continue;
        }
        if (c == '"') return readQuoted(buffer);
        if (c == '#') {
            while (text_[position_] != '\n' && text_[position_] != '\0') ++position_;
            continue;
        }
        if (isBlank(c)) {
            if (c == '\n') ++line_;
            ++position_;
            continue;
        }
        int separator = matchSeparator();
        if (separator >= 0) {
            const char* source = separators_[separator];
            int separatorLength = static_cast<int>(strlen(source));
            for (int k = 0; k < separatorLength; ++k) append(buffer, size, capacity_, source[k]);
            buffer[size] = '\0';
            position_ += separatorLength;
            return buffer;
        }
        append(buffer, size, capacity_, c);
        ++position_;
        started = true;
    }
    endOfText_ = true;
    buffer[0] = '\0';
    return buffer;
}

const char* Parser::next() { return readToken(tokenBuffer_); }

const char* Parser::peek() {
    int position = position_;
    int line = line_;
    bool endOfText = endOfText_;
    readToken(lookBuffer_);
    position_ = position;
    line_ = line;
    endOfText_ = endOfText;
    return lookBuffer_;
}

bool Parser::atEnd() {
    if (position_ < 0 || static_cast<unsigned>(position_) >= length_) return true;
    return peek()[0] == '\0';
}

bool Parser::skipBlanksAndComments() {
    while (!beyondEnd()) {
        char c = text_[position_];
        if (c == '#') {
            while (text_[position_] != '\n' && text_[position_] != '\0') ++position_;
        } else if (isBlank(c)) {
            if (c == '\n') ++line_;
            ++position_;
        } else {
            return true;
        }
    }
    return false;
}

bool Parser::readNumber() {
    lastQuoted_ = false;
    lookBuffer_[0] = '\0';
    if (!skipBlanksAndComments()) {
        endOfText_ = true;
        return true;
    }
    char c = text_[position_];
    if (c != '-' && !isDigit(c)) return false;

    int size = 0;
    while (isDigit(c) || c == '-' || c == '.') {
        append(lookBuffer_, size, capacity_, c);
        c = text_[++position_];
    }
    lookBuffer_[size] = '\0';
    return true;
}

int Parser::readInt() {
    if (!readNumber())
        throw new Exception(__LINE__, kSource,
                            "PARSER: Integer parsing failed on (%d:%d), none value found\n",
                            position_, line_);
    if (lookBuffer_[0] == '\0') return 0;

    char* end = nullptr;
    errno = 0;
    long value = strtol(lookBuffer_, &end, 10);
    if (*end != '\0')
        throw new Exception(__LINE__, kSource,
                            "PARSER: Integer parsing failed on token %s (%d:%d)\n", lookBuffer_,
                            position_, line_);
    // Out-of-range values saturate, as a 32-bit strtol would.
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}

double Parser::readFloat() {
    if (!readNumber())
        throw new Exception(__LINE__, kSource,
                            "PARSER: FP parsing failed on (%d:%d), none value found\n", position_,
                            line_);
    if (lookBuffer_[0] == '\0') return 0.0;

    char* end = nullptr;
    double value = strtod(lookBuffer_, &end);
    if (*end != '\0')
        throw new Exception(__LINE__, kSource, "PARSER: FP parsing failed on token %s (%d:%d)\n",
                            lookBuffer_, position_, line_);
    return value;
}

}  // namespace arvel
