#include "d3dx9/hlsl_globals.h"

#include <cctype>
#include <set>
#include <vector>

namespace d3dx9
{
namespace
{
struct Token
{
    std::string text;
    int line;
    int column;
};

bool IdentifierStart(char c)
{
    return std::isalpha(static_cast<unsigned char>(c)) || c == '_';
}

bool IdentifierPart(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

// Identifiers, numbers and single punctuation characters; directives and
// comments left by the preprocessor are skipped.
std::vector<Token> Tokenise(const std::string& text)
{
    std::vector<Token> tokens;
    int line = 1;
    size_t lineBegin = 0;
    bool lineStart = true;
    auto column = [&](size_t at) { return static_cast<int>(at - lineBegin) + 1; };
    for (size_t i = 0; i < text.size();)
    {
        const char c = text[i];
        if (c == '\n')
        {
            ++line;
            lineStart = true;
            lineBegin = ++i;
        }
        else if (std::isspace(static_cast<unsigned char>(c)))
            ++i;
        else if (lineStart && c == '#')
        {
            while (i < text.size() && text[i] != '\n')
                ++i;
        }
        else if (text.compare(i, 2, "//") == 0)
        {
            while (i < text.size() && text[i] != '\n')
                ++i;
        }
        else if (text.compare(i, 2, "/*") == 0)
        {
            const size_t end = text.find("*/", i + 2);
            const size_t stop = end == std::string::npos ? text.size() : end + 2;
            for (; i < stop; ++i)
                if (text[i] == '\n')
                {
                    ++line;
                    lineBegin = i + 1;
                }
        }
        else if (IdentifierStart(c) || std::isdigit(static_cast<unsigned char>(c)))
        {
            const size_t start = i;
            while (i < text.size() && (IdentifierPart(text[i]) || text[i] == '.'))
                ++i;
            tokens.push_back({text.substr(start, i - start), line, column(start)});
            lineStart = false;
        }
        else
        {
            tokens.push_back({std::string(1, c), line, column(i)});
            lineStart = false;
            ++i;
        }
    }
    return tokens;
}

bool Opaque(const std::string& type)
{
    static const std::set<std::string> kOpaque = {
        "sampler",          "sampler1D",     "sampler2D",        "sampler3D",
        "samplerCUBE",      "sampler_state", "SamplerState",     "SamplerComparisonState",
        "texture",          "Texture",       "texture1D",        "texture2D",
        "texture3D",        "textureCUBE",   "Texture1D",        "Texture2D",
        "Texture3D",        "TextureCube",   "Texture1DArray",   "Texture2DArray",
        "TextureCubeArray", "Texture2DMS",   "Texture2DMSArray", "Buffer"};
    return kOpaque.count(type) != 0;
}

bool Qualifier(const std::string& word)
{
    static const std::set<std::string> kQualifiers = {"static",  "uniform",    "extern",    "const",
                                                      "shared",  "volatile",   "row_major", "column_major",
                                                      "precise", "groupshared"};
    return kQualifiers.count(word) != 0;
}
} // namespace

Redefinition FindGlobalRedefinition(const std::string& preprocessed)
{
    const std::vector<Token> tokens = Tokenise(preprocessed);
    std::set<std::string> taken; // samplers, textures and structures so far
    size_t i = 0;
    // One global statement at a time: up to a ';' or a closing '}' at depth 0.
    while (i < tokens.size())
    {
        const size_t start = i;
        int depth = 0;
        size_t end = i;
        for (; end < tokens.size(); ++end)
        {
            const std::string& t = tokens[end].text;
            if (t == "{" || t == "(" || t == "[")
                ++depth;
            else if (t == "}" || t == ")" || t == "]")
            {
                if (--depth <= 0 && t == "}")
                {
                    // A structure or block may still name variables before its ';'.
                    if (end + 1 < tokens.size() && tokens[end + 1].text == ";")
                        ++end;
                    break;
                }
            }
            else if (depth <= 0 && t == ";")
                break;
        }
        i = end + 1;

        size_t k = start;
        while (k < end && Qualifier(tokens[k].text))
            ++k;
        if (k >= end)
            continue;
        const std::string& first = tokens[k].text;
        // What this statement names as a sampler, texture, structure or type.
        size_t declared = end;
        if (first == "struct" || Opaque(first))
            declared = k + 1;
        else if (first == "typedef")
            declared = end - 1;
        // Past the type, a taken name outside brackets is being declared
        // again (the parser recovers from junk by declaring what follows).
        int nesting = 0;
        for (size_t m = k + 1; m < end && m < tokens.size(); ++m)
        {
            const std::string& t = tokens[m].text;
            nesting += (t == "(" || t == "[" || t == "{") - (t == ")" || t == "]" || t == "}");
            if (nesting == 0 && m != declared && taken.count(t))
                return {t, tokens[m].line, tokens[m].column};
        }
        if (declared < end && declared < tokens.size() && IdentifierStart(tokens[declared].text[0]))
            taken.insert(tokens[declared].text);
    }
    return {};
}
} // namespace d3dx9
