// The log object: tied to "log.txt" for the whole process and never opened.
// Diagnostic texts are composed where things load or fail and go nowhere.
#pragma once

#include <fstream>
#include <string>

class C_Log
{
public:
    explicit C_Log(const std::string& fileName);

private:
    std::string m_FileName;
    std::ofstream m_File;
};

extern C_Log g_Log;

// Tools may listen to the diagnostics; the player never sets a listener, so
// there the texts go nowhere.
using DiagnosticListener = void (*)(const std::string& text);
extern DiagnosticListener g_DiagnosticListener;

// Where something loads or fails, its text is composed and let go here.
inline void Diagnostic(const std::string& text)
{
    if (g_DiagnosticListener)
        g_DiagnosticListener(text);
}
