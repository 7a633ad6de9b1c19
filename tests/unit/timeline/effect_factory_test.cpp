#include "timeline/effect_factory.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <tinyxml.h>

namespace
{
struct FakeEffect : C_FXEffect
{
    static std::string TypeName() { return "fake"; }
};
// Same type name, another class: shows which creator stayed.
struct RivalEffect : C_FXEffect
{
    static std::string TypeName() { return "fake"; }
};
struct OtherEffect : C_FXEffect
{
    static std::string TypeName() { return "other"; }
};

TEST(EffectFactory, EachCreateMakesANewObjectOfTheRegisteredClass)
{
    EffectFactory factory;
    factory.Register<FakeEffect>();
    factory.Register<OtherEffect>();
    std::unique_ptr<C_FXEffect> first(factory.Create("fake"));
    std::unique_ptr<C_FXEffect> second(factory.Create("fake"));
    std::unique_ptr<C_FXEffect> other(factory.Create("other"));
    EXPECT_NE(dynamic_cast<FakeEffect*>(first.get()), nullptr);
    EXPECT_NE(dynamic_cast<FakeEffect*>(second.get()), nullptr);
    EXPECT_NE(first.get(), second.get());
    EXPECT_NE(dynamic_cast<OtherEffect*>(other.get()), nullptr);
}

TEST(EffectFactory, UnknownNamesGiveNull)
{
    EffectFactory factory;
    EXPECT_EQ(factory.Create("fake"), nullptr);
    factory.Register<FakeEffect>();
    EXPECT_EQ(factory.Create("Fake"), nullptr);
    EXPECT_EQ(factory.Create(""), nullptr);
}

TEST(EffectFactory, FirstRegistrationOfANameStays)
{
    EffectFactory factory;
    factory.Register<FakeEffect>();
    factory.Register<RivalEffect>();
    std::unique_ptr<C_FXEffect> effect(factory.Create("fake"));
    EXPECT_NE(dynamic_cast<FakeEffect*>(effect.get()), nullptr);
}
// The shipped show, the golden scripts and the documentation's script.
std::vector<std::filesystem::path> RepositoryScripts()
{
    const std::filesystem::path root = QUORL_SOURCE_DIR;
    std::vector<std::filesystem::path> scripts = {root / "data" / "demo.xml", root / "docs" / "effects-3d.xml"};
    for (const auto& entry : std::filesystem::directory_iterator(root / "tests" / "golden"))
        if (entry.path().extension() == ".xml")
            scripts.push_back(entry.path());
    return scripts;
}

// A misspelt element would be skipped silently when the show loads.
TEST(EffectFactory, ShippedAndGoldenScriptsNameOnlyTypesItCreates)
{
    const std::vector<std::filesystem::path> scripts = RepositoryScripts();
    EffectFactory factory;
    factory.RegisterAll();
    for (const std::filesystem::path& script : scripts)
    {
        TiXmlDocument document(script.string());
        ASSERT_TRUE(document.LoadFile()) << script;
        const TiXmlElement* events = document.RootElement()->FirstChildElement("events");
        ASSERT_NE(events, nullptr) << script;
        for (const TiXmlElement* event = events->FirstChildElement(); event; event = event->NextSiblingElement())
        {
            std::unique_ptr<C_FXEffect> effect(factory.Create(event->Value()));
            EXPECT_NE(effect, nullptr) << script.filename() << " line " << event->Row() << ": " << event->Value();
        }
    }
}
// A missing file fails only that effect's Init, silently: the picture just
// goes missing. Every file-naming attribute must name a render target of the
// script or a file in the folder the effect loads it from.
TEST(EffectFactory, ShippedAndGoldenScriptsNameOnlyFilesThatExist)
{
    const std::filesystem::path data = std::filesystem::path(QUORL_SOURCE_DIR) / "data";
    const std::map<std::string, std::string> folders = {{"texture", "textures"},
                                                        {"image", "textures"},
                                                        {"env_map", "textures"},
                                                        {"model", "models"},
                                                        {"pixel_shader", "shaders"}};
    for (const std::filesystem::path& script : RepositoryScripts())
    {
        TiXmlDocument document(script.string());
        ASSERT_TRUE(document.LoadFile()) << script;
        const TiXmlElement* demo = document.RootElement();
        std::string music = demo->Attribute("music") ? demo->Attribute("music") : "";
        std::replace(music.begin(), music.end(), '\\', '/');
        EXPECT_TRUE(std::filesystem::is_regular_file(data.parent_path() / music)) << script.filename() << ": " << music;

        std::set<std::string> targets;
        if (const TiXmlElement* resources = demo->FirstChildElement("resources"))
            for (const TiXmlElement* target = resources->FirstChildElement("render_target"); target;
                 target = target->NextSiblingElement("render_target"))
                targets.insert(target->Attribute("name") ? target->Attribute("name") : "");
        const TiXmlElement* events = demo->FirstChildElement("events");
        ASSERT_NE(events, nullptr) << script;
        for (const TiXmlElement* event = events->FirstChildElement(); event; event = event->NextSiblingElement())
            for (const TiXmlAttribute* attribute = event->FirstAttribute(); attribute; attribute = attribute->Next())
            {
                auto folder = folders.find(attribute->Name());
                if (folder == folders.end() || attribute->ValueStr().empty())
                    continue;
                // Text pictures are always image files.
                const bool target = targets.count(attribute->ValueStr()) && event->ValueStr() != "text";
                EXPECT_TRUE(target || std::filesystem::is_regular_file(data / folder->second / attribute->ValueStr()))
                    << script.filename() << " line " << event->Row() << ": " << attribute->Name() << "=\""
                    << attribute->ValueStr() << "\"";
            }
    }
}
} // namespace
