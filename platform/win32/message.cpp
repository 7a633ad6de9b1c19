// The thread message queue, SDL events turned into Win32 input messages, and
// the default window procedure.
#include "win32/internal.h"

#include <algorithm>
#include <cmath>

namespace
{

thread_local std::shared_ptr<win32::ThreadQueue> t_queue;

const HWND kThreadMessagesOnly = reinterpret_cast<HWND>(static_cast<LONG_PTR>(-1));

MSG MakeMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, const win32::ThreadQueue& queue)
{
    MSG msg;
    msg.hwnd = hwnd;
    msg.message = message;
    msg.wParam = wParam;
    msg.lParam = lParam;
    msg.time = GetTickCount();
    msg.pt = queue.cursor;
    return msg;
}

bool Matches(const MSG& msg, HWND hwnd, UINT min, UINT max)
{
    if (hwnd == kThreadMessagesOnly)
    {
        if (msg.hwnd != nullptr)
            return false;
    }
    else if (hwnd != nullptr && msg.hwnd != hwnd)
    {
        return false;
    }
    return (min == 0 && max == 0) || (msg.message >= min && msg.message <= max);
}

WPARAM ModifierKeyFlags()
{
    const SDL_Keymod mods = SDL_GetModState();
    WPARAM flags = 0;
    if (mods & KMOD_SHIFT)
        flags |= MK_SHIFT;
    if (mods & KMOD_CTRL)
        flags |= MK_CONTROL;
    return flags;
}

WPARAM ButtonFlagsOf(Uint32 sdlState)
{
    WPARAM flags = 0;
    if (sdlState & SDL_BUTTON_LMASK)
        flags |= MK_LBUTTON;
    if (sdlState & SDL_BUTTON_RMASK)
        flags |= MK_RBUTTON;
    if (sdlState & SDL_BUTTON_MMASK)
        flags |= MK_MBUTTON;
    return flags;
}

LPARAM PointParam(int x, int y)
{
    return MAKELPARAM(static_cast<WORD>(static_cast<short>(x)), static_cast<WORD>(static_cast<short>(y)));
}

// Screen position of a point in the window's client area; call with the state mutex held.
POINT ScreenPoint(const win32::Window& window, int x, int y)
{
    int left = 0;
    int top = 0;
    SDL_GetWindowPosition(window.sdl, &left, &top);
    return POINT{left + x, top + y};
}

void QueueInput(const win32::Window& window, UINT message, WPARAM wParam, LPARAM lParam, Uint16 mods)
{
    win32::ThreadQueue& queue = *window.queue;
    queue.input.push_back({MakeMessage(window.handle, message, wParam, lParam, queue), mods});
}

void TranslateKey(const SDL_KeyboardEvent& key)
{
    std::lock_guard<std::mutex> lock(win32::StateMutex());
    // SDL's X11 back end hands a newly focused window the keyboard some 200 ms
    // after X11 does, and reports keys typed meanwhile for no window; Win32
    // queues them for the focused window, so ask X11 which one that is.
    const auto window =
        key.windowID != 0 ? win32::LookupWindowBySdlId(key.windowID) : win32::LookupWindowWithHostFocus();
    if (!window)
        return;
    const Uint16 mods = key.keysym.mod;
    const win32::KeyInfo info = win32::KeyInfoFor(key.keysym.scancode, key.keysym.sym, mods);
    if (info.vk == 0)
        return;
    const bool down = key.type == SDL_KEYDOWN;
    const bool alt = (mods & KMOD_ALT) != 0;
    const bool ctrl = (mods & KMOD_CTRL) != 0;
    // Alt chords and F10 go to the system keys; with Ctrl held too (AltGr) they do not.
    const bool system = !ctrl && (alt || info.vk == VK_MENU || info.vk == VK_F1 + 9);
    UINT message;
    if (down)
        message = system ? WM_SYSKEYDOWN : WM_KEYDOWN;
    else
        message = system ? WM_SYSKEYUP : WM_KEYUP;
    DWORD lParam = 1 | (info.scan << 16);
    if (info.extended)
        lParam |= 1u << 24;
    if (alt)
        lParam |= 1u << 29;
    if (!down || key.repeat)
        lParam |= 1u << 30;
    if (!down)
        lParam |= 1u << 31;
    // Auto-repeat that piles up while the program is busy becomes one message
    // whose repeat count (bits 0-15) says how many, as Windows merges it.
    std::deque<win32::QueuedMessage>& input = window->queue->input;
    if (down && key.repeat && !input.empty())
    {
        win32::QueuedMessage& last = input.back();
        const DWORD lastParam = static_cast<DWORD>(last.msg.lParam);
        const DWORD count = lastParam & 0xFFFF;
        if (last.msg.hwnd == window->handle && last.msg.message == message && last.msg.wParam == info.vk &&
            (lastParam & 0xFFFF0000u) == (lParam & 0xFFFF0000u) && count < 0xFFFF)
        {
            last.msg.lParam = static_cast<LPARAM>((lastParam & 0xFFFF0000u) | (count + 1));
            last.keyMods = mods;
            return;
        }
    }
    QueueInput(*window, message, info.vk, static_cast<LPARAM>(lParam), mods);
}

