// game's arguments: more data folders to read from, and statements that run after
// autoexec.cfg. Without arguments game reads only its working directory, as always.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace arvel {

class Console;

// "+name value...": a setting with its value or a command with its words.
struct CommandLineStatement {
    std::string name;
    std::vector<std::string> words;

    bool operator==(const CommandLineStatement&) const = default;
};

struct CommandLine {
    // --data DIR, in the order given: read after the working directory, so that the
    // user's own files win over installed ones.
    std::vector<std::string> dataFolders;
    std::vector<CommandLineStatement> statements;
    bool help = false;
};

// Reads argv[1] on. False, with the reason in error, for an unknown option, a missing
// or absent folder, a "+" without a name or a word that cannot be quoted.
bool parseCommandLine(int argc, const char* const* argv, CommandLine& line, std::string& error);

// False, with the reason in error, when a statement names neither a setting nor a
// command of the console, or gives a setting other than one value.
bool checkStatements(const Console& console, const std::vector<CommandLineStatement>& statements,
                     std::string& error);

// The console line that runs the statement: each word quoted, so that blanks, "=", ";"
// and "#" in it stay part of it.
std::string statementLine(const CommandLineStatement& statement);

// The options, for --help and after a mistake; program is argv[0].
void printUsage(FILE* out, const char* program);
// Writes the mistake and the usage to standard error; returns the exit status, 1.
int reportUsageError(const std::string& error, const char* program);

}  // namespace arvel
