// Window classes, window geometry and lifetime of the Linux Win32 layer.
#include "support/win32_test_support.h"

#include <gtest/gtest.h>

namespace
{

constexpr DWORD kCaptioned = WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
constexpr DWORD kFullScreen = WS_POPUP | WS_VISIBLE;

TEST(Win32Class, RegistrationRulesAndErrors)
{
    WNDCLASSA wc = TestClass("Win32ClassRules");
    const ATOM atom = RegisterClassA(&wc);
    EXPECT_NE(atom, 0);

    WNDCLASSA otherCase = TestClass("WIN32CLASSRULES");
    SetLastError(0);
    EXPECT_EQ(RegisterClassA(&otherCase), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_ALREADY_EXISTS));

    WNDCLASSA noProc = TestClass("Win32NoProc");
    noProc.lpfnWndProc = nullptr;
    EXPECT_EQ(RegisterClassA(&noProc), 0);
    WNDCLASSA noName = TestClass(nullptr);
    EXPECT_EQ(RegisterClassA(&noName), 0);

    // A window of the class keeps it registered.
    const HWND hwnd = CreateWindowExA(0, "win32classrules", "t", kFullScreen, 0, 0, 64, 48, nullptr, nullptr,
                                      GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(hwnd, nullptr);
    EXPECT_FALSE(UnregisterClassA("Win32ClassRules", GetModuleHandleA(nullptr)));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_HAS_WINDOWS));
    EXPECT_TRUE(DestroyWindow(hwnd));

    EXPECT_TRUE(UnregisterClassA("Win32ClassRules", GetModuleHandleA(nullptr)));
    EXPECT_FALSE(UnregisterClassA("Win32ClassRules", GetModuleHandleA(nullptr)));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_DOES_NOT_EXIST));
    EXPECT_NE(RegisterClassA(&wc), 0) << "the name is free again";
    EXPECT_TRUE(UnregisterClassA("Win32ClassRules", nullptr)) << "a null instance means the executable";
}

TEST(Win32Class, CreateWithUnknownClassFails)
{
    SetLastError(0);
    EXPECT_EQ(CreateWindowExA(0, "Win32NeverRegistered", "t", kFullScreen, 0, 0, 64, 48, nullptr, nullptr,
                              GetModuleHandleA(nullptr), nullptr),
              nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CANNOT_FIND_WND_CLASS));
}

TEST(Win32Geometry, AdjustWindowRectFrames)
{
    RECT captioned{0, 0, 640, 480};
    ASSERT_TRUE(AdjustWindowRect(&captioned, kCaptioned, FALSE));
    EXPECT_EQ(captioned.left, -3);
    EXPECT_EQ(captioned.top, -26);
    EXPECT_EQ(captioned.right, 643);
    EXPECT_EQ(captioned.bottom, 483);

    RECT sizable{0, 0, 640, 480};
    AdjustWindowRect(&sizable, WS_OVERLAPPEDWINDOW, FALSE);
    EXPECT_LT(sizable.left, captioned.left);
    EXPECT_EQ(sizable.top - captioned.top, sizable.left - captioned.left);

    RECT withMenu{0, 0, 640, 480};
    AdjustWindowRect(&withMenu, kCaptioned, TRUE);
    EXPECT_LT(withMenu.top, captioned.top);
    EXPECT_EQ(withMenu.bottom, captioned.bottom);

    RECT popup{10, 20, 30, 40};
    AdjustWindowRect(&popup, kFullScreen, FALSE);
    EXPECT_EQ(popup.left, 10);
    EXPECT_EQ(popup.top, 20);
    EXPECT_EQ(popup.right, 30);
    EXPECT_EQ(popup.bottom, 40);
}

TEST_F(Win32WindowTest, CaptionedWindowHasExactClientArea)
{
    RECT outer{0, 0, 640, 480};
    AdjustWindowRect(&outer, kCaptioned, FALSE);
    const HWND hwnd =
        Create(kCaptioned, CW_USEDEFAULT, CW_USEDEFAULT, outer.right - outer.left, outer.bottom - outer.top);
    ASSERT_NE(hwnd, nullptr);

    RECT client{};
    ASSERT_TRUE(GetClientRect(hwnd, &client));
    EXPECT_EQ(client.right - client.left, 640);
    EXPECT_EQ(client.bottom - client.top, 480);

    SDL_Window* sdl = Win32GetSdlWindow(hwnd);
    ASSERT_NE(sdl, nullptr);
    int width = 0;
    int height = 0;
    SDL_GL_GetDrawableSize(sdl, &width, &height);
    EXPECT_EQ(width, 640);
    EXPECT_EQ(height, 480);
    const Uint32 flags = SDL_GetWindowFlags(sdl);
    EXPECT_FALSE(flags & SDL_WINDOW_RESIZABLE);
    EXPECT_FALSE(flags & SDL_WINDOW_BORDERLESS);
    EXPECT_TRUE(flags & SDL_WINDOW_OPENGL);
    EXPECT_STREQ(SDL_GetWindowTitle(sdl), "Test window");

    RECT window{};
    ASSERT_TRUE(GetWindowRect(hwnd, &window));
    EXPECT_EQ(window.right - window.left, outer.right - outer.left);
    EXPECT_EQ(window.bottom - window.top, outer.bottom - outer.top);
}

