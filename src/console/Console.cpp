#include "console/Console.h"

#include <strings.h>
#include <cstdio>
#include <string>

#include "core/ErrorReport.h"
#include "core/Exception.h"
#include "fs/FileSystem.h"

namespace arvel {

namespace {

const int kParserCapacity = 65536;
const char* const kSeparators[] = {"=", ";"};

}  // namespace

Console::Console()
    : parser_(kParserCapacity),
      size_("c_size", 0.75),
      font_("c_font", "SysFont.fpf"),
      transparency_("c_transparency", 0.75) {
    parser_.setSeparators(2, kSeparators);
    registerVariable(&size_);
    registerVariable(&font_);
    registerVariable(&transparency_);
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

void Console::executeStatement() {
    // Words that name no variable (stray "=" and ";" among them) are skipped one by one.
    ConsoleVariable* variable = findVariable(parser_.next());
    if (!variable) return;
    if (parser_.atEnd()) {
        WarningBox("Printout: %s\n", variable->text);
        return;
    }
    const char* value = parser_.next();
    if (variable->locked && lock_) return;
    variable->assign(value);
}

void Console::executeLine(const char* text) {
    parser_.setText(text);
    while (!parser_.atEnd()) {
        try {
            executeStatement();
        } catch (Exception* exception) {
            delete exception;
        }
    }
}

bool Console::executeFile(const char* name) {
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

    // Each line is executed on its own; the last one counts even without a newline.
    size_t start = 0;
    std::string line;
    for (size_t i = 0; i <= contents.size(); ++i) {
        if (i < contents.size() && contents[i] != '\n') continue;
        line.assign(contents, start, i - start);
        executeLine(line.c_str());
        start = i;
    }
    return true;
}

}  // namespace arvel
