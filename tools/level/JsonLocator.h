// Where a value sits in a JSON text. The JSON library forgets positions once parsed,
// so messages about a field scan the text again for the line of its path.
#pragma once

#include <string>

namespace arvel::level {

// The 1-based line of the value at pointer (a JSON pointer, "" for the whole
// document); for a path that does not exist, the line of its deepest existing
// ancestor. The text must be valid JSON; scanning stops quietly where it is not.
int lineOfPointer(const std::string& text, const std::string& pointer);

// The 1-based line of a byte offset.
int lineOfOffset(const std::string& text, size_t offset);

}  // namespace arvel::level
