#include "timeline/effect_factory.h"

void EffectFactory::RegisterAll()
{
    // One Register<T>() per effect class, in alphabetical order of type name.
}

void EffectFactory::Register(const std::string& name, Creator creator)
{
    if (!m_Creators.emplace(name, creator).second)
    {
        const std::string message = "Effect " + name + " already registered";
        static_cast<void>(message);
    }
}

C_FXEffect* EffectFactory::Create(std::string name) const
{
    const auto found = m_Creators.find(name);
    if (found == m_Creators.end())
    {
        const std::string message = "No effect found with the name " + name;
        static_cast<void>(message);
        return nullptr;
    }
    return found->second();
}
