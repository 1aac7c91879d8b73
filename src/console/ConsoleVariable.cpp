#include "console/ConsoleVariable.h"

#include <strings.h>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

namespace arvel {

namespace {

char* copyText(const char* value) {
    if (!value) value = "";
    size_t size = strlen(value) + 1;
    char* copy = static_cast<char*>(malloc(size));
    if (!copy) throw std::bad_alloc();
    memcpy(copy, value, size);
    return copy;
}

// "%f" of a double can run to hundreds of digits, so measure before allocating.
char* formatNumber(double value) {
    int size = snprintf(nullptr, 0, "%f", value);
    if (size < 0) return copyText("");
    char* text = static_cast<char*>(malloc(static_cast<size_t>(size) + 1));
    if (!text) throw std::bad_alloc();
    int written = snprintf(text, static_cast<size_t>(size) + 1, "%f", value);
    if (written != size) text[0] = '\0';
    return text;
}

}  // namespace

ConsoleVariable::ConsoleVariable(const char* name, bool value, bool locked)
    : name(copyText(name)), locked(locked), flag(value), text(copyText(value ? "true" : "false")) {}

ConsoleVariable::ConsoleVariable(const char* name, double value, bool locked)
    : name(copyText(name)), locked(locked), number(value), text(formatNumber(value)) {}

ConsoleVariable::ConsoleVariable(const char* name, const char* value, bool locked)
    : name(copyText(name)),
      locked(locked),
      number(strtod(value ? value : "", nullptr)),
      text(copyText(value)) {}

ConsoleVariable::~ConsoleVariable() {
    free(name);
    free(text);
}

void ConsoleVariable::assign(const char* value) {
    if (!value) value = "";
    char* copy = copyText(value);
    free(text);
    text = copy;

    char* end = nullptr;
    double parsed = strtod(value, &end);
    if (end != value)
        number = parsed;
    else if (strcasecmp(value, "true") == 0)
        flag = true;
    else if (strcasecmp(value, "false") == 0)
        flag = false;
}

int ConsoleVariable::integer() const {
    if (std::isnan(number)) return 0;
    if (number <= static_cast<double>(INT_MIN)) return INT_MIN;
    if (number >= static_cast<double>(INT_MAX)) return INT_MAX;
    return static_cast<int>(number);
}

}  // namespace arvel
