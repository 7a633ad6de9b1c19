// The script's name of an effect object's type, for the overlay.
#pragma once

#include <string>

class C_FXEffect;

namespace Preview
{
std::string EffectTypeName(const C_FXEffect& effect);
}
