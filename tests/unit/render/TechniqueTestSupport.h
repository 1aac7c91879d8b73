// Compiling techniques in tests: the render test folder and recording driver, with
// driver exports found by name answered by the recording driver, and helpers that
// compile a script text and report the compiler's message.
#pragma once

#include <memory>
#include <set>
#include <string>

#include "RenderTestSupport.h"
#include "console/Settings.h"
#include "core/Exception.h"
#include "driver/Driver.h"
#include "render/RenderTechnique.h"
#include "render/ResourceRegistry.h"

namespace arvel::test {

// Whether text contains part, showing the text when it does not.
inline ::testing::AssertionResult contains(const std::string& text, const std::string& part) {
    if (text.find(part) != std::string::npos) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "\"" << part << "\" not in \"" << text << "\"";
}

// A recognisable non-null handle for results the recording driver hands out.
template <typename T>
T* fakeHandle(int which) {
    static char storage[64];
    return reinterpret_cast<T*>(&storage[which % 64]);
}

class TechniqueTest : public RenderTest {
protected:
    TechniqueTest() {
        settings().gfxScissor.flag = true;
        settings().gfxHwOcclusionCulling.flag = true;
        exportsWithout({});
    }
    ~TechniqueTest() override { setDriverSymbolLookup({}); }

    // Exports found by name are the recording driver's, less the omitted names.
    void exportsWithout(std::set<std::string> omitted) {
        setDriverSymbolLookup(driver.lookup(std::move(omitted)));
    }

    // Compiles text into a fresh technique with the test's registries; null on an error,
    // whose message is kept in error.
    std::unique_ptr<RenderTechnique> compile(const std::string& text, bool shared = true) {
        auto technique = std::make_unique<RenderTechnique>("test.rt", shared ? &programs : nullptr,
                                                           shared ? &textures : nullptr);
        error.clear();
        try {
            technique->compile(text.c_str());
        } catch (Exception* e) {
            error = e->what();
            delete e;
            return nullptr;
        }
        return technique;
    }

    // The single ambient pass of a script "Ambient { impl { Pass { body } } }".
    std::unique_ptr<RenderTechnique> compilePass(const std::string& body, bool shared = true) {
        auto technique = compile("Ambient { impl { Pass { " + body + " } } }", shared);
        if (technique && technique->ambientPasses().size() != 1) ADD_FAILURE() << "not one pass";
        return technique;
    }

    static const Pass& only(const RenderTechnique& technique) {
        return *technique.ambientPasses().at(0);
    }

    // Declared before the techniques tests create, so they outlive them.
    ResourceRegistry programs;
    ResourceRegistry textures;
    std::string error;
};

}  // namespace arvel::test
