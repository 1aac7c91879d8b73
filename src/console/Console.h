// The settings store and its statement interpreter. Statements come only from
// configuration files: "name value" sets a variable, a bare "name" shows its value.
// The console lists variables it does not own; they live for the whole run.
#pragma once

#include <vector>

#include "console/ConsoleVariable.h"
#include "console/Parser.h"

namespace arvel {

class Console {
public:
    // Creates and registers c_size, c_font and c_transparency; the lock starts on.
    Console();
    ~Console();
    Console(const Console&) = delete;
    Console& operator=(const Console&) = delete;

    void registerVariable(ConsoleVariable* variable);
    // While on, locked variables keep their values.
    void setLock(bool lock) { lock_ = lock; }
    bool lock() const { return lock_; }
    // The first registered variable of that name, ignoring case; null if none.
    ConsoleVariable* findVariable(const char* name) const;
    const std::vector<ConsoleVariable*>& variables() const { return variables_; }

    void executeLine(const char* text);
    // Executes every line of the file; false when no mounted source has it.
    bool executeFile(const char* name);

private:
    void executeStatement();

    Parser parser_;
    bool lock_ = true;
    std::vector<ConsoleVariable*> variables_;
    ConsoleVariable size_;
    ConsoleVariable font_;
    ConsoleVariable transparency_;
};

}  // namespace arvel
