// The settings store and its statement interpreter. Statements come from configuration
// files and from lines typed at the console: "name value" sets a variable, a bare
// "name" shows its value, a command's name runs it with the words up to the next ";".
// The console lists variables it does not own; they live for the whole run.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "console/ConsoleOutput.h"
#include "console/ConsoleVariable.h"
#include "console/Parser.h"

namespace arvel {

class Console;
class ConsoleInput;

using CommandArgs = std::vector<std::string>;

struct ConsoleCommand {
    std::string name, usage, description;
    std::function<void(Console&, const CommandArgs&)> run;
};

class Console {
public:
    // Creates and registers c_size, c_font and c_transparency and the commands exec,
    // cvarlist and cmdlist; the lock starts on.
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

    // Replaces a command of the same name (ignoring case). A command's Exception* or
    // std::exception is printed and the line goes on with the next statement.
    void registerCommand(std::string name, std::string usage, std::string description,
                         std::function<void(Console&, const CommandArgs&)> run);
    // Ignoring case; null if none. Valid until the next registerCommand.
    const ConsoleCommand* findCommand(const char* name) const;
    const std::vector<ConsoleCommand>& commands() const { return commands_; }

    // A line of a configuration file: a bare name shows its value in a box; unknown
    // words are skipped one by one.
    void executeLine(const char* text);
    // Executes every line of the file, by the rules of the line that runs it (a file's
    // when called from outside any line); false when no mounted source has it.
    bool executeFile(const char* name);
    // A line typed at the console: echoed, then executed with the answers (values,
    // locked settings, unknown names) printed into the output instead of boxes.
    void executeTyped(const char* text);

    ConsoleOutput& output() { return output_; }
    const ConsoleOutput& output() const { return output_; }
    // Formats into a bounded buffer (a longer text is cut) and prints into the output.
    void print(const char* format, ...) __attribute__((format(printf, 2, 3)));

    // Every setting's and command's name, for completion.
    std::vector<std::string> completionNames() const;
    // Completes input's statement name; prints the candidates when there are several.
    void complete(ConsoleInput& input);

private:
    void runLine(const char* text);
    void executeStatement(Parser& parser);
    void runCommand(const ConsoleCommand& command, Parser& parser);
    void exec(const CommandArgs& args);
    void listVariables(const CommandArgs& args);
    void listCommands();

    // One parser per nesting level: a command may run lines while its own is half read.
    std::vector<std::unique_ptr<Parser>> parsers_;
    int lineDepth_ = 0;
    int fileDepth_ = 0;
    int filesRun_ = 0;  // since the outermost line or file began
    bool typed_ = false;
    bool lock_ = true;
    std::vector<ConsoleVariable*> variables_;
    std::vector<ConsoleCommand> commands_;
    ConsoleOutput output_;
    ConsoleVariable size_;
    ConsoleVariable font_;
    ConsoleVariable transparency_;
};

}  // namespace arvel
