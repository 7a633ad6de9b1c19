// The parameter types' text syntax: every type reads the same text.
#include "fx/var.h"

#include <cmath>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);

    C_VarBool flag;
    flag.flag = false;
    flag.SetFromString(text);

    C_VarInt number;
    number.value = 0;
    number.SetFromString(text);
    StringToInt(text);

    C_VarFloat real;
    real.value = 0.0f;
    real.SetFromString(text);

    C_VarColour colour;
    colour.r = colour.g = colour.b = colour.a = 0.0f;
    colour.SetFromString(text);
    for (float component : {colour.r, colour.g, colour.b, colour.a})
        if (!(component >= 0.0f && component <= 1.0f))
            std::abort();

    C_VarString string;
    string.SetFromString(text);
    if (string.text != text)
        std::abort();

    C_VarVector2 v2;
    v2.x = v2.y = 0.0f;
    v2.SetFromString(text);

    C_VarVector3 v3;
    v3.x = v3.y = v3.z = 0.0f;
    v3.SetFromString(text);
    return 0;
}
