// Scripts found by fuzzing. Some made a technique call a driver function through the
// wrong type (integers handed to pointer or float parameters, queries that are no
// queries): every such name now counts as an export the driver lacks. A huge scissor
// scale took the scissor rectangle beyond int.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TechniqueTestSupport.h"
#include "render/Pass.h"
#include "render/RenderContext.h"

namespace arvel::test {
namespace {

using Calls = std::vector<std::string>;

class ScriptDriverCalls : public TechniqueTest {
protected:
    // The calls the extension commands of body make when their pass is applied.
    Calls extensionCallsOf(const std::string& body, std::initializer_list<const char*> names) {
        auto technique = compilePass(body);
        if (!technique) {
            ADD_FAILURE() << error;
            return {};
        }
        driver.clearCalls();
        only(*technique).apply();
        return driver.callsTo(names);
    }
};

TEST_F(ScriptDriverCalls, ExtensionCallToAFunctionTakingAPointerWarnsAndLeavesThePassUnusable) {
    for (const char* command : {"EXTSetVPProfile(5)", "EXTRegisterTexture(1, 2)",
                                "EXTRenderLine(0)", "EXTReadPixels(0, 0, 1, 1, 64)"}) {
        std::unique_ptr<RenderTechnique> technique;
        const std::string boxes = boxesOf([&] {
            technique = compile(std::string("Ambient { impl { Pass { ") + command +
                                " } } impl { Pass { CullFace none } } }");
        });
        ASSERT_TRUE(technique) << error;
        EXPECT_EQ(technique->ambientPasses().at(0)->cullMode, 2) << command;
        const std::string word(command, std::string(command).find('('));
        EXPECT_TRUE(contains(boxes, "WARNING: Failed to load ext func " + word + "\n"));
        EXPECT_EQ(driver.countOf(("d" + word.substr(3)).c_str()), 0) << command;
    }
}

TEST_F(ScriptDriverCalls, ExtensionArgumentsAreConvertedToTheParameterTypes) {
    EXPECT_EQ(extensionCallsOf("EXTStencilFunc(2, 0, -1)", {"dStencilFunc"}),
              Calls{"dStencilFunc(2, 0, 4294967295)"});
    EXPECT_EQ(extensionCallsOf("EXTPolygonOffset(1, -2)", {"dPolygonOffset"}),
              Calls{"dPolygonOffset(1, -2)"});
    EXPECT_EQ(extensionCallsOf("EXTClearColor(1, 0, 0, 1)", {"dClearColor"}),
              Calls{"dClearColor(1, 0, 0, 1)"});
}

TEST_F(ScriptDriverCalls, MissingExtensionArgumentsAreZeroAndExtraOnesAreDropped) {
    EXPECT_EQ(extensionCallsOf("EXTViewport(7)", {"dViewport"}), Calls{"dViewport(7, 0, 0, 0)"});
    EXPECT_EQ(extensionCallsOf("EXTStencilSide(4097, 5, 6)", {"dStencilSide"}),
              Calls{"dStencilSide(4097)"});
}

TEST_F(ScriptDriverCalls, ExtensionCallNamesAreExactExportNames) {
    std::string boxes = boxesOf([&] { EXPECT_FALSE(compilePass("EXTstencilside(4096)")); });
    EXPECT_TRUE(contains(boxes, "WARNING: Failed to load ext func EXTstencilside\n"));
}

TEST_F(ScriptDriverCalls, RequiresOfAFunctionThatIsNoQueryNeverCallsIt) {
    driver.setResult("dStencilMaxVal", 8);
    for (const char* feature : {"SetVPProfile", "StencilMaxVal", "RegisterTexture"}) {
        EXPECT_FALSE(compilePass(std::string("Requires ") + feature)) << feature;
        EXPECT_TRUE(contains(error, "Could not find any useful technique"));
        EXPECT_EQ(driver.countOf(("d" + std::string(feature)).c_str()), 0) << feature;
    }
}

TEST_F(ScriptDriverCalls, RequiresStillQueriesAndSwitchesRealFeatures) {
    driver.setResult("dDepthClamp", true);
    auto technique = compilePass("Requires DepthClamp");
    ASSERT_TRUE(technique) << error;
    driver.clearCalls();
    only(*technique).apply();
    only(*technique).end();
    EXPECT_EQ(driver.callsTo({"dEnableDepthClamp", "dDisableDepthClamp"}),
              (Calls{"dEnableDepthClamp()", "dDisableDepthClamp()"}));
}

TEST_F(ScriptDriverCalls, ScissorScaleBeyondIntClampsTheRectangle) {
    auto technique = compilePass("ScissorScale 100000000000000000000000000000000");
    ASSERT_TRUE(technique) << error;
    RenderContext context;
    context.setScissor(100, 100, 40, 20);
    driver.clearCalls();
    only(*technique).applyObject(context);
    EXPECT_EQ(driver.callsTo({"dScissor"}),
              Calls{"dScissor(-2147483648, -2147483648, 2147483647, 2147483647)"});
}

}  // namespace
}  // namespace arvel::test
