// Dialog templates read from resource-script text: the DIALOGEX blocks of an
// .rc file, with their controls written as CONTROL statements.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace win32
{

struct DialogControl
{
    std::string text;
    int id = 0;
    std::string className; // as written: "Button", "Static", "ComboBox", ...
    DWORD style = 0;
    DWORD exStyle = 0;
    int x = 0, y = 0, cx = 0, cy = 0; // dialog units
};

struct DialogTemplate
{
    // A numeric id, or a name when the script names the resource with text.
    int id = -1;
    std::string name;
    DWORD style = 0;
    DWORD exStyle = 0;
    int x = 0, y = 0, cx = 0, cy = 0; // dialog units
    std::string caption;
    int pointSize = 0;
    std::string typeface;
    int weight = 0;
    bool italic = false;
    int charset = 0;
    std::vector<DialogControl> controls; // template order, which is also the tab order
};

// Parses every DIALOGEX block of a resource script; other resources are
// skipped. "#define NAME value" lines and Win32's style and id names are
// understood; quoted #includes must already be expanded. On a syntax error
// returns false and describes it, with its line, in *error.
bool ParseResourceScript(const std::string& text, std::vector<DialogTemplate>& dialogs, std::string* error);

// Resource-script texts linked into the program, as the Windows build links
// the compiled resources into the executable.
void RegisterResourceScript(const char* text);
const std::vector<const char*>& RegisteredResourceScripts();

// Names as Windows compares them (resource names, window classes): ignoring case.
bool SameName(const std::string& a, const char* b);

// The registered dialog named by a resource name or MAKEINTRESOURCE id.
bool FindDialogTemplate(LPCSTR name, DialogTemplate& dialog);

} // namespace win32
