#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "console/Settings.h"
#include "render/Material.h"
#include "render/Pass.h"
#include "render/RenderBatch.h"
#include "render/RenderContext.h"
#include "render/RenderQueue.h"
#include "render/Texture.h"
#include "support/RecordingDriver.h"

namespace arvel {
namespace {

template <typename T>
T* fakeHandle(uintptr_t value) {
    return reinterpret_cast<T*>(value);
}

class RenderQueueTest : public testing::Test {
protected:
    RenderQueueTest() {
        settings().gfxScissor.flag = true;
        settings().gfxHwOcclusionCulling.flag = true;
    }

    // A pass that binds material slot 0 on unit 0 and uploads the model-view matrix
    // per object, so the three kinds of per-run work each leave a driver call.
    std::unique_ptr<Pass> makePass() {
        auto pass = std::make_unique<Pass>(nullptr, nullptr);
        pass->setMaterialSlot(0, 0);
        pass->constants.push_back({fakeHandle<DParameter>(0x40), binding::kModelViewMatrix});
        return pass;
    }

    // A material whose one texture is bound with dActivateTexture.
    std::unique_ptr<Material> makeMaterial() {
        auto material = std::make_unique<Material>(nullptr, nullptr);
        material->addTexture(new Texture("unused.tga", false, false, false));
        return material;
    }

    std::unique_ptr<RenderBatch> makeBatch(const Material* material) {
        auto batch = std::make_unique<RenderBatch>();
        batch->material = material;
        batch->indices = {0, 1, 2};
        return batch;
    }

