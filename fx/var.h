// Effect parameters: each reads its value from the text of a script attribute.
// Effects own them as members and read the value members directly.
#pragma once

#include <string>

class C_Var
{
public:
    virtual ~C_Var() = default;
    // Bad text leaves the value as it was; nothing is reported.
    virtual void SetFromString(const std::string& text) = 0;
};

// Only the exact text "true" sets the flag; nothing clears it.
class C_VarBool : public C_Var
{
public:
    void SetFromString(const std::string& text) override;

    bool flag = false;
};

// Leading decimal integer; the rest of the text is ignored.
class C_VarInt : public C_Var
{
public:
    void SetFromString(const std::string& text) override;

    int value = 0;
};

// Leading decimal floating-point number; the rest of the text is ignored.
class C_VarFloat : public C_Var
{
public:
    void SetFromString(const std::string& text) override;

    float value = 0.0f;
};

// Hexadecimal 0xAARRGGBB, stored as floats in D3DXCOLOR order.
class C_VarColour : public C_Var
{
public:
    void SetFromString(const std::string& text) override;

    float r = 0.0f;
    float g = 0.0f;
    float b = 0.0f;
    float a = 0.0f;
};

// A start_/end_ pair of colours at progress t, as r, g, b, a.
inline void InterpolateColour(const C_VarColour& from, const C_VarColour& to, float t, float out[4])
{
    out[0] = from.r + (to.r - from.r) * t;
    out[1] = from.g + (to.g - from.g) * t;
    out[2] = from.b + (to.b - from.b) * t;
    out[3] = from.a + (to.a - from.a) * t;
}

// The text as written, blanks included.
class C_VarString : public C_Var
{
public:
    void SetFromString(const std::string& text) override;

    std::string text;
};

// Blank-separated floats "x y"; reading stops at the first bad component.
class C_VarVector2 : public C_Var
{
public:
    void SetFromString(const std::string& text) override;

    float x = 0.0f;
    float y = 0.0f;
};

// Blank-separated floats "x y z"; reading stops at the first bad component.
class C_VarVector3 : public C_Var
{
public:
    void SetFromString(const std::string& text) override;

    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
};

// Text to a signed 32-bit integer by the parameter rule for integers; 0 when
// the text does not begin with a number or the number does not fit.
int StringToInt(const std::string& text);
