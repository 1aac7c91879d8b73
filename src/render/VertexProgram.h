// A vertex program built from one or more source files joined into one text and
// compiled by the driver. Passes share programs through the program registry under
// the program's name: its file names run together ("a.vp" and "b.vp" give "a.vpb.vp").
#pragma once

#include <string>
#include <vector>

#include "render/Resource.h"

namespace arvel {

class ResourceRegistry;
struct DParameter;
struct DVertexProgram;

class VertexProgram : public Resource {
public:
    VertexProgram() = default;
    ~VertexProgram() override;  // deletes the driver program
    VertexProgram(const VertexProgram&) = delete;
    VertexProgram& operator=(const VertexProgram&) = delete;

    void addSourceFile(const std::string& fileName);
    // Reads the files in order, joins them with nothing between and registers the text
    // with the driver. Throws an Exception when a file cannot be opened or read, or
    // the driver does not compile the text.
    void build();
    // Builds the files again into a new driver program and, when that compiles, puts
    // it in place of the old one, which is deleted: parameter handles taken from the
    // old one are dead (the techniques using it are compiled again). Throws build's
    // Exception, changing nothing, when it does not.
    void rebuild();
    DParameter* getParameter(const char* parameterName) const;
    void bind() const;  // dBindVertexProgram, dEnableVertexProgram

    // The program for these files as a pass gets it: the one registered under the
    // same name, else a new one, built and added to registry (owned by the caller
    // when registry is null). Null when it cannot be built; nothing is reported, but
    // failure (when given) receives build's message.
    static VertexProgram* obtain(const std::vector<std::string>& files, ResourceRegistry* registry,
                                 std::string* failure = nullptr);

    const std::vector<std::string>& sourceFiles() const { return sourceFiles_; }
    DVertexProgram* handle() const { return handle_; }

private:
    std::vector<std::string> sourceFiles_;
    DVertexProgram* handle_ = nullptr;
};

// The files' bytes one after the other, read through the file system. A file that
// cannot be opened throws an Exception at (line, source) with openFailure, a format
// taking the file name.
// The driver's message about the program it refused last; "" from a driver without one.
const char* driverProgramLog();

std::string joinSourceFiles(const std::vector<std::string>& files, int line, const char* source,
                            const char* openFailure);

}  // namespace arvel