void TranslateMotion(const SDL_MouseMotionEvent& motion)
{
    std::lock_guard<std::mutex> lock(win32::StateMutex());
    const auto window = win32::LookupWindowBySdlId(motion.windowID);
    if (!window)
        return;
    win32::ThreadQueue& queue = *window->queue;
    queue.cursor = ScreenPoint(*window, motion.x, motion.y);
    // Only the latest move waits; PeekMessageA hands it out once nothing else matches.
    const WPARAM wParam = ButtonFlagsOf(motion.state) | ModifierKeyFlags();
    queue.mouseMove = {MakeMessage(window->handle, WM_MOUSEMOVE, wParam, PointParam(motion.x, motion.y), queue), 0};
    queue.mouseMovePending = true;
}

void TranslateButton(const SDL_MouseButtonEvent& button)
{
    std::lock_guard<std::mutex> lock(win32::StateMutex());
    const auto window = win32::LookupWindowBySdlId(button.windowID);
    if (!window)
        return;
    UINT downMessage;
    WPARAM flag;
    switch (button.button)
    {
    case SDL_BUTTON_LEFT:
        downMessage = WM_LBUTTONDOWN;
        flag = MK_LBUTTON;
        break;
    case SDL_BUTTON_RIGHT:
        downMessage = WM_RBUTTONDOWN;
        flag = MK_RBUTTON;
        break;
    case SDL_BUTTON_MIDDLE:
        downMessage = WM_MBUTTONDOWN;
        flag = MK_MBUTTON;
        break;
    default: return;
    }
    win32::ThreadQueue& queue = *window->queue;
    UINT message;
    if (button.type == SDL_MOUSEBUTTONDOWN)
    {
        queue.mouseButtons |= flag;
        const bool doubleClick = (window->cls->style & CS_DBLCLKS) && button.clicks >= 2 && button.clicks % 2 == 0;
        message = doubleClick ? downMessage + 2 : downMessage;
    }
    else
    {
        queue.mouseButtons &= ~flag;
        message = downMessage + 1;
    }
    queue.cursor = ScreenPoint(*window, button.x, button.y);
    QueueInput(*window, message, queue.mouseButtons | ModifierKeyFlags(), PointParam(button.x, button.y), 0);
}

void TranslateWheel(const SDL_MouseWheelEvent& wheel)
{
    std::lock_guard<std::mutex> lock(win32::StateMutex());
    const auto window = win32::LookupWindowBySdlId(wheel.windowID);
    if (!window)
        return;
    float notches = wheel.preciseY;
    if (wheel.direction == SDL_MOUSEWHEEL_FLIPPED)
        notches = -notches;
    const long delta = std::lround(notches * WHEEL_DELTA);
    if (delta == 0)
        return;
    win32::ThreadQueue& queue = *window->queue;
    // The wheel message carries screen coordinates.
    queue.cursor = ScreenPoint(*window, wheel.mouseX, wheel.mouseY);
    const WPARAM wParam = MAKEWPARAM(queue.mouseButtons | ModifierKeyFlags(), static_cast<WORD>(delta));
    QueueInput(*window, WM_MOUSEWHEEL, wParam, PointParam(queue.cursor.x, queue.cursor.y), 0);
}

