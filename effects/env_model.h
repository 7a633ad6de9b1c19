// One mesh lit by an environment texture, floating on a small looping path in
// front of the viewer while it turns about an axis. The spin follows the
// event's progress, the path the seconds since it began.
#pragma once

#include "fx/effect.h"

class C_FXEnvModel : public C_FXEffect
{
public:
    C_FXEnvModel();
    ~C_FXEnvModel() override;
    static std::string TypeName() { return "env_model"; }

    bool Init() override;
    bool Render(float progress, float eventSeconds, float frameSeconds) override;

    C_VarString m_EnvMap;
    C_VarString m_Model;
    C_VarVector3 m_Axis;
    C_VarFloat m_Rotations;
    C_VarFloat m_Depth;
    C_VarColour m_Colour1;
    C_VarColour m_Colour2;

    int m_MeshIndex = -1;
    int m_EnvMapIndex = -1;
    int m_VertexShaderIndex = -1;
    int m_PixelShaderIndex = -1;
};
