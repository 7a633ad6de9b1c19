#include "fx/var.h"

#include <climits>
#include <locale>
#include <string>

#include <gtest/gtest.h>

namespace
{
// reads == false: the text holds no number, so the old value stays.
struct NumberCase
{
    std::string text;
    bool reads;
    double number;
};

class IntRule : public testing::TestWithParam<NumberCase>
{
};

TEST_P(IntRule, SetsTheNumberOrKeepsTheOldValue)
{
    const NumberCase& c = GetParam();
    C_VarInt var;
    var.value = 99;
    var.SetFromString(c.text);
    EXPECT_EQ(var.value, c.reads ? static_cast<int>(c.number) : 99);
    EXPECT_EQ(StringToInt(c.text), c.reads ? static_cast<int>(c.number) : 0);
}

INSTANTIATE_TEST_SUITE_P(Texts, IntRule,
                         testing::Values(NumberCase{" 42abc", true, 42}, NumberCase{" 1500", true, 1500},
                                         NumberCase{"-7", true, -7}, NumberCase{"12px", true, 12},
                                         NumberCase{"250ms", true, 250}, NumberCase{"0x10", true, 0},
                                         NumberCase{"1.5e3", true, 1}, NumberCase{"-2147483648", true, INT_MIN},
                                         NumberCase{"2147483648", false, 0}, NumberCase{"4294967296", false, 0},
                                         NumberCase{"abc", false, 0}, NumberCase{"", false, 0}));

class FloatRule : public testing::TestWithParam<NumberCase>
{
};

TEST_P(FloatRule, SetsTheNumberOrKeepsTheOldValue)
{
    const NumberCase& c = GetParam();
    C_VarFloat var;
    var.value = 7.0f;
    var.SetFromString(c.text);
    EXPECT_EQ(var.value, c.reads ? static_cast<float>(c.number) : 7.0f);
}

INSTANTIATE_TEST_SUITE_P(Texts, FloatRule,
                         testing::Values(NumberCase{"2,5", true, 2.0}, NumberCase{".5", true, 0.5},
                                         NumberCase{"3.5e2", true, 350.0}, NumberCase{"-0.25", true, -0.25},
                                         NumberCase{"abc", false, 0}, NumberCase{"", false, 0}));

// ',' decimals in the global locale, as a German user might have.
struct CommaDecimals : std::numpunct<char>
{
    char do_decimal_point() const override { return ','; }
};

TEST(VarFloat, IgnoresTheGlobalLocale)
{
    const std::locale previous = std::locale::global(std::locale(std::locale::classic(), new CommaDecimals));
    C_VarFloat var;
    var.SetFromString("2.5");
    std::locale::global(previous);
    EXPECT_EQ(var.value, 2.5f);
}

struct VectorCase
{
    std::string text;
    float x, y, z;
};

class VectorRule : public testing::TestWithParam<VectorCase>
{
};

TEST_P(VectorRule, StopsAtTheFirstBadComponent)
{
    const VectorCase& c = GetParam();
    C_VarVector3 v3;
    v3.x = 7;
    v3.y = 8;
    v3.z = 9;
    v3.SetFromString(c.text);
    EXPECT_EQ(v3.x, c.x);
    EXPECT_EQ(v3.y, c.y);
    EXPECT_EQ(v3.z, c.z);
    C_VarVector2 v2;
    v2.x = 7;
    v2.y = 8;
    v2.SetFromString(c.text);
    EXPECT_EQ(v2.x, c.x);
    EXPECT_EQ(v2.y, c.y);
}

INSTANTIATE_TEST_SUITE_P(Texts, VectorRule,
                         testing::Values(VectorCase{"1 2", 1, 2, 9}, VectorCase{"0.5 -1 2", 0.5f, -1, 2},
                                         VectorCase{"1, 2, 3", 1, 8, 9}, VectorCase{"x 2 3", 7, 8, 9}));

struct ColourCase
{
    std::string text;
    float r, g, b, a;
};

class ColourRule : public testing::TestWithParam<ColourCase>
{
};

const ColourCase kOld{"", 0.25f, 0.5f, 0.75f, 0.125f};

TEST_P(ColourRule, ReadsAarrggbbOrKeepsTheOldColour)
{
    const ColourCase& c = GetParam();
    C_VarColour colour;
    colour.r = kOld.r;
    colour.g = kOld.g;
    colour.b = kOld.b;
    colour.a = kOld.a;
    colour.SetFromString(c.text);
    // Exact: 1/255 as a float, applied in double; 0x7f and 0xcc tell it from a division.
    EXPECT_EQ(colour.r, c.r);
    EXPECT_EQ(colour.g, c.g);
    EXPECT_EQ(colour.b, c.b);
    EXPECT_EQ(colour.a, c.a);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ColourRule,
    testing::Values(ColourCase{"ff0000ff", 0, 0, 1, 1}, ColourCase{"ffffffff", 1, 1, 1, 1},
                    ColourCase{"0xff000000", 0, 0, 0, 1}, ColourCase{"80ffffff", 1, 1, 1, 0.501960813999176f},
                    ColourCase{"7fcc33ff", 0.8000000715255737f, 0.20000001788139343f, 1, 0.49803924560546875f},
                    ColourCase{"ff8000", 1, 0.501960813999176f, 0, 0},
                    ColourCase{" ffffffff", kOld.r, kOld.g, kOld.b, kOld.a},
                    ColourCase{"1ffffffff", kOld.r, kOld.g, kOld.b, kOld.a},
                    ColourCase{"-1", kOld.r, kOld.g, kOld.b, kOld.a},
                    ColourCase{"0x", kOld.r, kOld.g, kOld.b, kOld.a}));

class BoolRule : public testing::TestWithParam<std::string>
{
};

TEST_P(BoolRule, OnlyExactTrueSetsTheFlagAndNothingClearsIt)
{
    C_VarBool var;
    var.SetFromString(GetParam());
    EXPECT_EQ(var.flag, GetParam() == "true");
    var.flag = true;
    var.SetFromString(GetParam());
    EXPECT_TRUE(var.flag);
}

INSTANTIATE_TEST_SUITE_P(Texts, BoolRule, testing::Values("true", "True", "true ", "1", "false", ""));

TEST(VarString, KeepsTheTextAsWritten)
{
    C_VarString var;
    var.SetFromString("  two words\t ");
    EXPECT_EQ(var.text, "  two words\t ");
}
} // namespace
