#include "d3dx9/glsl_writer.h"

#include "d3d9/gl_flavour.h"

#include <d3d9.h>
#include <spirv_cross/spirv_glsl.hpp>

#include <algorithm>
#include <cctype>
#include <set>
#include <sstream>

namespace d3dx9
{
namespace
{
using spirv_cross::CompilerGLSL;
using spirv_cross::Resource;
using spirv_cross::SPIRType;

struct Semantic
{
    std::string name; // upper case, without the index
    uint32_t index = 0;
    std::string Key() const { return name + std::to_string(index); }
};

// "TEXCOORD2" -> TEXCOORD, 2; the shader model 4 spellings of the same
// registers map onto their Direct3D 9 names.
Semantic ParseSemantic(const std::string& text)
{
    std::string upper;
    for (char c : text)
        upper += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    size_t digits = upper.size();
    while (digits > 0 && std::isdigit(static_cast<unsigned char>(upper[digits - 1])))
        --digits;
    Semantic semantic;
    semantic.name = upper.substr(0, digits);
    if (digits < upper.size())
        semantic.index = static_cast<uint32_t>(std::stoul(upper.substr(digits)));
    if (semantic.name == "SV_POSITION")
        semantic.name = "POSITION";
    else if (semantic.name == "SV_TARGET")
        semantic.name = "COLOR";
    else if (semantic.name == "SV_DEPTH")
        semantic.name = "DEPTH";
    return semantic;
}

bool DeclarationUsage(const std::string& name, uint32_t& usage)
{
    static const struct
    {
        const char* name;
        uint32_t usage;
    } kUsages[] = {
        {"POSITION", D3DDECLUSAGE_POSITION},
        {"BLENDWEIGHT", D3DDECLUSAGE_BLENDWEIGHT},
        {"BLENDINDICES", D3DDECLUSAGE_BLENDINDICES},
        {"NORMAL", D3DDECLUSAGE_NORMAL},
        {"PSIZE", D3DDECLUSAGE_PSIZE},
        {"TEXCOORD", D3DDECLUSAGE_TEXCOORD},
        {"TANGENT", D3DDECLUSAGE_TANGENT},
        {"BINORMAL", D3DDECLUSAGE_BINORMAL},
        {"TESSFACTOR", D3DDECLUSAGE_TESSFACTOR},
        {"POSITIONT", D3DDECLUSAGE_POSITIONT},
        {"COLOR", D3DDECLUSAGE_COLOR},
        {"FOG", D3DDECLUSAGE_FOG},
        {"DEPTH", D3DDECLUSAGE_DEPTH},
        {"SAMPLE", D3DDECLUSAGE_SAMPLE},
    };
    for (const auto& entry : kUsages)
        if (name == entry.name)
        {
            usage = entry.usage;
            return true;
        }
    return false;
}

// The varyings that a pixel shader may read: every vertex shader writes all of them.
const char* const kVaryings[] = {"COLOR0",    "COLOR1",    "TEXCOORD0", "TEXCOORD1", "TEXCOORD2",
                                 "TEXCOORD3", "TEXCOORD4", "TEXCOORD5", "TEXCOORD6", "TEXCOORD7"};

bool IsVarying(const Semantic& semantic)
{
    return (semantic.name == "COLOR" && semantic.index < 2) || (semantic.name == "TEXCOORD" && semantic.index < 8);
}

struct StageVariable
{
    uint32_t id = 0;
    Semantic semantic;
    std::string name; // the private global that the translated body reads or writes
    std::string type; // its GLSL type
    uint32_t components = 0;
    bool IsFloat() const { return type == "float" || type.compare(0, 3, "vec") == 0; }
};

class Writer
{
public:
    Writer(const GlslSource& source, Diagnostics& errors)
        : m_Source(source), m_Profile(source.profile), m_Errors(errors), m_Compiler(source.spirv)
    {
    }

