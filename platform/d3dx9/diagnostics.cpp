#include "d3dx9/diagnostics.h"

#include <cctype>
#include <cstdlib>
#include <sstream>

namespace d3dx9
{
namespace
{
std::string Trim(const std::string& text)
{
    size_t begin = 0, end = text.size();
    while (begin < end && std::isspace(static_cast<unsigned char>(text[begin])))
        ++begin;
    while (end > begin && std::isspace(static_cast<unsigned char>(text[end - 1])))
        --end;
    return text.substr(begin, end - begin);
}

bool StartsWith(const std::string& text, const char* prefix)
{
    return text.compare(0, std::char_traits<char>::length(prefix), prefix) == 0;
}

// Reads the digits at text[pos]; false when there are none.
bool ReadNumber(const std::string& text, size_t& pos, int& value)
{
    size_t start = pos;
    while (pos < text.size() && std::isdigit(static_cast<unsigned char>(text[pos])))
        ++pos;
    if (pos == start)
        return false;
    value = std::atoi(text.c_str() + start);
    return true;
}

// "name:line: text": the first ":<digits>: " ends the name, so drive letters
// and colons inside the text stay where they belong.
bool SplitNameLine(const std::string& rest, Diagnostic& diagnostic)
{
    for (size_t colon = rest.find(':'); colon != std::string::npos; colon = rest.find(':', colon + 1))
    {
        size_t pos = colon + 1;
        int line;
        if (colon == 0 || !ReadNumber(rest, pos, line) || pos >= rest.size() || rest[pos] != ':')
            continue;
        diagnostic.file = rest.substr(0, colon);
        diagnostic.line = line;
        diagnostic.text = Trim(rest.substr(pos + 1));
        return true;
    }
    return false;
}

// "name(line): error at column N, text", the parser's own summary line.
bool SplitParenthesised(const std::string& line, Diagnostic& diagnostic)
{
    const std::string marker = "): error at column ";
    size_t close = line.find(marker);
    if (close == std::string::npos)
        return false;
    size_t open = line.rfind('(', close);
    if (open == std::string::npos || open == 0)
        return false;
    size_t pos = open + 1;
    int lineNumber, column;
    if (!ReadNumber(line, pos, lineNumber) || pos != close)
        return false;
    pos = close + marker.size();
    if (!ReadNumber(line, pos, column))
        return false;
    while (pos < line.size() && (line[pos] == ',' || line[pos] == ' '))
        ++pos;
    diagnostic.file = line.substr(0, open);
    diagnostic.line = lineNumber;
    diagnostic.column = column;
    diagnostic.text = Trim(line.substr(pos));
    return true;
}
} // namespace

std::string FormatDiagnostics(const Diagnostics& diagnostics)
{
    std::ostringstream out;
    for (const Diagnostic& d : diagnostics)
    {
        out << d.file;
        if (d.line > 0)
        {
            out << '(' << d.line;
            if (d.column > 0)
                out << ',' << d.column;
            out << ')';
        }
        out << (d.warning ? ": warning: " : ": error: ") << d.text << '\n';
    }
    return out.str();
}

bool HasErrors(const Diagnostics& diagnostics)
{
    for (const Diagnostic& d : diagnostics)
        if (!d.warning)
            return true;
    return false;
}

void AppendGlslangLog(const std::string& log, const std::string& defaultFile, Diagnostics& out)
{
    std::istringstream lines(log);
    std::string line;
    while (std::getline(lines, line))
    {
        line = Trim(line);
        if (line.empty())
            continue;
        Diagnostic diagnostic;
        std::string rest;
        if (StartsWith(line, "ERROR: "))
            rest = line.substr(7);
        else if (StartsWith(line, "WARNING: "))
        {
            rest = line.substr(9);
            diagnostic.warning = true;
        }
        else if (SplitParenthesised(line, diagnostic))
        {
            out.push_back(diagnostic);
            continue;
        }
        else
            continue; // stage banners ("Linked vertex stage:") and the like
        if (rest.find("compilation errors") != std::string::npos || StartsWith(rest, "Linking "))
        {
            // Link-stage lines carry no position: keep their text only.
            if (!StartsWith(rest, "Linking "))
                continue;
            size_t colon = rest.find(": ");
            diagnostic.file = defaultFile;
            diagnostic.text = colon == std::string::npos ? rest : Trim(rest.substr(colon + 2));
            out.push_back(diagnostic);
            continue;
        }
        if (!SplitNameLine(rest, diagnostic))
        {
            diagnostic.file = defaultFile;
            diagnostic.text = rest;
        }
        out.push_back(diagnostic);
    }
}
} // namespace d3dx9
