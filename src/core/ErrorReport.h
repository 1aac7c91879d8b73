// Fatal boxes tagged with a source location, warning boxes and the append-only log
// "dump.dmp". Formatting is bounded: a text that does not fit is not shown at all.
#pragma once

namespace arvel {

// Records the location shown by the next FatalError: the line and the part of file
// after its last backslash.
void SetErrorLocation(int line, const char* file);
// Shows the "Fatal error" box and posts a close to the thread's queue; returns.
void FatalError(const char* format, ...) __attribute__((format(printf, 1, 2)));
int WarningBox(const char* format, ...) __attribute__((format(printf, 1, 2)));
void DumpLog(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace arvel
