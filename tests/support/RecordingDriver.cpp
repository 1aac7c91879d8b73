#include "support/RecordingDriver.h"

#include <cstdio>
#include <cstring>
#include <sstream>

namespace arvel::test {

namespace {

RecordingDriver* gCurrent = nullptr;

void put(std::ostringstream& out, int v) { out << v; }
void put(std::ostringstream& out, unsigned v) { out << v; }
void put(std::ostringstream& out, float v) {
    char text[64];
    std::snprintf(text, sizeof text, "%g", static_cast<double>(v));
    out << text;
}
void put(std::ostringstream& out, const char* v) {
    if (v)
        out << '"' << v << '"';
    else
        out << "null";
}
void put(std::ostringstream& out, const void* v) { out << (v ? "ptr" : "null"); }
void put(std::ostringstream& out, const DVec4& v) {
    out << '(';
    put(out, v.x), out << ", ", put(out, v.y), out << ", ", put(out, v.z), out << ", ";
    put(out, v.w), out << ')';
}

template <typename... Args>
std::string format(const char* name, const Args&... args) {
    std::ostringstream out;
    out << name << '(';
    bool first = true;
    ((out << (first ? "" : ", "), put(out, args), first = false), ...);
    out << ')';
    return out.str();
}

template <typename R>
R neutral(const char* name) {
    if constexpr (std::is_same_v<R, int>) {
        if (std::strcmp(name, "dIdentifyDriver") == 0) return dcode::kDriverIdentification;
    }
    if constexpr (std::is_same_v<R, float>) {
        if (std::strcmp(name, "dVersionNumber") == 0) return 1.0f;
    }
    if constexpr (std::is_same_v<R, bool>) {
        if (std::strcmp(name, "dSetResolution") == 0 || std::strcmp(name, "dSetRenderWindow") == 0)
            return true;
    }
    return R{};
}

template <typename R, typename... Args>
R recordCall(const char* name, const Args&... args) {
    RecordingDriver* driver = RecordingDriver::current();
    if (!driver) return R();
    driver->record(format(name, args...));
    if constexpr (!std::is_void_v<R>) {
        if (const std::any* value = driver->result(name)) return std::any_cast<R>(*value);
        return neutral<R>(name);
    }
}

#define ARVEL_RECORDER(ret, name, params, args) \
    ret rec_##name params { return recordCall<ret> args_with_name(#name, args); }
// Unpacks "(a, b)" into the call after the name.
#define args_with_name(name, args) (name ARVEL_COMMA_ARGS args)
#define ARVEL_COMMA_ARGS(...) __VA_OPT__(, ) __VA_ARGS__
ARVEL_DRIVER_FUNCTIONS(ARVEL_RECORDER)
#undef ARVEL_RECORDER

// The engine extensions found by name that the render code asks for.
const char* rec_dProgramLog() { return recordCall<const char*>("dProgramLog"); }

DriverTable recordingTable() {
    DriverTable table;
#define ARVEL_FILL(ret, name, params, args) table.name = rec_##name;
    ARVEL_DRIVER_FUNCTIONS(ARVEL_FILL)
#undef ARVEL_FILL
    return table;
}

}  // namespace

RecordingDriver::RecordingDriver() : previous_(gDriver), previousCurrent_(gCurrent) {
    gCurrent = this;
    gDriver = recordingTable();
}

RecordingDriver::~RecordingDriver() {
    gDriver = previous_;
    gCurrent = previousCurrent_;
}

RecordingDriver* RecordingDriver::current() { return gCurrent; }

const std::any* RecordingDriver::result(const char* name) const {
    auto found = results_.find(name);
    return found == results_.end() ? nullptr : &found->second;
}

std::vector<std::string> RecordingDriver::callsTo(std::initializer_list<const char*> names) const {
    std::vector<std::string> selected;
    for (const std::string& call : calls_) {
        std::string name = call.substr(0, call.find('('));
        for (const char* wanted : names)
            if (name == wanted) selected.push_back(call);
    }
    return selected;
}

int RecordingDriver::countOf(const char* name) const {
    int count = 0;
    for (const std::string& call : calls_)
        if (call.compare(0, call.find('('), name) == 0) ++count;
    return count;
}

DriverSymbolLookup RecordingDriver::lookup(std::set<std::string> omitted) const {
    DriverTable table = recordingTable();
    return [table, omitted](const char* name) -> void* {
        if (omitted.count(name)) return nullptr;
#define ARVEL_LOOKUP(ret, fn, params, args) \
    if (std::strcmp(name, #fn) == 0) return reinterpret_cast<void*>(table.fn);
        ARVEL_DRIVER_FUNCTIONS(ARVEL_LOOKUP)
#undef ARVEL_LOOKUP
        if (std::strcmp(name, "dProgramLog") == 0) return reinterpret_cast<void*>(rec_dProgramLog);
        return nullptr;
    };
}

}  // namespace arvel::test
