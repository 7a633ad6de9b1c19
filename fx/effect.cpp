#include "fx/effect.h"

#include "app/log.h"

C_FXEffect::C_FXEffect()
{
    RegisterVariable("start_time", &m_StartTime);
    RegisterVariable("duration", &m_Duration);
    RegisterVariable("z", &m_Z);
    RegisterVariable("target", &m_Target);
}

C_FXEffect::~C_FXEffect()
{
    // The map's pointers go before the members they point to.
    m_Variables.clear();
}

bool C_FXEffect::Init()
{
    return true;
}

bool C_FXEffect::Render(float, float, float)
{
    return true;
}

void C_FXEffect::RegisterVariable(const std::string& name, C_Var* variable)
{
    if (!m_Variables.emplace(name, variable).second)
    {
        Diagnostic("Variable " + name + " already registered");
    }
}

void C_FXEffect::SetVariable(const std::string& name, const std::string& text)
{
    const auto found = m_Variables.find(name);
    if (found == m_Variables.end())
    {
        Diagnostic("Variable " + name + " not found");
        return;
    }
    found->second->SetFromString(text);
}
