#include "fx/var.h"

#include <cstdint>
#include <istream>
#include <locale>
#include <sstream>

static_assert(sizeof(int) == 4, "integer parameters are 32-bit");
static_assert(sizeof(float) == 4, "float parameters are 32-bit");

namespace
{
// Scripts are written with '.' decimals whatever the user's locale is.
void UseScriptNumbers(std::istringstream& stream)
{
    stream.imbue(std::locale::classic());
}

// The extractors store 0 or a limit on failure, so the target is written
// only after a successful read.
template <class T>
bool Extract(std::istream& stream, T& target)
{
    T parsed{};
    if (!(stream >> parsed))
        return false;
    target = parsed;
    return true;
}

bool ReadInt(const std::string& text, int& target)
{
    std::istringstream stream(text);
    UseScriptNumbers(stream);
    return Extract(stream, target);
}

float ColourComponent(std::uint32_t argb, unsigned shift)
{
    // 1/255 rounded to float, applied in double and rounded back.
    const double scale = 0.003921568859368563;
    const float byte = static_cast<float>((argb >> shift) & 0xFFu);
    return static_cast<float>(byte * scale);
}
} // namespace

void C_VarBool::SetFromString(const std::string& text)
{
    if (text == "true")
        flag = true;
}

void C_VarInt::SetFromString(const std::string& text)
{
    ReadInt(text, value);
}

void C_VarFloat::SetFromString(const std::string& text)
{
    std::istringstream stream(text);
    UseScriptNumbers(stream);
    Extract(stream, value);
}

void C_VarColour::SetFromString(const std::string& text)
{
    // The unsigned extractor accepts a sign and wraps "-1" to 0xFFFFFFFF;
    // a colour is digits only, so signed text holds no colour.
    if (!text.empty() && (text[0] == '-' || text[0] == '+'))
        return;

    std::istringstream stream(text);
    UseScriptNumbers(stream);
    // Hexadecimal alone: this also turns off skipping of leading blanks.
    stream.flags(std::ios::hex);
    std::uint32_t argb = 0;
    if (!Extract(stream, argb))
        return;

    r = ColourComponent(argb, 16);
    g = ColourComponent(argb, 8);
    b = ColourComponent(argb, 0);
    a = ColourComponent(argb, 24);
}

void C_VarString::SetFromString(const std::string& text)
{
    this->text = text;
}

void C_VarVector2::SetFromString(const std::string& text)
{
    std::istringstream stream(text);
    UseScriptNumbers(stream);
    if (Extract(stream, x))
        Extract(stream, y);
}

void C_VarVector3::SetFromString(const std::string& text)
{
    std::istringstream stream(text);
    UseScriptNumbers(stream);
    if (Extract(stream, x) && Extract(stream, y))
        Extract(stream, z);
}

int StringToInt(const std::string& text)
{
    int value = 0;
    ReadInt(text, value);
    return value;
}
