// What the effects' tests on the recording device share: a demo object whose
// registry holds stand-ins for the shipped mesh and shaders, the recorded
// calls and registers, and effects made from attribute lists.
#pragma once

#include "app/demo.h"
#include "render/mesh.h"
#include "support/d3d9_names.h"
#include "support/held_resource.h"
#include "support/recording_d3d9.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

inline std::string State(D3DRENDERSTATETYPE state, DWORD value)
{
    return "SetRenderState " + d3d9names::RenderStateName(state) + " " + d3d9names::RenderStateValueName(state, value);
}

// A mesh that records that it was drawn, by name, and what was bound then.
class RecordedMesh : public I_Mesh
{
public:
    explicit RecordedMesh(const char* name = "mesh") : m_Name(name) {}
    const char* m_Name;
    bool Draw() override
    {
        RecordingD3D9::Get().calls.push_back(std::string("Draw ") + m_Name);
        const C_Renderer& r = C_Demo::GetInstance()->m_Renderer;
        bound = {r.boundVertexShader, r.boundPixelShader, r.boundTextures[0], r.boundTextures[1]};
        return true;
    }
    IDirect3DVertexBuffer9* GetVertexBuffer() override { return nullptr; }
    IDirect3DIndexBuffer9* GetIndexBuffer() override { return nullptr; }
    std::array<int, 4> bound{}; // registry indices at the last draw: the two shaders, stages 0 and 1
};

class EffectTest : public ::testing::Test
{
protected:
    using Register = std::array<float, 4>;
    using Names = std::initializer_list<const char*>;

    // Stand-ins under the shipped files' names: the shaders are only ever compared with null.
    void AddStandIns(Names meshes, Names vertexShaders, Names pixelShaders)
    {
        C_ResourceRegistry& resources = demo->m_Resources;
        for (const char* name : meshes)
            resources.Add(name, new HeldResource(Resource::Mesh, &mesh));
        for (const char* name : vertexShaders)
            resources.Add(name, new HeldResource(Resource::VertexShader, &mesh));
        for (const char* name : pixelShaders)
            resources.Add(name, new HeldResource(Resource::PixelShader, &mesh));
    }

    void TearDown() override
    {
        effects.clear();
        demo.reset();
        EXPECT_EQ(RecordingD3D9::Get().liveObjects, 0) << "every device object is released";
    }

    std::vector<std::string>& Calls() { return RecordingD3D9::Get().calls; }

    // Each expected call appears after the one before it.
    void ExpectInOrder(const std::vector<std::string>& expected)
    {
        auto at = Calls().begin();
        for (const std::string& call : expected)
        {
            at = std::find(at, Calls().end(), call);
            ASSERT_NE(at, Calls().end()) << "missing or out of order: " << call;
            ++at;
        }
    }

    bool Called(const std::string& call) { return std::find(Calls().begin(), Calls().end(), call) != Calls().end(); }

    bool CalledStartingWith(const std::string& prefix)
    {
        return std::any_of(Calls().begin(), Calls().end(),
                           [&](const std::string& call) { return call.compare(0, prefix.size(), prefix) == 0; });
    }

    Register VS(UINT r) { return Constant(RecordingD3D9::Get().vertexConstants, r, "vertex"); }
    Register PS(UINT r) { return Constant(RecordingD3D9::Get().pixelConstants, r, "pixel"); }
    // A register never set fails the test by its name.
    static Register Constant(const std::map<UINT, Register>& file, UINT r, const char* stage)
    {
        EXPECT_EQ(file.count(r), 1u) << stage << " shader constant c" << r << " was never set";
        return file.count(r) ? file.at(r) : Register{};
    }

    template <class T>
    T& Made(std::initializer_list<std::pair<const char*, const char*>> attributes, bool initialised = true)
    {
        effects.emplace_back(new T);
        for (const auto& attribute : attributes)
            effects.back()->SetVariable(attribute.first, attribute.second);
        EXPECT_EQ(effects.back()->Init(), initialised);
        return static_cast<T&>(*effects.back());
    }

    RecordedMesh mesh;
    std::optional<C_Demo> demo{std::in_place};
    std::vector<std::unique_ptr<C_FXEffect>> effects;
};
