// The application object: owns everything that lives for the run.
#pragma once

#include "app/settings.h"
#include "app/singleton.h"
#include "music/music.h"
#include "render/renderer.h"
#include "resource/registry.h"
#include "timeline/active_list.h"
#include "timeline/effect_factory.h"
#include "timeline/event_list.h"

#include <bass.h>
#include <boost/shared_ptr.hpp>
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

LRESULT CALLBACK WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

class C_Demo : public C_Singleton<C_Demo>
{
public:
    C_Demo();

    virtual const char* GetWindowClassName();
    virtual const char* GetWindowTitle();
    virtual bool Init();
    virtual bool Run();
    virtual bool RenderFrame(uint32_t time, uint32_t delta);
    virtual bool Shutdown();

    // Registers the window class and opens the shown window that the settings
    // ask for (a popup at the origin, or a captioned window whose client area
    // is the resolution); the player's and the tools' one way to do it.
    bool OpenWindow(WNDPROC procedure, const char* className, const char* title);

    // The main loop's pass once the clock has said the time: draws that frame
    // when the device can draw, lets beforePresent see the finished back
    // buffer, presents, and makes time the previous time. Returns whether a
    // frame was drawn. The player and the tools step their frames with it.
    bool StepFrame(uint32_t time, const std::function<void()>& beforePresent = nullptr);

    // Inserts after every event that starts at or before this one.
    void AddEvent(const boost::shared_ptr<C_FXEffect>& effect);
    // Inserts before the first active effect of greater z.
    void AddActive(const boost::shared_ptr<C_FXEffect>& effect);

    C_Settings m_Settings;
    C_Renderer m_Renderer;
    C_ResourceRegistry m_Resources;
    C_Music m_Music;
    EffectFactory m_Factory;
    EventList m_Events;
    ActiveList m_Active;
    uint32_t m_NextEvent = 0;
    HINSTANCE m_Instance = NULL;
    HWND m_Window = NULL;
    int m_ExitCode = 0;
    bool m_QuitRequested = false;
    uint32_t m_PreviousTime = 0;
    uint32_t m_StartTime = 0;
    uint32_t m_EndTime = 0;
    std::string m_MusicFile;
    HSTREAM m_Stream = 0;
};
