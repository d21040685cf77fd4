// The OpenGL, GLU and GLUT entry points that the page's GL emulation lacks
// or gets wrong, written here so that the game's own code runs unchanged in
// the browser. The emulation draws fixed-function OpenGL through WebGL 1;
// each piece below says what it replaces and why.
//
// - glMapBuffer, glUnmapBuffer: missing. A mapping is a block of page memory
//   the caller writes; at unmap, an index buffer's is sent whole, a vertex
//   buffer's is handed to BufferUploads, which sends it in pieces between
//   the page's tasks, and what is left of it before the next draw
//   (glDrawElements, glDrawArrays) or before that buffer is filled anew or
//   deleted. Only write access is offered: the contents are not read back,
//   nor zeroed first.
// Nothing here asks WebGL for state it must wait for: such a question waits
// for the frames still being drawn, which held the page up for most of each
// frame. What is needed is remembered as it is set.
// - glBufferData, glDeleteBuffers, glDrawElements: the emulation draws every
//   indexed draw with 16-bit indices, whatever type it is given. Index
//   buffers are therefore kept in page memory as well, and a draw with 32-bit
//   indices draws from a 16-bit copy of them, made once per upload (a draw
//   that names a vertex past 65,535 draws nothing: WebGL 1 cannot). The size
//   of every buffer is kept too, for mappings.
// - glPushAttrib, glPopAttrib, glPushClientAttrib, glPopClientAttrib:
//   missing. They save and restore the state the game changes inside its
//   brackets: enables, depth function and mask and the bound 2D texture; the
//   enabled client arrays and the buffer bindings. Array pointers are not
//   restored: nothing draws from them after a pop without setting them.
// - glDepthFunc, glDepthMask: passed on, and remembered for glPushAttrib.
// - glBindTexture: texture 0, OpenGL's default texture, has no image, and
//   OpenGL then draws untextured; WebGL samples black from it. The page binds
//   a white texture of one pixel in its place, which under the game's
//   modulating texture environment draws exactly the untextured colours.
// - glMultiDrawElementsBaseVertex: missing, and never called: the page
//   reports no base-vertex drawing, so the terrain draws region by region.
// - glTexEnvf: the emulation ignores the texture environment mode given as
//   a float (only glTexEnvi sets it).
// - glGetIntegerv: the emulation does not know the matrix stacks' depths
//   and asks WebGL, which logs an error each time; they are answered 0 here
//   (no limit known), so the model's walk keeps its matrices itself.
// - glShadeModel: WebGL shades smoothly, as the game asks; the emulation's
//   logs a reminder that it does nothing.
// - gluLookAt: the emulation's replaces the current matrix instead of
//   multiplying it, so a transform before it is lost.
// - glutSolidSphere: missing. The same sphere, drawn as one triangle strip
//   per stack.
// - glutWarpPointer: a page cannot move the system pointer; the page's own
//   pointer starts at the window centre instead (WebPage).
// - glutHideWindow, glutMainLoopEvent, glutExit: missing; the page has one
//   canvas, shown, and the browser runs its loop.
// - dl_iterate_phdr: missing; a page loads no shared libraries to list.

#define GL_GLEXT_PROTOTYPES
#include <GL/gl.h>
#include <GL/glext.h>
#include <GL/glu.h>
#include <GL/glut.h>
#include <emscripten.h>
#include <link.h>

#include "BufferUploads.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <vector>

// The emulation's own entry points, reached under their second name.
extern "C" {
void emscripten_glGetIntegerv(GLenum pname, GLint* data);
void emscripten_glBufferData(GLenum target, GLsizeiptr size, const void* data, GLenum usage);
void emscripten_glDeleteBuffers(GLsizei n, const GLuint* buffers);
void emscripten_glDrawElements(GLenum mode, GLsizei count, GLenum type, const void* indices);
void emscripten_glDrawArrays(GLenum mode, GLint first, GLsizei count);
void emscripten_glBindTexture(GLenum target, GLuint texture);
void emscripten_glDepthFunc(GLenum func);
void emscripten_glDepthMask(GLboolean flag);
}