void TranslateWindowEvent(const SDL_WindowEvent& event)
{
    HWND hwnd = nullptr;
    {
        std::lock_guard<std::mutex> lock(win32::StateMutex());
        const auto window = win32::LookupWindowBySdlId(event.windowID);
        if (!window)
            return;
        hwnd = window->handle;
        switch (event.event)
        {
        case SDL_WINDOWEVENT_CLOSE:
        {
            // Close requests repeated while one waits add nothing: the first ends the window.
            std::deque<win32::QueuedMessage>& posted = window->queue->posted;
            const bool waiting = std::any_of(posted.begin(), posted.end(),
                                             [hwnd](const win32::QueuedMessage& queued)
                                             { return queued.msg.hwnd == hwnd && queued.msg.message == WM_CLOSE; });
            if (!waiting)
                posted.push_back({MakeMessage(hwnd, WM_CLOSE, 0, 0, *window->queue), 0});
            return;
        }
        case SDL_WINDOWEVENT_FOCUS_GAINED:
        case SDL_WINDOWEVENT_FOCUS_LOST:
        {
            const bool gained = event.event == SDL_WINDOWEVENT_FOCUS_GAINED;
            if (window->focused == gained)
                return;
            window->focused = gained;
            break;
        }
        default: return;
        }
    }
    // Activation and focus changes are sent, not posted, as Win32 does.
    if (event.event == SDL_WINDOWEVENT_FOCUS_GAINED)
    {
        SendMessageA(hwnd, WM_ACTIVATE, WA_ACTIVE, 0);
        SendMessageA(hwnd, WM_SETFOCUS, 0, 0);
    }
    else
    {
        SendMessageA(hwnd, WM_ACTIVATE, WA_INACTIVE, 0);
        SendMessageA(hwnd, WM_KILLFOCUS, 0, 0);
    }
}

void PumpInput()
{
    // SDL's event queue may only be pumped on the thread that started video.
    if (!win32::IsVideoThread())
        return;
    SDL_PumpEvents();
    SDL_Event event;
    while (SDL_PeepEvents(&event, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0)
    {
        switch (event.type)
        {
        case SDL_KEYDOWN:
        case SDL_KEYUP: TranslateKey(event.key); break;
        case SDL_MOUSEMOTION: TranslateMotion(event.motion); break;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP: TranslateButton(event.button); break;
        case SDL_MOUSEWHEEL: TranslateWheel(event.wheel); break;
        case SDL_WINDOWEVENT: TranslateWindowEvent(event.window); break;
        default:
            // SDL_QUIT among them: every window gets its own WM_CLOSE.
            break;
        }
    }
}

// Calls the window procedure on the window's own thread; 0 with an error otherwise.
LRESULT Deliver(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam)
{
    WNDPROC proc = nullptr;
    {
        std::lock_guard<std::mutex> lock(win32::StateMutex());
        const auto window = win32::WindowForCall(hWnd, win32::Caller::Owner);
        if (!window)
            return 0;
        proc = window->proc;
    }
    return proc(hWnd, Msg, wParam, lParam);
}

} // namespace

namespace win32
{

std::shared_ptr<ThreadQueue> CurrentQueue()
{
    if (!t_queue)
        t_queue = std::make_shared<ThreadQueue>();
    return t_queue;
}

void DropMessagesFor(const Window& window)
{
    const auto forWindow = [&](const QueuedMessage& queued) { return queued.msg.hwnd == window.handle; };
    for (auto* list : {&window.queue->posted, &window.queue->input})
        list->erase(std::remove_if(list->begin(), list->end(), forWindow), list->end());
    if (window.queue->mouseMovePending && forWindow(window.queue->mouseMove))
        window.queue->mouseMovePending = false;
}

} // namespace win32

