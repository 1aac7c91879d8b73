#include "render/PixelShader.h"

#include <utility>

#include "core/Exception.h"
#include "driver/Driver.h"
#include "render/ResourceRegistry.h"
#include "render/VertexProgram.h"

namespace arvel {

namespace {

constexpr const char* kSource = "Primitives\\PixelShader";

}  // namespace

PixelShader::~PixelShader() {
    if (handle_) gDriver.dDeletePixelShader(handle_);
    handle_ = nullptr;
}

void PixelShader::addSourceFile(const std::string& fileName) {
    appendName(fileName);
    sourceFiles_.push_back(fileName);
}

void PixelShader::build() {
    forgetLoadedFiles();
    for (const std::string& file : sourceFiles_) noteLoadedFile(file);
    try {
        const std::string text =
            joinSourceFiles(sourceFiles_, __LINE__, kSource, "Failed to open pixel shader: %s\n");
        handle_ = gDriver.dRegisterPixelShader(text.c_str());
        if (!handle_)
            throw new Exception(__LINE__, kSource,
                                "Failed loading/parsing pixel shader with identifier name %s\n%s",
                                name().c_str(), driverProgramLog());
    } catch (Exception* cause) {
        throw new Exception(__LINE__, kSource, cause);
    }
}

void PixelShader::rebuild() {
    PixelShader fresh;
    for (const std::string& file : sourceFiles_) fresh.addSourceFile(file);
    fresh.build();
    std::swap(handle_, fresh.handle_);
    takeLoadedFiles(fresh);
}

void PixelShader::bind() const {
    gDriver.dEnablePixelShader();
    gDriver.dBindPixelShader(handle_);
}

PixelShader* PixelShader::obtain(const std::vector<std::string>& files, ResourceRegistry* registry,
                                 std::string* failure) {
    auto* shader = new PixelShader();
    for (const std::string& file : files) shader->addSourceFile(file);
    if (registry) {
        if (auto* shared = dynamic_cast<PixelShader*>(registry->find(shader->name()))) {
            delete shader;
            return shared;
        }
    }
    try {
        shader->build();
    } catch (Exception* error) {
        if (failure) *failure = error->what();
        delete error;
        delete shader;
        return nullptr;
    }
    if (registry) registry->add(shader);
    return shader;
}

}  // namespace arvel