    bool Write(d3d9::ShaderBlob& blob)
    {
        blob.stage = m_Profile.stage;
        blob.profile = m_Profile.name;
        spirv_cross::ShaderResources all = m_Compiler.get_shader_resources();
        spirv_cross::ShaderResources active =
            m_Compiler.get_shader_resources(m_Compiler.get_active_interface_variables());
        if (!all.separate_images.empty() || !all.separate_samplers.empty())
            Error("texture objects and sampler states are not provided: use sampler2D, samplerCUBE and tex2D");
        if (!all.storage_buffers.empty() || !all.storage_images.empty() || !all.push_constant_buffers.empty())
            Error("only float constants and samplers are provided as shader resources");
        Constants(all, blob);
        Samplers(all, active, blob);
        StageInputs(active);
        StageOutputs(active);
        if (HasErrors(m_Errors))
            return false;

        HideOtherNames();
        CompilerGLSL::Options options;
        // GLSL 330 for OpenGL 3.3, GLSL ES 3.00 for WebGL 2, where pixel
        // shaders compute at full precision as Direct3D 9's do.
        options.version = d3d9::kGlEs ? 300 : 330;
        options.es = d3d9::kGlEs;
        options.fragment.default_float_precision = CompilerGLSL::Options::Highp;
        options.fragment.default_int_precision = CompilerGLSL::Options::Highp;
        options.enable_420pack_extension = false;
        m_Compiler.set_common_options(options);
        std::string body = m_Compiler.compile();
        if (!RewriteBody(body))
            return false;

        if (m_Profile.stage == d3d9::ShaderStage::Vertex)
        {
            if (!VertexMain(body, blob))
                return false;
        }
        else
        {
            blob.glsl = PixelMain(body, false);
            blob.spriteGlsl = PixelMain(body, true);
        }
        return !HasErrors(m_Errors);
    }

private:
    void Error(const std::string& text, const std::string& about = std::string())
    {
        Diagnostic diagnostic;
        diagnostic.file = m_Source.file;
        auto found = m_Source.constants.find(about);
        if (!about.empty() && found != m_Source.constants.end())
        {
            diagnostic.file = found->second.file;
            diagnostic.line = found->second.line;
            diagnostic.column = found->second.column;
        }
        diagnostic.text = text;
        m_Errors.push_back(diagnostic);
    }

    std::string Register(uint32_t index) { return "c" + std::to_string(index); }

    // The $Global block becomes one vec4 array, register cK being element K.
    // Globals without register() are packed by glslang as a constant buffer
    // would be (two floats may share a register), unlike Direct3D 9: shaders
    // meant for both give every constant a register.
    void Constants(const spirv_cross::ShaderResources& all, d3d9::ShaderBlob& blob)
    {
        const char* arrayName = m_Profile.stage == d3d9::ShaderStage::Vertex ? "vs_c" : "ps_c";
        if (all.uniform_buffers.size() > 1)
            Error("constant buffers are not provided: declare constants as globals");
        for (const Resource& block : all.uniform_buffers)
        {
            const SPIRType& type = m_Compiler.get_type(block.base_type_id);
            for (uint32_t i = 0; i < type.member_types.size(); ++i)
            {
                const std::string& member = m_Compiler.get_member_name(block.base_type_id, i);
                const SPIRType& memberType = m_Compiler.get_type(type.member_types[i]);
                if (memberType.basetype != SPIRType::Float)
                {
                    Error("'" + member + "': only float constants are provided, not bool or int registers", member);
                    continue;
                }
                uint32_t offset = m_Compiler.type_struct_member_offset(type, i);
                uint32_t size = static_cast<uint32_t>(m_Compiler.get_declared_struct_member_size(type, i));
                uint32_t first = offset / 16, end = (offset + size + 15) / 16;
                if (end > m_Profile.constantRegisters)
                    Error("'" + member + "' takes " + Register(first) +
                              (end - first > 1 ? "-" + Register(end - 1) : "") + ", beyond the registers of " +
                              m_Profile.name + " (c0-" + Register(m_Profile.constantRegisters - 1) + ")",
                          member);
                blob.registerCount = std::max(blob.registerCount, end);
            }
            m_Compiler.flatten_buffer_block(block.id);
            m_Compiler.set_name(block.id, arrayName);
            m_Compiler.set_name(block.base_type_id, arrayName);
            m_Compiler.unset_decoration(block.id, spv::DecorationBinding);
            m_Compiler.unset_decoration(block.id, spv::DecorationDescriptorSet);
            m_Kept.insert(block.id);
            m_Kept.insert(block.base_type_id);
        }
    }

