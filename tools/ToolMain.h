// What the content tools' command lines share: reading a number argument and writing
// one output file with the usual messages and exit statuses.
#pragma once

#include <functional>

namespace arvel::content {

// Reads text as a whole number from low to high into value; false, value untouched,
// for anything else.
bool parseWholeNumber(const char* text, long low, long high, int& value);

// Runs write, which makes the file output, and returns the program's exit status: 0,
// or 1 after "<program>: cannot write <output>" when write returns false, or
// "<program>: <what>" when it throws a std::exception.
int writeOutput(const char* program, const char* output, const std::function<bool()>& write);

}  // namespace arvel::content
