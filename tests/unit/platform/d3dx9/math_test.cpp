#include <d3dx9.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>

namespace
{
const float kPi = 3.14159265358979f;
const float kTolerance = 1e-5f;

void ExpectVector(const D3DXVECTOR4& v, float x, float y, float z, float w)
{
    EXPECT_NEAR(v.x, x, kTolerance);
    EXPECT_NEAR(v.y, y, kTolerance);
    EXPECT_NEAR(v.z, z, kTolerance);
    EXPECT_NEAR(v.w, w, kTolerance);
}

D3DXVECTOR4 Transform(float x, float y, float z, const D3DXMATRIX& m)
{
    D3DXVECTOR3 point(x, y, z);
    D3DXVECTOR4 out;
    EXPECT_EQ(D3DXVec3Transform(&out, &point, &m), &out);
    return out;
}

TEST(D3DXMath, TypesHaveTheLayoutsThatShaderConstantsRelyOn)
{
    EXPECT_EQ(sizeof(D3DXMATRIX), 64u);
    EXPECT_EQ(sizeof(D3DXVECTOR2), 8u);
    EXPECT_EQ(sizeof(D3DXVECTOR3), 12u);
    EXPECT_EQ(sizeof(D3DXVECTOR4), 16u);
    EXPECT_EQ(sizeof(D3DXCOLOR), 16u);
    EXPECT_EQ(offsetof(D3DXCOLOR, r), 0u);
    EXPECT_EQ(offsetof(D3DXCOLOR, a), 12u);

    D3DXMATRIX m(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16);
    const float* flat = m;
    EXPECT_EQ(flat[1], 2.0f) << "row by row";
    EXPECT_EQ(flat[4], 5.0f);
    EXPECT_EQ(m(2, 3), 12.0f);
    EXPECT_EQ(m._43, 15.0f);
}

TEST(D3DXMath, ColorsConvertToAndFromArgb)
{
    D3DXCOLOR color(0x80FF4000);
    EXPECT_FLOAT_EQ(color.r, 1.0f);
    EXPECT_FLOAT_EQ(color.g, 64.0f / 255.0f);
    EXPECT_FLOAT_EQ(color.b, 0.0f);
    EXPECT_FLOAT_EQ(color.a, 128.0f / 255.0f);
    EXPECT_EQ(static_cast<DWORD>(color), 0x80FF4000u);
    EXPECT_EQ(static_cast<DWORD>(D3DXCOLOR(2.0f, -1.0f, 0.5f, 1.0f)), 0xFFFF0080u) << "saturated";
}

TEST(D3DXMath, RotationAboutAnAxisNormalisesIt)
{
    // A third of a turn about (1,1,1) cycles the axes: x to y, y to z, z to x.
    D3DXMATRIX m;
    D3DXVECTOR3 axis(2, 2, 2);
    EXPECT_EQ(D3DXMatrixRotationAxis(&m, &axis, 2 * kPi / 3), &m);
    ExpectVector(Transform(1, 0, 0, m), 0, 1, 0, 1);
    ExpectVector(Transform(0, 1, 0, m), 0, 0, 1, 1);
    ExpectVector(Transform(0, 0, 1, m), 1, 0, 0, 1);
    EXPECT_NEAR(m._12, 1.0f, kTolerance);
    EXPECT_NEAR(m._44, 1.0f, kTolerance);

    // A quarter turn about +z takes +x to +y in left-handed coordinates.
    D3DXVECTOR3 z(0, 0, 5);
    D3DXMatrixRotationAxis(&m, &z, kPi / 2);
    ExpectVector(Transform(3, 0, 1, m), 0, 3, 1, 1);
}

TEST(D3DXMath, PerspectiveFovLeftHanded)
{
    D3DXMATRIX m;
    EXPECT_EQ(D3DXMatrixPerspectiveFovLH(&m, kPi / 3, 4.0f / 3.0f, 1.0f, 100.0f), &m);
    const D3DXMATRIX expected(1.2990381f, 0, 0, 0, 0, 1.7320508f, 0, 0, 0, 0, 1.0101010f, 1, 0, 0, -1.0101010f, 0);
    for (UINT row = 0; row < 4; ++row)
        for (UINT col = 0; col < 4; ++col)
            EXPECT_NEAR(m(row, col), expected(row, col), kTolerance) << row << "," << col;

    // The near plane lands on depth 0, the far one on 1 after the divide.
    ExpectVector(Transform(0, 0, 1, m), 0, 0, 0, 1);
    const D3DXVECTOR4 far = Transform(0, 0, 100, m);
    EXPECT_NEAR(far.z / far.w, 1.0f, kTolerance);
}

TEST(D3DXMath, MultiplyAppliesTheLeftMatrixFirst)
{
    D3DXMATRIX translate, rotate, product;
    D3DXVECTOR3 z(0, 0, 1);
    EXPECT_EQ(D3DXMatrixTranslation(&translate, 1, 2, 3), &translate);
    D3DXMatrixRotationAxis(&rotate, &z, kPi / 2);

    EXPECT_EQ(D3DXMatrixMultiply(&product, &translate, &rotate), &product);
    ExpectVector(Transform(1, 0, 0, product), -2, 2, 3, 1);
    ExpectVector(Transform(1, 0, 0, rotate * translate), 1, 3, 3, 1);

    // The output may alias either operand.
    D3DXMatrixMultiply(&translate, &translate, &rotate);
    ExpectVector(Transform(1, 0, 0, translate), -2, 2, 3, 1);

    D3DXMATRIX identity;
    EXPECT_EQ(D3DXMatrixIdentity(&identity), &identity);
    ExpectVector(Transform(4, 5, 6, identity * rotate), -5, 4, 6, 1);
}

TEST(D3DXMath, TransposeSwapsRowsAndColumnsInPlaceToo)
{
    D3DXMATRIX m(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16), t;
    EXPECT_EQ(D3DXMatrixTranspose(&t, &m), &t);
    for (UINT row = 0; row < 4; ++row)
        for (UINT col = 0; col < 4; ++col)
            EXPECT_EQ(t(row, col), m(col, row));
    D3DXMatrixTranspose(&m, &m);
    EXPECT_EQ(m._12, 5.0f);
    EXPECT_EQ(m._41, 4.0f);
}

TEST(D3DXMath, NormalizeGivesUnitLengthAndLeavesZeroAlone)
{
    D3DXVECTOR3 v(3, 0, -4), out;
    EXPECT_EQ(D3DXVec3Normalize(&out, &v), &out);
    EXPECT_FLOAT_EQ(out.x, 0.6f);
    EXPECT_FLOAT_EQ(out.y, 0.0f);
    EXPECT_FLOAT_EQ(out.z, -0.8f);
    D3DXVECTOR3 zero(0, 0, 0);
    D3DXVec3Normalize(&out, &zero);
    EXPECT_EQ(out.x, 0.0f);
    EXPECT_FALSE(std::isnan(out.y));
}
} // namespace
