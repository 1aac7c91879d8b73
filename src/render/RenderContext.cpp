#include "render/RenderContext.h"

namespace arvel {

RenderContext& renderContext() {
    static RenderContext context;
    return context;
}

}  // namespace arvel
