// RunInHelper where there are no processes (the browser): the work runs in
// this one, and a crash in it ends the page's run as any other would.
#include "d3dx9/helper.h"

namespace d3dx9
{
void StartHelper() {}

bool RunInHelper(Work work, const std::string& request, std::string& reply, const Ask& answer)
{
    reply = RunHere(work, request, answer);
    return true;
}
} // namespace d3dx9
