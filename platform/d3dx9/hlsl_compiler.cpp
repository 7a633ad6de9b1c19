#include "d3dx9/hlsl_compiler.h"

#include "d3dx9/glsl_writer.h"
#include "d3dx9/hlsl_checks.h"
#include "d3dx9/hlsl_globals.h"

#include <glslang/MachineIndependent/localintermediate.h>
#include <glslang/Public/ResourceLimits.h>
#include <glslang/SPIRV/GlslangToSpv.h>
#include <spirv-tools/optimizer.hpp>

#include <mutex>

namespace d3dx9
{
namespace
{
// glslang builds its built-in symbol tables once per process (the first
// compile's large cost); they live until the process ends.
void InitialiseOnce()
{
    static std::once_flag once;
    std::call_once(once, [] { glslang::InitializeProcess(); });
}

Diagnostic Message(const std::string& file, const std::string& text)
{
    Diagnostic diagnostic;
    diagnostic.file = file;
    diagnostic.text = text;
    return diagnostic;
}

// Without the DX9 flag, sampler2D and tex2D translate into broken code.
const EShMessages kMessages =
    static_cast<EShMessages>(EShMsgSpvRules | EShMsgReadHlsl | EShMsgHlslDX9Compatible | EShMsgEnhanced);

// The constant block's binding is moved away from the sampler units, which
// follow register(sN) and are assigned freely for samplers without one.
const unsigned kConstantBlockBinding = 32;

bool Legalise(std::vector<uint32_t>& spirv, const std::string& file, Diagnostics& messages)
{
    spvtools::Optimizer optimizer(SPV_ENV_VULKAN_1_0);
    // Messages go to the error text; SPIRV-Tools prints nothing by itself here.
    optimizer.SetMessageConsumer(
        [&](spv_message_level_t level, const char*, const spv_position_t&, const char* text)
        {
            if (level <= SPV_MSG_ERROR)
                messages.push_back(Message(file, std::string("SPIR-V legalisation: ") + text));
        });
    optimizer.RegisterLegalizationPasses();
    spvtools::OptimizerOptions options;
    options.set_run_validator(false);
    std::vector<uint32_t> legal;
    if (!optimizer.Run(spirv.data(), spirv.size(), &legal, options))
    {
        if (!HasErrors(messages))
            messages.push_back(Message(file, "SPIR-V legalisation failed"));
        return false;
    }
    spirv.swap(legal);
    return true;
}
} // namespace

bool CompileHlsl(const HlslRequest& request, d3d9::ShaderBlob& blob, Diagnostics& messages, ShaderCost* cost)
{
    InitialiseOnce();
    bool vertex = request.profile.stage == d3d9::ShaderStage::Vertex;
    EShLanguage stage = vertex ? EShLangVertex : EShLangFragment;

    const char* text = request.source.c_str();
    const int length = static_cast<int>(request.source.size());
    const char* name = request.file.c_str();
    auto setUp = [&](glslang::TShader& shader)
    {
        shader.setStringsWithLengthsAndNames(&text, &length, &name, 1);
        shader.setPreamble(request.preamble.c_str());
        shader.setEntryPoint(request.entryPoint.c_str());
        shader.setEnvInput(glslang::EShSourceHlsl, stage, glslang::EShClientVulkan, 100);
        shader.setEnvClient(glslang::EShClientVulkan, glslang::EShTargetVulkan_1_0);
        shader.setEnvTarget(glslang::EShTargetSpv, glslang::EShTargetSpv_1_0);
        // Every stage variable keeps its semantic string ("TEXCOORD2").
        shader.setEnvTargetHlslFunctionality1();
        shader.setShiftBinding(glslang::EResUbo, kConstantBlockBinding);
        shader.setAutoMapBindings(true);
        shader.setHlslIoMapping(true);
    };

    struct NoIncludes : glslang::TShader::Includer
    {
        void releaseInclude(IncludeResult*) override {}
    } noIncludes;
    glslang::TShader::Includer& includer = request.includer ? *request.includer : noIncludes;

    // The parser crashes on some redefinitions that Direct3D's compiler
    // reports; they are found in the preprocessed text first.
    {
        glslang::TShader preprocessor(stage);
        setUp(preprocessor);
        std::string expanded;
        if (preprocessor.preprocess(GetDefaultResources(), 100, ENoProfile, false, false, kMessages, &expanded,
                                    includer))
        {
            const Redefinition clash = FindGlobalRedefinition(expanded);
            if (!clash.name.empty())
            {
                Diagnostic diagnostic = Message(request.file, "redefinition of '" + clash.name + "'");
                diagnostic.line = clash.line;
                diagnostic.column = clash.column;
                messages.push_back(diagnostic);
                return false;
            }
        }
    }

    glslang::TShader shader(stage);
    setUp(shader);
    bool parsed = shader.parse(GetDefaultResources(), 100, false, kMessages, includer);
    AppendGlslangLog(shader.getInfoLog(), request.file, messages);
    if (!parsed)
    {
        if (!HasErrors(messages))
            messages.push_back(Message(request.file, "the HLSL source does not compile"));
        return false;
    }

    // glslang only warns at link time when the entry point is missing.
    const glslang::TIntermediate& ast = *shader.getIntermediate();
    if (ast.getNumEntryPoints() < 1)
    {
        messages.push_back(Message(request.file, "'" + request.entryPoint + "': entrypoint not found"));
        return false;
    }
    CheckProfileFeatures(ast, request.profile, request.file, messages);
    if (HasErrors(messages))
        return false;
    GlslSource glsl;
    glsl.constants = GlobalConstantPositions(ast, request.file);

    glslang::TProgram program;
    program.addShader(&shader);
    bool linked = program.link(kMessages) && program.mapIO();
    Diagnostics linkMessages;
    AppendGlslangLog(program.getInfoLog(), request.file, linkMessages);
    for (Diagnostic& diagnostic : linkMessages)
        if (!linked || !diagnostic.warning)
            messages.push_back(diagnostic);
    if (!linked)
    {
        if (!HasErrors(messages))
            messages.push_back(Message(request.file, "the shader does not link"));
        return false;
    }

    spv::SpvBuildLogger logger;
    glslang::SpvOptions spvOptions;
    spvOptions.disableOptimizer = true; // legalised below, with our own message sink
    glslang::GlslangToSpv(*program.getIntermediate(stage), glsl.spirv, &logger, &spvOptions);
    if (!logger.getAllMessages().empty() && glsl.spirv.empty())
    {
        messages.push_back(Message(request.file, logger.getAllMessages()));
        return false;
    }
    if (!Legalise(glsl.spirv, request.file, messages))
        return false;
    // Direct3D's compiler refuses what does not fit the profile's slots and registers.
    const ShaderCost counted = CountShaderCost(glsl.spirv, request.profile.stage);
    if (cost)
        *cost = counted;
    CheckShaderLimits(counted, request.profile, EntryPointPosition(ast, request.file), messages);
    if (HasErrors(messages))
        return false;

    glsl.profile = request.profile;
    glsl.file = request.file;
    return WriteGlsl(glsl, blob, messages);
}

void WarmUpHlsl()
{
    static std::once_flag once;
    std::call_once(once,
                   []
                   {
                       for (const bool vertex : {true, false})
                       {
                           HlslRequest request;
                           request.file = "warm-up";
                           request.entryPoint = vertex ? "MainVS" : "MainPS";
                           request.source = vertex ? "float4 MainVS(float4 p : POSITION) : POSITION { return p; }\n"
                                                   : "float4 MainPS() : COLOR { return 0; }\n";
                           ParseProfile(vertex ? "vs_2_0" : "ps_2_0", request.profile);
                           d3d9::ShaderBlob blob;
                           Diagnostics ignored;
                           CompileHlsl(request, blob, ignored);
                       }
                   });
}
} // namespace d3dx9
