// The message queue, SDL input translation and the default window procedure.
#include "support/win32_test_support.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace
{

constexpr DWORD kFullScreen = WS_POPUP | WS_VISIBLE;

void PushKey(Uint32 windowId, SDL_Scancode scancode, SDL_Keycode keycode, Uint16 mods, bool down, bool repeat = false)
{
    SDL_Event event{};
    event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    event.key.windowID = windowId;
    event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.key.repeat = repeat ? 1 : 0;
    event.key.keysym.scancode = scancode;
    event.key.keysym.sym = keycode;
    event.key.keysym.mod = mods;
    ASSERT_EQ(SDL_PushEvent(&event), 1);
}

void PushWindowEvent(Uint32 windowId, SDL_WindowEventID id)
{
    SDL_Event event{};
    event.type = SDL_WINDOWEVENT;
    event.window.windowID = windowId;
    event.window.event = id;
    ASSERT_EQ(SDL_PushEvent(&event), 1);
}

// Removes and returns the next message, or WM_NULL with a null window when there is none.
MSG Next(HWND filter = nullptr)
{
    MSG msg{};
    if (!PeekMessageA(&msg, filter, 0, 0, PM_REMOVE))
        msg = MSG{};
    return msg;
}

class Win32MessageTest : public Win32WindowTest
{
protected:
    void SetUp() override
    {
        Win32WindowTest::SetUp();
        m_Hwnd = Create(kFullScreen, 0, 0, 64, 48);
        ASSERT_NE(m_Hwnd, nullptr);
        // Whatever the video driver reports about the new window is not part of a test.
        while (Next().message != WM_NULL)
        {
        }
        Log().clear();
    }

    HWND m_Hwnd = nullptr;
};

TEST_F(Win32MessageTest, PostedMessagesComeBeforeInputAndQuitComesLast)
{
    PostQuitMessage(7);
    PushKey(SdlId(m_Hwnd), SDL_SCANCODE_ESCAPE, SDLK_ESCAPE, KMOD_NONE, true);
    ASSERT_TRUE(PostMessageA(m_Hwnd, WM_USER, 1, 2));
    ASSERT_TRUE(PostMessageA(nullptr, WM_USER + 1, 0, 0));

    MSG peeked{};
    ASSERT_TRUE(PeekMessageA(&peeked, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(peeked.message, static_cast<UINT>(WM_USER));

    MSG msg = Next();
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER)) << "PM_NOREMOVE left it in place";
    EXPECT_EQ(msg.hwnd, m_Hwnd);
    EXPECT_EQ(msg.wParam, 1u);
    EXPECT_EQ(msg.lParam, 2);
    msg = Next();
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER + 1));
    EXPECT_EQ(msg.hwnd, nullptr);
    msg = Next();
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_KEYDOWN));
    EXPECT_EQ(msg.wParam, static_cast<WPARAM>(VK_ESCAPE));

    ASSERT_TRUE(PeekMessageA(&peeked, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(peeked.message, static_cast<UINT>(WM_QUIT));
    msg = Next();
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(msg.wParam, 7u);
    EXPECT_EQ(msg.hwnd, nullptr);
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) << "the quit flag is cleared once removed";
}

TEST_F(Win32MessageTest, FiltersByWindowAndRange)
{
    const HWND other = Create(kFullScreen, 0, 0, 16, 16);
    ASSERT_NE(other, nullptr);
    PostMessageA(other, WM_USER, 0, 0);
    PostMessageA(m_Hwnd, WM_USER + 5, 0, 0);
    PostMessageA(nullptr, WM_USER + 6, 0, 0);

    EXPECT_EQ(Next(m_Hwnd).message, static_cast<UINT>(WM_USER + 5));
    MSG msg;
    EXPECT_FALSE(PeekMessageA(&msg, m_Hwnd, 0, 0, PM_REMOVE));
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, WM_USER + 1, WM_USER + 5, PM_REMOVE));
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_USER + 6, WM_USER + 6, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER + 6));
    EXPECT_EQ(Next().hwnd, other);
}

