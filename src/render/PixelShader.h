// A pixel shader built from one or more source files joined into one text and
// compiled by the driver. Its name is "$empty_pixel_shader$" followed by its file
// names, so it never meets a vertex program of the same files in the shared registry.
#pragma once

#include <string>
#include <vector>

#include "render/Resource.h"

namespace arvel {

class ResourceRegistry;
struct DPixelShader;

class PixelShader : public Resource {
public:
    static constexpr const char* kNamePrefix = "$empty_pixel_shader$";

    PixelShader() : Resource(kNamePrefix) {}
    ~PixelShader() override;  // deletes the driver shader
    PixelShader(const PixelShader&) = delete;
    PixelShader& operator=(const PixelShader&) = delete;

    void addSourceFile(const std::string& fileName);
    // As VertexProgram::build, through dRegisterPixelShader.
    void build();
    // As VertexProgram::rebuild.
    void rebuild();
    void bind() const;  // dEnablePixelShader, dBindPixelShader

    // As VertexProgram::obtain.
    static PixelShader* obtain(const std::vector<std::string>& files, ResourceRegistry* registry,
                               std::string* failure = nullptr);

    const std::vector<std::string>& sourceFiles() const { return sourceFiles_; }
    DPixelShader* handle() const { return handle_; }

private:
    std::vector<std::string> sourceFiles_;
    DPixelShader* handle_ = nullptr;
};

}  // namespace arvel
