// A picture in a framed rectangle that flies in from a start point while
// growing, rests at a middle point, and flies out to an end point while
// shrinking. The picture is alpha-blended; the frame (border.x through
// border.vsh, textured with border.png) is drawn opaque around it.
#pragma once

#include "fx/effect.h"

class C_FXWindow2D : public C_FXEffect
{
public:
    C_FXWindow2D();
    static std::string TypeName() { return "window2d"; }

    bool Init() override;
    bool Render(float progress, float eventSeconds, float frameSeconds) override;

    // The rectangle (x, y, width, height) at progress p.
    void Placement(float progress, float rectangle[4]) const;

    C_VarFloat m_StartX;
    C_VarFloat m_StartY;
    C_VarFloat m_MiddleX;
    C_VarFloat m_MiddleY;
    C_VarFloat m_EndX;
    C_VarFloat m_EndY;
    C_VarFloat m_Width;
    C_VarFloat m_Height;
    C_VarFloat m_StartLength;
    C_VarFloat m_EndLength;
    C_VarBool m_ScreenSpace;
    C_VarString m_Texture;

    int m_FrameMeshIndex = -1;
    int m_QuadMeshIndex = -1;
    int m_PictureIndex = -1;
    int m_FrameTextureIndex = -1;
    int m_QuadVertexShaderIndex = -1;
    int m_FrameVertexShaderIndex = -1;
    int m_PixelShaderIndex = -1;
};
