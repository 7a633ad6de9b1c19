// Internals of the Win32 layer shared by its files, by the Direct3D layer and
// by tests. One mutex guards window records and message queues; window
// procedures are always called with it released, so they may re-enter.
#pragma once

#include <windows.h>

#include <SDL.h>

#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

// The SDL window behind a window handle, or null for a handle that is not a live window.
SDL_Window* Win32GetSdlWindow(HWND hWnd);

// Whether the window system last reported the window as having keyboard focus.
// Full-screen Direct3D loses its device when this goes false.
bool Win32WindowHasFocus(HWND hWnd);

// Called just before the SDL window behind hWnd goes away, while it still
// exists, so that a GL context living on it can move elsewhere. One hook per
// window; null clears it.
typedef void (*Win32DestroyHook)(void* context);
void Win32SetDestroyHook(HWND hWnd, Win32DestroyHook hook, void* context);

namespace win32
{

struct QueuedMessage
{
    MSG msg;
    Uint16 keyMods; // SDL modifiers when an input message was made
};

// A thread's message queue. Windows belong to the thread that created them and
// their messages go to that thread's queue.
struct ThreadQueue
{
    std::deque<QueuedMessage> posted;
    std::deque<QueuedMessage> input;
    // Windows queues no mouse moves: one is made, with the latest position,
    // when nothing else matches, so a burst of moves costs one message.
    QueuedMessage mouseMove{};
    bool mouseMovePending = false;
    bool quitPending = false;
    int quitCode = 0;
    Uint16 keyMods = 0;      // as of the last input message removed, like GetKeyState
    WPARAM mouseButtons = 0; // MK_ flags of the buttons held down
    POINT cursor{};          // last known cursor position, screen coordinates
};

struct WindowClass
{
    std::string name;
    ATOM atom = 0;
    HINSTANCE instance = nullptr;
    UINT style = 0;
    WNDPROC proc = nullptr;
    HCURSOR cursor = nullptr;
    HBRUSH background = nullptr;
    HICON icon = nullptr;
    int liveWindows = 0;
};

struct Window
{
    HWND handle = nullptr;
    std::shared_ptr<WindowClass> cls;
    WNDPROC proc = nullptr;
    DWORD style = 0;
    DWORD exStyle = 0;
    SDL_Window* sdl = nullptr;
    Uint32 sdlId = 0;
    std::shared_ptr<ThreadQueue> queue;
    std::thread::id owner;
    bool focused = false;
    bool destroying = false;
    Win32DestroyHook destroyHook = nullptr;
    void* destroyHookContext = nullptr;
};

// Non-client thickness of each side for a style; AdjustWindowRect and window
// creation share it so that outer size minus frame is the client area.
RECT FrameFor(DWORD style, BOOL menu);

std::mutex& StateMutex();

// The calling thread's queue, created on first use. Does not need the mutex.
std::shared_ptr<ThreadQueue> CurrentQueue();

// Window lookups; call with StateMutex() held.
std::shared_ptr<Window> LookupWindow(HWND hWnd);
std::shared_ptr<Window> LookupWindowBySdlId(Uint32 id);
// The window that holds the host's keyboard focus, when SDL has not caught up with it yet.
std::shared_ptr<Window> LookupWindowWithHostFocus();
// The window an API call names; call with StateMutex() held. Null, with the
// last error set, for a handle that is no live window, and for a window of
// another thread where the call must come from the window's own.
enum class Caller
{
    Any,
    Owner,
};
std::shared_ptr<Window> WindowForCall(HWND hWnd, Caller caller);
// Forgets every queued message addressed to the window; call with StateMutex() held.
void DropMessagesFor(const Window& window);

// Starts SDL's video subsystem on first use; the thread that does so owns all windows.
bool EnsureVideo();

// Connects to the display with connect, trying again for a while when it
// fails: a busy X server refuses new clients for a moment (EAGAIN on its full
// listen queue). Without a display named in the environment, one try.
bool ConnectToDisplay(bool (*connect)());
bool IsVideoThread();

// Applies the ShowCursor display count to SDL, when video is up on this thread.
void ApplyCursorVisibility();

// Sets X11's WM_CLASS of a window not yet mapped; nothing on other drivers.
void SetX11WindowClass(SDL_Window* window, const char* className);
// Whether X11 gives the window the input focus; false on other drivers.
bool X11HasInputFocus(SDL_Window* window);

// Keyboard translation, US layout for positions and characters.
struct KeyInfo
{
    UINT vk;       // 0: a key Win32 code has no virtual key for
    UINT scan;     // PC set-1 scan code
    bool extended; // the E0-prefixed keys
};
KeyInfo KeyInfoFor(SDL_Scancode scancode, SDL_Keycode keycode, Uint16 mods);
// The character TranslateMessage makes of a key, 0 for none.
char CharacterFor(UINT vk, Uint16 mods);

} // namespace win32