    test::RecordingDriver driver;
    RenderQueue queue;
    RenderContext context;
};

// Calls that mark, in order: a pass set-up, a vertex-array bind, a per-object constant
// upload, a material bind, a draw.
std::vector<std::string> drawingOutline(const test::RecordingDriver& driver) {
    std::vector<std::string> outline;
    for (const std::string& call : driver.calls()) {
        for (const char* name : {"dDepthMask", "dVABind", "dSetVertexProgramMatrix",
                                 "dActivateTexture", "dVARender"}) {
            if (call.rfind(std::string(name) + "(", 0) == 0) outline.push_back(name);
        }
    }
    return outline;
}

// --- the per-pass walk ---

TEST_F(RenderQueueTest, TwoBatchesOfOneArrayCostOneOfEachSetUpPerPass) {
    auto first = makePass();
    auto second = makePass();
    PassList passes{first.get(), second.get()};
    auto material = makeMaterial();
    auto a = makeBatch(material.get());
    auto b = makeBatch(material.get());

    queue.queueObject(fakeHandle<DVertexArray>(0x100));
    queue.setObjectState(context);
    queue.queueBatch(a.get(), &passes);
    queue.queueBatch(b.get(), &passes);
    queue.flush();

    std::vector<std::string> perPass{"dDepthMask",       "dVABind",   "dSetVertexProgramMatrix",
                                     "dActivateTexture", "dVARender", "dVARender"};
    std::vector<std::string> expected = perPass;
    expected.insert(expected.end(), perPass.begin(), perPass.end());
    EXPECT_EQ(drawingOutline(driver), expected);
    EXPECT_EQ(driver.countOf("dMatrix"), 4);  // projection and model-view, once per pass
}

TEST_F(RenderQueueTest, InterleavedMaterialsAreBoundOncePerRun) {
    auto pass = makePass();
    PassList passes{pass.get()};
    auto stone = makeMaterial();
    auto wood = makeMaterial();
    auto s1 = makeBatch(stone.get());
    auto w = makeBatch(wood.get());
    auto s2 = makeBatch(stone.get());

    queue.queueObject(fakeHandle<DVertexArray>(0x100));
    queue.setObjectState(context);
    for (auto* batch : {s1.get(), w.get(), s2.get()}) queue.queueBatch(batch, &passes);
    queue.flush();

    EXPECT_EQ(driver.countOf("dActivateTexture"), 2);
    EXPECT_EQ(driver.countOf("dVARender"), 3);
}

TEST_F(RenderQueueTest, EachPassListIsSetUpOnceWhateverTheQueueOrder) {
    auto ambient = makePass();
    auto light = makePass();
    PassList ambientPasses{ambient.get()};
    PassList lightPasses{light.get()};
    auto material = makeMaterial();
    auto batch = makeBatch(material.get());

    for (uintptr_t array : {0x100, 0x200, 0x100}) {
        queue.queueObject(fakeHandle<DVertexArray>(array));
        queue.setObjectState(context);
        queue.queueBatch(batch.get(), &ambientPasses);
        queue.queueBatch(batch.get(), &lightPasses);
    }
    queue.flush();

    EXPECT_EQ(driver.countOf("dDepthMask"), 2);
    // Per pass list: array 0x100 once for its two objects, 0x200 once.
    EXPECT_EQ(driver.callsTo({"dVABind"}).size(), 4u);
    // Every object gets its own constants in every pass.
    EXPECT_EQ(driver.countOf("dSetVertexProgramMatrix"), 6);
    EXPECT_EQ(driver.countOf("dVARender"), 6);
}

TEST_F(RenderQueueTest, EveryObjectIsEndedBeforeTheNextAndAfterTheLast) {
    auto pass = makePass();
    pass->occlusionQuery = true;
    PassList passes{pass.get()};
    auto material = makeMaterial();
    auto batch = makeBatch(material.get());

    for (int index : {3, 4}) {
        queue.queueObject(fakeHandle<DVertexArray>(0x100));
        context.setOcclusionQuery(index, fakeHandle<DOcclusionQueries>(0x300));
        queue.setObjectState(context);
        queue.queueBatch(batch.get(), &passes);
    }
    queue.flush();

    EXPECT_EQ(
        driver.callsTo({"dBeginOcclusionQuery", "dVARender", "dEndOcclusionQuery"}),
        (std::vector<std::string>{"dBeginOcclusionQuery(3, ptr)", "dVARender(ptr, ptr, 3, 4, 5125)",
                                  "dEndOcclusionQuery()", "dBeginOcclusionQuery(4, ptr)",
                                  "dVARender(ptr, ptr, 3, 4, 5125)", "dEndOcclusionQuery()"}));
}

TEST_F(RenderQueueTest, StageWithoutPassesDrawsNothing) {
    PassList none;
    auto batch = makeBatch(nullptr);
    queue.queueObject(fakeHandle<DVertexArray>(0x100));
    queue.setObjectState(context);
    queue.queueBatch(batch.get(), &none);
    queue.flush();
    EXPECT_TRUE(driver.calls().empty());
    EXPECT_EQ(queue.drawCount(), 0);
}

// --- queued state is a copy ---

TEST_F(RenderQueueTest, DrawingUsesTheContextAsItWasWhenQueued) {
    auto pass = makePass();
    PassList passes{pass.get()};
    auto batch = makeBatch(nullptr);
    Matrix4 bone;
    context.setScissor(10, 20, 30, 40);
    context.bones.push_back(&bone);

    queue.queueObject(fakeHandle<DVertexArray>(0x100));
    queue.setObjectState(context);
    queue.queueBatch(batch.get(), &passes);
    context.setScissor(1, 2, 3, 4);
    context.bones.clear();

    EXPECT_EQ(queue.slot(0).bones.size(), 1u);
    queue.flush();
    EXPECT_EQ(driver.callsTo({"dScissor"}), (std::vector<std::string>{"dScissor(10, 20, 30, 40)"}));
}

// --- filling up and flushing ---

TEST_F(RenderQueueTest, The512thObjectFlushesTheFirst511) {
    auto pass = makePass();
    PassList passes{pass.get()};
    auto batch = makeBatch(nullptr);
    for (int i = 0; i < RenderQueue::kMaxQueuedObjects; ++i) {
        queue.queueObject(fakeHandle<DVertexArray>(0x100 + 0x10 * i));
        queue.setObjectState(context);
        queue.queueBatch(batch.get(), &passes);
    }
    EXPECT_EQ(queue.queuedCount(), 511);
    EXPECT_EQ(driver.countOf("dVARender"), 0);

    queue.queueObject(fakeHandle<DVertexArray>(0x8000));
    EXPECT_EQ(driver.countOf("dVARender"), 511);
    EXPECT_EQ(queue.queuedCount(), 1);
    EXPECT_EQ(queue.drawCount(), 0);

    // What follows lands in the fresh queue.
    driver.clearCalls();
    EXPECT_TRUE(queue.setObjectState(context));
    EXPECT_TRUE(queue.queueBatch(batch.get(), &passes));
    queue.flush();
    EXPECT_EQ(driver.countOf("dVARender"), 1);
    EXPECT_EQ(queue.queuedCount(), 0);
}

TEST_F(RenderQueueTest, FlushWithoutDrawsOnlyEmptiesTheQueue) {
    queue.queueObject(fakeHandle<DVertexArray>(0x100));
    queue.setObjectState(context);
    queue.flush();
    EXPECT_TRUE(driver.calls().empty());
    EXPECT_EQ(queue.queuedCount(), 0);
    EXPECT_FALSE(queue.setObjectState(context));
}

// --- requests that cannot be honoured ---

TEST_F(RenderQueueTest, StateOrBatchWithoutAQueuedObjectIsRefused) {
    PassList passes;
    auto batch = makeBatch(nullptr);
    EXPECT_FALSE(queue.setObjectState(context));
    EXPECT_FALSE(queue.queueBatch(batch.get(), &passes));
    EXPECT_EQ(queue.drawCount(), 0);
}

TEST_F(RenderQueueTest, ObjectWithoutStateOrHandleIsNotDrawn) {
    auto pass = makePass();
    PassList passes{pass.get()};
    auto batch = makeBatch(nullptr);
    queue.queueObject(fakeHandle<DVertexArray>(0x100));  // no state
    queue.queueBatch(batch.get(), &passes);
    queue.queueObject(nullptr);  // the plug-in gave no array
    queue.setObjectState(context);
    queue.queueBatch(batch.get(), &passes);
    queue.queueObject(fakeHandle<DVertexArray>(0x200));
    queue.setObjectState(context);
    queue.queueBatch(batch.get(), &passes);
    queue.flush();
    EXPECT_EQ(driver.callsTo({"dVABind", "dVARender"}),
              (std::vector<std::string>{"dVABind(ptr)", "dVARender(ptr, ptr, 3, 4, 5125)"}));
    EXPECT_EQ(driver.countOf("dSetVertexProgramMatrix"), 1);
}

// --- the process-wide queue ---

TEST(ProcessRenderQueueTest, ExistsBetweenCreateAndDestroy) {
    test::RecordingDriver driver;
    EXPECT_EQ(renderQueue(), nullptr);
    queueObject(fakeHandle<DVertexArray>(0x100));  // ignored without a queue
    EXPECT_FALSE(setObjectState(RenderContext()));

    createRenderQueue();
    ASSERT_NE(renderQueue(), nullptr);
    queueObject(fakeHandle<DVertexArray>(0x100));
    EXPECT_TRUE(setObjectState(RenderContext()));
    EXPECT_EQ(renderQueue()->queuedCount(), 1);
    flushRenderQueue();
    EXPECT_EQ(renderQueue()->queuedCount(), 0);

    destroyRenderQueue();
    EXPECT_EQ(renderQueue(), nullptr);
}

}  // namespace
}  // namespace arvel
