// Statistics kept by the vertex-array family and read by the state family.
#pragma once

namespace arvel::varnet {

// Running total of index count / 3 over every dVARender call; never reset.
int renderedTriangles();

}  // namespace arvel::varnet