TEST_F(Win32MessageTest, KeysBecomeVirtualKeyMessages)
{
    const Uint32 id = SdlId(m_Hwnd);
    PushKey(id, SDL_SCANCODE_ESCAPE, SDLK_ESCAPE, KMOD_NONE, true);
    for (int i = 0; i < 3; ++i)
        PushKey(id, SDL_SCANCODE_ESCAPE, SDLK_ESCAPE, KMOD_NONE, true, true);
    PushKey(id, SDL_SCANCODE_ESCAPE, SDLK_ESCAPE, KMOD_NONE, false);
    PushKey(id, SDL_SCANCODE_UP, SDLK_UP, KMOD_NONE, true);
    PushKey(id, SDL_SCANCODE_UP, SDLK_UP, KMOD_NONE, true, true);
    PushKey(id, SDL_SCANCODE_DOWN, SDLK_DOWN, KMOD_NONE, true, true);
    PushKey(id, SDL_SCANCODE_DOWN, SDLK_DOWN, KMOD_NONE, true, true);
    PushKey(id + 1000, SDL_SCANCODE_A, SDLK_a, KMOD_NONE, true);

    MSG msg = Next();
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_KEYDOWN));
    EXPECT_EQ(msg.hwnd, m_Hwnd);
    EXPECT_EQ(msg.wParam, static_cast<WPARAM>(VK_ESCAPE));
    EXPECT_EQ(msg.lParam, 0x00010001) << "repeat count 1, scan code 1";
    EXPECT_EQ(Next().lParam, 0x40010003) << "waiting repeats merge into one, counted, with the previous-state bit";
    msg = Next();
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_KEYUP));
    EXPECT_EQ(static_cast<DWORD>(msg.lParam), 0xC0010001u);
    msg = Next();
    EXPECT_EQ(msg.wParam, static_cast<WPARAM>(VK_UP));
    EXPECT_EQ(static_cast<DWORD>(msg.lParam), 0x01480001u) << "the arrows are extended keys";
    EXPECT_EQ(static_cast<DWORD>(Next().lParam), 0x41480001u) << "a repeat does not merge into the first press";
    msg = Next();
    EXPECT_EQ(msg.wParam, static_cast<WPARAM>(VK_DOWN));
    EXPECT_EQ(static_cast<DWORD>(msg.lParam), 0x41500002u) << "another key's repeats are counted apart";
    EXPECT_EQ(Next().message, static_cast<UINT>(WM_NULL)) << "events of unknown windows are dropped";
}

TEST_F(Win32MessageTest, AltF4ThroughDefaultProcedureClosesTheWindow)
{
    PushKey(SdlId(m_Hwnd), SDL_SCANCODE_F4, SDLK_F4, KMOD_LALT, true);
    const MSG msg = Next();
    ASSERT_EQ(msg.message, static_cast<UINT>(WM_SYSKEYDOWN));
    EXPECT_EQ(msg.wParam, static_cast<WPARAM>(VK_F4));
    EXPECT_TRUE(msg.lParam & (1 << 29)) << "the Alt context bit";
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
    Forget(m_Hwnd);

    std::vector<UINT> seen;
    for (const LoggedMessage& logged : Log())
        seen.push_back(logged.message);
    const std::vector<UINT> expected{WM_SYSKEYDOWN, WM_SYSCOMMAND, WM_CLOSE, WM_DESTROY, WM_NCDESTROY};
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(Log()[1].wParam, static_cast<WPARAM>(SC_CLOSE));
    EXPECT_FALSE(IsWindow(m_Hwnd));
}

TEST_F(Win32MessageTest, CloseRequestBecomesWmClose)
{
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    SDL_PushEvent(&quit);
    PushWindowEvent(SdlId(m_Hwnd), SDL_WINDOWEVENT_CLOSE);
    PushWindowEvent(SdlId(m_Hwnd), SDL_WINDOWEVENT_CLOSE);
    const MSG msg = Next();
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_CLOSE));
    EXPECT_EQ(msg.hwnd, m_Hwnd);
    EXPECT_EQ(Next().message, static_cast<UINT>(WM_NULL))
        << "SDL's own quit event is not a message, and a second request adds none";
}

