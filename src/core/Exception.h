// The engine's one exception type. Created with new, thrown as a pointer; whoever
// catches it deletes it or hands it to a wrapping Exception. The message collects the
// source locations it passed through, innermost first, one per line.
#pragma once

namespace arvel {

class Exception {
public:
    // A fresh message: "(file:line): " followed by the formatted text.
    Exception(int line, const char* file, const char* format, ...)
        __attribute__((format(printf, 4, 5)));
    // Wraps inner (deleting it), adding this location.
    Exception(int line, const char* file, Exception* inner);
    // Wraps inner (deleting it), adding this location and a formatted text.
    Exception(int line, const char* file, Exception* inner, const char* format, ...)
        __attribute__((format(printf, 5, 6)));
    virtual ~Exception();
    // The message, or "Trace = NULL" when it could not be formatted.
    virtual const char* what() const;

    Exception(const Exception&) = delete;
    Exception& operator=(const Exception&) = delete;

private:
    char* message_ = nullptr;  // malloc'd
};

}  // namespace arvel
