#include "app/demo.h"

#include "app/resource.h"
#include "app/settings_dialog.h"

#include "timeline/script_loader.h"

#include <algorithm>

C_Demo::C_Demo() = default;

const char* C_Demo::GetWindowClassName()
{
    return "Quorl";
}

const char* C_Demo::GetWindowTitle()
{
    return "Dravik's Quorl";
}

bool C_Demo::Init()
{
    m_Instance = GetModuleHandleA(NULL);

    // A failed dialog call goes on with whatever the record holds, the defaults if untouched.
    C_Settings settings;
    if (DialogBoxParamA(NULL, MAKEINTRESOURCE(IDD_SETTINGS), NULL, SettingsDlgProc, (LPARAM)&settings) == IDCANCEL)
        return false;
    m_Settings = settings;

    if (!OpenWindow(WndProc, GetWindowClassName(), GetWindowTitle()))
        return false;
    ShowCursor(FALSE);

    if (!m_Renderer.Create(m_Settings.width, m_Settings.height, m_Settings.antiAliasing, m_Settings.vsync,
                           m_Settings.windowed))
        return false;

    m_Factory.RegisterAll();

    if (!LoadScript(*this, "data\\demo.xml"))
        return false;

    if (!m_Music.Init(m_Settings.music))
        return false;

    m_Stream = m_Music.CreateStream(m_MusicFile);
    return true;
}

bool C_Demo::OpenWindow(WNDPROC procedure, const char* className, const char* title)
{
    WNDCLASSA windowClass = {};
    windowClass.style = CS_OWNDC;
    windowClass.lpfnWndProc = procedure;
    windowClass.cbClsExtra = 0;
    windowClass.cbWndExtra = 0;
    windowClass.hInstance = m_Instance;
    windowClass.hIcon = NULL;
    windowClass.hCursor = LoadCursorA(NULL, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszMenuName = NULL;
    windowClass.lpszClassName = className;
    if (RegisterClassA(&windowClass) == 0)
    {
        GetLastError();
        return false;
    }

    DWORD style;
    int x, y, width, height;
    if (m_Settings.windowed)
    {
        style = WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
        RECT rect = {0, 0, m_Settings.width, m_Settings.height};
        AdjustWindowRect(&rect, style, FALSE);
        x = CW_USEDEFAULT;
        y = CW_USEDEFAULT;
        width = rect.right - rect.left;
        height = rect.bottom - rect.top;
    }
    else
    {
        style = WS_POPUP | WS_VISIBLE;
        x = 0;
        y = 0;
        width = m_Settings.width;
        height = m_Settings.height;
    }

    m_Window = CreateWindowExA(0, className, title, style, x, y, width, height, NULL, NULL, m_Instance, NULL);
    if (m_Window == NULL)
        return false;

    ShowWindow(m_Window, SW_SHOW);
    return true;
}

void C_Demo::AddEvent(const boost::shared_ptr<C_FXEffect>& effect)
{
    uint32_t start = static_cast<uint32_t>(effect->m_StartTime.value);
    auto later = std::upper_bound(m_Events.begin(), m_Events.end(), start,
                                  [](uint32_t key, const boost::shared_ptr<C_FXEffect>& event)
                                  { return key < static_cast<uint32_t>(event->m_StartTime.value); });
    m_Events.insert(later, effect);
}

bool C_Demo::Shutdown()
{
    m_Music.Shutdown();
    DestroyWindow(m_Window);
    UnregisterClassA(GetWindowClassName(), m_Instance);
    return true;
}