TEST_F(Win32MessageTest, TranslateMessagePostsCharacters)
{
    const Uint32 id = SdlId(m_Hwnd);
    PushKey(id, SDL_SCANCODE_A, SDLK_a, KMOD_LSHIFT, true);
    PushKey(id, SDL_SCANCODE_2, SDLK_2, KMOD_LSHIFT, true);
    PushKey(id, SDL_SCANCODE_RETURN, SDLK_RETURN, KMOD_NONE, true);
    PushKey(id, SDL_SCANCODE_F1, SDLK_F1, KMOD_NONE, true);
    PushKey(id, SDL_SCANCODE_F1, SDLK_F1, KMOD_NONE, false);

    std::vector<std::pair<UINT, WPARAM>> seen;
    for (MSG msg = Next(); msg.message != WM_NULL; msg = Next())
    {
        seen.emplace_back(msg.message, msg.wParam);
        const BOOL translated = TranslateMessage(&msg);
        EXPECT_EQ(translated != FALSE, msg.message != WM_CHAR) << "key messages answer non-zero";
    }
    const std::vector<std::pair<UINT, WPARAM>> expected{
        {WM_KEYDOWN, 'A'},       {WM_CHAR, 'A'},  {WM_KEYDOWN, '2'},   {WM_CHAR, '@'},
        {WM_KEYDOWN, VK_RETURN}, {WM_CHAR, 0x0D}, {WM_KEYDOWN, VK_F1}, {WM_KEYUP, VK_F1},
    };
    EXPECT_EQ(seen, expected);

    MSG escape{m_Hwnd, WM_KEYDOWN, VK_ESCAPE, 0x00010001, 0, {}};
    TranslateMessage(&escape);
    EXPECT_EQ(Next().wParam, 0x1Bu);
    const MSG notKey{m_Hwnd, WM_USER, 0, 0, 0, {}};
    EXPECT_FALSE(TranslateMessage(&notKey));
}

// Windows queues no mouse moves: the latest one is made when nothing else waits,
// so a burst costs the loop one pass.
TEST_F(Win32MessageTest, MouseMovesWaitAsOneLatestMoveBehindEverythingElse)
{
    const Uint32 id = SdlId(m_Hwnd);
    SDL_Event event{};
    event.type = SDL_MOUSEMOTION;
    event.motion.windowID = id;
    for (int i = 0; i < 200; ++i)
    {
        event.motion.x = i % 50;
        event.motion.y = 34;
        ASSERT_EQ(SDL_PushEvent(&event), 1);
    }
    event = SDL_Event{};
    event.type = SDL_MOUSEBUTTONDOWN;
    event.button.windowID = id;
    event.button.button = SDL_BUTTON_LEFT;
    event.button.clicks = 1;
    event.button.x = 5;
    event.button.y = 6;
    SDL_PushEvent(&event);
    event.type = SDL_MOUSEBUTTONUP;
    SDL_PushEvent(&event);
    event = SDL_Event{};
    event.type = SDL_MOUSEWHEEL;
    event.wheel.windowID = id;
    event.wheel.y = -1;
    event.wheel.preciseY = -1.0f;
    SDL_PushEvent(&event);
    PostMessageA(m_Hwnd, WM_USER, 0, 0);

    MSG msg;
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, WM_KEYDOWN, WM_SYSKEYUP, PM_REMOVE)) << "a move is outside the range";
    EXPECT_EQ(Next().message, static_cast<UINT>(WM_USER));
    msg = Next();
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_LBUTTONDOWN));
    EXPECT_EQ(msg.wParam & MK_LBUTTON, static_cast<WPARAM>(MK_LBUTTON));
    EXPECT_EQ(msg.lParam, MAKELPARAM(5, 6));
    msg = Next();
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_LBUTTONUP));
    EXPECT_EQ(msg.wParam & MK_LBUTTON, 0u);
    msg = Next();
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_MOUSEWHEEL));
    EXPECT_EQ(GET_WHEEL_DELTA_WPARAM(msg.wParam), -WHEEL_DELTA);
    ASSERT_TRUE(PeekMessageA(&msg, m_Hwnd, WM_MOUSEMOVE, WM_MOUSEMOVE, PM_NOREMOVE));
    msg = Next();
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_MOUSEMOVE)) << "PM_NOREMOVE left it in place";
    EXPECT_EQ(msg.hwnd, m_Hwnd);
    EXPECT_EQ(msg.lParam, MAKELPARAM(49, 34)) << "the latest position";
    EXPECT_EQ(msg.pt.x, 49) << "the popup's client area starts at the screen origin";
    EXPECT_EQ(msg.pt.y, 34);
    EXPECT_EQ(Next().message, static_cast<UINT>(WM_NULL)) << "one move for the whole burst";
}