    void Samplers(const spirv_cross::ShaderResources& all, const spirv_cross::ShaderResources& active,
                  d3d9::ShaderBlob& blob)
    {
        std::set<uint32_t> activeIds;
        for (const Resource& sampler : active.sampled_images)
            activeIds.insert(sampler.id);
        std::set<uint32_t> units;
        for (const Resource& sampler : all.sampled_images)
        {
            uint32_t unit = m_Compiler.get_decoration(sampler.id, spv::DecorationBinding);
            bool used = activeIds.count(sampler.id) != 0;
            const SPIRType& type = m_Compiler.get_type(sampler.type_id);
            if (!type.array.empty())
                Error("'" + sampler.name + "': arrays of samplers are not provided", sampler.name);
            else if (used && m_Profile.stage == d3d9::ShaderStage::Vertex)
                Error("'" + sampler.name + "': vertex shaders cannot sample textures on this layer", sampler.name);
            else if (unit >= m_Profile.samplerRegisters && m_Profile.stage == d3d9::ShaderStage::Pixel)
                Error("'" + sampler.name + "' takes s" + std::to_string(unit) + ", beyond the samplers of " +
                          m_Profile.name + " (s0-s" + std::to_string(m_Profile.samplerRegisters - 1) + ")",
                      sampler.name);
            else if (!units.insert(unit).second)
                Error("'" + sampler.name + "': sampler register s" + std::to_string(unit) + " is taken twice",
                      sampler.name);
            else if (used)
                blob.samplers.push_back(unit);
            std::string prefix = m_Profile.stage == d3d9::ShaderStage::Vertex ? "vs_s" : "s";
            m_Compiler.set_name(sampler.id, prefix + std::to_string(unit));
            m_Compiler.unset_decoration(sampler.id, spv::DecorationBinding);
            m_Compiler.unset_decoration(sampler.id, spv::DecorationDescriptorSet);
            m_Kept.insert(sampler.id);
        }
        std::sort(blob.samplers.begin(), blob.samplers.end());
    }

    bool Describe(const Resource& resource, const char* direction, StageVariable& variable)
    {
        variable.id = resource.id;
        std::string text = m_Compiler.get_decoration_string(resource.id, spv::DecorationHlslSemanticGOOGLE);
        if (text.empty())
        {
            Error(std::string("the ") + direction + " '" + resource.name + "' has no semantic");
            return false;
        }
        variable.semantic = ParseSemantic(text);
        const SPIRType& type = m_Compiler.get_type(resource.type_id);
        const char* prefix = nullptr;
        switch (type.basetype)
        {
        case SPIRType::Float: prefix = "vec"; break;
        case SPIRType::Int: prefix = "ivec"; break;
        case SPIRType::UInt: prefix = "uvec"; break;
        case SPIRType::Boolean: prefix = "bvec"; break;
        default: break;
        }
        if (!prefix || type.columns != 1 || !type.array.empty() || type.vecsize < 1 || type.vecsize > 4)
        {
            Error(std::string("the ") + direction + " " + text + " must be a scalar or a vector");
            return false;
        }
        static const char* const kScalars[] = {"float", "int", "uint", "bool"};
        variable.components = type.vecsize;
        variable.type = type.vecsize == 1 ? kScalars[prefix[0] == 'v'   ? 0
                                                     : prefix[0] == 'i' ? 1
                                                     : prefix[0] == 'u' ? 2
                                                                        : 3]
                                          : prefix + std::to_string(type.vecsize);
        variable.name = std::string(direction[0] == 'i' ? "quorl_in_" : "quorl_out_") + variable.semantic.Key();
        m_Compiler.set_name(resource.id, variable.name);
        m_Compiler.unset_decoration(resource.id, spv::DecorationLocation);
        m_Kept.insert(resource.id);
        return true;
    }

