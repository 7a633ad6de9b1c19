// Clears the current target's colour and/or depth and stencil while active;
// its z decides which effects of the frame come before and after the clear.
#pragma once

#include "fx/effect.h"

class C_FXClear : public C_FXEffect
{
public:
    C_FXClear();
    static std::string TypeName() { return "clear"; }

    bool Render(float progress, float eventSeconds, float frameSeconds) override;

    C_VarBool m_Colour;  // "colour": a switch; the clear colour is always transparent black
    C_VarBool m_ZBuffer; // "zbuffer": depth and stencil
};
