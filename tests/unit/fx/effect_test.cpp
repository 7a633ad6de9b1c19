#include "fx/effect.h"

#include <gtest/gtest.h>

namespace
{
class FakeEffect : public C_FXEffect
{
public:
    FakeEffect()
    {
        RegisterVariable("speed", &speed);
        RegisterVariable("speed", &shadow);
        RegisterVariable("z", &shadow);
    }

    C_VarFloat speed;
    C_VarFloat shadow;
};

TEST(FXEffect, CommonParametersStartEmptyAndAreSetByName)
{
    C_FXEffect effect;
    EXPECT_EQ(effect.m_StartTime.value, 0);
    EXPECT_EQ(effect.m_Duration.value, 0);
    EXPECT_EQ(effect.m_Z.value, 0);
    EXPECT_EQ(effect.m_Target.text, "");
    effect.SetVariable("start_time", "1500");
    effect.SetVariable("duration", "250ms");
    effect.SetVariable("z", "-3");
    effect.SetVariable("target", " glow ");
    EXPECT_EQ(effect.m_StartTime.value, 1500);
    EXPECT_EQ(effect.m_Duration.value, 250);
    EXPECT_EQ(effect.m_Z.value, -3);
    EXPECT_EQ(effect.m_Target.text, " glow ");
}

TEST(FXEffect, NamesAreCaseSensitiveAndUnknownOnesIgnored)
{
    C_FXEffect effect;
    effect.SetVariable("Start_Time", "100");
    effect.SetVariable("start_time ", "100");
    effect.SetVariable("colour", "ffffffff");
    EXPECT_EQ(effect.m_StartTime.value, 0);
}

TEST(FXEffect, FirstRegistrationOfANameStays)
{
    FakeEffect effect;
    effect.SetVariable("speed", "2.5");
    effect.SetVariable("z", "4");
    EXPECT_EQ(effect.speed.value, 2.5f);
    EXPECT_EQ(effect.m_Z.value, 4);
    EXPECT_EQ(effect.shadow.value, 0.0f);
}
} // namespace