TEST_F(Win32WindowTest, PopupCoversExactRectangleAtOrigin)
{
    const HWND hwnd = Create(kFullScreen, 0, 0, 800, 600);
    ASSERT_NE(hwnd, nullptr);
    SDL_Window* sdl = Win32GetSdlWindow(hwnd);
    ASSERT_NE(sdl, nullptr);
    int x = -1;
    int y = -1;
    int width = 0;
    int height = 0;
    SDL_GetWindowPosition(sdl, &x, &y);
    SDL_GetWindowSize(sdl, &width, &height);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 0);
    EXPECT_EQ(width, 800);
    EXPECT_EQ(height, 600);
    EXPECT_TRUE(SDL_GetWindowFlags(sdl) & SDL_WINDOW_BORDERLESS);
    EXPECT_TRUE(SDL_GetWindowFlags(sdl) & SDL_WINDOW_SHOWN);

    RECT window{};
    ASSERT_TRUE(GetWindowRect(hwnd, &window));
    EXPECT_EQ(window.left, 0);
    EXPECT_EQ(window.top, 0);
    EXPECT_EQ(window.right, 800);
    EXPECT_EQ(window.bottom, 600);
}

TEST_F(Win32WindowTest, VisibilityFollowsStyleAndShowWindow)
{
    const HWND hwnd = Create(WS_POPUP, 0, 0, 32, 32);
    ASSERT_NE(hwnd, nullptr);
    SDL_Window* sdl = Win32GetSdlWindow(hwnd);
    EXPECT_TRUE(SDL_GetWindowFlags(sdl) & SDL_WINDOW_HIDDEN);
    EXPECT_FALSE(ShowWindow(hwnd, SW_SHOW)) << "returns whether it was visible before";
    EXPECT_TRUE(SDL_GetWindowFlags(sdl) & SDL_WINDOW_SHOWN);
    EXPECT_TRUE(ShowWindow(hwnd, SW_HIDE));
    EXPECT_TRUE(SDL_GetWindowFlags(sdl) & SDL_WINDOW_HIDDEN);
}

TEST_F(Win32WindowTest, CreationAndDestructionMessages)
{
    const HWND hwnd = Create(kFullScreen, 0, 0, 32, 32);
    ASSERT_NE(hwnd, nullptr);
    ASSERT_GE(Log().size(), 2u);
    EXPECT_EQ(Log()[0].message, static_cast<UINT>(WM_NCCREATE));
    EXPECT_EQ(Log()[1].message, static_cast<UINT>(WM_CREATE));
    EXPECT_EQ(Log()[1].hwnd, hwnd);

    PostMessageA(hwnd, WM_USER, 0, 0);
    Log().clear();
    ASSERT_TRUE(DestroyWindow(hwnd));
    Forget(hwnd);
    ASSERT_EQ(Log().size(), 2u);
    EXPECT_EQ(Log()[0].message, static_cast<UINT>(WM_DESTROY));
    EXPECT_EQ(Log()[1].message, static_cast<UINT>(WM_NCDESTROY));
    EXPECT_TRUE(Log()[0].wasWindow) << "the handle is still valid while WM_DESTROY is handled";

    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(Win32GetSdlWindow(hwnd), nullptr);
    MSG msg;
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) << "posted messages go with the window";
    EXPECT_FALSE(DestroyWindow(hwnd));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
    EXPECT_FALSE(PostMessageA(hwnd, WM_USER, 0, 0));
}

TEST_F(Win32WindowTest, RefusedCreationGivesNoWindow)
{
    RefuseMessage() = WM_NCCREATE;
    EXPECT_EQ(Create(kFullScreen, 0, 0, 32, 32), nullptr);
    RefuseMessage() = WM_CREATE;
    EXPECT_EQ(Create(kFullScreen, 0, 0, 32, 32), nullptr);
    ASSERT_FALSE(Log().empty());
    EXPECT_EQ(Log().back().message, static_cast<UINT>(WM_NCDESTROY));
    EXPECT_TRUE(UnregisterClassA(kTestClass, GetModuleHandleA(nullptr))) << "no window of the class is left";
    EXPECT_NE(RegisterClassA(&TestClassRef()), 0);
}

TEST_F(Win32WindowTest, ShowCursorKeepsDisplayCount)
{
    // Hidden before any window exists: the window created later still hides it.
    EXPECT_EQ(ShowCursor(FALSE), -1);
    ASSERT_NE(Create(kFullScreen, 0, 0, 32, 32), nullptr);
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);
    EXPECT_EQ(ShowCursor(TRUE), 0);
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_ENABLE);
    EXPECT_EQ(ShowCursor(TRUE), 1);
    EXPECT_EQ(ShowCursor(FALSE), 0);
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_ENABLE);
}

} // namespace
