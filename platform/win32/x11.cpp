// What the layer asks of X11 directly, kept apart because Xlib's macros (Bool,
// None, Status) clash with other code.
#include "win32/internal.h"

#include <SDL_syswm.h>

#include <X11/Xutil.h>

namespace win32
{

namespace
{

bool X11Info(SDL_Window* window, SDL_SysWMinfo& info)
{
    SDL_VERSION(&info.version);
    return SDL_GetWindowWMInfo(window, &info) && info.subsystem == SDL_SYSWM_X11;
}

} // namespace

bool X11HasInputFocus(SDL_Window* window)
{
    SDL_SysWMinfo info;
    if (!X11Info(window, info))
        return false;
    ::Window focus = 0;
    int revert = 0;
    XGetInputFocus(info.info.x11.display, &focus, &revert);
    return focus == info.info.x11.window;
}

void SetX11WindowClass(SDL_Window* window, const char* className)
{
    SDL_SysWMinfo info;
    if (!X11Info(window, info))
        return;
    XClassHint hint;
    hint.res_name = const_cast<char*>(className);
    hint.res_class = const_cast<char*>(className);
    XSetClassHint(info.info.x11.display, info.info.x11.window, &hint);
}

} // namespace win32
