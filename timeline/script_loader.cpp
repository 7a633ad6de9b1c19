#include "timeline/script_loader.h"

#include "app/demo.h"
#include "fx/var.h"
#include "resource/render_target.h"

#include <tinyxml.h>
#include <windows.h>

namespace
{
// Through the Win32 file calls, so the script's Windows path opens on every build.
bool ReadWholeFile(const std::string& fileName, std::string& contents)
{
    HANDLE file =
        CreateFileA(fileName.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return false;

    DWORD sizeHigh = 0;
    DWORD size = GetFileSize(file, &sizeHigh);
    bool ok = size != INVALID_FILE_SIZE && sizeHigh == 0;
    if (ok)
    {
        contents.resize(size);
        DWORD read = 0;
        ok = size == 0 || (ReadFile(file, &contents[0], size, &read, NULL) && read == size);
    }
    CloseHandle(file);
    return ok;
}

// Line ends as TinyXML's own file loading leaves them: CR LF and lone CR become LF.
std::string NormaliseLineEnds(const std::string& text)
{
    std::string result;
    result.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i)
    {
        if (text[i] == '\r')
        {
            result += '\n';
            if (i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        }
        else
            result += text[i];
    }
    return result;
}

const TiXmlElement* FindDemoElement(const TiXmlDocument& document)
{
    for (const TiXmlNode* node = document.FirstChild("demo"); node; node = node->NextSibling("demo"))
    {
        if (const TiXmlElement* element = node->ToElement())
            return element;
    }
    return nullptr;
}
} // namespace

bool LoadScript(C_Demo& demo, std::string fileName)
{
    std::string contents;
    if (!ReadWholeFile(fileName, contents))
        return false;

    TiXmlDocument document;
    document.Parse(NormaliseLineEnds(contents).c_str(), nullptr, TIXML_ENCODING_UNKNOWN);
    if (document.Error())
        return false;

    const TiXmlElement* script = FindDemoElement(document);
    if (!script)
        return false;

    const TiXmlElement* resources = script->FirstChildElement("resources");
    const TiXmlElement* events = script->FirstChildElement("events");
    const char* startTime = script->Attribute("start_time");
    const char* endTime = script->Attribute("end_time");
    const char* music = script->Attribute("music");
    // A script without one of its required parts is not a show we can play.
    if (!resources || !events || !startTime || !endTime || !music)
        return false;

    demo.m_StartTime = static_cast<uint32_t>(StringToInt(startTime));
    demo.m_EndTime = static_cast<uint32_t>(StringToInt(endTime));
    demo.m_MusicFile = music;

    for (const TiXmlElement* element = resources->FirstChildElement(); element; element = element->NextSiblingElement())
    {
        if (element->ValueStr() != "render_target")
            continue;
        const char* name = element->Attribute("name");
        const char* width = element->Attribute("width");
        const char* height = element->Attribute("height");
        if (!name || !width || !height)
            return false;
        Resource::C_RenderTarget* target = new Resource::C_RenderTarget;
        // A target that fails, or whose name is taken, is given up at once.
        if (!target->Create(StringToInt(width), StringToInt(height), D3DFMT_A8R8G8B8) ||
            demo.m_Resources.Add(name, target) < 0)
            delete target;
    }

    for (const TiXmlElement* element = events->FirstChildElement(); element; element = element->NextSiblingElement())
    {
        C_FXEffect* effect = demo.m_Factory.Create(element->ValueStr());
        if (!effect)
            continue;
        for (const TiXmlAttribute* attribute = element->FirstAttribute(); attribute; attribute = attribute->Next())
            effect->SetVariable(attribute->Name(), attribute->ValueStr());
        effect->Init();
        demo.AddEvent(boost::shared_ptr<C_FXEffect>(effect));
    }
    return true;
}
