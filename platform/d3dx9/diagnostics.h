// Compiler messages in the form of the Direct3D compiler's:
// "file(line,column): error: text", "file(line): warning: text" or
// "file: error: text" when there is no source position.
#pragma once

#include <string>
#include <vector>

namespace d3dx9
{
struct Diagnostic
{
    std::string file;
    int line = 0;   // 0: no position
    int column = 0; // 0: unknown
    bool warning = false;
    std::string text;
};

typedef std::vector<Diagnostic> Diagnostics;

std::string FormatDiagnostics(const Diagnostics& diagnostics);
bool HasErrors(const Diagnostics& diagnostics);

// glslang's info log ("ERROR: name:line: text", "name(line): error at column
// N, text") as diagnostics; lines without a file go to defaultFile. Summary
// lines ("N compilation errors") are dropped.
void AppendGlslangLog(const std::string& log, const std::string& defaultFile, Diagnostics& out);
} // namespace d3dx9
