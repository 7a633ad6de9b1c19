// Base of every effect: the parameters each event has, the attribute map and
// the calls the loader and the frame composition make.
#pragma once

#include <map>
#include <string>

#include "fx/var.h"

class C_FXEffect
{
public:
    C_FXEffect();
    virtual ~C_FXEffect();

    // Once, after all attributes are applied; effects look up resources here.
    virtual bool Init();
    // Once per active frame; false ends the frame's composition.
    virtual bool Render(float progress, float eventSeconds, float frameSeconds);

    // Hands the text to the parameter registered under name; unknown names are ignored.
    void SetVariable(const std::string& name, const std::string& text);

    // The map points into the object itself, so a copy would alias its source.
    C_FXEffect(const C_FXEffect&) = delete;
    C_FXEffect& operator=(const C_FXEffect&) = delete;

    C_VarInt m_StartTime; // "start_time": demo milliseconds
    C_VarInt m_Duration;  // "duration": milliseconds
    C_VarInt m_Z;         // "z": lower draws first
    C_VarString m_Target; // "target": render target name; back buffer otherwise

protected:
    // The first registration of a name stays.
    void RegisterVariable(const std::string& name, C_Var* variable);

private:
    std::map<std::string, C_Var*> m_Variables;
};