namespace {

GLuint BoundBuffer(GLenum target)
{
    GLint name = 0;
    glGetIntegerv(target == GL_ELEMENT_ARRAY_BUFFER ? GL_ELEMENT_ARRAY_BUFFER_BINDING : GL_ARRAY_BUFFER_BINDING,
                  &name);
    return static_cast<GLuint>(name);
}

// A mapped buffer: where the caller writes, and which buffer of which target.
struct Mapping {
    GLenum target = 0;
    GLuint buffer = 0;
    std::unique_ptr<unsigned char[]> bytes;
    size_t size = 0;
};
Mapping mappings[2];  // GL_ARRAY_BUFFER, GL_ELEMENT_ARRAY_BUFFER

Mapping* MappingOf(GLenum target)
{
    if (target == GL_ARRAY_BUFFER)
        return &mappings[0];
    if (target == GL_ELEMENT_ARRAY_BUFFER)
        return &mappings[1];
    return nullptr;
}

// What the page keeps of each buffer: its size, for mappings (asking WebGL
// waits for the frames still being drawn), and for index buffers their
// contents and their 16-bit copy once a draw asked for one.
struct Buffer {
    size_t size = 0;
    std::vector<unsigned char> indices;  // an index buffer's bytes
    GLuint shortCopy = 0;                // 0 until made
    bool fitsShort = true;               // every 32-bit index below 65,536
};
std::map<GLuint, Buffer> buffers;

void Forget(GLuint name)
{
    const auto found = buffers.find(name);
    if (found == buffers.end())
        return;
    if (found->second.shortCopy != 0)
        emscripten_glDeleteBuffers(1, &found->second.shortCopy);
    buffers.erase(found);
}

// A new record for the buffer bound to target, whose contents are now bytes
// (size of them, or unknown when null).
void Record(GLenum target, const void* bytes, size_t size)
{
    const GLuint name = BoundBuffer(target);
    Forget(name);
    Buffer& buffer = buffers[name];
    buffer.size = size;
    if (target == GL_ELEMENT_ARRAY_BUFFER) {
        buffer.indices.assign(size, 0);
        if (bytes != nullptr && size > 0)
            std::memcpy(buffer.indices.data(), bytes, size);
    }
}

// The 16-bit copy of a buffer of 32-bit indices, made on its first draw.
GLuint ShortCopy(GLuint name, Buffer& buffer)
{
    if (buffer.shortCopy != 0 || !buffer.fitsShort)
        return buffer.shortCopy;
    const size_t count = buffer.indices.size() / sizeof(std::uint32_t);
    std::vector<std::uint16_t> shorts(count);
    for (size_t i = 0; i < count; i++) {
        std::uint32_t index;
        std::memcpy(&index, &buffer.indices[i * sizeof index], sizeof index);
        if (index > 0xFFFF) {
            buffer.fitsShort = false;
            return 0;
        }
        shorts[i] = static_cast<std::uint16_t>(index);
    }
    glGenBuffers(1, &buffer.shortCopy);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, buffer.shortCopy);
    emscripten_glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(shorts.size() * sizeof shorts[0]),
                            shorts.data(), GL_STATIC_DRAW);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, name);
    return buffer.shortCopy;
}

// A texture of one white pixel, made on first use; left bound.
GLuint WhiteTexture()
{
    static GLuint white = 0;
    if (white == 0) {
        const unsigned char pixel[4] = {255, 255, 255, 255};
        glGenTextures(1, &white);
        emscripten_glBindTexture(GL_TEXTURE_2D, white);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    }
    return white;
}

// Capabilities a glPushAttrib saves, by the group of state they belong to.
struct Capability {
    GLenum cap;
    GLbitfield group;
};
const Capability SavedCapabilities[] = {
    {GL_DEPTH_TEST, GL_ENABLE_BIT | GL_DEPTH_BUFFER_BIT},
    {GL_BLEND, GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT},
    {GL_CULL_FACE, GL_ENABLE_BIT | GL_POLYGON_BIT},
    {GL_LIGHTING, GL_ENABLE_BIT | GL_LIGHTING_BIT},
    {GL_FOG, GL_ENABLE_BIT | GL_FOG_BIT},
    {GL_ALPHA_TEST, GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT},
};
constexpr size_t CapabilityCount = sizeof SavedCapabilities / sizeof SavedCapabilities[0];

struct Attributes {
    GLbitfield mask;
    bool enabled[CapabilityCount];
    GLenum depthFunction;
    GLboolean depthMask;
    GLint texture;
};
GLenum depthFunction = GL_LESS;  // as set last, OpenGL's initial values at first
GLboolean depthMask = GL_TRUE;
std::vector<Attributes> attributeStack;

const GLenum ClientArrays[] = {GL_VERTEX_ARRAY, GL_NORMAL_ARRAY, GL_COLOR_ARRAY, GL_TEXTURE_COORD_ARRAY};
constexpr size_t ClientArrayCount = sizeof ClientArrays / sizeof ClientArrays[0];

struct ClientAttributes {
    GLbitfield mask;
    GLboolean enabled[ClientArrayCount];
    GLuint arrayBuffer;
    GLuint elementBuffer;
};
std::vector<ClientAttributes> clientStack;

