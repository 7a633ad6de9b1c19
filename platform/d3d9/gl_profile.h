// What the two OpenGL flavours under the device do differently, kept in one
// place: gl_desktop.cpp for OpenGL 3.3 core, gl_es.cpp for OpenGL ES 3.0 as
// WebGL 2 gives it. ES has no texture swizzle, BGRA uploads or attributes,
// polygon modes, border clamping, LOD bias, sprite origin or base-vertex draws,
// and a buffer keeps the kind of the first binding it gets; the rest of the
// device is the same on both. The per-flavour format, address and fill-mode
// tables of translate.h live in these files too.
#pragma once

#include "d3d9/gl.h"
#include "d3d9/translate.h"

#include <SDL.h>

#include <cstdint>
#include <vector>

namespace d3d9
{
class GlState;

namespace profile
{
// Where base-vertex draws are missing, the device offsets the attribute
// pointers by the base vertex instead.
constexpr bool kBaseVertexDraws = !kGlEs;

// The context the device asks SDL for, set before it is created.
void RequestContext();
// Full screen as a device in exclusive mode has it: the display in the back
// buffer's mode, or the page's canvas filling the screen.
void EnterFullscreen(SDL_Window* window, const D3DPRESENT_PARAMETERS& params);
void LeaveFullscreen(SDL_Window* window);
// Shows the frame drawn into the window, and waits as long as the host wants
// between frames: on the desktop the swap interval, in the browser until it
// asks for the next frame.
void SwapWindow(SDL_Window* window);

// One-time state of a new, current context. Returns whether anisotropic
// filtering is available.
bool InitialiseContext();

// The bound texture's channel mapping for its format (GL_TEXTURE_2D, unit 0).
void SetSwizzle(const FormatInfo& info);
// The bytes that glTexImage2D/glTexSubImage2D take for `rows` rows of
// `width` texels stored as Direct3D lays them out: the pixels themselves, or
// a converted copy in `scratch`.
const void* UploadPixels(const FormatInfo& info, const uint8_t* pixels, UINT width, UINT rows,
                         std::vector<uint8_t>& scratch);
// Reads the bound read framebuffer, row 0 first, as D3DFMT_A8R8G8B8 texels.
void ReadArgb(GLsizei width, GLsizei height, uint32_t* argb);

void ClearDepth(float z);
void DepthRange(float nearZ, float farZ);
void PolygonMode(GLenum mode);
// The sampler states that only one flavour has: border colour and LOD bias.
void SetSamplerExtras(GLuint sampler, const DWORD* samplerStates);

// An indexed draw from the bound element buffer; without base-vertex draws
// the attribute pointers already carry the base vertex (kBaseVertexDraws).
void DrawIndexed(GLenum mode, GLsizei count, GLenum indexType, uintptr_t indexOffset, GLint baseVertex);
// glVertexAttribPointer for a declaration element's format.
void AttribPointer(GLuint location, const AttribFormat& format, GLsizei stride, uintptr_t offset);
// Binds a buffer for glBufferData/glBufferSubData and returns the target to
// name in them; index data goes through the element binding of `gl` on ES.
GLenum BindForUpload(GlState& gl, GLuint buffer, bool indices);
} // namespace profile
} // namespace d3d9
