#include "app/CommandLine.h"

#include <cstring>
#include <filesystem>
#include <system_error>

#include "console/Console.h"

namespace arvel {

namespace {

bool startsWith(const char* text, const char* prefix) {
    return std::strncmp(text, prefix, std::strlen(prefix)) == 0;
}

bool addDataFolder(const char* folder, CommandLine& line, std::string& error) {
    std::error_code ignored;
    if (!*folder) {
        error = "--data needs a folder";
        return false;
    }
    if (!std::filesystem::is_directory(folder, ignored)) {
        error = std::string("--data ") + folder + ": no such folder";
        return false;
    }
    line.dataFolders.emplace_back(folder);
    return true;
}

// The console's tokenizer has no escapes, so a quote cannot stand inside a quoted word,
// and an empty one reads as the end of the statement.
bool addWord(const char* word, CommandLine& line, std::string& error) {
    const std::string name = "+" + line.statements.back().name;
    if (std::strchr(word, '"')) {
        error = name + ": a value cannot hold '\"'";
        return false;
    }
    if (!*word) {
        error = name + ": a value cannot be empty";
        return false;
    }
    line.statements.back().words.emplace_back(word);
    return true;
}

}  // namespace

bool parseCommandLine(int argc, const char* const* argv, CommandLine& line, std::string& error) {
    line = CommandLine();
    for (int i = 1; i < argc; ++i) {
        const char* argument = argv[i];
        if (std::strcmp(argument, "--help") == 0 || std::strcmp(argument, "-h") == 0) {
            line.help = true;
        } else if (std::strcmp(argument, "--data") == 0) {
            if (i + 1 >= argc) {
                error = "--data needs a folder";
                return false;
            }
            if (!addDataFolder(argv[++i], line, error)) return false;
        } else if (startsWith(argument, "--data=")) {
            if (!addDataFolder(argument + 7, line, error)) return false;
        } else if (argument[0] == '+') {
            // A name is one plain word: the tokenizer would split anything else.
            const char* name = argument + 1;
            if (!*name || std::strpbrk(name, " \t\r\n\"=;#")) {
                error = std::string("\"") + argument +
                        "\": a + is followed by a setting or command name";
                return false;
            }
            line.statements.push_back({name, {}});
        } else if (argument[0] == '-' && argument[1] == '-') {
            error = std::string("unknown option ") + argument;
            return false;
        } else if (!line.statements.empty()) {
            // Words after a statement's name are its values, negative numbers included.
            if (!addWord(argument, line, error)) return false;
        } else if (argument[0] == '-') {
            error = std::string("unknown option ") + argument;
            return false;
        } else {
            error = std::string("unexpected argument \"") + argument +
                    "\": settings and commands start with +";
            return false;
        }
    }
    return true;
}

bool checkStatements(const Console& console, const std::vector<CommandLineStatement>& statements,
                     std::string& error) {
    for (const CommandLineStatement& statement : statements) {
        const char* name = statement.name.c_str();
        if (console.findVariable(name)) {
            // A second word would be skipped as a stray one: say so instead.
            if (statement.words.size() != 1) {
                error = "+" + statement.name +
                        " takes one value (quote a value with blanks: +dbg_camera \"0 0 0 0 0 0\")";
                return false;
            }
        } else if (!console.findCommand(name)) {
            error = "+" + statement.name + ": no such setting or command";
            return false;
        }
    }
    return true;
}

std::string statementLine(const CommandLineStatement& statement) {
    std::string text = statement.name;
    for (const std::string& word : statement.words) text += " \"" + word + "\"";
    return text;
}

void printUsage(FILE* out, const char* program) {
    const char* name = program && *program ? program : "game";
    for (const char* c = name; *c; ++c)
        if (*c == '/' || *c == '\\') name = c + 1;
    std::fprintf(out,
                 "usage: %s [--data DIR]... [+SETTING VALUE]... [+COMMAND [WORD]...]...\n"
                 "  --data DIR       read data from DIR too, after the working directory\n"
                 "                   (its textures, shaders, lshaders folders and Data.zip)\n"
                 "  +SETTING VALUE   set a setting after autoexec.cfg, as a line of it would\n"
                 "                   (+dbg_quit_frame 100, +dbg_camera \"0 40 0 0 90 0\")\n"
                 "  +COMMAND WORD... run a command after autoexec.cfg (+map mylevel.otm)\n"
                 "  --help           show this text\n"
                 "It reads autoexec.cfg and writes dump.dmp and screenshots in the working "
                 "directory.\n",
                 name);
}

int reportUsageError(const std::string& error, const char* program) {
    std::fprintf(stderr, "%s\n", error.c_str());
    printUsage(stderr, program);
    return 1;
}

}  // namespace arvel
