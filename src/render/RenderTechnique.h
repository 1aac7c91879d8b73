// A render technique: a ".rt" script compiled into three stage lists of passes. Each
// stage block offers alternative implementations in order of preference; the first
// whose passes this driver can all run is kept.
#pragma once

#include <memory>
#include <string>

#include "render/Pass.h"
#include "render/Resource.h"

namespace arvel {

class Parser;
class ResourceRegistry;

class RenderTechnique : public Resource {
public:
    static constexpr int kParserCapacity = 65536;

    // Nothing is read yet. Either registry may be null: then nothing is shared.
    RenderTechnique(std::string fileName, ResourceRegistry* programRegistry,
                    ResourceRegistry* textureRegistry);
    ~RenderTechnique() override;
    RenderTechnique(const RenderTechnique&) = delete;
    RenderTechnique& operator=(const RenderTechnique&) = delete;

    // Reads the file named like the technique through the file system and compiles
    // it. Throws an Exception ending in "Script is: <name>" on any failure.
    void load();
    // Compiles the file again into a fresh technique with the same registries and, when
    // that succeeds, takes over its passes; the stage lists keep their addresses.
    // Throws load's Exception, keeping the passes it had, when it does not.
    void reload();
    // Takes every constant's parameter handle anew from its pass's vertex program, for
    // passes kept after their program was rebuilt.
    void refreshParameters();
    // True when a pass of any stage uses the program or shader.
    bool uses(const Resource* program) const;
    // Compiles a script text (which must stay alive during the call), appending to the
    // stage lists. Throws the compiler's Exception at the first error.
    void compile(const char* text);

    const PassList& ambientPasses() const { return ambient_; }
    const PassList& lightPasses() const { return light_; }
    const PassList& postShadePasses() const { return postShade_; }

    ResourceRegistry* programRegistry() const { return programRegistry_; }
    ResourceRegistry* textureRegistry() const { return textureRegistry_; }

    // The binding code of a constant binding name (any case), or -1.
    static int bindingCode(const char* name);

private:
    class Compiler;

    std::unique_ptr<Parser> parser_;
    ResourceRegistry* programRegistry_;
    ResourceRegistry* textureRegistry_;
    PassList ambient_;
    PassList light_;
    PassList postShade_;
};

}  // namespace arvel
