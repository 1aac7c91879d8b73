// Runs a program for end-to-end tests: in a chosen working directory, with extra
// environment variables, its output captured, stopped if it outlives a time limit.
#pragma once

#include <sys/types.h>
#include <string>
#include <utility>
#include <vector>

namespace arvel::test {

struct ProcessResult {
    int exitCode = -1;  // the exit status, or -1 when killed or crashed
    int signal = 0;     // the signal that ended it, if any
    bool timedOut = false;
    std::string out, err;
};

class Process {
public:
    Process(std::vector<std::string> argv, std::string workingDirectory,
            std::vector<std::pair<std::string, std::string>> environment = {});
    ~Process();  // kills the process if it still runs
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    pid_t pid() const { return pid_; }
    bool running();
    // Waits up to seconds; kills it after that.
    ProcessResult wait(double seconds);

private:
    pid_t pid_ = -1;
    std::string outPath_, errPath_;
    bool reaped_ = false;
    int status_ = 0;
};

// Runs a command line through the shell and returns its exit status.
int runShell(const std::string& command);

// Runs xdotool with the arguments, its output discarded; true when it succeeded.
bool xdotool(const std::string& arguments);
// Waits up to ten seconds for game's window ("Arvel") and gives it the keyboard focus;
// false when it never appears.
bool focusGameWindow();

// Counts the occurrences of needle in text.
int countOccurrences(const std::string& text, const std::string& needle);

}  // namespace arvel::test
