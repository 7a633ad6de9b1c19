// Which OpenGL the layer runs on: OpenGL 3.3 core on the desktop, OpenGL ES
// 3.0 (WebGL 2) in the browser build. The device and the shader writer, which
// emits GLSL for it, must agree.
#pragma once

namespace d3d9
{
#if QUORL_GL_ES
constexpr bool kGlEs = true;
#else
constexpr bool kGlEs = false;
#endif
} // namespace d3d9
