#include "render/VertexProgram.h"

#include <cstdio>
#include <utility>

#include "core/Exception.h"
#include "driver/Driver.h"
#include "fs/FileSystem.h"
#include "render/ResourceRegistry.h"

namespace arvel {

namespace {

constexpr const char* kSource = "Primitives\\VertexProgram";

// Closes the handle however the scope ends.
class OpenSource {
public:
    OpenSource(const std::string& file, int line, const char* source, const char* openFailure)
        : handle_(fileSystem().open(file.c_str(), kFileRead)) {
        if (!handle_) throw new Exception(line, source, openFailure, file.c_str());
    }
    ~OpenSource() { fileClose(handle_); }
    OpenSource(const OpenSource&) = delete;
    OpenSource& operator=(const OpenSource&) = delete;

    FileHandle* handle() const { return handle_; }

private:
    FileHandle* handle_;
};

}  // namespace

const char* driverProgramLog() {
    using ProgramLog = const char* (*)();
    const auto programLog = reinterpret_cast<ProgramLog>(driverSymbol("dProgramLog"));
    const char* log = programLog ? programLog() : nullptr;
    return log ? log : "";
}

std::string joinSourceFiles(const std::vector<std::string>& files, int line, const char* source,
                            const char* openFailure) {
    std::vector<int> sizes;
    size_t total = 0;
    for (const std::string& file : files) {
        OpenSource open(file, line, source, openFailure);
        fileSeek(open.handle(), 0, SEEK_END);
        const int size = fileTell(open.handle());
        fileSeek(open.handle(), 0, SEEK_SET);
        if (size < 0)
            throw new Exception(__LINE__, source, "Can't measure file %s\n", file.c_str());
        sizes.push_back(size);
        total += static_cast<size_t>(size);
    }
    std::string text(total, '\0');
    size_t at = 0;
    for (size_t i = 0; i < files.size(); ++i) {
        OpenSource open(files[i], line, source, openFailure);
        if (sizes[i] > 0) fileRead(text.data() + at, 1, sizes[i], open.handle());
        at += static_cast<size_t>(sizes[i]);
    }
    return text;
}

VertexProgram::~VertexProgram() {
    if (handle_) gDriver.dDeleteVertexProgram(handle_);
    handle_ = nullptr;
}

void VertexProgram::addSourceFile(const std::string& fileName) {
    appendName(fileName);
    sourceFiles_.push_back(fileName);
}

void VertexProgram::build() {
    forgetLoadedFiles();
    for (const std::string& file : sourceFiles_) noteLoadedFile(file);
    try {
        const std::string text =
            joinSourceFiles(sourceFiles_, __LINE__, kSource, "Failed to open vertex program: %s\n");
        handle_ = gDriver.dRegisterVertexProgram(text.c_str());
        if (!handle_)
            throw new Exception(__LINE__, kSource,
                                "Vertexprogram cached as %s couldn't compile\n%s", name().c_str(),
                                driverProgramLog());
    } catch (Exception* cause) {
        throw new Exception(__LINE__, kSource, cause);
    }
}

DParameter* VertexProgram::getParameter(const char* parameterName) const {
    return gDriver.dGetVertexProgramParameter(parameterName, handle_);
}

void VertexProgram::rebuild() {
    VertexProgram fresh;
    for (const std::string& file : sourceFiles_) fresh.addSourceFile(file);
    fresh.build();
    std::swap(handle_, fresh.handle_);
    takeLoadedFiles(fresh);
}

void VertexProgram::bind() const {
    gDriver.dBindVertexProgram(handle_);
    gDriver.dEnableVertexProgram();
}

VertexProgram* VertexProgram::obtain(const std::vector<std::string>& files,
                                     ResourceRegistry* registry, std::string* failure) {
    auto* program = new VertexProgram();
    for (const std::string& file : files) program->addSourceFile(file);
    if (registry) {
        if (auto* shared = dynamic_cast<VertexProgram*>(registry->find(program->name()))) {
            delete program;
            return shared;
        }
    }
    try {
        program->build();
    } catch (Exception* error) {
        if (failure) *failure = error->what();
        delete error;
        delete program;
        return nullptr;
    }
    if (registry) registry->add(program);
    return program;
}

}  // namespace arvel
