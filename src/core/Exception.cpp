#include "core/Exception.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace arvel {

namespace {

constexpr int kWorkBufferSize = 16384;
constexpr const char* kNullTrace = "Trace = NULL";

// Formats into buffer at offset; false when the text does not fit completely.
bool formatAt(char* buffer, int offset, const char* format, va_list args) {
    if (offset < 0 || offset >= kWorkBufferSize) return false;
    int room = kWorkBufferSize - offset;
    int length = vsnprintf(buffer + offset, static_cast<size_t>(room), format, args);
    return length >= 0 && length < room;
}

// "(file:line): ", on a line of its own unless the inner text already ended one.
int writeLocation(char* buffer, const char* file, int line, bool newLine) {
    return snprintf(buffer, kWorkBufferSize,
                    newLine ? "\n(%s:%d): " : "(%s:%d): ", file ? file : "", line);
}

char* concatenate(const char* first, const char* second) {
    size_t a = strlen(first), b = strlen(second);
    char* joined = static_cast<char*>(malloc(a + b + 1));
    if (!joined) return nullptr;
    memcpy(joined, first, a);
    memcpy(joined + a, second, b + 1);
    return joined;
}

// The wrapped text ahead of a new location; takes and deletes inner.
struct InnerText {
    explicit InnerText(Exception* inner) {
        const char* text = inner ? inner->what() : kNullTrace;
        copy = concatenate(text, "");
        delete inner;
    }
    ~InnerText() { free(copy); }
    bool endsLine() const {
        size_t length = copy ? strlen(copy) : 0;
        return length > 0 && copy[length - 1] == '\n';
    }
    char* copy;
};

}  // namespace

Exception::Exception(int line, const char* file, const char* format, ...) {
    char work[kWorkBufferSize];
    int offset = writeLocation(work, file, line, false);
    va_list args;
    va_start(args, format);
    bool fits = formatAt(work, offset, format, args);
    va_end(args);
    if (fits) message_ = concatenate(work, "");
}

Exception::Exception(int line, const char* file, Exception* inner) {
    InnerText inherited(inner);
    if (!inherited.copy) return;
    char work[kWorkBufferSize];
    int offset = writeLocation(work, file, line, !inherited.endsLine());
    if (offset < 0 || offset >= kWorkBufferSize) return;
    message_ = concatenate(inherited.copy, work);
}

Exception::Exception(int line, const char* file, Exception* inner, const char* format, ...) {
    InnerText inherited(inner);
    if (!inherited.copy) return;
    char work[kWorkBufferSize];
    int offset = writeLocation(work, file, line, !inherited.endsLine());
    va_list args;
    va_start(args, format);
    bool fits = formatAt(work, offset, format, args);
    va_end(args);
    if (fits) message_ = concatenate(inherited.copy, work);
}

Exception::~Exception() { free(message_); }

const char* Exception::what() const { return message_ ? message_ : kNullTrace; }

}  // namespace arvel