    void StageInputs(const spirv_cross::ShaderResources& active)
    {
        bool vertex = m_Profile.stage == d3d9::ShaderStage::Vertex;
        for (const spirv_cross::BuiltInResource& builtin : active.builtin_inputs)
            Error("the input '" + builtin.resource.name + "' is not provided by this layer");
        std::set<std::string> seen;
        for (const Resource& resource : active.stage_inputs)
        {
            StageVariable variable;
            if (!Describe(resource, "input", variable))
                continue;
            uint32_t usage = 0;
            if (!seen.insert(variable.semantic.Key()).second)
                Error("the input " + variable.semantic.Key() + " is declared twice");
            else if (vertex ? !DeclarationUsage(variable.semantic.name, usage) || variable.semantic.index > 15
                            : !IsVarying(variable.semantic))
                Error("the input semantic " + variable.semantic.Key() + " is not available to " + m_Profile.name +
                      (vertex ? "" : " (COLOR0-1 and TEXCOORD0-7 are)"));
            else
                m_Inputs.push_back(variable);
        }
        if (vertex && m_Inputs.size() > 16)
            Error("more than 16 vertex inputs");
    }

    void StageOutputs(const spirv_cross::ShaderResources& active)
    {
        bool vertex = m_Profile.stage == d3d9::ShaderStage::Vertex;
        for (const spirv_cross::BuiltInResource& builtin : active.builtin_outputs)
        {
            if (vertex && builtin.builtin == spv::BuiltInPosition)
                m_HasPosition = true;
            else if (vertex && builtin.builtin == spv::BuiltInPointSize)
                continue;
            else if (!vertex && builtin.builtin == spv::BuiltInFragDepth)
                continue;
            else
                Error("the output '" + builtin.resource.name + "' is not provided by this layer");
        }
        std::set<std::string> seen;
        for (const Resource& resource : active.stage_outputs)
        {
            StageVariable variable;
            if (!Describe(resource, "output", variable))
                continue;
            const Semantic& semantic = variable.semantic;
            bool accepted = vertex
                                ? (semantic.name == "POSITION" || semantic.name == "PSIZE" || semantic.name == "FOG") &&
                                      semantic.index == 0
                                : (semantic.name == "COLOR" && semantic.index < 4) ||
                                      (semantic.name == "DEPTH" && semantic.index == 0);
            if (vertex && IsVarying(semantic))
                accepted = true;
            if (!seen.insert(semantic.Key()).second)
                Error("the output " + semantic.Key() + " is written twice");
            else if (!accepted)
                Error("the output semantic " + semantic.Key() + " is not available to " + m_Profile.name);
            else
            {
                m_HasPosition |= semantic.name == "POSITION";
                m_HasColor0 |= semantic.name == "COLOR" && semantic.index == 0;
                m_Outputs.push_back(variable);
            }
        }
        if (vertex && !m_HasPosition)
            Error("a vertex shader must write POSITION");
        if (!vertex && !m_HasColor0)
            Error("a pixel shader must write COLOR0");
    }