BOOL WINAPI PeekMessageA(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax, UINT wRemoveMsg)
{
    if (lpMsg == nullptr)
    {
        SetLastError(ERROR_NOACCESS);
        return FALSE;
    }
    if (hWnd != nullptr && hWnd != kThreadMessagesOnly && !IsWindow(hWnd))
    {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    PumpInput();

    const bool remove = (wRemoveMsg & PM_REMOVE) != 0;
    win32::ThreadQueue& queue = *win32::CurrentQueue();
    std::lock_guard<std::mutex> lock(win32::StateMutex());
    for (auto* list : {&queue.posted, &queue.input})
    {
        for (auto it = list->begin(); it != list->end(); ++it)
        {
            if (!Matches(it->msg, hWnd, wMsgFilterMin, wMsgFilterMax))
                continue;
            *lpMsg = it->msg;
            if (remove)
            {
                if (list == &queue.input)
                    queue.keyMods = it->keyMods;
                list->erase(it);
            }
            return TRUE;
        }
    }
    if (queue.mouseMovePending && Matches(queue.mouseMove.msg, hWnd, wMsgFilterMin, wMsgFilterMax))
    {
        *lpMsg = queue.mouseMove.msg;
        if (remove)
        {
            queue.keyMods = queue.mouseMove.keyMods;
            queue.mouseMovePending = false;
        }
        return TRUE;
    }
    // WM_QUIT is a flag, not a queued message: it comes once nothing else does, whatever the filter.
    if (queue.quitPending)
    {
        *lpMsg = MakeMessage(nullptr, WM_QUIT, static_cast<WPARAM>(queue.quitCode), 0, queue);
        if (remove)
            queue.quitPending = false;
        return TRUE;
    }
    return FALSE;
}

BOOL WINAPI TranslateMessage(const MSG* lpMsg)
{
    if (lpMsg == nullptr)
        return FALSE;
    switch (lpMsg->message)
    {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: break;
    case WM_KEYUP:
    case WM_SYSKEYUP: return TRUE;
    default: return FALSE;
    }
    win32::ThreadQueue& queue = *win32::CurrentQueue();
    std::lock_guard<std::mutex> lock(win32::StateMutex());
    const bool system = lpMsg->message == WM_SYSKEYDOWN;
    // A system key makes a character only while Alt is held (not for F10 alone).
    if (system && !(lpMsg->lParam & (1 << 29)))
        return TRUE;
    const char ch = win32::CharacterFor(static_cast<UINT>(lpMsg->wParam), queue.keyMods);
    if (ch != 0)
    {
        const UINT message = system ? WM_SYSCHAR : WM_CHAR;
        queue.posted.push_back(
            {MakeMessage(lpMsg->hwnd, message, static_cast<unsigned char>(ch), lpMsg->lParam, queue), 0});
    }
    return TRUE;
}

LRESULT WINAPI DispatchMessageA(const MSG* lpMsg)
{
    if (lpMsg == nullptr || lpMsg->hwnd == nullptr)
        return 0;
    return Deliver(lpMsg->hwnd, lpMsg->message, lpMsg->wParam, lpMsg->lParam);
}

LRESULT WINAPI SendMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam)
{
    return Deliver(hWnd, Msg, wParam, lParam);
}

BOOL WINAPI PostMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam)
{
    if (hWnd == nullptr)
    {
        win32::ThreadQueue& queue = *win32::CurrentQueue();
        std::lock_guard<std::mutex> lock(win32::StateMutex());
        queue.posted.push_back({MakeMessage(nullptr, Msg, wParam, lParam, queue), 0});
        return TRUE;
    }
    std::lock_guard<std::mutex> lock(win32::StateMutex());
    const auto window = win32::WindowForCall(hWnd, win32::Caller::Any);
    if (!window)
        return FALSE;
    window->queue->posted.push_back({MakeMessage(hWnd, Msg, wParam, lParam, *window->queue), 0});
    return TRUE;
}

void WINAPI PostQuitMessage(int nExitCode)
{
    win32::ThreadQueue& queue = *win32::CurrentQueue();
    std::lock_guard<std::mutex> lock(win32::StateMutex());
    queue.quitPending = true;
    queue.quitCode = nExitCode;
}

LRESULT WINAPI DefWindowProcA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam)
{
    switch (Msg)
    {
    case WM_NCCREATE: return TRUE;
    case WM_CLOSE: DestroyWindow(hWnd); return 0;
    case WM_SYSKEYDOWN:
        if (wParam == VK_F4 && (lParam & (1 << 29)))
            SendMessageA(hWnd, WM_SYSCOMMAND, SC_CLOSE, 0);
        return 0;
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_CLOSE)
            SendMessageA(hWnd, WM_CLOSE, 0, 0);
        return 0;
    default: return 0;
    }
}
