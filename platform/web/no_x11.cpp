// The layer's questions to X11 have no X server to ask in the browser: the
// page's canvas is the one window, and SDL reports its focus itself.
#include "win32/internal.h"

namespace win32
{

bool X11HasInputFocus(SDL_Window*)
{
    return false;
}

void SetX11WindowClass(SDL_Window*, const char*) {}

} // namespace win32
