// ".msh" skinned meshes: read from memory, then posed in the bind pose and in every
// animation at a few times, and skinned by an instance as each frame does.
#include <cstdint>

#include "FuzzSupport.h"
#include "core/Exception.h"
#include "fs/DataStream.h"
#include "render/ResourceRegistry.h"
#include "support/RecordingDriver.h"
#include "world/DynamicMesh.h"
#include "world/MeshInstance.h"

using namespace arvel;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::headless();
    fuzz::provideDefaultTechniques();
    fuzz::mountScratch();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > INT32_MAX) return 0;
    test::RecordingDriver driver;
    {
        ResourceRegistry textures;
        ResourceRegistry techniques;
        DynamicMesh mesh("fuzz.msh", &textures, &techniques);
        DataStream stream(data, static_cast<int>(size));
        bool loaded = true;
        try {
            mesh.read(stream);
        } catch (Exception* e) {
            loaded = false;
            delete e;
        }
        if (!loaded) {
            FUZZ_CHECK(mesh.boneCount() == 0 && mesh.animationCount() == 0);
        } else {
            const uint32_t times[] = {0, 50, 100, 1234, 0xFFFFFFFFu};
            mesh.pose(nullptr, 0);
            for (int a = 0; a < mesh.animationCount() && a < 4; ++a)
                for (uint32_t t : times) mesh.pose(&mesh.animation(a), t);
            MeshInstance instance(mesh, nullptr);
            for (int a = -1; a < mesh.animationCount() && a < 2; ++a) {
                if (a >= 0) instance.setAnimation(a);
                instance.updateLocalMatrix();
                instance.updateWorldMatrix();
                instance.update();
                instance.skin();
                FUZZ_CHECK(instance.modelSkinMatrices().size() ==
                           static_cast<size_t>(mesh.boneCount()));
            }
        }
    }
    fuzz::drainMessages();
    return 0;
}