    // Debug names of everything else are dropped so that no name of the source
    // can collide with the names of the conventions (vs_c, s0, v_COLOR0...).
    void HideOtherNames()
    {
        for (uint32_t id = 1; id < m_Compiler.get_current_id_bound(); ++id)
            if (!m_Kept.count(id) && !m_Compiler.get_name(id).empty())
                m_Compiler.set_name(id, "");
    }

    // Stage variables become private globals, and the translated main becomes
    // quorl_main, which the generated main wraps.
    bool RewriteBody(std::string& body)
    {
        std::vector<const StageVariable*> variables;
        for (const StageVariable& v : m_Inputs)
            variables.push_back(&v);
        for (const StageVariable& v : m_Outputs)
            variables.push_back(&v);
        for (const StageVariable* variable : variables)
        {
            std::string tail = " " + variable->name + ";\n";
            size_t end = body.find(tail);
            size_t start = end == std::string::npos ? end : body.rfind('\n', end);
            if (start == std::string::npos)
                return Internal("no declaration of " + variable->name);
            std::string line = body.substr(start + 1, end - start - 1);
            if (line.find("in ") == std::string::npos && line.find("out ") == std::string::npos)
                return Internal("unexpected declaration of " + variable->name);
            body.replace(start + 1, end + tail.size() - start - 1, variable->type + tail);
        }
        const std::string main = "\nvoid main()\n";
        size_t at = body.find(main);
        if (at == std::string::npos || body.find(main, at + 1) != std::string::npos)
            return Internal("no single main function");
        body.replace(at, main.size(), "\nvoid quorl_main()\n");
        return true;
    }

    bool Internal(const std::string& text)
    {
        Error("internal error of the GLSL translation: " + text);
        return false;
    }

    static const char* Swizzle(uint32_t components)
    {
        static const char* const kSwizzles[] = {"", "x", "xy", "xyz", "xyzw"};
        return kSwizzles[components];
    }

    // Direct3D widens every register to four components with (0, 0, 0, 1).
    static std::string Widen(const StageVariable& v)
    {
        static const char* const kPads[] = {"", ", 0.0, 0.0, 1.0", ", 0.0, 1.0", ", 1.0", ""};
        std::string value = v.name;
        if (!v.IsFloat())
            value = (v.components == 1 ? "float" : "vec" + std::to_string(v.components)) + "(" + value + ")";
        return v.components == 4 ? value : "vec4(" + value + kPads[v.components] + ")";
    }

    static std::string Narrow(const StageVariable& v, const std::string& source)
    {
        std::string value = source + "." + Swizzle(v.components);
        return v.name + " = " + (v.IsFloat() ? value : v.type + "(" + value + ")") + ";\n";
    }

    const StageVariable* Output(const std::string& key) const
    {
        for (const StageVariable& v : m_Outputs)
            if (v.semantic.Key() == key)
                return &v;
        return nullptr;
    }

