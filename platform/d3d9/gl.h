// The OpenGL API the device calls: through libepoxy on the desktop, the
// OpenGL ES 3.0 headers in the browser build.
#pragma once

#include "d3d9/gl_flavour.h"

#if QUORL_GL_ES
#include <GLES3/gl3.h>
#include <GLES2/gl2ext.h>
#else
#include <epoxy/gl.h>
#endif
