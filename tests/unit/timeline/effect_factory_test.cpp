#include "timeline/effect_factory.h"

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <tinyxml.h>

namespace
{
struct FakeEffect : C_FXEffect { static std::string TypeName() { return "fake"; } };
// Same type name, another class: shows which creator stayed.
struct RivalEffect : C_FXEffect { static std::string TypeName() { return "fake"; } };
struct OtherEffect : C_FXEffect { static std::string TypeName() { return "other"; } };

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
// A misspelt element would be skipped silently when the show loads.
TEST(EffectFactory, ShippedAndGoldenScriptsNameOnlyTypesItCreates)
{
    const std::filesystem::path root = QUORL_SOURCE_DIR;
    std::vector<std::filesystem::path> scripts = {root / "data" / "demo.xml"};
    for (const auto& entry : std::filesystem::directory_iterator(root / "tests" / "golden"))
        if (entry.path().extension() == ".xml")
            scripts.push_back(entry.path());
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
} // namespace