    bool VertexMain(const std::string& body, d3d9::ShaderBlob& blob)
    {
        std::ostringstream decl, code;
        decl << "\nuniform vec2 quorl_PixelOffset;\n";
        // GL ES takes no BGRA attributes: the device says which locations
        // carry D3DCOLOR bytes, whose red and blue are swapped here.
        if (d3d9::kGlEs)
            decl << "uniform int quorl_BgraInputs;\n";
        uint32_t location = 0;
        for (const StageVariable& input : m_Inputs)
        {
            std::string attribute = "a_" + input.semantic.Key();
            decl << "layout(location = " << location << ") in vec4 " << attribute << ";\n";
            if (d3d9::kGlEs)
                code << "    "
                     << Narrow(input, "((quorl_BgraInputs & " + std::to_string(1u << location) + ") != 0 ? " +
                                          attribute + ".zyxw : " + attribute + ")");
            else
                code << "    " << Narrow(input, attribute);
            uint32_t usage = 0;
            DeclarationUsage(input.semantic.name, usage);
            blob.inputs.push_back({usage, input.semantic.index, location});
            ++location;
        }
        for (const char* varying : kVaryings)
            decl << "out vec4 v_" << varying << ";\n";
        code << "    quorl_main();\n";
        if (const StageVariable* position = Output("POSITION0"))
            code << "    gl_Position = " << Widen(*position) << ";\n";
        if (const StageVariable* size = Output("PSIZE0"))
            code << "    gl_PointSize = float(" << size->name << (size->components > 1 ? ".x" : "") << ");\n";
        for (const char* varying : kVaryings)
        {
            bool color = varying[0] == 'C';
            const StageVariable* written = Output(varying);
            code << "    v_" << varying << " = ";
            if (!written)
                code << (color ? "vec4(1.0)" : "vec4(0.0)");
            else if (color && !m_Profile.ShaderModel3())
                code << "clamp(" << Widen(*written) << ", 0.0, 1.0)"; // colour registers saturate before shader model 3
            else
                code << Widen(*written);
            code << ";\n";
        }
        // Every target is drawn mirrored (the back buffer is shown mirrored at
        // Present), depth goes from 0..1 to -1..1, and pixel centres move by
        // half a pixel as Direct3D 9's rasterisation puts them.
        code << "    gl_Position.y = -gl_Position.y;\n"
                "    gl_Position.z = 2.0 * gl_Position.z - gl_Position.w;\n"
                "    gl_Position.xy += quorl_PixelOffset * gl_Position.w;\n";
        blob.glsl = body + decl.str() + "\nvoid main()\n{\n" + code.str() + "}\n";
        return true;
    }

    std::string PixelMain(const std::string& body, bool sprite)
    {
        std::ostringstream decl, code;
        decl << "\n";
        for (const StageVariable& input : m_Inputs)
        {
            std::string varying = "v_" + input.semantic.Key();
            // GL ES puts the sprite origin at the top left, which is the bottom
            // left of the mirrored target; OpenGL is set to the lower left.
            if (sprite && input.semantic.Key() == "TEXCOORD0")
                code << "    "
                     << Narrow(input, d3d9::kGlEs ? "vec4(gl_PointCoord.x, 1.0 - gl_PointCoord.y, 0.0, 1.0)"
                                                  : "vec4(gl_PointCoord, 0.0, 1.0)");
            else
            {
                decl << "in vec4 " << varying << ";\n";
                code << "    " << Narrow(input, varying);
            }
        }
        code << "    quorl_main();\n";
        for (const StageVariable& output : m_Outputs)
        {
            if (output.semantic.name == "DEPTH")
            {
                code << "    gl_FragDepth = float(" << output.name << (output.components > 1 ? ".x" : "") << ");\n";
                continue;
            }
            std::string target = "o_" + output.semantic.Key();
            decl << "layout(location = " << output.semantic.index << ") out vec4 " << target << ";\n";
            code << "    " << target << " = " << Widen(output) << ";\n";
        }
        return body + decl.str() + "\nvoid main()\n{\n" + code.str() + "}\n";
    }

    const GlslSource& m_Source;
    const ShaderProfile& m_Profile;
    Diagnostics& m_Errors;
    CompilerGLSL m_Compiler;
    std::set<uint32_t> m_Kept;
    std::vector<StageVariable> m_Inputs;
    std::vector<StageVariable> m_Outputs;
    bool m_HasPosition = false;
    bool m_HasColor0 = false;
};
} // namespace

bool WriteGlsl(const GlslSource& source, d3d9::ShaderBlob& blob, Diagnostics& errors)
{
    try
    {
        Writer writer(source, errors);
        return writer.Write(blob);
    }
    catch (const spirv_cross::CompilerError& error)
    {
        Diagnostic diagnostic;
        diagnostic.file = source.file;
        diagnostic.text = std::string("the GLSL translation failed: ") + error.what();
        errors.push_back(diagnostic);
        return false;
    }
}
} // namespace d3dx9
