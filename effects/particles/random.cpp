#include "effects/particles/random.h"

#include <cmath>
#include <cstdint>

namespace
{
uint32_t g_RandomState = 1;
} // namespace

int Random()
{
    g_RandomState = g_RandomState * 214013u + 2531011u;
    return static_cast<int>((g_RandomState >> 16) & 0x7FFF);
}

float RandomUnit()
{
    return static_cast<float>(Random() / 32767.0);
}

D3DXVECTOR3 RandomVector(float radius)
{
    const float turn = 6.2831855f;
    float u1 = RandomUnit();
    float u2 = RandomUnit();
    float u3 = RandomUnit();
    float r = radius * u1;
    float a = u2 * turn;
    float b = u3 * turn;
    return D3DXVECTOR3(std::cos(a) * r * std::sin(b), std::sin(a) * r * std::sin(b), std::cos(b) * r);
}

uint32_t GetRandomState()
{
    return g_RandomState;
}

void SetRandomState(uint32_t state)
{
    g_RandomState = state;
}
