#include "support/Process.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <thread>

namespace arvel::test {

namespace {

std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string tempPath(const char* tag) {
    std::string pattern = "/tmp/arvel-proc-" + std::string(tag) + "-XXXXXX";
    int fd = mkstemp(pattern.data());
    if (fd >= 0) close(fd);
    return pattern;
}

}  // namespace

Process::Process(std::vector<std::string> argv, std::string workingDirectory,
                 std::vector<std::pair<std::string, std::string>> environment)
    : outPath_(tempPath("out")), errPath_(tempPath("err")) {
    pid_ = fork();
    if (pid_ == 0) {
        if (chdir(workingDirectory.c_str()) != 0) _exit(127);
        int out = open(outPath_.c_str(), O_WRONLY | O_TRUNC);
        int err = open(errPath_.c_str(), O_WRONLY | O_TRUNC);
        dup2(out, 1);
        dup2(err, 2);
        for (auto& [name, value] : environment) setenv(name.c_str(), value.c_str(), 1);
        std::vector<char*> args;
        for (std::string& arg : argv) args.push_back(arg.data());
        args.push_back(nullptr);
        // A bare program name ("blender") is looked up on the PATH.
        execvp(args[0], args.data());
        _exit(127);
    }
}

Process::~Process() {
    if (pid_ > 0 && !reaped_) {
        kill(pid_, SIGKILL);
        waitpid(pid_, &status_, 0);
    }
    unlink(outPath_.c_str());
    unlink(errPath_.c_str());
}

bool Process::running() {
    if (reaped_ || pid_ <= 0) return false;
    if (waitpid(pid_, &status_, WNOHANG) == pid_) reaped_ = true;
    return !reaped_;
}

ProcessResult Process::wait(double seconds) {
    ProcessResult result;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (running()) {
        if (std::chrono::steady_clock::now() > deadline) {
            result.timedOut = true;
            kill(pid_, SIGKILL);
            waitpid(pid_, &status_, 0);
            reaped_ = true;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (WIFEXITED(status_)) result.exitCode = WEXITSTATUS(status_);
    if (WIFSIGNALED(status_)) result.signal = WTERMSIG(status_);
    result.out = slurp(outPath_);
    result.err = slurp(errPath_);
    return result;
}

int runShell(const std::string& command) {
    int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool xdotool(const std::string& arguments) {
    return runShell("xdotool " + arguments + " >/dev/null 2>&1") == 0;
}

bool focusGameWindow() {
    bool found = false;
    for (int i = 0; i < 100 && !found; ++i) {
        found = xdotool("search --name '^Arvel$'");
        if (!found) std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    if (!found) return false;
    // Its status is not to be trusted: it may fail after focusing when windows come and go.
    xdotool("search --name '^Arvel$' windowfocus --sync");
    return true;
}

int countOccurrences(const std::string& text, const std::string& needle) {
    int count = 0;
    for (size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + 1))
        ++count;
    return count;
}

}  // namespace arvel::test
