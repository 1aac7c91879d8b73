// Joined after glsl120.glsl: the surface programs read their normals from the
// material's second texture instead of the vertices.
#define NORMAL_MAP 1