void SetEnabled(GLenum cap, bool on)
{
    if (on)
        glEnable(cap);
    else
        glDisable(cap);
}

}  // namespace

extern "C" {

void* glMapBuffer(GLenum target, GLenum access)
{
    Mapping* mapping = MappingOf(target);
    if (mapping == nullptr || access == GL_READ_ONLY)
        return nullptr;
    const auto found = buffers.find(BoundBuffer(target));
    if (found == buffers.end() || found->first == 0 || found->second.size == 0)
        return nullptr;
    mapping->target = target;
    mapping->buffer = found->first;
    mapping->size = found->second.size;
    mapping->bytes.reset(new unsigned char[mapping->size]);
    return mapping->bytes.get();
}

GLboolean glUnmapBuffer(GLenum target)
{
    Mapping* mapping = MappingOf(target);
    if (mapping == nullptr || mapping->target != target)
        return GL_FALSE;
    if (target == GL_ELEMENT_ARRAY_BUFFER) {
        glBufferSubData(target, 0, static_cast<GLsizeiptr>(mapping->size), mapping->bytes.get());
        Record(target, mapping->bytes.get(), mapping->size);
        mapping->bytes.reset();
    } else {
        BufferUploads::Add(target, mapping->buffer, std::move(mapping->bytes), mapping->size);
    }
    mapping->target = 0;
    return GL_TRUE;
}

void glBufferData(GLenum target, GLsizeiptr size, const void* data, GLenum usage)
{
    BufferUploads::Finish(BoundBuffer(target));
    emscripten_glBufferData(target, size, data, usage);
    Record(target, data, size > 0 ? static_cast<size_t>(size) : 0);
}

void glDeleteBuffers(GLsizei n, const GLuint* names)
{
    for (GLsizei i = 0; i < n; i++) {
        BufferUploads::Finish(names[i]);
        Forget(names[i]);
    }
    emscripten_glDeleteBuffers(n, names);
}

void glDrawArrays(GLenum mode, GLint first, GLsizei count)
{
    BufferUploads::Finish();
    emscripten_glDrawArrays(mode, first, count);
}

void glDrawElements(GLenum mode, GLsizei count, GLenum type, const void* indices)
{
    BufferUploads::Finish();
    if (type != GL_UNSIGNED_INT) {
        emscripten_glDrawElements(mode, count, type, indices);
        return;
    }
    // Only indices in a buffer are converted; the game keeps no 32-bit ones in page memory.
    const GLuint name = BoundBuffer(GL_ELEMENT_ARRAY_BUFFER);
    const auto found = buffers.find(name);
    if (name == 0 || found == buffers.end())
        return;
    const GLuint copy = ShortCopy(name, found->second);
    if (copy == 0)
        return;
    const std::uintptr_t offset = reinterpret_cast<std::uintptr_t>(indices) / 2;
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, copy);
    emscripten_glDrawElements(mode, count, GL_UNSIGNED_SHORT, reinterpret_cast<const void*>(offset));
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, name);
}

void glMultiDrawElementsBaseVertex(GLenum, const GLsizei*, GLenum, const void* const*, GLsizei, const GLint*) {}

void glBindTexture(GLenum target, GLuint texture)
{
    if (target == GL_TEXTURE_2D && texture == 0)
        texture = WhiteTexture();
    emscripten_glBindTexture(target, texture);
}

void glDepthFunc(GLenum func)
{
    depthFunction = func;
    emscripten_glDepthFunc(func);
}

void glDepthMask(GLboolean flag)
{
    depthMask = flag;
    emscripten_glDepthMask(flag);
}

void glPushAttrib(GLbitfield mask)
{
    Attributes saved = {};
    saved.mask = mask;
    for (size_t i = 0; i < CapabilityCount; i++)
        saved.enabled[i] = glIsEnabled(SavedCapabilities[i].cap) == GL_TRUE;
    saved.depthFunction = depthFunction;
    saved.depthMask = depthMask;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &saved.texture);
    attributeStack.push_back(saved);
}

void glPopAttrib()
{
    if (attributeStack.empty())
        return;
    const Attributes saved = attributeStack.back();
    attributeStack.pop_back();
    for (size_t i = 0; i < CapabilityCount; i++) {
        if (saved.mask & SavedCapabilities[i].group)
            SetEnabled(SavedCapabilities[i].cap, saved.enabled[i]);
    }
    if (saved.mask & GL_DEPTH_BUFFER_BIT) {
        glDepthFunc(saved.depthFunction);
        glDepthMask(saved.depthMask);
    }
    if (saved.mask & GL_TEXTURE_BIT)
        glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(saved.texture));
}

