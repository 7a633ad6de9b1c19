#include "preview/reload.h"

#include "app/demo.h"
#include "app/log.h"
#include "timeline/script_loader.h"

#include <tinyxml.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <utility>

namespace Preview
{
namespace
{
std::vector<std::string>* g_Collected = nullptr;

void Collect(const std::string& text)
{
    if (g_Collected)
        g_Collected->push_back(text);
}

bool StartsWith(const std::string& text, const std::string& prefix)
{
    return text.compare(0, prefix.size(), prefix) == 0;
}

bool ReadText(const std::string& path, std::string& text)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return false;
    std::ostringstream contents;
    contents << file.rdbuf();
    text = contents.str();
    return true;
}

// Nothing bound, as after a device reset: the caches hold registry indices,
// which mean other resources once the registry is exchanged.
void ForgetBindings(C_Renderer& renderer)
{
    IDirect3DDevice9* device = renderer.device;
    for (int stage = 0; stage < C_Renderer::kSamplerStages; ++stage)
    {
        device->SetTexture(stage, NULL);
        renderer.boundTextures[stage] = -1;
    }
    device->SetVertexShader(NULL);
    device->SetPixelShader(NULL);
    device->SetRenderTarget(0, renderer.backBufferSurface);
    device->SetDepthStencilSurface(renderer.backBufferDepthSurface);
    renderer.boundVertexShader = -1;
    renderer.boundPixelShader = -1;
    renderer.boundRenderTarget = -1;
    renderer.targetWidth = renderer.backBufferWidth;
    renderer.targetHeight = renderer.backBufferHeight;
}

// What the loader holds of a show, moved aside while another one loads.
struct Timeline
{
    EventList events;
    ActiveList active;
    uint32_t nextEvent = 0;
    uint32_t start = 0;
    uint32_t end = 0;
    std::string music;

    void Exchange(C_Demo& demo)
    {
        events.swap(demo.m_Events);
        active.swap(demo.m_Active);
        std::swap(nextEvent, demo.m_NextEvent);
        std::swap(start, demo.m_StartTime);
        std::swap(end, demo.m_EndTime);
        music.swap(demo.m_MusicFile);
    }
};
} // namespace

int LineOf(const std::string& text, const std::string& needle)
{
    size_t at = text.find(needle);
    if (at == std::string::npos)
        return 0;
    int line = 1;
    for (size_t i = 0; i < at; ++i)
        line += text[i] == '\n';
    return line;
}

ShowLoader::ShowLoader(C_Demo& demo, std::string script) : m_Demo(demo), m_Script(std::move(script)) {}

bool ShowLoader::Load()
{
    m_Errors.clear();
    m_Warnings.clear();
    std::string scriptText;
    ReadText(m_Script, scriptText);

    C_ResourceRegistry previousResources;
    m_Demo.m_Resources.Swap(previousResources);
    Timeline previous;
    previous.Exchange(m_Demo);
    ForgetBindings(m_Demo.m_Renderer);

    std::vector<std::string> diagnostics;
    g_Collected = &diagnostics;
    g_DiagnosticListener = Collect;
    bool loaded = LoadScript(m_Demo, m_Script);
    g_DiagnosticListener = nullptr;
    g_Collected = nullptr;

    if (!loaded)
        DescribeScriptFailure(scriptText);
    Classify(diagnostics, scriptText);
    // A file that several effects ask for fails, and is reported, once for each.
    for (std::vector<std::string>* list : {&m_Errors, &m_Warnings})
    {
        std::vector<std::string> unique;
        for (const std::string& text : *list)
        {
            if (std::find(unique.begin(), unique.end(), text) == unique.end())
                unique.push_back(text);
        }
        list->swap(unique);
    }

    bool good = loaded && m_Errors.empty();
    if (!good)
    {
        // The new effects go first, while the resources they hold indices to exist.
        m_Demo.m_Active.clear();
        m_Demo.m_Events.clear();
        m_Demo.m_Resources.Swap(previousResources);
        Timeline failed;
        failed.Exchange(m_Demo);
        previous.Exchange(m_Demo);
    }
    else
    {
        previous.active.clear();
        previous.events.clear();
        m_HasShow = true;
    }
    ForgetBindings(m_Demo.m_Renderer);
    // previousResources now holds the show that lost: released here, after its effects.
    return good;
}

