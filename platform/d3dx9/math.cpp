#include <d3dx9.h>

#include <cmath>

D3DXMATRIX::D3DXMATRIX(float f11, float f12, float f13, float f14, float f21, float f22, float f23, float f24,
                       float f31, float f32, float f33, float f34, float f41, float f42, float f43, float f44)
{
    _11 = f11, _12 = f12, _13 = f13, _14 = f14;
    _21 = f21, _22 = f22, _23 = f23, _24 = f24;
    _31 = f31, _32 = f32, _33 = f33, _34 = f34;
    _41 = f41, _42 = f42, _43 = f43, _44 = f44;
}

D3DXMATRIX D3DXMATRIX::operator*(const D3DXMATRIX& mat) const
{
    D3DXMATRIX product;
    D3DXMatrixMultiply(&product, this, &mat);
    return product;
}

D3DXMATRIX& D3DXMATRIX::operator*=(const D3DXMATRIX& mat)
{
    D3DXMatrixMultiply(this, this, &mat);
    return *this;
}

D3DXCOLOR::D3DXCOLOR(DWORD argb)
{
    const float scale = 1.0f / 255.0f;
    a = scale * ((argb >> 24) & 0xFF);
    r = scale * ((argb >> 16) & 0xFF);
    g = scale * ((argb >> 8) & 0xFF);
    b = scale * (argb & 0xFF);
}

D3DXCOLOR::operator DWORD() const
{
    // Channels outside 0..1 saturate; the rest round to nearest.
    auto channel = [](float value) -> DWORD
    {
        if (!(value > 0.0f))
            return 0;
        if (value >= 1.0f)
            return 0xFF;
        return static_cast<DWORD>(value * 255.0f + 0.5f);
    };
    return (channel(a) << 24) | (channel(r) << 16) | (channel(g) << 8) | channel(b);
}

D3DXMATRIX* WINAPI D3DXMatrixIdentity(D3DXMATRIX* pOut)
{
    *pOut = D3DXMATRIX(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1);
    return pOut;
}

D3DXMATRIX* WINAPI D3DXMatrixMultiply(D3DXMATRIX* pOut, const D3DXMATRIX* pM1, const D3DXMATRIX* pM2)
{
    // Computed aside: the output may be one of the operands.
    D3DXMATRIX product;
    for (int row = 0; row < 4; ++row)
        for (int col = 0; col < 4; ++col)
            product.m[row][col] = pM1->m[row][0] * pM2->m[0][col] + pM1->m[row][1] * pM2->m[1][col] +
                                  pM1->m[row][2] * pM2->m[2][col] + pM1->m[row][3] * pM2->m[3][col];
    *pOut = product;
    return pOut;
}

D3DXMATRIX* WINAPI D3DXMatrixTranspose(D3DXMATRIX* pOut, const D3DXMATRIX* pM)
{
    D3DXMATRIX transposed;
    for (int row = 0; row < 4; ++row)
        for (int col = 0; col < 4; ++col)
            transposed.m[row][col] = pM->m[col][row];
    *pOut = transposed;
    return pOut;
}

D3DXMATRIX* WINAPI D3DXMatrixTranslation(D3DXMATRIX* pOut, float x, float y, float z)
{
    D3DXMatrixIdentity(pOut);
    pOut->_41 = x;
    pOut->_42 = y;
    pOut->_43 = z;
    return pOut;
}

D3DXMATRIX* WINAPI D3DXMatrixRotationAxis(D3DXMATRIX* pOut, const D3DXVECTOR3* pV, float Angle)
{
    D3DXVECTOR3 axis;
    D3DXVec3Normalize(&axis, pV);
    const float s = std::sin(Angle), c = std::cos(Angle), t = 1.0f - c;
    const float x = axis.x, y = axis.y, z = axis.z;
    // Laid out for row vectors (v' = v * M): the transpose of the column form.
    *pOut = D3DXMATRIX(t * x * x + c, t * x * y + s * z, t * x * z - s * y, 0, t * x * y - s * z, t * y * y + c,
                       t * y * z + s * x, 0, t * x * z + s * y, t * y * z - s * x, t * z * z + c, 0, 0, 0, 0, 1);
    return pOut;
}

D3DXMATRIX* WINAPI D3DXMatrixPerspectiveFovLH(D3DXMATRIX* pOut, float fovy, float Aspect, float zn, float zf)
{
    const float yScale = 1.0f / std::tan(fovy / 2.0f);
    const float xScale = yScale / Aspect;
    const float depth = zf / (zf - zn);
    *pOut = D3DXMATRIX(xScale, 0, 0, 0, 0, yScale, 0, 0, 0, 0, depth, 1, 0, 0, -zn * depth, 0);
    return pOut;
}

D3DXVECTOR3* WINAPI D3DXVec3Normalize(D3DXVECTOR3* pOut, const D3DXVECTOR3* pV)
{
    const float length = std::sqrt(pV->x * pV->x + pV->y * pV->y + pV->z * pV->z);
    // A zero vector stays zero rather than turning into NaNs.
    if (length == 0.0f)
        *pOut = D3DXVECTOR3(0, 0, 0);
    else
        *pOut = D3DXVECTOR3(pV->x / length, pV->y / length, pV->z / length);
    return pOut;
}

D3DXVECTOR4* WINAPI D3DXVec3Transform(D3DXVECTOR4* pOut, const D3DXVECTOR3* pV, const D3DXMATRIX* pM)
{
    const float x = pV->x, y = pV->y, z = pV->z;
    *pOut = D3DXVECTOR4(
        x * pM->_11 + y * pM->_21 + z * pM->_31 + pM->_41, x * pM->_12 + y * pM->_22 + z * pM->_32 + pM->_42,
        x * pM->_13 + y * pM->_23 + z * pM->_33 + pM->_43, x * pM->_14 + y * pM->_24 + z * pM->_34 + pM->_44);
    return pOut;
}
