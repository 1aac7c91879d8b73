// A driver for tests: every function of the interface logs its name and arguments and
// returns a value the test chose (or a neutral one). Installing it fills gDriver; the
// previous table comes back when it goes out of scope.
#pragma once

#include <any>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "driver/Driver.h"

namespace arvel::test {

class RecordingDriver {
public:
    RecordingDriver();  // installs itself into gDriver
    ~RecordingDriver();
    RecordingDriver(const RecordingDriver&) = delete;
    RecordingDriver& operator=(const RecordingDriver&) = delete;

    // Calls in order, each as "dName(arg, arg)": integers in decimal, floats with %g,
    // strings in double quotes, pointers as "null" or "ptr".
    const std::vector<std::string>& calls() const { return calls_; }
    void clearCalls() { calls_.clear(); }
    // Only the calls whose name is one of names, in order.
    std::vector<std::string> callsTo(std::initializer_list<const char*> names) const;
    int countOf(const char* name) const;

    // What the named function returns from now on (the type must match its result).
    template <typename T>
    void setResult(const char* name, T value) {
        results_[name] = value;
    }

    // A symbol lookup for bindDriver: the recording functions, less the omitted names.
    DriverSymbolLookup lookup(std::set<std::string> omitted = {}) const;

    // Used by the recording functions.
    static RecordingDriver* current();
    void record(std::string call) { calls_.push_back(std::move(call)); }
    const std::any* result(const char* name) const;

private:
    DriverTable previous_;
    RecordingDriver* previousCurrent_;
    std::vector<std::string> calls_;
    std::unordered_map<std::string, std::any> results_;
};

}  // namespace arvel::test
