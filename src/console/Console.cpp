#include "console/Console.h"

#include <strings.h>
#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>

#include "console/ConsoleInput.h"
#include "core/ErrorReport.h"
#include "core/Exception.h"
#include "fs/FileSystem.h"

namespace arvel {

namespace {

const int kParserCapacity = 65536;
const char* const kSeparators[] = {"=", ";"};
// Deeper is a file that runs itself, directly or round about.
const int kMaxFileDepth = 8;
// However they nest, a file that runs itself twice would otherwise run 2^8 times.
const int kMaxFilesRun = 64;
// A command that runs a line that runs it again would otherwise use up the stack.
const int kMaxLineDepth = 32;
const size_t kPrintCapacity = 2048;
// Longer values push their description to the right instead of widening the column.
const size_t kMaxValueColumn = 24;
const size_t kCandidateLineWidth = 100;

// Sets a value for the life of a scope, however it is left.
template <typename T>
class Restore {
public:
    Restore(T& value, T now) : value_(value), old_(value) { value = now; }
    ~Restore() { value_ = old_; }
    Restore(const Restore&) = delete;
    Restore& operator=(const Restore&) = delete;

private:
    T& value_;
    T old_;
};

bool isSemicolon(const Parser& parser, const char* token) {
    return !parser.isQuoted() && strcmp(token, ";") == 0;
}

// Consumes the rest of the statement, its ";" included.
void skipStatement(Parser& parser) {
    while (!parser.atEnd())
        if (isSemicolon(parser, parser.next())) return;
}

}  // namespace

Console::Console()
    : size_("c_size", 0.75), font_("c_font", "SysFont.fpf"), transparency_("c_transparency", 0.75) {
    size_.description = "share of the window's height the console covers";
    font_.description = "font file the console's text is drawn with";
    transparency_.description = "opacity of the console's background, 0 to 1";
    registerVariable(&size_);
    registerVariable(&font_);
    registerVariable(&transparency_);

    registerCommand("exec", "exec FILE", "executes the statements of a file",
                    [](Console& console, const CommandArgs& args) { console.exec(args); });
    registerCommand("cvarlist", "cvarlist [PREFIX]",
                    "lists the settings whose names start with PREFIX",
                    [](Console& console, const CommandArgs& args) { console.listVariables(args); });
    registerCommand("cmdlist", "cmdlist", "lists the commands",
                    [](Console& console, const CommandArgs&) { console.listCommands(); });
}

Console::~Console() { variables_.clear(); }

void Console::registerVariable(ConsoleVariable* variable) {
    if (variable) variables_.push_back(variable);
}

ConsoleVariable* Console::findVariable(const char* name) const {
    if (!name) return nullptr;
    for (ConsoleVariable* variable : variables_)
        if (strcasecmp(variable->name, name) == 0) return variable;
    return nullptr;
}

void Console::registerCommand(std::string name, std::string usage, std::string description,
                              std::function<void(Console&, const CommandArgs&)> run) {
    if (name.empty()) return;
    ConsoleCommand command{std::move(name), std::move(usage), std::move(description),
                           std::move(run)};
    if (command.usage.empty()) command.usage = command.name;
    for (ConsoleCommand& existing : commands_) {
        if (strcasecmp(existing.name.c_str(), command.name.c_str()) == 0) {
            existing = std::move(command);
            return;
        }
    }
    commands_.push_back(std::move(command));
}

const ConsoleCommand* Console::findCommand(const char* name) const {
    if (!name) return nullptr;
    for (const ConsoleCommand& command : commands_)
        if (strcasecmp(command.name.c_str(), name) == 0) return &command;
    return nullptr;
}

void Console::print(const char* format, ...) {
    char text[kPrintCapacity];
    va_list args;
    va_start(args, format);
    int length = vsnprintf(text, sizeof text, format, args);
    va_end(args);
    if (length < 0) return;
    // A longer text is cut to what the buffer holds: the beginning is worth showing.
    output_.print(text);
}

void Console::runCommand(const ConsoleCommand& command, Parser& parser) {
    // Copies: the command may register commands and so move the table.
    const std::string name = command.name;
    const auto run = command.run;
    CommandArgs args;
    while (!parser.atEnd()) {
        const char* token = parser.next();
        if (isSemicolon(parser, token)) break;
        args.emplace_back(token);
    }
    try {
        run(*this, args);
    } catch (Exception* exception) {
        print("%s", exception->what());
        delete exception;
    } catch (const std::exception& exception) {
        print("%s: %s", name.c_str(), exception.what());
    } catch (...) {
        print("%s failed", name.c_str());
    }
}

void Console::executeStatement(Parser& parser) {
    // From a file, words that name nothing (stray "=" and ";" among them) are skipped
    // one by one.
    const char* name = parser.next();
    const bool quoted = parser.isQuoted();
    if (ConsoleVariable* variable = findVariable(name)) {
        // Typed, "name;" shows the value: taking ";" as the value is never meant there.
        const bool bare = parser.atEnd() || (typed_ && isSemicolon(parser, parser.peek()));
        if (bare) {
            if (typed_)
                print("%s %s", variable->name, variable->text);
            else
                WarningBox("Printout: %s\n", variable->text);
            return;
        }
        const char* value = parser.next();
        if (variable->locked && lock_) {
            if (typed_) print("%s is locked: it can only be set in autoexec.cfg", variable->name);
            return;
        }
        variable->assign(value);
        return;
    }
    if (const ConsoleCommand* command = findCommand(name)) {
        runCommand(*command, parser);
        return;
    }
    if (!typed_ || (!quoted && strcmp(name, ";") == 0)) return;
    print("Unknown command or setting: %s", name);
    skipStatement(parser);
}

void Console::runLine(const char* text) {
    if (lineDepth_ == 0 && fileDepth_ == 0) filesRun_ = 0;
    if (lineDepth_ >= kMaxLineDepth) {
        print("Statements nest deeper than %d: line skipped", kMaxLineDepth);
        return;
    }
    if (parsers_.size() <= static_cast<size_t>(lineDepth_)) {
        parsers_.push_back(std::make_unique<Parser>(kParserCapacity));
        parsers_.back()->setSeparators(2, kSeparators);
    }
    Parser& parser = *parsers_[static_cast<size_t>(lineDepth_)];
    Restore<int> depth(lineDepth_, lineDepth_ + 1);
    parser.setText(text);
    while (!parser.atEnd()) {
        try {
            executeStatement(parser);
        } catch (Exception* exception) {
            delete exception;
        }
    }
}

void Console::executeLine(const char* text) {
    Restore<bool> rules(typed_, false);
    runLine(text);
}

void Console::executeTyped(const char* text) {
    // Control characters would reach the parser as parts of words.
    std::string line = text ? text : "";
    for (char& c : line)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = ' ';
    print("] %s", line.c_str());
    // A box is the wrong answer to a typing mistake: what would show one goes to the
    // report listener and the log.
    QuietBoxes quiet;
    Restore<bool> rules(typed_, true);
    runLine(line.c_str());
}

bool Console::executeFile(const char* name) {
    if (lineDepth_ == 0 && fileDepth_ == 0) filesRun_ = 0;
    FileHandle* handle = fileSystem().open(name, kFileRead);
    if (!handle) return false;

    fileSeek(handle, 0, SEEK_END);
    int size = fileTell(handle);
    fileSeek(handle, 0, SEEK_SET);
    std::string contents;
    try {
        if (size > 0) {
            contents.resize(static_cast<size_t>(size));
            int got = fileRead(contents.data(), 1, size, handle);
            contents.resize(got > 0 ? static_cast<size_t>(got) : 0);
        }
    } catch (...) {
        fileClose(handle);
        throw;
    }
    fileClose(handle);

    Restore<int> depth(fileDepth_, fileDepth_ + 1);
    ++filesRun_;
    // Each line is executed on its own; the last one counts even without a newline.
    size_t start = 0;
    std::string line;
    for (size_t i = 0; i <= contents.size(); ++i) {
        if (i < contents.size() && contents[i] != '\n') continue;
        line.assign(contents, start, i - start);
        runLine(line.c_str());
        start = i;
    }
    return true;
}

void Console::exec(const CommandArgs& args) {
    if (args.size() != 1) {
        print("usage: exec FILE");
        return;
    }
    const char* name = args[0].c_str();
    if (fileDepth_ >= kMaxFileDepth) {
        print("exec: %s not run: files nest deeper than %d", name, kMaxFileDepth);
        return;
    }
    if (filesRun_ >= kMaxFilesRun) {
        print("exec: %s not run: more than %d files in one statement", name, kMaxFilesRun);
        return;
    }
    if (!executeFile(name)) print("exec: %s not found", name);
}

void Console::listVariables(const CommandArgs& args) {
    if (args.size() > 1) {
        print("usage: cvarlist [PREFIX]");
        return;
    }
    const std::string prefix = args.empty() ? "" : args[0];
    std::vector<const ConsoleVariable*> listed;
    size_t nameWidth = 0;
    size_t valueWidth = 0;
    for (const ConsoleVariable* variable : variables_) {
        if (strncasecmp(variable->name, prefix.c_str(), prefix.size()) != 0) continue;
        listed.push_back(variable);
        nameWidth = std::max(nameWidth, strlen(variable->name));
        valueWidth = std::max(valueWidth, strlen(variable->text) + 2);
    }
    valueWidth = std::min(valueWidth, kMaxValueColumn);
    for (const ConsoleVariable* variable : listed) {
        // Quoted, so that an empty value or one with blanks reads as one.
        const std::string value = std::string("\"") + variable->text + "\"";
        print("%-*s %-*s %s", static_cast<int>(nameWidth), variable->name,
              static_cast<int>(valueWidth), value.c_str(), variable->description);
    }
    // %zu is not known to every C runtime the game runs on.
    print("%d of %d settings", static_cast<int>(listed.size()),
          static_cast<int>(variables_.size()));
}

void Console::listCommands() {
    size_t width = 0;
    for (const ConsoleCommand& command : commands_) width = std::max(width, command.usage.size());
    for (const ConsoleCommand& command : commands_)
        print("%-*s %s", static_cast<int>(width), command.usage.c_str(),
              command.description.c_str());
    print("%d commands", static_cast<int>(commands_.size()));
}

std::vector<std::string> Console::completionNames() const {
    std::vector<std::string> names;
    names.reserve(variables_.size() + commands_.size());
    for (const ConsoleVariable* variable : variables_) names.emplace_back(variable->name);
    for (const ConsoleCommand& command : commands_) names.push_back(command.name);
    return names;
}

void Console::complete(ConsoleInput& input) {
    const std::vector<std::string> candidates = input.complete(completionNames());
    if (candidates.size() < 2) return;
    std::string line;
    for (const std::string& candidate : candidates) {
        if (!line.empty() && line.size() + 2 + candidate.size() > kCandidateLineWidth) {
            print("%s", line.c_str());
            line.clear();
        }
        if (!line.empty()) line += "  ";
        line += candidate;
    }
    print("%s", line.c_str());
}

}  // namespace arvel
