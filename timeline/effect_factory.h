// Turns the script's effect type names into new effect objects.
#pragma once

#include <map>
#include <string>

#include "fx/effect.h"

class EffectFactory
{
public:
    typedef C_FXEffect* (*Creator)();

    // Every effect class the script may name.
    void RegisterAll();

    // T supplies its type name through a static TypeName(); the first
    // registration of a name stays.
    template <class T>
    void Register()
    {
        Register(T::TypeName(), &CreateEffect<T>);
    }

    // A new object the caller owns, or null for an unknown name.
    C_FXEffect* Create(std::string name) const;

private:
    template <class T>
    static C_FXEffect* CreateEffect()
    {
        return new T;
    }

    void Register(const std::string& name, Creator creator);

    std::map<std::string, Creator> m_Creators;
};
