// ".rt" technique scripts: compiled against the recording driver with the project's
// data folders mounted (so textures and program sources named by the seeds exist), then
// every accepted pass is applied as the render queue applies it, once with a light and
// once without.
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "console/Settings.h"
#include "core/Exception.h"
#include "render/RenderContext.h"
#include "render/RenderTechnique.h"
#include "render/ResourceRegistry.h"
#include "support/RecordingDriver.h"

using namespace arvel;

namespace {

test::RecordingDriver* gRecorder = nullptr;

void mountData() {
    fileSystem().clear();
    for (const char* prefix : {ARVEL_FUZZ_DATA_DIR "/", ARVEL_FUZZ_DATA_DIR "/shaders/"}) {
        auto* source = new CommonFile();
        if (!fileSystem().mount(source, prefix)) delete source;
    }
}

void drawWith(const PassList& passes, const RenderContext& context) {
    const std::vector<Texture*> none;
    for (const Pass* pass : passes) {
        pass->apply();
        pass->applyObject(context);
        pass->bindMaterialTextures(none);
        pass->endObject(context);
        pass->end();
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::headless();
    gRecorder = new test::RecordingDriver();
    setDriverSymbolLookup(gRecorder->lookup());
    mountData();
    settings().gfxScissor.flag = true;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(fuzz::bytesOf(data, size));
    {
        ResourceRegistry programs;
        ResourceRegistry textures;
        RenderTechnique technique("fuzz.rt", &programs, &textures);
        bool compiled = true;
        try {
            technique.compile(text.c_str());
        } catch (Exception* e) {
            compiled = false;
            delete e;
        }
        if (compiled) {
            Matrix4 object;
            Vector4 light{1.0f, 2.0f, 3.0f, 1.0f};
            Vector4 camera{-1.0f, 0.5f, 4.0f, 1.0f};
            const float colour[3] = {1.0f, 0.5f, 0.25f};
            const float radius = 10.0f;
            RenderContext ambient;
            ambient.scissorValid = true;
            ambient.scissorWidth = 640;
            ambient.scissorHeight = 480;
            ambient.setObject(nullptr, &object);
            RenderContext lit = ambient;
            lit.setLight(nullptr, &light, colour, &radius);
            lit.cameraPosition = &camera;
            lit.bones = {&object, &object};
            for (const PassList* stage : {&technique.ambientPasses(), &technique.lightPasses(),
                                          &technique.postShadePasses()}) {
                drawWith(*stage, ambient);
                drawWith(*stage, lit);
            }
        }
    }
    gRecorder->clearCalls();
    fuzz::drainMessages();
    return 0;
}
