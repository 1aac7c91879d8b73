// Loading render techniques in tests that draw with them or record what they send.
#pragma once

#include <gtest/gtest.h>

#include "core/Exception.h"
#include "render/RenderTechnique.h"
#include "render/ResourceRegistry.h"

namespace arvel::test {

// Loads the technique and hands it to owner. A load that throws is a test failure
// naming the cause; the technique is deleted and null returned.
inline RenderTechnique* loadInto(ResourceRegistry& owner, RenderTechnique* technique) {
    try {
        technique->load();
    } catch (Exception* e) {
        ADD_FAILURE() << e->what();
        delete e;
        delete technique;
        return nullptr;
    }
    owner.add(technique);
    return technique;
}

}  // namespace arvel::test
