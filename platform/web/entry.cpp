// The page's entry: WinMain as the Windows loader calls it, then the page is
// told that the run has ended and with which exit code. The program's waits
// give the page its thread back, so main returns long after the page called it.
#include <windows.h>

#include <emscripten.h>

namespace
{
EM_JS(void, quorl_page_ended, (int code), { Module.quorlPage.ended(code); });
} // namespace

int main()
{
    static char commandLine[] = "";
    const int code = WinMain(GetModuleHandleA(nullptr), nullptr, commandLine, SW_SHOWNORMAL);
    quorl_page_ended(code);
    return code;
}
