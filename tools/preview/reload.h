// Loads and reloads the show into the player's own demo object. A load that
// fails (the script does not read, a shader does not compile, a file does not
// load) leaves the last good show in place and says what went wrong.
#pragma once

#include <string>
#include <vector>

class C_Demo;

namespace Preview
{
class ShowLoader
{
public:
    ShowLoader(C_Demo& demo, std::string script);

    // Rebuilds the resources and the events from the files as they are now.
    // True when the new show replaced the old one; false when the old one
    // (or none, at the first load) stays, with Errors() saying why.
    bool Load();

    bool HasShow() const { return m_HasShow; }
    // file(line): message, one problem per entry; empty after a good load.
    const std::vector<std::string>& Errors() const { return m_Errors; }
    // Problems the player would pass over (unknown effects and attributes),
    // kept with a good load.
    const std::vector<std::string>& Warnings() const { return m_Warnings; }

private:
    void Classify(const std::vector<std::string>& diagnostics, const std::string& scriptText);
    void DescribeScriptFailure(const std::string& scriptText);

    C_Demo& m_Demo;
    std::string m_Script;
    bool m_HasShow = false;
    std::vector<std::string> m_Errors;
    std::vector<std::string> m_Warnings;
};

// The line (from 1) of the first occurrence of needle in text, or 0.
int LineOf(const std::string& text, const std::string& needle);
} // namespace Preview
