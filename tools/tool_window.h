// The tools' demo window: opened with the player's own set-up and closed before
// the demo object goes, as in the player's shutdown (the window first, then the
// device and everything else with C_Demo).
#pragma once

#include "app/demo.h"

#include <windows.h>

#include <string>

class ToolWindow
{
public:
    ToolWindow(C_Demo& demo, WNDPROC procedure, std::string className)
        : m_Demo(demo), m_Procedure(procedure), m_ClassName(std::move(className))
    {
    }
    ~ToolWindow()
    {
        if (m_Demo.m_Window)
            DestroyWindow(m_Demo.m_Window);
        UnregisterClassA(m_ClassName.c_str(), m_Demo.m_Instance);
    }
    ToolWindow(const ToolWindow&) = delete;
    ToolWindow& operator=(const ToolWindow&) = delete;

    bool Open(const std::string& title)
    {
        m_Demo.m_Instance = GetModuleHandleA(NULL);
        return m_Demo.OpenWindow(m_Procedure, m_ClassName.c_str(), title.c_str());
    }

private:
    C_Demo& m_Demo;
    WNDPROC m_Procedure;
    std::string m_ClassName;
};
