#include "core/ErrorReport.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "platform/platform.h"

namespace arvel {

namespace {

constexpr int kReportBufferSize = 65536;

// The location shown by the next fatal box; main thread only, as all reporting is.
int g_errorLine = 0;
char g_errorFile[kReportBufferSize] = "";

char g_fatalBuffer[kReportBufferSize];
char g_warningBuffer[kReportBufferSize];
char g_logBuffer[kReportBufferSize];

ReportListener g_listener = nullptr;
int g_quietDepth = 0;

void appendToLog(const char* text) {
    FILE* log = fopen("dump.dmp", "a");
    if (!log) return;
    fputs(text, log);
    fclose(log);
}

// Hands a shown text to the listener and the log; true when no box should follow.
bool passOn(const char* text) {
    if (g_listener) {
        appendToLog(text);
        g_listener(text);
    }
    return g_quietDepth > 0;
}

// Formats into buffer at offset; false when the text does not fit completely.
bool formatAt(char* buffer, int offset, const char* format, va_list args) {
    int room = kReportBufferSize - offset;
    int length = vsnprintf(buffer + offset, static_cast<size_t>(room), format, args);
    return length >= 0 && length < room;
}

}  // namespace

void SetErrorLocation(int line, const char* file) {
    g_errorLine = line;
    if (!file) file = "";
    const char* name = strrchr(file, '\\');
    name = name ? name + 1 : file;
    snprintf(g_errorFile, sizeof g_errorFile, "%s", name);
}

void FatalError(const char* format, ...) {
    int header = snprintf(g_fatalBuffer, sizeof g_fatalBuffer,
                          "You have encountered a fatal error.\nThe error was recognized in file "
                          "%s at row %d. Your system will probably become unstable (reboot).\n\n"
                          "Error message:\n",
                          g_errorFile, g_errorLine);
    if (header < 0 || header >= kReportBufferSize) return;
    va_list args;
    va_start(args, format);
    bool fits = formatAt(g_fatalBuffer, header, format, args);
    va_end(args);
    if (!fits) return;
    if (passOn(g_fatalBuffer)) return;
    platform::messageBox(g_fatalBuffer, "Fatal error", platform::kBoxIconError);
    platform::postMessage(nullptr, platform::kMsgClose, 0, 0);
}

int WarningBox(const char* format, ...) {
    va_list args;
    va_start(args, format);
    bool fits = formatAt(g_warningBuffer, 0, format, args);
    va_end(args);
    if (!fits) return 0;
    if (passOn(g_warningBuffer)) return 1;
    return platform::messageBox(g_warningBuffer, "WarningBox", platform::kBoxOk);
}

void DumpLog(const char* format, ...) {
    va_list args;
    va_start(args, format);
    bool fits = formatAt(g_logBuffer, 0, format, args);
    va_end(args);
    if (!fits) return;
    appendToLog(g_logBuffer);
}

void SetReportListener(ReportListener listener) { g_listener = listener; }

ReportListener GetReportListener() { return g_listener; }

namespace {

// A run-time report reaches the log and the console; a warning also standard error.
void runTimeReport(bool onStandardError, const char* format, va_list args) {
    char text[kReportBufferSize];
    if (!formatAt(text, 0, format, args)) return;
    if (onStandardError) {
        fprintf(stderr, "Warning: %s", text);
        fflush(stderr);
    }
    appendToLog(text);
    if (g_listener) g_listener(text);
}

}  // namespace

void RunTimeMessage(const char* format, ...) {
    va_list args;
    va_start(args, format);
    runTimeReport(false, format, args);
    va_end(args);
}

void RunTimeWarning(const char* format, ...) {
    va_list args;
    va_start(args, format);
    runTimeReport(true, format, args);
    va_end(args);
}

QuietBoxes::QuietBoxes() { ++g_quietDepth; }
QuietBoxes::~QuietBoxes() { --g_quietDepth; }

}  // namespace arvel
