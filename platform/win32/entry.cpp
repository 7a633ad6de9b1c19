// The process entry: main() hands over to WinMain as the Windows loader would.
#include <windows.h>

#include "d3dx9/helper.h"

#include <string>

namespace
{

// Quotes one argument so that Windows' command-line parsing gives it back unchanged.
void AppendArgument(std::string& line, const std::string& arg)
{
    if (!line.empty())
        line += ' ';
    if (!arg.empty() && arg.find_first_of(" \t\n\v\"") == std::string::npos)
    {
        line += arg;
        return;
    }
    line += '"';
    size_t backslashes = 0;
    for (const char c : arg)
    {
        if (c == '\\')
        {
            ++backslashes;
            continue;
        }
        // Backslashes count double only before a quote.
        line.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
        backslashes = 0;
        line += c;
    }
    line.append(backslashes * 2, '\\');
    line += '"';
}

} // namespace

int main(int argc, char** argv)
{
    // D3DX's helper process is forked now, while this process is small and has no threads.
    d3dx9::StartHelper();
    // WinMain's command line is the arguments without the program name.
    static std::string commandLine;
    for (int i = 1; i < argc; ++i)
        AppendArgument(commandLine, argv[i]);
    return WinMain(GetModuleHandleA(nullptr), nullptr, commandLine.data(), SW_SHOWNORMAL);
}
