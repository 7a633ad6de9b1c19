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

// Where something loads or fails, its text is composed and let go here.
inline void Diagnostic(const std::string& text)
{
    static_cast<void>(text);
}
