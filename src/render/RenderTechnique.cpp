#include "render/RenderTechnique.h"

#include <cstdlib>

#include "console/Parser.h"
#include "core/Exception.h"
#include "fs/FileSystem.h"
#include "render/PixelShader.h"
#include "render/VertexProgram.h"

namespace arvel {

namespace {

constexpr const char* kSource = "Primitives\\RenderTechnique";

// The whole file as a NUL-terminated text; freed when the scope ends.
class ScriptText {
public:
    explicit ScriptText(const std::string& name) {
        FileHandle* file = fileSystem().open(name.c_str(), kFileRead);
        if (!file)
            throw new Exception(__LINE__, kSource, "Failed to open render technique: %s\n",
                                name.c_str());
        try {
            fileSeek(file, 0, SEEK_END);
            const int size = fileTell(file);
            fileSeek(file, 0, SEEK_SET);
            if (size < 0)
                throw new Exception(__LINE__, kSource, "Failed to read render technique: %s\n",
                                    name.c_str());
            text_ = static_cast<char*>(std::malloc(static_cast<size_t>(size) + 1));
            if (!text_)
                throw new Exception(__LINE__, kSource,
                                    "Out of memory reading render technique: %s\n", name.c_str());
            if (size > 0) fileRead(text_, 1, size, file);
            text_[size] = '\0';
        } catch (Exception*) {
            fileClose(file);
            throw;
        }
        fileClose(file);
    }
    ~ScriptText() { std::free(text_); }
    ScriptText(const ScriptText&) = delete;
    ScriptText& operator=(const ScriptText&) = delete;

    const char* text() const { return text_; }

private:
    char* text_ = nullptr;
};

}  // namespace

RenderTechnique::RenderTechnique(std::string fileName, ResourceRegistry* programRegistry,
                                 ResourceRegistry* textureRegistry)
    : Resource(std::move(fileName)),
      parser_(std::make_unique<Parser>(kParserCapacity)),
      programRegistry_(programRegistry),
      textureRegistry_(textureRegistry) {}

RenderTechnique::~RenderTechnique() {
    destroyPasses(ambient_);
    destroyPasses(light_);
    destroyPasses(postShade_);
}

void RenderTechnique::load() {
    forgetLoadedFiles();
    noteLoadedFile(name());
    try {
        ScriptText script(name());
        compile(script.text());
    } catch (Exception* error) {
        throw new Exception(__LINE__, kSource, error, "Script is: %s\n", name().c_str());
    }
}

void RenderTechnique::reload() {
    RenderTechnique fresh(name(), programRegistry_, textureRegistry_);
    fresh.load();
    // The old passes go with fresh.
    ambient_.swap(fresh.ambient_);
    light_.swap(fresh.light_);
    postShade_.swap(fresh.postShade_);
    takeLoadedFiles(fresh);
}

void RenderTechnique::refreshParameters() {
    for (PassList* stage : {&ambient_, &light_, &postShade_})
        for (Pass* pass : *stage) pass->refreshParameters();
}

bool RenderTechnique::uses(const Resource* program) const {
    for (const PassList* stage : {&ambient_, &light_, &postShade_}) {
        for (const Pass* pass : *stage) {
            if (pass->vertexProgram == program || pass->pixelShader == program) return true;
        }
    }
    return false;
}

}  // namespace arvel
