// X11's WM_CLASS, kept apart because Xlib's macros (Bool, None, Status) clash with other code.
#include "win32/internal.h"

#include <SDL_syswm.h>

#include <X11/Xutil.h>

namespace win32 {

void SetX11WindowClass(SDL_Window* window, const char* className) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11)
        return;
    XClassHint hint;
    hint.res_name = const_cast<char*>(className);
    hint.res_class = const_cast<char*>(className);
    XSetClassHint(info.info.x11.display, info.info.x11.window, &hint);
}

}  // namespace win32
