// One setting. Every variable carries all three representations; the kind chosen at
// construction only decides which of them the default fills in. Readers keep a pointer
// to the variable and read the field that matches its kind.
#pragma once

namespace arvel {

class ConsoleVariable {
public:
    // flag: text "true" or "false"; number 0.
    ConsoleVariable(const char* name, bool value, bool locked = false);
    // number: text formatted with "%f".
    ConsoleVariable(const char* name, double value, bool locked = false);
    ConsoleVariable(const char* name, int value, bool locked = false)
        : ConsoleVariable(name, static_cast<double>(value), locked) {}
    // text: number = strtod(value).
    ConsoleVariable(const char* name, const char* value, bool locked = false);
    ~ConsoleVariable();
    ConsoleVariable(const ConsoleVariable&) = delete;
    ConsoleVariable& operator=(const ConsoleVariable&) = delete;

    // Takes a statement's value: the text always; the number when strtod reads any of
    // it, else the flag when it is "true" or "false" (ignoring case).
    void assign(const char* value);
    // The number for settings that are counts or sizes: truncated towards zero and kept
    // within int, since a configuration file can give any number; NaN gives 0.
    int integer() const;

    char* name = nullptr;  // malloc'd
    bool locked = false;   // unchangeable while the console's lock is on
    double number = 0.0;
    bool flag = false;
    char* text = nullptr;  // malloc'd
    // One line for the console's listings; static text, not owned.
    const char* description = "";
};

}  // namespace arvel
