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

// Who else hears what the boxes say while the program runs (the console). With a
// listener set, the texts of FatalError and WarningBox also go to it and to "dump.dmp".
using ReportListener = void (*)(const char* text);
void SetReportListener(ReportListener listener);
// The listener set now (null for none), so a scope can put it back when it ends.
ReportListener GetReportListener();
// A problem the program recovers from while it runs (a reload that failed, a typed
// command that cannot be done): written to "dump.dmp" and given to the listener, never
// a box.
void RunTimeMessage(const char* format, ...) __attribute__((format(printf, 1, 2)));
// A wish the machine cannot grant (a setting its driver or display lacks): the program
// runs on without it. As RunTimeMessage, and on standard error ("Warning: " first), where
// a person who started the program sees it without a box to dismiss.
void RunTimeWarning(const char* format, ...) __attribute__((format(printf, 1, 2)));

// While one lives, FatalError and WarningBox show no box and post no close: their text
// goes to the listener and "dump.dmp" only. For work started from the console, where a
// modal box or a closing window would be the wrong answer to a typing mistake.
class QuietBoxes {
public:
    QuietBoxes();
    ~QuietBoxes();
    QuietBoxes(const QuietBoxes&) = delete;
    QuietBoxes& operator=(const QuietBoxes&) = delete;
};

}  // namespace arvel
