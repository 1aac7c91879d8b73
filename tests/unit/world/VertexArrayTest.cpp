#include <gtest/gtest.h>

#include <vector>

#include "support/RecordingDriver.h"
#include "world/VertexArray.h"

namespace arvel {
namespace {

DVertexArray* fakeArray() {
    static char storage;
    return reinterpret_cast<DVertexArray*>(&storage);
}

class VertexArrayTest : public testing::Test {
protected:
    VertexArrayTest() {
        driver.setResult("dVAAlloc", fakeArray());
        driver.setResult("dVAMemNeeded", 144);
    }

    test::RecordingDriver driver;
    RenderVertex vertices[3] = {};
};

TEST_F(VertexArrayTest, CreateFromARunSizesAllocatesAndWritesTheVertices) {
    VertexArray array;
    ASSERT_TRUE(array.create(vertices, 3, 271, 288));
    EXPECT_EQ(driver.calls(),
              (std::vector<std::string>{"dVAMemNeeded(3, 271)", "dVAAlloc(3, 271, 288)",
                                        "dVAWriteVertsArray(ptr, ptr, 3)"}));
    EXPECT_EQ(array.format, 271);
    EXPECT_EQ(array.count, 3);
    EXPECT_EQ(array.bytesNeeded, 144);
    EXPECT_EQ(array.memoryKind, 288);
    EXPECT_EQ(array.handle, fakeArray());
}

TEST_F(VertexArrayTest, CreateWithoutVerticesOnlyAllocates) {
    VertexArray array;
    ASSERT_TRUE(array.create(nullptr, 3, 263, 289));
    EXPECT_EQ(driver.countOf("dVAAlloc"), 1);
    EXPECT_EQ(driver.countOf("dVAWriteVertsArray"), 0);
}

TEST_F(VertexArrayTest, CreateFromReferencesWritesTheListWithItsLength) {
    VertexArray array;
    std::vector<const RenderVertex*> list{&vertices[2], &vertices[0]};
    ASSERT_TRUE(array.create(list, 1, 288));
    EXPECT_EQ(driver.calls(), (std::vector<std::string>{"dVAMemNeeded(2, 1)", "dVAAlloc(2, 1, 288)",
                                                        "dVAWriteVerts(ptr, ptr)"}));
    EXPECT_EQ(array.count, 2);
}

TEST_F(VertexArrayTest, NoHandleMeansNothingIsWrittenOrUpdated) {
    driver.setResult("dVAAlloc", static_cast<DVertexArray*>(nullptr));
    VertexArray array;
    EXPECT_FALSE(array.create(vertices, 3, 271, 288));
    EXPECT_FALSE(array.valid());
    array.update(vertices, 3, 7);
    array.bind();
    EXPECT_EQ(driver.countOf("dVAWriteVertsArray"), 0);
    EXPECT_EQ(driver.countOf("dVAUpdateVertsArray"), 0);
    EXPECT_EQ(driver.countOf("dVABind"), 0);
}

TEST_F(VertexArrayTest, UpdateRewritesTheMaskedAttributesOfAtMostItsOwnVertices) {
    VertexArray array;
    array.create(vertices, 2, 263, 289);
    driver.clearCalls();
    array.update(vertices, 2, 7);
    array.update(vertices, 3, 8);  // one more than the array holds
    array.update(vertices, 0, 7);  // nothing to write
    EXPECT_EQ(driver.calls(), (std::vector<std::string>{"dVAUpdateVertsArray(ptr, ptr, 2, 7)",
                                                        "dVAUpdateVertsArray(ptr, ptr, 2, 8)"}));
}

TEST_F(VertexArrayTest, UpdateFromReferencesPassesTheMask) {
    VertexArray array;
    std::vector<const RenderVertex*> list{&vertices[0], &vertices[1]};
    array.create(list, 263, 289);
    driver.clearCalls();
    array.update(list, 7);
    EXPECT_EQ(driver.calls(), (std::vector<std::string>{"dVAUpdateVerts(ptr, ptr, 7)"}));
}

TEST_F(VertexArrayTest, ReleaseFreesOnceAndZeroesEveryField) {
    VertexArray array;
    array.create(vertices, 3, 271, 288);
    array.release();
    array.release();
    EXPECT_EQ(driver.countOf("dVAFree"), 1);
    EXPECT_EQ(array.format, 0);
    EXPECT_EQ(array.count, 0);
    EXPECT_EQ(array.bytesNeeded, 0);
    EXPECT_EQ(array.memoryKind, 0);
    EXPECT_EQ(array.handle, nullptr);
}

TEST_F(VertexArrayTest, RecreatingOrDestroyingFreesTheOldArray) {
    {
        VertexArray array;
        array.create(vertices, 3, 271, 288);
        array.create(vertices, 1, 1, 288);
        EXPECT_EQ(driver.countOf("dVAFree"), 1);
    }
    EXPECT_EQ(driver.countOf("dVAFree"), 2);
}

}  // namespace
}  // namespace arvel
