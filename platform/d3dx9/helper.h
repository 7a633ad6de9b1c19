// Work that a library may crash on, run in a helper process: the libraries
// behind D3DX here (glslang, Assimp) end the process on some malformed files,
// where D3DX on Windows reports an error. One helper, forked while the process
// is still small, serves every such call of the run over a socket; a call that
// it does not survive fails, and the next call starts another. This is the one
// file pair with processes: a build without them (the web) puts in its place a
// RunInHelper that calls the work in this process.
#pragma once

#include <functional>
#include <string>

namespace d3dx9
{
// A question from the work back to the calling process while it runs, such as
// the compiler's #include files; false when there is no answer.
using Ask = std::function<bool(const std::string& question, std::string& answer)>;

// The work itself: a request in, a reply out. A plain function, whose address
// names the same code in the helper, which is a fork of this process.
using Work = std::string (*)(const std::string& request, const Ask& ask);

// Starts the helper unless it runs. Called first thing in main(), the fork is
// cheap, and the helper holds nothing of what the process opens later (the
// display, GL, audio, their threads). Otherwise the first call starts it.
void StartHelper();

// Runs work on the request in the helper and gives back its reply, answering
// its questions with `answer`. False when the helper ended during the call or
// its reply did not come. Where no helper can be started, work runs here.
bool RunInHelper(Work work, const std::string& request, std::string& reply, const Ask& answer = nullptr);

// The work run in this process, for where no helper can serve it.
inline std::string RunHere(Work work, const std::string& request, const Ask& answer)
{
    return work(
        request, answer ? answer : [](const std::string&, std::string&) { return false; });
}
} // namespace d3dx9