void ShowLoader::Classify(const std::vector<std::string>& diagnostics, const std::string& scriptText)
{
    const std::string compileFailure = " failed to compile:\n";
    for (const std::string& text : diagnostics)
    {
        // An effect without a texture asks for the empty name: the player draws it untextured.
        if (StartsWith(text, "Loaded ") || StartsWith(text, "Compiled and loaded ") ||
            text == "Failed to create texture ")
            continue;
        size_t compile = text.find(compileFailure);
        if (compile != std::string::npos)
        {
            // The compiler's own lines name the file and line already.
            std::string name = text.substr(0, compile);
            std::string detail = text.substr(compile + compileFailure.size());
            std::istringstream lines(detail);
            std::string line;
            bool any = false;
            while (std::getline(lines, line))
            {
                if (line.empty())
                    continue;
                m_Errors.push_back(line);
                any = true;
            }
            if (!any)
                m_Errors.push_back("data/shaders/" + name + ": does not compile");
            continue;
        }
        const std::string unknownEffect = "No effect found with the name ";
        if (StartsWith(text, unknownEffect))
        {
            std::string name = text.substr(unknownEffect.size());
            m_Warnings.push_back(m_Script + "(" + std::to_string(LineOf(scriptText, "<" + name)) +
                                 "): unknown effect <" + name + ">, skipped");
            continue;
        }
        if (StartsWith(text, "Variable ") && text.size() > 19 && text.compare(text.size() - 10, 10, " not found") == 0)
        {
            std::string name = text.substr(9, text.size() - 19);
            m_Warnings.push_back(m_Script + "(" + std::to_string(LineOf(scriptText, " " + name + "=")) +
                                 "): unknown attribute " + name + ", ignored");
            continue;
        }
        const std::string texture = "Failed to create texture ";
        if (StartsWith(text, texture))
        {
            std::string name = text.substr(texture.size());
            m_Errors.push_back("data/textures/" + name + ": cannot load the texture (" + m_Script + " line " +
                               std::to_string(LineOf(scriptText, "\"" + name + "\"")) + ")");
            continue;
        }
        const std::string mesh = "Failed to load mesh";
        if (StartsWith(text, mesh))
        {
            m_Errors.push_back("data/models/" + text.substr(mesh.size()) + ": cannot load the mesh");
            continue;
        }
        m_Errors.push_back(text);
    }
}

void ShowLoader::DescribeScriptFailure(const std::string& scriptText)
{
    if (scriptText.empty())
    {
        std::ifstream probe(m_Script);
        if (!probe)
        {
            m_Errors.push_back(m_Script + ": cannot be read");
            return;
        }
    }
    TiXmlDocument document;
    document.Parse(scriptText.c_str(), nullptr, TIXML_ENCODING_UNKNOWN);
    if (document.Error())
    {
        m_Errors.push_back(m_Script + "(" + std::to_string(document.ErrorRow()) + "): " + document.ErrorDesc());
        return;
    }
    const TiXmlElement* demo = nullptr;
    for (const TiXmlNode* node = document.FirstChild("demo"); node && !demo; node = node->NextSibling("demo"))
        demo = node->ToElement();
    if (!demo)
    {
        m_Errors.push_back(m_Script + ": no <demo> element");
        return;
    }
    std::string where = m_Script + "(" + std::to_string(demo->Row()) + "): ";
    for (const char* part : {"resources", "events"})
    {
        if (!demo->FirstChildElement(part))
            m_Errors.push_back(where + "<demo> has no <" + part + "> element");
    }
    for (const char* attribute : {"start_time", "end_time", "music"})
    {
        if (!demo->Attribute(attribute))
            m_Errors.push_back(where + "<demo> has no " + attribute + " attribute");
    }
    if (const TiXmlElement* resources = demo->FirstChildElement("resources"))
    {
        for (const TiXmlElement* target = resources->FirstChildElement("render_target"); target;
             target = target->NextSiblingElement("render_target"))
        {
            for (const char* attribute : {"name", "width", "height"})
            {
                if (!target->Attribute(attribute))
                    m_Errors.push_back(m_Script + "(" + std::to_string(target->Row()) + "): <render_target> has no " +
                                       attribute + " attribute");
            }
        }
    }
    if (m_Errors.empty())
        m_Errors.push_back(m_Script + ": the script does not load");
}
} // namespace Preview
