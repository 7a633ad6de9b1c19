// Window classes and windows, each window an SDL window whose size is the
// Win32 client area; the non-client frame exists only in the metrics.
#include "win32/internal.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <unordered_map>
#include <vector>

namespace
{

// Fixed metrics of a Windows 10 desktop at 96 dpi.
constexpr LONG kBorder = 1;
constexpr LONG kFixedFrame = 3;
constexpr LONG kSizingFrame = 8;
constexpr LONG kCaption = 23;
constexpr LONG kMenu = 20;

std::vector<std::shared_ptr<win32::WindowClass>> g_Classes;
std::unordered_map<HWND, std::shared_ptr<win32::Window>> g_Windows;
std::unordered_map<Uint32, HWND> g_WindowsBySdlId;
ATOM g_NextAtom = 0xC000;
uintptr_t g_NextHandle = 0x10010;

std::atomic<bool> g_VideoUp{false};
std::thread::id g_VideoThread;

HINSTANCE NormalInstance(HINSTANCE instance)
{
    // Win32 treats a null instance as the executable's.
    return instance ? instance : GetModuleHandleA(nullptr);
}

bool SameName(const std::string& a, const char* b)
{
    const size_t n = a.size();
    for (size_t i = 0; i < n; ++i)
    {
        if (b[i] == '\0' ||
            std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return b[n] == '\0';
}

// Class names may be given as an atom, as MAKEINTATOM does.
std::shared_ptr<win32::WindowClass> FindClass(LPCSTR name, HINSTANCE instance)
{
    for (const auto& cls : g_Classes)
    {
        if (cls->instance != instance)
            continue;
        if (IS_INTRESOURCE(name) ? cls->atom == reinterpret_cast<ULONG_PTR>(name) : SameName(cls->name, name))
            return cls;
    }
    return nullptr;
}

LRESULT CallProc(const win32::Window& window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    return window.proc(window.handle, msg, wParam, lParam);
}

// Takes the window out of every table and frees its SDL window; the caller sent the messages.
void Forget(const std::shared_ptr<win32::Window>& window)
{
    {
        std::lock_guard<std::mutex> lock(win32::StateMutex());
        g_Windows.erase(window->handle);
        g_WindowsBySdlId.erase(window->sdlId);
        --window->cls->liveWindows;
        win32::DropMessagesFor(*window);
    }
    if (window->destroyHook)
        window->destroyHook(window->destroyHookContext);
    SDL_DestroyWindow(window->sdl);
    window->sdl = nullptr;
}

} // namespace

namespace win32
{

std::mutex& StateMutex()
{
    static std::mutex mutex;
    return mutex;
}

std::shared_ptr<Window> LookupWindow(HWND hWnd)
{
    const auto it = g_Windows.find(hWnd);
    return it == g_Windows.end() ? nullptr : it->second;
}

std::shared_ptr<Window> WindowForCall(HWND hWnd, Caller caller)
{
    auto window = LookupWindow(hWnd);
    if (!window)
    {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    if (caller == Caller::Owner && window->owner != std::this_thread::get_id())
    {
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    return window;
}

std::shared_ptr<Window> LookupWindowBySdlId(Uint32 id)
{
    const auto it = g_WindowsBySdlId.find(id);
    return it == g_WindowsBySdlId.end() ? nullptr : LookupWindow(it->second);
}

std::shared_ptr<Window> LookupWindowWithHostFocus()
{
    for (const auto& entry : g_WindowsBySdlId)
    {
        const auto window = LookupWindow(entry.second);
        if (window && window->sdl && X11HasInputFocus(window->sdl))
            return window;
    }
    return nullptr;
}

bool ConnectToDisplay(bool (*connect)())
{
    const char* x11 = SDL_getenv("DISPLAY");
    const char* wayland = SDL_getenv("WAYLAND_DISPLAY");
    bool named = (x11 && *x11) || (wayland && *wayland);
    // Two seconds at most: long enough for a loaded server to catch up, short
    // enough that a display that is really gone ends the run soon.
    for (int attempt = 0;; ++attempt)
    {
        if (connect())
            return true;
        if (!named || attempt == 40)
            return false;
        SDL_Delay(50);
    }
}

bool EnsureVideo()
{
    if (g_VideoUp.load())
        return true;
    // Keep the default SIGINT/SIGTERM behaviour: SDL's quit event is not how windows close.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (!ConnectToDisplay([] { return SDL_InitSubSystem(SDL_INIT_VIDEO) == 0; }))
        return false;
    g_VideoThread = std::this_thread::get_id();
    g_VideoUp.store(true);
    return true;
}

bool IsVideoThread()
{
    return g_VideoUp.load() && g_VideoThread == std::this_thread::get_id();
}

RECT FrameFor(DWORD style, BOOL menu)
{
    LONG side = 0;
    if (style & WS_THICKFRAME)
        side = kSizingFrame;
    else if (style & WS_DLGFRAME)
        side = kFixedFrame;
    else if (style & WS_BORDER)
        side = kBorder;
    LONG top = side;
    if ((style & WS_CAPTION) == WS_CAPTION)
        top += kCaption;
    if (menu)
        top += kMenu;
    return RECT{side, top, side, side};
}

} // namespace win32

SDL_Window* Win32GetSdlWindow(HWND hWnd)
{
    std::lock_guard<std::mutex> lock(win32::StateMutex());
    const auto window = win32::LookupWindow(hWnd);
    return window ? window->sdl : nullptr;
}

void Win32SetDestroyHook(HWND hWnd, Win32DestroyHook hook, void* context)
{
    std::lock_guard<std::mutex> lock(win32::StateMutex());
    if (const auto window = win32::LookupWindow(hWnd))
    {
        window->destroyHook = hook;
        window->destroyHookContext = context;
    }
}

bool Win32WindowHasFocus(HWND hWnd)
{
    std::lock_guard<std::mutex> lock(win32::StateMutex());
    const auto window = win32::LookupWindow(hWnd);
    return window && window->focused;
}

ATOM WINAPI RegisterClassA(const WNDCLASSA* lpWndClass)
{
    if (lpWndClass == nullptr || lpWndClass->lpfnWndProc == nullptr || lpWndClass->lpszClassName == nullptr ||
        IS_INTRESOURCE(lpWndClass->lpszClassName))
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const HINSTANCE instance = NormalInstance(lpWndClass->hInstance);
    std::lock_guard<std::mutex> lock(win32::StateMutex());
    if (FindClass(lpWndClass->lpszClassName, instance))
    {
        SetLastError(ERROR_CLASS_ALREADY_EXISTS);
        return 0;
    }
    if (g_NextAtom == 0)
    {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
    auto cls = std::make_shared<win32::WindowClass>();
    cls->name = lpWndClass->lpszClassName;
    cls->atom = g_NextAtom++;
    cls->instance = instance;
    cls->style = lpWndClass->style;
    cls->proc = lpWndClass->lpfnWndProc;
    cls->cursor = lpWndClass->hCursor;
    cls->background = lpWndClass->hbrBackground;
    cls->icon = lpWndClass->hIcon;
    g_Classes.push_back(cls);
    return cls->atom;
}

BOOL WINAPI UnregisterClassA(LPCSTR lpClassName, HINSTANCE hInstance)
{
    if (lpClassName == nullptr)
    {
        SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
        return FALSE;
    }
    std::lock_guard<std::mutex> lock(win32::StateMutex());
    const auto cls = FindClass(lpClassName, NormalInstance(hInstance));
    if (!cls)
    {
        SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
        return FALSE;
    }
    if (cls->liveWindows > 0)
    {
        SetLastError(ERROR_CLASS_HAS_WINDOWS);
        return FALSE;
    }
    g_Classes.erase(std::find(g_Classes.begin(), g_Classes.end(), cls));
    return TRUE;
}

BOOL WINAPI AdjustWindowRect(LPRECT lpRect, DWORD dwStyle, BOOL bMenu)
{
    if (lpRect == nullptr)
    {
        SetLastError(ERROR_NOACCESS);
        return FALSE;
    }
    const RECT frame = win32::FrameFor(dwStyle, bMenu);
    lpRect->left -= frame.left;
    lpRect->top -= frame.top;
    lpRect->right += frame.right;
    lpRect->bottom += frame.bottom;
    return TRUE;
}

HWND WINAPI CreateWindowExA(DWORD dwExStyle, LPCSTR lpClassName, LPCSTR lpWindowName, DWORD dwStyle, int X, int Y,
                            int nWidth, int nHeight, HWND hWndParent, HMENU hMenu, HINSTANCE hInstance, LPVOID lpParam)
{
    if (lpClassName == nullptr)
    {
        SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
        return nullptr;
    }
    // Only top-level windows are needed here: no children, owners or menus.
    if ((dwStyle & WS_CHILD) || hWndParent != nullptr)
    {
        SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
        return nullptr;
    }
    if (hMenu != nullptr)
    {
        SetLastError(ERROR_INVALID_MENU_HANDLE);
        return nullptr;
    }
    const HINSTANCE instance = NormalInstance(hInstance);
    std::shared_ptr<win32::WindowClass> cls;
    {
        std::lock_guard<std::mutex> lock(win32::StateMutex());
        cls = FindClass(lpClassName, instance);
    }
    if (!cls)
    {
        SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
        return nullptr;
    }

    // As in Win32, an overlapped window always has a caption.
    const bool popup = (dwStyle & WS_POPUP) != 0;
    if (!popup)
        dwStyle |= WS_CAPTION | WS_CLIPSIBLINGS;

    // One SDL thread owns video and every window.
    if (!win32::EnsureVideo())
    {
        SetLastError(ERROR_GEN_FAILURE);
        return nullptr;
    }
    if (!win32::IsVideoThread())
    {
        SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
        return nullptr;
    }

    const RECT frame = win32::FrameFor(dwStyle, FALSE);
    bool placeBySystem = false;
    if (X == CW_USEDEFAULT)
    {
        if (popup)
            X = Y = 0;
        else
            placeBySystem = true;
    }
    if (nWidth == CW_USEDEFAULT)
    {
        if (popup)
        {
            nWidth = nHeight = 0;
        }
        else
        {
            SDL_Rect display{0, 0, 1024, 768};
            SDL_GetDisplayBounds(0, &display);
            nWidth = display.w * 3 / 4;
            nHeight = display.h * 3 / 4;
        }
    }
    const int clientWidth = std::max(1, nWidth - static_cast<int>(frame.left + frame.right));
    const int clientHeight = std::max(1, nHeight - static_cast<int>(frame.top + frame.bottom));
    const int clientX = placeBySystem ? static_cast<int>(SDL_WINDOWPOS_CENTERED) : X + frame.left;
    const int clientY = placeBySystem ? static_cast<int>(SDL_WINDOWPOS_CENTERED) : Y + frame.top;

    Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN;
    if ((dwStyle & WS_CAPTION) != WS_CAPTION && frame.left == 0)
        flags |= SDL_WINDOW_BORDERLESS;
    if (dwStyle & WS_THICKFRAME)
        flags |= SDL_WINDOW_RESIZABLE;

    const char* className = cls->name.c_str();
    SDL_SetHint("SDL_VIDEO_X11_WMCLASS", className);
    SDL_Window* sdl =
        SDL_CreateWindow(lpWindowName ? lpWindowName : "", clientX, clientY, clientWidth, clientHeight, flags);
    if (sdl == nullptr)
    {
        SetLastError(ERROR_GEN_FAILURE);
        return nullptr;
    }
    // SDL reads its WM_CLASS setting once at start-up, so each window gets its class here.
    win32::SetX11WindowClass(sdl, className);

    auto window = std::make_shared<win32::Window>();
    window->cls = cls;
    window->proc = cls->proc;
    window->style = dwStyle & ~static_cast<DWORD>(WS_VISIBLE);
    window->exStyle = dwExStyle;
    window->sdl = sdl;
    window->sdlId = SDL_GetWindowID(sdl);
    window->queue = win32::CurrentQueue();
    window->owner = std::this_thread::get_id();
    {
        std::lock_guard<std::mutex> lock(win32::StateMutex());
        window->handle = reinterpret_cast<HWND>(g_NextHandle);
        g_NextHandle += 0x10;
        g_Windows[window->handle] = window;
        g_WindowsBySdlId[window->sdlId] = window->handle;
        ++cls->liveWindows;
    }

    CREATESTRUCTA create{};
    create.lpCreateParams = lpParam;
    create.hInstance = instance;
    create.hMenu = hMenu;
    create.hwndParent = hWndParent;
    create.cy = nHeight;
    create.cx = nWidth;
    create.y = Y;
    create.x = X;
    create.style = static_cast<LONG>(dwStyle);
    create.lpszName = lpWindowName;
    create.lpszClass = lpClassName;
    create.dwExStyle = dwExStyle;
    const LPARAM createParam = reinterpret_cast<LPARAM>(&create);

    if (!CallProc(*window, WM_NCCREATE, 0, createParam))
    {
        window->destroying = true;
        CallProc(*window, WM_NCDESTROY, 0, 0);
        Forget(window);
        return nullptr;
    }
    if (CallProc(*window, WM_CREATE, 0, createParam) == -1)
    {
        DestroyWindow(window->handle);
        return nullptr;
    }
    if (dwStyle & WS_VISIBLE)
        ShowWindow(window->handle, SW_SHOW);
    win32::ApplyCursorVisibility();
    return window->handle;
}

BOOL WINAPI ShowWindow(HWND hWnd, int nCmdShow)
{
    std::shared_ptr<win32::Window> window;
    {
        // SDL windows may only be touched from the thread that owns video.
        std::lock_guard<std::mutex> lock(win32::StateMutex());
        window = win32::WindowForCall(hWnd, win32::Caller::Owner);
    }
    if (!window)
        return FALSE;
    const BOOL wasVisible = (window->style & WS_VISIBLE) ? TRUE : FALSE;
    const auto setVisible = [&](bool visible)
    {
        std::lock_guard<std::mutex> lock(win32::StateMutex());
        if (visible)
            window->style |= WS_VISIBLE;
        else
            window->style &= ~static_cast<DWORD>(WS_VISIBLE);
    };
    switch (nCmdShow)
    {
    case SW_HIDE:
        SDL_HideWindow(window->sdl);
        setVisible(false);
        return wasVisible;
    case SW_SHOWNORMAL:
    case SW_SHOWNOACTIVATE:
    case SW_RESTORE:
    case SW_SHOWDEFAULT:
        SDL_ShowWindow(window->sdl);
        SDL_RestoreWindow(window->sdl);
        break;
    case SW_SHOW:
    case SW_SHOWNA: SDL_ShowWindow(window->sdl); break;
    case SW_SHOWMINIMIZED:
    case SW_MINIMIZE:
    case SW_SHOWMINNOACTIVE:
    case SW_FORCEMINIMIZE:
        SDL_ShowWindow(window->sdl);
        SDL_MinimizeWindow(window->sdl);
        break;
    case SW_SHOWMAXIMIZED:
        SDL_ShowWindow(window->sdl);
        SDL_MaximizeWindow(window->sdl);
        break;
    default: SetLastError(ERROR_INVALID_PARAMETER); return FALSE;
    }
    setVisible(true);
    return wasVisible;
}

BOOL WINAPI DestroyWindow(HWND hWnd)
{
    std::shared_ptr<win32::Window> window;
    {
        std::lock_guard<std::mutex> lock(win32::StateMutex());
        window = win32::WindowForCall(hWnd, win32::Caller::Owner);
        if (!window)
            return FALSE;
        // A window procedure that destroys its window again while it goes is answered at once.
        if (window->destroying)
            return TRUE;
        window->destroying = true;
    }
    // Win32 takes the window off the screen before WM_DESTROY.
    SDL_HideWindow(window->sdl);
    CallProc(*window, WM_DESTROY, 0, 0);
    CallProc(*window, WM_NCDESTROY, 0, 0);
    Forget(window);
    return TRUE;
}

BOOL WINAPI IsWindow(HWND hWnd)
{
    std::lock_guard<std::mutex> lock(win32::StateMutex());
    return win32::LookupWindow(hWnd) ? TRUE : FALSE;
}

BOOL WINAPI GetClientRect(HWND hWnd, LPRECT lpRect)
{
    SDL_Window* sdl = Win32GetSdlWindow(hWnd);
    if (sdl == nullptr)
    {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    if (lpRect == nullptr)
    {
        SetLastError(ERROR_NOACCESS);
        return FALSE;
    }
    int width = 0;
    int height = 0;
    SDL_GetWindowSize(sdl, &width, &height);
    *lpRect = RECT{0, 0, width, height};
    return TRUE;
}

BOOL WINAPI GetWindowRect(HWND hWnd, LPRECT lpRect)
{
    std::shared_ptr<win32::Window> window;
    {
        std::lock_guard<std::mutex> lock(win32::StateMutex());
        window = win32::WindowForCall(hWnd, win32::Caller::Any);
    }
    if (!window)
        return FALSE;
    if (lpRect == nullptr)
    {
        SetLastError(ERROR_NOACCESS);
        return FALSE;
    }
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    SDL_GetWindowPosition(window->sdl, &x, &y);
    SDL_GetWindowSize(window->sdl, &width, &height);
    const RECT frame = win32::FrameFor(window->style, FALSE);
    *lpRect = RECT{x - frame.left, y - frame.top, x + width + frame.right, y + height + frame.bottom};
    return TRUE;
}