void glPushClientAttrib(GLbitfield mask)
{
    ClientAttributes saved = {};
    saved.mask = mask;
    for (size_t i = 0; i < ClientArrayCount; i++)
        glGetBooleanv(ClientArrays[i], &saved.enabled[i]);
    saved.arrayBuffer = BoundBuffer(GL_ARRAY_BUFFER);
    saved.elementBuffer = BoundBuffer(GL_ELEMENT_ARRAY_BUFFER);
    clientStack.push_back(saved);
}

void glPopClientAttrib()
{
    if (clientStack.empty())
        return;
    const ClientAttributes saved = clientStack.back();
    clientStack.pop_back();
    if (!(saved.mask & GL_CLIENT_VERTEX_ARRAY_BIT))
        return;
    for (size_t i = 0; i < ClientArrayCount; i++) {
        if (saved.enabled[i])
            glEnableClientState(ClientArrays[i]);
        else
            glDisableClientState(ClientArrays[i]);
    }
    glBindBuffer(GL_ARRAY_BUFFER, saved.arrayBuffer);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, saved.elementBuffer);
}

void glGetIntegerv(GLenum pname, GLint* data)
{
    switch (pname) {
    case GL_MODELVIEW_STACK_DEPTH:
    case GL_MAX_MODELVIEW_STACK_DEPTH:
    case GL_PROJECTION_STACK_DEPTH:
    case GL_MAX_PROJECTION_STACK_DEPTH:
    case GL_TEXTURE_STACK_DEPTH:
    case GL_MAX_TEXTURE_STACK_DEPTH:
        *data = 0;
        return;
    default:
        emscripten_glGetIntegerv(pname, data);
    }
}

void glShadeModel(GLenum) {}

void glTexEnvf(GLenum target, GLenum pname, GLfloat param)
{
    glTexEnvi(target, pname, static_cast<GLint>(param));
}

// The view transform, multiplied onto the current matrix.
void gluLookAt(GLdouble eyeX, GLdouble eyeY, GLdouble eyeZ, GLdouble centerX, GLdouble centerY, GLdouble centerZ,
               GLdouble upX, GLdouble upY, GLdouble upZ)
{
    float forward[3] = {static_cast<float>(centerX - eyeX), static_cast<float>(centerY - eyeY),
                        static_cast<float>(centerZ - eyeZ)};
    const float up[3] = {static_cast<float>(upX), static_cast<float>(upY), static_cast<float>(upZ)};
    const auto normalize = [](float* v) {
        const float length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
        if (length == 0.0f)
            return;
        v[0] /= length;
        v[1] /= length;
        v[2] /= length;
    };
    const auto cross = [](const float* a, const float* b, float* out) {
        out[0] = a[1] * b[2] - a[2] * b[1];
        out[1] = a[2] * b[0] - a[0] * b[2];
        out[2] = a[0] * b[1] - a[1] * b[0];
    };
    normalize(forward);
    float side[3], trueUp[3];
    cross(forward, up, side);
    normalize(side);
    cross(side, forward, trueUp);

    // Column-major: the rows of the rotation are side, up and -forward.
    const GLfloat m[16] = {
        side[0], trueUp[0], -forward[0], 0.0f,
        side[1], trueUp[1], -forward[1], 0.0f,
        side[2], trueUp[2], -forward[2], 0.0f,
        0.0f,    0.0f,      0.0f,        1.0f,
    };
    glMultMatrixf(m);
    glTranslated(-eyeX, -eyeY, -eyeZ);
}

// A sphere about the origin with its poles on the z axis, normals outwards.
void glutSolidSphere(GLdouble radius, GLint slices, GLint stacks)
{
    if (slices < 1 || stacks < 1)
        return;
    const double pi = 3.141592653589793;
    for (int stack = 0; stack < stacks; stack++) {
        glBegin(GL_TRIANGLE_STRIP);
        for (int slice = 0; slice <= slices; slice++) {
            const double around = 2.0 * pi * (slice % slices) / slices;
            for (int ring = stack; ring <= stack + 1; ring++) {
                const double down = pi * ring / stacks;
                const float x = static_cast<float>(std::cos(around) * std::sin(down));
                const float y = static_cast<float>(std::sin(around) * std::sin(down));
                const float z = static_cast<float>(std::cos(down));
                glNormal3f(x, y, z);
                glVertex3f(static_cast<float>(x * radius), static_cast<float>(y * radius),
                           static_cast<float>(z * radius));
            }
        }
        glEnd();
    }
}

void glutWarpPointer(int, int) {}
void glutHideWindow() {}
void glutMainLoopEvent() {}
void glutExit() {}

int dl_iterate_phdr(int (*)(struct dl_phdr_info*, size_t, void*), void*)
{
    return 0;
}

}  // extern "C"