TEST_F(Win32MessageTest, FocusChangesAreSentAndTracked)
{
    PushWindowEvent(SdlId(m_Hwnd), SDL_WINDOWEVENT_FOCUS_GAINED);
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
    EXPECT_TRUE(Win32WindowHasFocus(m_Hwnd));
    PushWindowEvent(SdlId(m_Hwnd), SDL_WINDOWEVENT_FOCUS_LOST);
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) << "nothing is queued for focus";
    EXPECT_FALSE(Win32WindowHasFocus(m_Hwnd));

    std::vector<std::pair<UINT, WPARAM>> seen;
    for (const LoggedMessage& logged : Log())
        seen.emplace_back(logged.message, logged.wParam);
    const std::vector<std::pair<UINT, WPARAM>> expected{
        {WM_ACTIVATE, WA_ACTIVE}, {WM_SETFOCUS, 0}, {WM_ACTIVATE, WA_INACTIVE}, {WM_KILLFOCUS, 0}};
    EXPECT_EQ(seen, expected);
}

struct KeyCase
{
    const char* name;
    SDL_Scancode scancode;
    SDL_Keycode keycode;
    Uint16 mods;
    UINT vk;
    char character;
};

void PrintTo(const KeyCase& key, std::ostream* out)
{
    *out << key.name;
}

class Win32KeyTable : public ::testing::TestWithParam<KeyCase>
{
};

TEST_P(Win32KeyTable, MapsKeyAndCharacter)
{
    const KeyCase& key = GetParam();
    EXPECT_EQ(win32::KeyInfoFor(key.scancode, key.keycode, key.mods).vk, key.vk);
    EXPECT_EQ(win32::CharacterFor(key.vk, key.mods), key.character);
}

const KeyCase kKeyCases[] = {
    // A character key takes the layout's virtual key: AZERTY puts A where QWERTY has Q.
    {"LayoutLetter", SDL_SCANCODE_Q, SDLK_a, KMOD_NONE, 'A', 'a'},
    {"CapsLock", SDL_SCANCODE_A, SDLK_a, KMOD_CAPS, 'A', 'A'},
    {"CapsLockWithShift", SDL_SCANCODE_A, SDLK_a, KMOD_CAPS | KMOD_LSHIFT, 'A', 'a'},
    {"ControlLetter", SDL_SCANCODE_C, SDLK_c, KMOD_LCTRL, 'C', 0x03},
    // A layout character with no virtual key of its own falls back on the key's position.
    {"DigitPosition", SDL_SCANCODE_1, SDLK_AMPERSAND, KMOD_NONE, '1', '1'},
    {"ShiftedSlash", SDL_SCANCODE_SLASH, SDLK_SLASH, KMOD_LSHIFT, VK_OEM_2, '?'},
    {"KeypadNumLockOn", SDL_SCANCODE_KP_7, SDLK_KP_7, KMOD_NUM, VK_NUMPAD0 + 7, '7'},
    {"KeypadNumLockOff", SDL_SCANCODE_KP_7, SDLK_KP_7, KMOD_NONE, VK_HOME, 0},
    {"F12", SDL_SCANCODE_F12, SDLK_F12, KMOD_NONE, VK_F12, 0},
    {"Backspace", SDL_SCANCODE_BACKSPACE, SDLK_BACKSPACE, KMOD_NONE, VK_BACK, 0x08},
    {"Tab", SDL_SCANCODE_TAB, SDLK_TAB, KMOD_NONE, VK_TAB, 0x09},
    {"RightShift", SDL_SCANCODE_RSHIFT, SDLK_RSHIFT, KMOD_RSHIFT, VK_SHIFT, 0},
};

INSTANTIATE_TEST_SUITE_P(Keys, Win32KeyTable, ::testing::ValuesIn(kKeyCases),
                         [](const ::testing::TestParamInfo<KeyCase>& info) { return std::string(info.param.name); });

} // namespace
