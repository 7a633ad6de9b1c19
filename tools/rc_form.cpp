// quorl-rc-form: writes the web build's page, with every dialog of the
// program's resource script as an HTML form, as windres compiles the same
// templates into the Windows executable. Controls keep the template's order
// (the tab order), positions and sizes in the page's dialog units, ids and
// styles; the dialog manager (platform/web/dialog.cpp) reads them back.
// Usage: quorl-rc-form <script.rc> <page template> <page>
#include "web/form_units.h"
#include "win32/dialog_control.h"
#include "win32/dialog_template.h"

#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace
{

const char kMarker[] = "<!-- quorl:dialogs -->";

bool ReadText(const std::string& path, std::string& text)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    text = out.str();
    return static_cast<bool>(in);
}

// Pastes quoted #includes in from the script's folder, as the resource
// compiler reads them (angle-bracket ones are the system's, left to the parser).
bool ExpandIncludes(const std::string& path, std::string& text, std::string& error)
{
    const std::string folder = path.find('/') == std::string::npos ? "." : path.substr(0, path.rfind('/'));
    for (size_t at = text.find("#include"); at != std::string::npos; at = text.find("#include", at + 1))
    {
        const size_t open = text.find_first_not_of(" \t", at + 8);
        if (open == std::string::npos || text[open] != '"')
            continue;
        const size_t close = text.find('"', open + 1);
        const std::string name = text.substr(open + 1, close - open - 1);
        std::string body;
        if (close == std::string::npos || !ReadText(folder + "/" + name, body))
        {
            error = path + ": included file " + name + " not found";
            return false;
        }
        text.replace(at, close + 1 - at, body);
    }
    return true;
}

std::string Escape(const std::string& text)
{
    std::string out;
    for (const char c : text)
    {
        switch (c)
        {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c;
        }
    }
    return out;
}

// Win32 marks a mnemonic with '&' ("&&" for the character); the page shows none.
std::string WithoutMnemonic(const std::string& text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i)
    {
        if (text[i] != '&')
            out += text[i];
        else if (i + 1 < text.size() && text[i + 1] == '&')
            out += text[++i];
    }
    return out;
}

int X(int units)
{
    return win32::MulDiv(units, web::kBaseX, 4);
}

int Y(int units)
{
    return win32::MulDiv(units, web::kBaseY, 8);
}

// The class as the dialog manager numbers it: Button, Static, ComboBox.
int ClassNumber(win32::ControlState::Kind kind)
{
    switch (kind)
    {
    case win32::ControlState::PushButton:
    case win32::ControlState::CheckBox: return 0;
    case win32::ControlState::Label: return 1;
    default: return 2;
    }
}

bool WriteControl(std::ostream& out, const std::string& dialogName, size_t index, const win32::DialogControl& control,
                  std::string& error)
{
    win32::ControlState::Kind kind;
    if (!win32::ControlKindFor(control, kind))
    {
        error = "dialog " + dialogName + ": control " + std::to_string(control.id) + " of class " + control.className +
                " is not provided";
        return false;
    }
    // A closed combo box is one line high; the template's height is that of its open list.
    const bool combo = kind == win32::ControlState::ComboList || kind == win32::ControlState::ComboEdit;
    const int height = combo ? web::kBaseY + 8 : Y(control.cy);
    std::ostringstream attributes;
    attributes << " data-id=\"" << control.id << "\" data-class=\"" << ClassNumber(kind) << "\" data-style=\""
               << static_cast<long long>(control.style) << "\" style=\"left:" << X(control.x)
               << "px;top:" << Y(control.y) << "px;width:" << X(control.cx) << "px;height:" << height << "px\"";
    if (!(control.style & WS_VISIBLE))
        attributes << " hidden";
    std::string focus;
    if (!(control.style & WS_TABSTOP))
        focus += " tabindex=\"-1\"";
    if (control.style & WS_DISABLED)
        focus += " disabled";
    const std::string text = Escape(WithoutMnemonic(control.text));
    switch (kind)
    {
    case win32::ControlState::PushButton:
        if ((control.style & BS_TYPEMASK) == BS_DEFPUSHBUTTON)
            focus += " data-default";
        out << "<button type=\"button\"" << attributes.str() << focus << ">" << text << "</button>\n";
        break;
    case win32::ControlState::CheckBox:
        out << "<label" << attributes.str() << "><input type=\"checkbox\"" << focus << "> " << text << "</label>\n";
        break;
    case win32::ControlState::Label:
        out << "<span" << attributes.str() << ">" << ((control.style & SS_NOPREFIX) ? Escape(control.text) : text)
            << "</span>\n";
        break;
    case win32::ControlState::ComboList: out << "<select" << attributes.str() << focus << "></select>\n"; break;
    case win32::ControlState::ComboEdit:
    {
        const std::string list = "quorl-list-" + dialogName + "-" + std::to_string(index);
        out << "<input type=\"text\" autocomplete=\"off\" list=\"" << list << "\"" << attributes.str() << focus
            << "><datalist id=\"" << list << "\"></datalist>\n";
        break;
    }
    }
    return true;
}

bool WriteDialog(std::ostream& out, const win32::DialogTemplate& dialog, std::string& error)
{
    const std::string name = dialog.id >= 0 ? std::to_string(dialog.id) : dialog.name;
    const int width = X(dialog.cx);
    out << "<form class=\"quorl-dialog\" data-resource=\"" << Escape(name) << "\" hidden style=\"width:" << width
        << "px\">\n";
    if ((dialog.style & WS_CAPTION) == WS_CAPTION)
    {
        out << "<div class=\"quorl-caption\"><span>" << Escape(dialog.caption) << "</span>";
        if (dialog.style & WS_SYSMENU)
            out << "<button type=\"button\" class=\"quorl-close\" tabindex=\"-1\" "
                   "aria-label=\"Close\">&#x2715;</button>";
        out << "</div>\n";
    }
    out << "<div class=\"quorl-client\" style=\"width:" << width << "px;height:" << Y(dialog.cy) << "px\">\n";
    for (size_t i = 0; i < dialog.controls.size(); ++i)
    {
        if (!WriteControl(out, name, i, dialog.controls[i], error))
            return false;
    }
    out << "</div>\n</form>\n";
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 4)
    {
        std::cerr << "usage: quorl-rc-form <script.rc> <page template> <page>\n";
        return 2;
    }
    std::string script, page, error;
    if (!ReadText(argv[1], script) || !ReadText(argv[2], page))
    {
        std::cerr << "quorl-rc-form: cannot read " << argv[1] << " or " << argv[2] << "\n";
        return 1;
    }
    std::vector<win32::DialogTemplate> dialogs;
    if (!ExpandIncludes(argv[1], script, error) || !win32::ParseResourceScript(script, dialogs, &error))
    {
        std::cerr << "quorl-rc-form: " << error << "\n";
        return 1;
    }
    std::ostringstream forms;
    for (const win32::DialogTemplate& dialog : dialogs)
    {
        if (!WriteDialog(forms, dialog, error))
        {
            std::cerr << "quorl-rc-form: " << argv[1] << ": " << error << "\n";
            return 1;
        }
    }
    const size_t marker = page.find(kMarker);
    if (marker == std::string::npos)
    {
        std::cerr << "quorl-rc-form: " << argv[2] << " has no " << kMarker << "\n";
        return 1;
    }
    page.replace(marker, sizeof kMarker - 1, forms.str());
    std::string old;
    if (ReadText(argv[3], old) && old == page)
        return 0;
    std::ofstream out(argv[3], std::ios::binary | std::ios::trunc);
    out << page;
    return out ? 0 : 1;
}
