// Fixed-function render state, matrices, occlusion queries and immediate drawing:
// the interface's integer codes translated into OpenGL calls, with each optional
// feature degrading to a no-op (or its neutral result) where the context lacks it.
#include <cstddef>
#include <new>
#include <vector>

#include "varnet/EntryPoints.h"
#include "varnet/Exports.h"
#include "varnet/Extensions.h"
#include "varnet/VertexArrays.h"

namespace arvel {

// The query names of one dGenOcclusionQueries call. started marks the names that have
// been begun at least once: asking a never-begun query for its count is an API error.
// A query index may be begun several times before it is read (one object drawn as
// several batches, each pass wrapped in the query): GL restarts the count at every
// begin, so what the earlier runs counted is kept in earlier and added when read.
// unread marks an index begun since its count was last read; the first begin after a
// read starts a fresh count.
struct DOcclusionQueries {
    std::vector<GLuint> names;
    std::vector<char> started;
    std::vector<char> unread;
    std::vector<GLuint> earlier;
};

namespace {

using varnet::gExt;
using varnet::gl;

// Comparison codes 1 to 8; 0 for codes that leave the state unchanged.
GLenum comparison(int code) {
    switch (code) {
        case dcode::kNever:
            return GL_NEVER;
        case dcode::kAlways:
            return GL_ALWAYS;
        case dcode::kLess:
            return GL_LESS;
        case dcode::kLessEqual:
            return GL_LEQUAL;
        case dcode::kGreater:
            return GL_GREATER;
        case dcode::kGreaterEqual:
            return GL_GEQUAL;
        case dcode::kEqual:
            return GL_EQUAL;
        case dcode::kNotEqual:
            return GL_NOTEQUAL;
        default:
            return 0;
    }
}

GLenum stencilOperation(int code) {
    switch (code) {
        case dcode::kZero:
            return GL_ZERO;
        case dcode::kReplace:
            return GL_REPLACE;
        case dcode::kIncrement:
            return GL_INCR;
        case dcode::kDecrement:
            return GL_DECR;
        case dcode::kInvert:
            return GL_INVERT;
        case dcode::kIncrementWrap:
            return gExt.EXT_stencil_wrap ? GL_INCR_WRAP_EXT : GL_INCR;
        case dcode::kDecrementWrap:
            return gExt.EXT_stencil_wrap ? GL_DECR_WRAP_EXT : GL_DECR;
        default:
            return GL_KEEP;
    }
}

// A factor byte above 7 hands the whole mode word to the API, so callers can pass
// factors the byte codes do not name.
GLenum sourceFactor(unsigned mode) {
    static const GLenum kFactors[8] = {GL_ZERO,      GL_ONE,
                                       GL_DST_COLOR, GL_ONE_MINUS_DST_COLOR,
                                       GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA,
                                       GL_DST_ALPHA, GL_ONE_MINUS_DST_ALPHA};
    const unsigned code = mode & 0xFF;
    return code < 8 ? kFactors[code] : static_cast<GLenum>(mode);
}

GLenum destinationFactor(unsigned mode) {
    static const GLenum kFactors[8] = {GL_ZERO,      GL_ONE,
                                       GL_SRC_COLOR, GL_ONE_MINUS_SRC_COLOR,
                                       GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA,
                                       GL_DST_ALPHA, GL_ONE_MINUS_DST_ALPHA};
    const unsigned code = (mode >> 8) & 0xFF;
    return code < 8 ? kFactors[code] : static_cast<GLenum>(mode);
}

bool lowByte(dbool value) { return (value & 0xFF) != 0; }

bool twoSidedStencil() { return gExt.EXT_stencil_two_side && gl.glActiveStencilFaceEXT; }

bool separateBlend() { return gExt.EXT_blend_func_separate && gl.glBlendFuncSeparateEXT; }

// Occlusion queries: NV_occlusion_query where present, else the ARB or core sample
// queries, which count the same samples and wait the same way.
struct QueryApi {
    enum Kind { kNone, kNV, kSamples } kind = kNone;
    PFNGLGENQUERIESPROC generate = nullptr;
    PFNGLDELETEQUERIESPROC remove = nullptr;
    // Sample queries only; NV calls go through gl directly.
    PFNGLBEGINQUERYPROC begin = nullptr;
    PFNGLENDQUERYPROC end = nullptr;
    PFNGLGETQUERYOBJECTUIVPROC result = nullptr;
};

QueryApi samples(PFNGLGENQUERIESPROC generate, PFNGLDELETEQUERIESPROC remove,
                 PFNGLBEGINQUERYPROC begin, PFNGLENDQUERYPROC end,
                 PFNGLGETQUERYOBJECTUIVPROC result) {
    if (!generate || !remove || !begin || !end || !result) return {};
    return {QueryApi::kSamples, generate, remove, begin, end, result};
}

QueryApi queryApi() {
    if (gExt.NV_occlusion_query && gl.glGenOcclusionQueriesNV && gl.glDeleteOcclusionQueriesNV &&
        gl.glBeginOcclusionQueryNV && gl.glEndOcclusionQueryNV && gl.glGetOcclusionQueryuivNV)
        return {QueryApi::kNV, gl.glGenOcclusionQueriesNV, gl.glDeleteOcclusionQueriesNV};
    QueryApi api;
    if (gExt.ARB_occlusion_query)
        api = samples(gl.glGenQueriesARB, gl.glDeleteQueriesARB, gl.glBeginQueryARB,
                      gl.glEndQueryARB, gl.glGetQueryObjectuivARB);
    if (api.kind == QueryApi::kNone && gExt.version15)
        api = samples(gl.glGenQueries, gl.glDeleteQueries, gl.glBeginQuery, gl.glEndQuery,
                      gl.glGetQueryObjectuiv);
    return api;
}

// Set between a begin and its end, so that a stray end is not sent to the API.
bool gQueryRunning = false;

bool validQuery(int index, const DOcclusionQueries* queries) {
    return queries && index >= 0 && static_cast<std::size_t>(index) < queries->names.size();
}

void vertex(const DVec4& p) { glVertex3f(p.x, p.y, p.z); }

bool complete(const RenderVertex* v) { return v && v->position && v->texCoord; }

void immediateVertex(const RenderVertex* v) {
    glTexCoord2f(v->texCoord->u, v->texCoord->v);
    glVertex3f(v->position->x, v->position->y, v->position->z);
}

}  // namespace

// Statistics and colour

int dNumRenderedTris() { return varnet::renderedTriangles(); }

void dViewport(int x, int y, int width, int height) { glViewport(x, y, width, height); }

void dColor3(float r, float g, float b) { glColor3f(r, g, b); }

void dColor4(float r, float g, float b, float a) { glColor4f(r, g, b, a); }

void dColor3v(const float* rgb) {
    if (rgb) glColor3fv(rgb);
}

void dColor4v(const float* rgba) {
    if (rgba) glColor4fv(rgba);
}

// Polygon offset, depth and colour writes

void dPolygonOffset(float factor, float units) { glPolygonOffset(factor, units); }

void dEnableOffset() { glEnable(GL_POLYGON_OFFSET_FILL); }

void dDisableOffset() { glDisable(GL_POLYGON_OFFSET_FILL); }

void dDepthFunc(int code) {
    if (const GLenum function = comparison(code)) glDepthFunc(function);
}

void dDepthMask(dbool write) { glDepthMask(lowByte(write) ? GL_TRUE : GL_FALSE); }

void dColorMask(dbool r, dbool g, dbool b, dbool a) {
    auto on = [](dbool value) { return (value & 0xFF) == 1 ? GL_TRUE : GL_FALSE; };
    glColorMask(on(r), on(g), on(b), on(a));
}

void dEnableDepth() { glEnable(GL_DEPTH_TEST); }

void dDisableDepth() { glDisable(GL_DEPTH_TEST); }

// Blending

bool dSeparateBlendFunc() { return separateBlend(); }

void dBlendFuncSeparate(unsigned colourMode, unsigned alphaMode) {
    if (!separateBlend()) {
        dBlendFunc(colourMode);
        return;
    }
    gl.glBlendFuncSeparateEXT(sourceFactor(colourMode), destinationFactor(colourMode),
                              sourceFactor(alphaMode), destinationFactor(alphaMode));
}

void dBlendFunc(unsigned mode) { glBlendFunc(sourceFactor(mode), destinationFactor(mode)); }

void dEnableBlend() { glEnable(GL_BLEND); }

void dDisableBlend() { glDisable(GL_BLEND); }

void dEnableSeparateBlendFunc() { dEnableBlend(); }

void dDisableSeparateBlendFunc() { dDisableBlend(); }

// Alpha test and culling

void dAlphaFunc(int code, float reference) {
    if (const GLenum function = comparison(code)) glAlphaFunc(function, reference);
}

void dEnableAlphaTest() { glEnable(GL_ALPHA_TEST); }

void dDisableAlphaTest() { glDisable(GL_ALPHA_TEST); }

void dEnableCull() { glEnable(GL_CULL_FACE); }

void dDisableCull() { glDisable(GL_CULL_FACE); }

void dCullFace(int face) {
    if (face == dcode::kFront)
        glCullFace(GL_FRONT);
    else if (face == dcode::kBack)
        glCullFace(GL_BACK);
}

void dFrontFace(int winding) {
    if (winding == dcode::kClockwise)
        glFrontFace(GL_CW);
    else if (winding == dcode::kCounterClockwise)
        glFrontFace(GL_CCW);
}

// Stencil. Two-sided state goes through EXT_stencil_two_side only: its back-face
// state is separate from that of glStencilOpSeparate, so the two must not be mixed.

void dEnableStencil() { glEnable(GL_STENCIL_TEST); }

void dDisableStencil() { glDisable(GL_STENCIL_TEST); }

void dStencilFunc(int code, int reference, unsigned mask) {
    if (const GLenum function = comparison(code)) glStencilFunc(function, reference, mask);
}

void dStencilOp(int stencilFail, int depthFail, int depthPass) {
    glStencilOp(stencilOperation(stencilFail), stencilOperation(depthFail),
                stencilOperation(depthPass));
}

bool dTwoSidedStencil() { return twoSidedStencil(); }

void dEnableTwoSidedStencil() {
    glEnable(GL_STENCIL_TEST);
    if (twoSidedStencil()) glEnable(GL_STENCIL_TEST_TWO_SIDE_EXT);
}

void dDisableTwoSidedStencil() {
    glDisable(GL_STENCIL_TEST);
    if (twoSidedStencil()) {
        gl.glActiveStencilFaceEXT(GL_FRONT);
        glDisable(GL_STENCIL_TEST_TWO_SIDE_EXT);
    }
}

void dStencilSide(int face) {
    if (twoSidedStencil()) gl.glActiveStencilFaceEXT(face == dcode::kFront ? GL_FRONT : GL_BACK);
}

// Scissor and polygon mode

void dScissor(int x, int y, int width, int height) { glScissor(x, y, width, height); }

void dEnableScissor() { glEnable(GL_SCISSOR_TEST); }

void dDisableScissor() { glDisable(GL_SCISSOR_TEST); }

void dWireframe(dbool on) { glPolygonMode(GL_FRONT_AND_BACK, lowByte(on) ? GL_LINE : GL_FILL); }

// Occlusion queries

bool dOcclusionCulling() { return queryApi().kind != QueryApi::kNone; }

DOcclusionQueries* dGenOcclusionQueries(int count) {
    const QueryApi api = queryApi();
    if (api.kind == QueryApi::kNone || count < 0) return nullptr;
    // Out of memory for the names is "no queries", not an exception through the
    // interface.
    auto* queries = new (std::nothrow) DOcclusionQueries;
    if (!queries) return nullptr;
    try {
        queries->names.assign(static_cast<std::size_t>(count), 0);
        queries->started.assign(static_cast<std::size_t>(count), 0);
        queries->unread.assign(static_cast<std::size_t>(count), 0);
        queries->earlier.assign(static_cast<std::size_t>(count), 0);
    } catch (const std::bad_alloc&) {
        delete queries;
        return nullptr;
    }
    if (count > 0) api.generate(count, queries->names.data());
    return queries;
}

// The array knows its own size; the count argument is not trusted.
void dDeleteOcclusionQueries(int, DOcclusionQueries* queries) {
    const QueryApi api = queryApi();
    if (api.kind == QueryApi::kNone || !queries) return;
    dEndOcclusionQuery();  // the running query may be one of these
    const auto count = static_cast<GLsizei>(queries->names.size());
    if (count > 0) api.remove(count, queries->names.data());
    delete queries;
}

namespace {

// The count of an ended query, waiting for it.
GLuint queryResult(const QueryApi& api, GLuint name) {
    GLuint pixels = 0;
    if (api.kind == QueryApi::kNV)
        gl.glGetOcclusionQueryuivNV(name, GL_PIXEL_COUNT_NV, &pixels);
    else
        api.result(name, GL_QUERY_RESULT, &pixels);
    return pixels;
}

}  // namespace

void dBeginOcclusionQuery(int index, DOcclusionQueries* queries) {
    const QueryApi api = queryApi();
    if (api.kind == QueryApi::kNone || gQueryRunning || !validQuery(index, queries)) return;
    const auto slot = static_cast<std::size_t>(index);
    const GLuint name = queries->names[slot];
    if (queries->unread[slot]) {
        // Begun again before being read: keep what the ended run counted.
        queries->earlier[slot] += queryResult(api, name);
    } else {
        queries->earlier[slot] = 0;
    }
    if (api.kind == QueryApi::kNV)
        gl.glBeginOcclusionQueryNV(name);
    else
        api.begin(GL_SAMPLES_PASSED, name);
    queries->started[slot] = 1;
    queries->unread[slot] = 1;
    gQueryRunning = true;
}

void dEndOcclusionQuery() {
    const QueryApi api = queryApi();
    if (api.kind == QueryApi::kNone || !gQueryRunning) return;
    if (api.kind == QueryApi::kNV)
        gl.glEndOcclusionQueryNV();
    else
        api.end(GL_SAMPLES_PASSED);
    gQueryRunning = false;
}

// A query that cannot answer (bad index, never begun) reports -1, which callers treat
// as "visible" and so never wrongly drop anything.
int dGetVisiblePixels(int index, DOcclusionQueries* queries) {
    const QueryApi api = queryApi();
    if (api.kind == QueryApi::kNone || !validQuery(index, queries)) return -1;
    if (!queries->started[static_cast<std::size_t>(index)]) return -1;
    const auto slot = static_cast<std::size_t>(index);
    const GLuint pixels = queries->earlier[slot] + queryResult(api, queries->names[slot]);
    queries->unread[slot] = 0;
    return static_cast<int>(pixels);
}

void dEnableOcclusion() {}

void dDisableOcclusion() {}

void dRenderTriStrip() {}

void dRenderShadowVolume() {}

// Depth clamp

bool dDepthClamp() { return gExt.NV_depth_clamp; }

void dEnableDepthClamp() {
    if (gExt.NV_depth_clamp) glEnable(GL_DEPTH_CLAMP_NV);
}

void dDisableDepthClamp() {
    if (gExt.NV_depth_clamp) glDisable(GL_DEPTH_CLAMP_NV);
}

// Matrices

void dMatrixMode(int mode) {
    if (mode == dcode::kProjection) {
        glMatrixMode(GL_PROJECTION);
    } else if (mode == dcode::kModelView) {
        glMatrixMode(GL_MODELVIEW);
    } else if (mode >= dcode::kTextureMatrix && mode < dcode::kTextureMatrix + 32) {
        const int unit = mode - dcode::kTextureMatrix;
        if (gl.glActiveTextureARB)
            gl.glActiveTextureARB(GL_TEXTURE0_ARB + unit);
        else if (unit != 0)
            return;
        glMatrixMode(GL_TEXTURE);
    }
}

void dMatrix(const float* m) {
    if (m) glLoadMatrixf(m);
}

void dLoadIdentity() { glLoadIdentity(); }

void dPushMatrix() { glPushMatrix(); }

void dPopMatrix() { glPopMatrix(); }

void dOrtho(float left, float right, float bottom, float top, float zNear, float zFar) {
    glOrtho(left, right, bottom, top, zNear, zFar);
}

void dFrustum(float left, float right, float bottom, float top, float zNear, float zFar) {
    glFrustum(left, right, bottom, top, zNear, zFar);
}

void dScale(float x, float y, float z) { glScalef(x, y, z); }

void dTranslate(float x, float y, float z) { glTranslatef(x, y, z); }

void dRotate(float degrees, float x, float y, float z) { glRotatef(degrees, x, y, z); }

// Immediate drawing. A primitive with a missing vertex record is not drawn at all.

void dRenderQuad(const RenderVertex* a, const RenderVertex* b, const RenderVertex* c,
                 const RenderVertex* d) {
    if (!complete(a) || !complete(b) || !complete(c) || !complete(d)) return;
    glBegin(GL_QUADS);
    immediateVertex(a);
    immediateVertex(b);
    immediateVertex(c);
    immediateVertex(d);
    glEnd();
}

void dRenderTriangle(const RenderVertex* a, const RenderVertex* b, const RenderVertex* c) {
    if (!complete(a) || !complete(b) || !complete(c)) return;
    glBegin(GL_TRIANGLES);
    immediateVertex(a);
    immediateVertex(b);
    immediateVertex(c);
    glEnd();
}

// Blue is drawn last, so it stays the current colour.
void dRenderCoordSystem(DVec4 origin, DVec4 xAxis, DVec4 yAxis, DVec4 zAxis) {
    const DVec4 axes[3] = {xAxis, yAxis, zAxis};
    const float colours[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    glBegin(GL_LINES);
    for (int i = 0; i < 3; ++i) {
        glColor3fv(colours[i]);
        vertex(origin);
        vertex({origin.x + axes[i].x, origin.y + axes[i].y, origin.z + axes[i].z, 0});
    }
    glEnd();
}

void dRenderLine(DVec4 from, DVec4 to) {
    glBegin(GL_LINES);
    vertex(from);
    vertex(to);
    glEnd();
}

}  // namespace arvel
