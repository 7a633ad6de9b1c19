#include "d3dx9/shader_limits.h"

#define SPV_ENABLE_UTILITY_CODE
#include <glslang/SPIRV/GLSL.std.450.h>
#include <glslang/SPIRV/spirv.hpp>
#include <spirv-tools/optimizer.hpp>

#include <algorithm>
#include <array>
#include <tuple>
#include <bitset>
#include <cstring>
#include <map>
#include <set>
#include <unordered_map>

namespace d3dx9
{
namespace
{
using d3d9::ShaderStage;

struct Instruction
{
    spv::Op op = spv::OpNop;
    uint32_t type = 0;
    uint32_t result = 0;
    std::vector<uint32_t> operands; // the words after the type and result ids
};

struct Type
{
    spv::Op op = spv::OpNop;
    uint32_t components = 1;                          // floats that a value of the type holds, flattened
    uint32_t columns = 0;                             // matrices
    std::vector<uint32_t> members;                    // element or member types
    spv::StorageClass storage = spv::StorageClassMax; // pointers
    uint32_t pointee = 0;
};

struct Function
{
    std::vector<Instruction> code;
};

// The parts of a module that the count needs.
struct Module
{
    uint32_t bound = 0;
    uint32_t glsl450 = 0; // the GLSL.std.450 import
    uint32_t entry = 0;
    std::unordered_map<uint32_t, Type> types;
    std::unordered_map<uint32_t, std::vector<float>> constants; // literal values, flattened; empty when not floats
    std::unordered_map<uint32_t, spv::StorageClass> variables;
    std::unordered_map<uint32_t, uint32_t> variableTypes; // what each variable holds
    std::unordered_map<uint32_t, uint32_t> integers;      // integer constants
    std::unordered_map<uint32_t, Function> functions;

    bool Parse(const std::vector<uint32_t>& words)
    {
        if (words.size() < 5 || words[0] != spv::MagicNumber)
            return false;
        bound = words[3];
        Function* function = nullptr;
        for (size_t at = 5; at < words.size();)
        {
            const uint32_t count = words[at] >> 16;
            if (count == 0 || at + count > words.size())
                return false;
            Instruction in;
            in.op = static_cast<spv::Op>(words[at] & 0xFFFF);
            bool hasResult = false, hasType = false;
            spv::HasResultAndType(in.op, &hasResult, &hasType);
            size_t next = at + 1;
            if (hasType)
                in.type = words[next++];
            if (hasResult)
                in.result = words[next++];
            in.operands.assign(words.begin() + std::min(next, at + count), words.begin() + at + count);
            at += count;
            Declare(in);
            if (in.op == spv::OpFunction)
                function = &functions[in.result];
            else if (in.op == spv::OpFunctionEnd)
                function = nullptr;
            else if (function)
                function->code.push_back(std::move(in));
        }
        return entry != 0 && functions.count(entry);
    }

    uint32_t Components(uint32_t type) const
    {
        auto found = types.find(type);
        return found == types.end() ? 1 : found->second.components;
    }

    // Where the member that indices select starts among the flattened
    // components of type, and its type; false where an index is unknown.
    bool Member(uint32_t& type, const std::vector<uint32_t>& indices, uint32_t& offset) const
    {
        for (uint32_t index : indices)
        {
            auto found = types.find(type);
            if (found == types.end() || found->second.members.empty())
                return false;
            const Type& t = found->second;
            if (t.op == spv::OpTypeStruct)
            {
                if (index >= t.members.size())
                    return false;
                for (uint32_t m = 0; m < index; ++m)
                    offset += Components(t.members[m]);
                type = t.members[index];
            }
            else
            {
                offset += index * Components(t.members[0]);
                type = t.members[0];
            }
        }
        return true;
    }

    bool IsFloatConstant(uint32_t id, float value) const
    {
        auto found = constants.find(id);
        if (found == constants.end() || found->second.empty())
            return false;
        return std::all_of(found->second.begin(), found->second.end(), [&](float v) { return v == value; });
    }

private:
    void Declare(const Instruction& in)
    {
        const std::vector<uint32_t>& o = in.operands;
        switch (in.op)
        {
        case spv::OpExtInstImport:
            if (std::string(reinterpret_cast<const char*>(o.data()), o.size() * 4).compare(0, 12, "GLSL.std.450") == 0)
                glsl450 = in.result;
            break;
        case spv::OpEntryPoint:
            if (o.size() > 1 && !entry)
                entry = o[1];
            break;
        case spv::OpTypeVector:
        case spv::OpTypeMatrix:
        case spv::OpTypeArray:
        {
            Type& type = types[in.result];
            type.op = in.op;
            type.members = {o[0]};
            uint32_t length = o.size() > 1 ? o[1] : 1;
            if (in.op == spv::OpTypeArray)
            {
                auto size = integers.find(o[1]);
                length = size == integers.end() ? 1 : size->second;
            }
            if (in.op == spv::OpTypeMatrix)
                type.columns = length;
            type.components = std::min<uint32_t>(64, Components(o[0]) * length);
            break;
        }
        case spv::OpTypeStruct:
        {
            Type& type = types[in.result];
            type.op = in.op;
            type.members = o;
            type.components = 0;
            for (uint32_t member : o)
                type.components += Components(member);
            type.components = std::min<uint32_t>(64, type.components);
            break;
        }
        case spv::OpTypePointer:
        {
            Type& type = types[in.result];
            type.op = in.op;
            type.storage = static_cast<spv::StorageClass>(o[0]);
            type.pointee = o[1];
            break;
        }
        case spv::OpTypeFloat:
        case spv::OpTypeInt:
        case spv::OpTypeBool: types[in.result].op = in.op; break;
        case spv::OpConstant:
        case spv::OpSpecConstant:
        {
            std::vector<float>& values = constants[in.result];
            auto type = types.find(in.type);
            if (type != types.end() && type->second.op == spv::OpTypeFloat && o.size() == 1)
            {
                float value;
                std::memcpy(&value, &o[0], sizeof value);
                values.push_back(value);
            }
            else if (type != types.end() && type->second.op == spv::OpTypeInt && !o.empty())
                integers[in.result] = o[0];
            break;
        }
        case spv::OpConstantComposite:
        case spv::OpSpecConstantComposite:
        {
            std::vector<float> values;
            bool floats = true;
            for (uint32_t part : o)
            {
                auto found = constants.find(part);
                if (found == constants.end() || found->second.empty())
                    floats = false;
                else
                    values.insert(values.end(), found->second.begin(), found->second.end());
            }
            constants[in.result] = floats ? values : std::vector<float>();
            break;
        }
        case spv::OpConstantTrue:
        case spv::OpConstantFalse:
        case spv::OpConstantNull:
        case spv::OpSpecConstantTrue:
        case spv::OpSpecConstantFalse:
        case spv::OpSpecConstantOp:
        case spv::OpUndef: constants[in.result]; break;
        case spv::OpVariable:
            variables[in.result] = static_cast<spv::StorageClass>(o[0]);
            variableTypes[in.result] = types.count(in.type) ? types[in.type].pointee : 0;
            break;
        default: break;
        }
    }
};

// The operands of an instruction that name values (not literals, types or labels).
std::vector<uint32_t> ValueOperands(const Instruction& in)
{
    const std::vector<uint32_t>& o = in.operands;
    switch (in.op)
    {
    case spv::OpExtInst: return o.size() > 2 ? std::vector<uint32_t>(o.begin() + 2, o.end()) : std::vector<uint32_t>();
    case spv::OpCompositeExtract:
    case spv::OpLoad: return {o[0]};
    case spv::OpVectorShuffle:
    case spv::OpCompositeInsert:
    case spv::OpStore: return {o[0], o[1]};
    case spv::OpPhi:
    {
        std::vector<uint32_t> values;
        for (size_t i = 0; i + 1 < o.size(); i += 2)
            values.push_back(o[i]);
        return values;
    }
    case spv::OpFunctionCall: return std::vector<uint32_t>(o.begin() + 1, o.end());
    case spv::OpBranchConditional:
    case spv::OpSwitch:
    case spv::OpReturnValue: return {o[0]};
    case spv::OpBranch:
    case spv::OpSelectionMerge:
    case spv::OpLoopMerge:
    case spv::OpLabel:
    case spv::OpLine:
    case spv::OpNoLine: return {};
    case spv::OpImageSampleImplicitLod:
    case spv::OpImageSampleExplicitLod:
    case spv::OpImageSampleProjImplicitLod:
    case spv::OpImageSampleProjExplicitLod:
    case spv::OpImageSampleDrefImplicitLod:
    case spv::OpImageSampleDrefExplicitLod:
    case spv::OpImageSampleProjDrefImplicitLod:
    case spv::OpImageSampleProjDrefExplicitLod:
    {
        // Sampled image, coordinate, [Dref], then an operand mask and its ids.
        const bool dref = in.op == spv::OpImageSampleDrefImplicitLod || in.op == spv::OpImageSampleDrefExplicitLod ||
                          in.op == spv::OpImageSampleProjDrefImplicitLod ||
                          in.op == spv::OpImageSampleProjDrefExplicitLod;
        const size_t fixed = dref ? 3 : 2;
        std::vector<uint32_t> values(o.begin(), o.begin() + std::min(fixed, o.size()));
        if (o.size() > fixed + 1)
            values.insert(values.end(), o.begin() + fixed + 1, o.end());
        return values;
    }
    default: return o;
    }
}

uint32_t Find(const std::unordered_map<uint32_t, uint32_t>& map, uint32_t key)
{
    auto found = map.find(key);
    return found == map.end() ? 0 : found->second;
}

bool IsSample(spv::Op op)
{
    return op >= spv::OpImageSampleImplicitLod && op <= spv::OpImageSampleProjDrefExplicitLod;
}

bool IsMultiply(spv::Op op)
{
    return op == spv::OpFMul || op == spv::OpIMul || op == spv::OpVectorTimesScalar;
}

bool IsAdd(spv::Op op)
{
    return op == spv::OpFAdd || op == spv::OpFSub || op == spv::OpIAdd || op == spv::OpISub;
}

// One component of a value: the register value (node) that computed it and
// its component there, or no node for inputs, constants and literals.
struct Part
{
    int node = -1;         // computed here
    uint32_t variable = 0; // else the input, constant or literal it comes from
    uint32_t component = 0;
    bool operator<(const Part& other) const
    {
        return std::tie(node, variable, component) < std::tie(other.node, other.variable, other.component);
    }
    bool operator==(const Part& other) const
    {
        return node == other.node && variable == other.variable && component == other.component;
    }
};

struct Value
{
    std::vector<Part> parts;       // flattened components
    std::vector<uint32_t> members; // a constructed aggregate's member ids
    bool input = false;            // an interpolated input as it arrives (t#, v#)
    int readOrder = -1;            // deepest texture read that it depends on; -1: none
    uint32_t pointerBase = 0;      // pointers: the variable
    uint32_t pointerOffset = 0;    // pointers: the first component they reach
    bool dynamicIndex = false;     // pointers: indexed by a value, or unknown
};

// A value that needs temporary register components while it lives.
struct Node
{
    std::vector<int> operands;
    std::vector<int> consumers;
    uint64_t used = 0; // components that consumers read
};

class Counter
{
public:
    Counter(const Module& module, ShaderStage stage, bool repLoops)
        : m_Module(module), m_Stage(stage), m_RepLoops(repLoops), m_Values(module.bound)
    {
    }

    ShaderCost Count()
    {
        ShaderCost cost;
        Analyse(m_Module.functions.at(m_Module.entry), cost);
        cost.temporaries = Temporaries(cost);
        return cost;
    }

private:
    bool Pixel() const { return m_Stage == ShaderStage::Pixel; }

    uint32_t Components(uint32_t id) const
    {
        return id < m_Values.size() && !m_Values[id].parts.empty() ? static_cast<uint32_t>(m_Values[id].parts.size())
                                                                   : 1;
    }

    bool Computed(uint32_t id) const
    {
        if (id >= m_Values.size())
            return false;
        for (const Part& part : m_Values[id].parts)
            if (part.node >= 0)
                return true;
        return false;
    }

    bool Literal(uint32_t id) const { return m_Module.constants.count(id) != 0; }

    // The components of a value, each named by where it comes from.
    std::vector<Part> Parts(uint32_t id) const
    {
        if (id < m_Values.size() && !m_Values[id].parts.empty())
            return m_Values[id].parts;
        Part literal;
        literal.variable = id;
        return {literal};
    }

    // Components that differ: one rcp each.
    uint32_t Distinct(uint32_t id) const
    {
        const std::vector<Part> parts = Parts(id);
        return static_cast<uint32_t>(std::set<Part>(parts.begin(), parts.end()).size());
    }

    // The same scalar in every component.
    bool Splat(const std::vector<uint32_t>& operands) const
    {
        if (operands.size() < 2)
            return false;
        for (uint32_t id : operands)
            if (Parts(id).size() != 1 || !(Parts(id) == Parts(operands[0])))
                return false;
        return true;
    }

    // Slots and texture slots of a called function, as if inlined (the
    // compiler inlines everything).
    void Call(uint32_t function, ShaderCost& cost)
    {
        auto found = m_Module.functions.find(function);
        if (found == m_Module.functions.end() || !m_Calling.insert(function).second)
            return;
        Analyse(found->second, cost);
        m_Calling.erase(function);
    }

    void Analyse(const Function& function, ShaderCost& cost)
    {
        std::unordered_map<uint32_t, int> uses;
        std::set<uint32_t> loopHeaders;
        uint32_t block = 0;
        for (const Instruction& in : function.code)
        {
            if (in.op == spv::OpLabel)
                block = in.result;
            if (in.op == spv::OpLoopMerge)
                loopHeaders.insert(block);
            for (uint32_t id : ValueOperands(in))
                ++uses[id];
        }
        // A multiply whose only use is an add becomes one mad; an add takes one.
        std::unordered_map<uint32_t, const Instruction*> definitions;
        std::set<uint32_t> fused;
        for (const Instruction& in : function.code)
        {
            if (in.result)
                definitions[in.result] = &in;
            if (!IsAdd(in.op))
                continue;
            for (uint32_t id : ValueOperands(in))
            {
                auto def = definitions.find(id);
                if (def != definitions.end() && IsMultiply(def->second->op) && uses[id] == 1 && !fused.count(id))
                {
                    fused.insert(id);
                    break;
                }
            }
        }

        std::set<std::vector<Part>> sincos; // operands whose sine and cosine one sincos gives
        std::unordered_map<uint32_t, uint32_t> mergeCondition;
        std::unordered_map<uint32_t, uint32_t> order; // result id -> position, for back edges
        uint32_t position = 0;
        block = 0;
        for (const Instruction& in : function.code)
        {
            order[in.result] = ++position;
            if (in.op == spv::OpLabel)
            {
                block = in.result;
                continue;
            }
            if (in.op == spv::OpSelectionMerge)
                m_PendingMerge = in.operands[0];
            if (in.op == spv::OpBranchConditional && m_PendingMerge)
            {
                mergeCondition[m_PendingMerge] = in.operands[0];
                m_PendingMerge = 0;
            }
            if (in.op == spv::OpLoopMerge)
            {
                if (m_RepLoops)
                    cost.arithmetic += Pixel() ? 0 : 5; // rep 3 + endrep 2
                else
                    cost.estimated = true; // counted once
                m_PendingMerge = 0;
                continue;
            }
            if (in.op == spv::OpFunctionCall)
            {
                Call(in.operands[0], cost);
                Define(in, ValueOperands(in));
                continue;
            }

            std::vector<uint32_t> operands = ValueOperands(in);
            if (in.op == spv::OpPhi)
            {
                // Back edges of a loop that was not unrolled bring nothing new.
                std::vector<uint32_t> earlier;
                for (uint32_t id : operands)
                    if (Literal(id) || m_Module.variables.count(id) || (order.count(id) && order[id] < position))
                        earlier.push_back(id);
                operands.swap(earlier);
                auto condition = mergeCondition.find(block);
                if (condition != mergeCondition.end())
                    operands.push_back(condition->second);
            }
            if (Repeated(in, operands))
                continue;
            Cost(in, operands, uses, fused, sincos, loopHeaders.count(block) != 0, cost);
            Flow(in, operands, cost);
        }
    }

    // The compiler computes an expression once however often the source
    // writes it (two reads of one texture at one coordinate are one texld).
    bool Repeated(const Instruction& in, const std::vector<uint32_t>& operands)
    {
        if (!in.result || !in.type || in.op == spv::OpPhi || in.op == spv::OpLoad || in.op == spv::OpFunctionCall ||
            in.op == spv::OpAccessChain || in.op == spv::OpInBoundsAccessChain || in.op == spv::OpVariable ||
            in.op == spv::OpFunctionParameter || in.op == spv::OpUndef)
            return false;
        std::vector<uint32_t> key{static_cast<uint32_t>(in.op), in.type};
        if (in.op == spv::OpExtInst || in.op == spv::OpCompositeExtract || in.op == spv::OpVectorShuffle)
            key.insert(key.end(), in.operands.begin(), in.operands.end()); // literals matter
        for (uint32_t id : operands)
        {
            key.push_back(0xFFFFFFFF);
            for (const Part& part : Parts(id))
                key.insert(key.end(), {static_cast<uint32_t>(part.node), part.variable, part.component});
        }
        auto earlier = m_Expressions.emplace(key, in.result);
        if (earlier.second)
            return false;
        At(in.result) = At(earlier.first->second);
        m_Types[in.result] = in.type;
        return true;
    }

    // Slots of one instruction.
    void Cost(const Instruction& in, const std::vector<uint32_t>& operands, std::unordered_map<uint32_t, int>& uses,
              const std::set<uint32_t>& fused, std::set<std::vector<Part>>& sincos, bool loopHeader, ShaderCost& cost)
    {
        const std::vector<uint32_t>& o = in.operands;
        const uint32_t n = in.type ? m_Module.Components(in.type) : 1;
        uint32_t slots = 0;
        switch (in.op)
        {
        case spv::OpFAdd:
        case spv::OpFSub:
        case spv::OpIAdd:
        case spv::OpISub:
        case spv::OpSMod:
        case spv::OpUMod: slots = in.op == spv::OpSMod || in.op == spv::OpUMod ? 4 : 1; break;
        case spv::OpFMul:
        case spv::OpIMul:
        case spv::OpVectorTimesScalar: slots = fused.count(in.result) ? 0 : 1; break;
        case spv::OpFDiv:
        case spv::OpSDiv:
        case spv::OpUDiv:
            // rcp works on one component: one per component of the divisor.
            slots = Literal(o[1]) ? 1 : Distinct(o[1]) + 1;
            break;
        case spv::OpFMod:
        case spv::OpFRem:
        case spv::OpSRem:
            slots = (Literal(o[1]) ? 1 : Distinct(o[1]) + 1) + 3; // divide, frc, cmp, mul
            break;
        case spv::OpFNegate:
        case spv::OpSNegate:
        case spv::OpConvertSToF:
        case spv::OpConvertUToF:
        case spv::OpBitcast:
        case spv::OpTranspose:
        case spv::OpVectorShuffle:
        case spv::OpCompositeExtract:
        case spv::OpCopyObject:
        case spv::OpLoad:
        case spv::OpUndef:
        case spv::OpVariable:
        case spv::OpBranch:
        case spv::OpBranchConditional:
        case spv::OpSelectionMerge:
        case spv::OpReturn:
        case spv::OpReturnValue:
        case spv::OpUnreachable:
        case spv::OpLine:
        case spv::OpNoLine:
        case spv::OpNop:
        case spv::OpFunctionParameter:
        case spv::OpSampledImage:
        case spv::OpImage: break;
        case spv::OpConvertFToS:
        case spv::OpConvertFToU:
            slots = 2; // frc, sub
            break;
        case spv::OpDot:
            slots = Components(o[0]) <= 2 ? 2 : 1; // dp2add, or dp3 / dp4
            break;
        case spv::OpVectorTimesMatrix:
        case spv::OpMatrixTimesVector:
        {
            // One dp per result component, or one mul / mad per vector component.
            const uint32_t vector = in.op == spv::OpVectorTimesMatrix ? o[0] : o[1];
            slots = std::min(n, Components(vector));
            break;
        }
        case spv::OpMatrixTimesMatrix:
        {
            auto result = m_Module.types.find(in.type);
            auto left = m_Module.types.find(TypeOf(o[0]));
            const uint32_t columns = result != m_Module.types.end() ? std::max(1u, result->second.columns) : 1;
            const uint32_t rows = n / columns;
            const uint32_t inner = left != m_Module.types.end() && left->second.columns ? left->second.columns : rows;
            slots = columns * std::min(rows, inner);
            break;
        }
        case spv::OpMatrixTimesScalar:
        case spv::OpOuterProduct:
        {
            auto type = m_Module.types.find(in.type);
            slots = type != m_Module.types.end() && type->second.columns ? type->second.columns : 1;
            break;
        }
        case spv::OpSelect:
            slots = Pixel() ? 1 : 2; // cmp; slt + lrp-like mad pair without cmp
            break;
        case spv::OpPhi:
            if (!loopHeader)
                slots = Pixel() ? 1 : 2; // the flattened branch selects
            break;
        case spv::OpAccessChain:
        case spv::OpInBoundsAccessChain:
            for (size_t i = 1; i < o.size(); ++i)
                if (!Literal(o[i]))
                    slots = 1; // mova
            break;
        case spv::OpCompositeConstruct:
        {
            auto type = m_Module.types.find(in.type);
            if (type == m_Module.types.end() || type->second.op != spv::OpTypeVector || Splat(operands))
                break; // a replicate swizzle
            bool literal = false, uncomputed = false;
            for (uint32_t id : operands)
            {
                literal |= Literal(id);
                uncomputed |= !Literal(id) && !Computed(id);
            }
            slots = (literal ? 1 : 0) + (uncomputed ? 1 : 0); // def'd constants and inputs are moved in
            break;
        }
        case spv::OpCompositeInsert: slots = Computed(o[0]) ? 0 : 1; break;
        case spv::OpStore:
        {
            auto variable = m_Module.variables.find(o[0]);
            if (variable == m_Module.variables.end() || variable->second != spv::StorageClassOutput)
                break;
            // Pixel shaders move their results out; a vertex shader's last
            // instruction writes the output, unless the value is not computed
            // here or is needed again.
            slots = Pixel() || !Computed(o[1]) || uses[o[1]] > 1 ? 1 : 0;
            break;
        }
        case spv::OpKill:
        case spv::OpTerminateInvocation:
        case spv::OpDemoteToHelperInvocation:
            cost.texture += 1; // texkill
            break;
        case spv::OpExtInst: slots = o.size() > 1 && o[0] == m_Module.glsl450 ? Extended(in, uses, sincos) : 1; break;
        default:
            if (IsSample(in.op))
            {
                if (Pixel())
                    cost.texture += 1;
                else
                    slots = 1;
            }
            else if (in.result)
                slots = 1; // comparisons, logic and anything else: one instruction at least
            break;
        }
        cost.arithmetic += slots;
    }

    uint32_t TypeOf(uint32_t id) const
    {
        auto found = m_Types.find(id);
        return found == m_Types.end() ? 0 : found->second;
    }

    // Slots of a GLSL.std.450 operation; n components for those that work on one at a time.
    uint32_t Extended(const Instruction& in, std::unordered_map<uint32_t, int>& uses,
                      std::set<std::vector<Part>>& sincos)
    {
        const std::vector<uint32_t>& o = in.operands;
        const uint32_t n = m_Module.Components(in.type);
        const uint32_t x = o.size() > 2 ? o[2] : 0;
        switch (o[1])
        {
        case GLSLstd450FAbs:
        case GLSLstd450SAbs:
        case GLSLstd450Fract:
        case GLSLstd450Radians:
        case GLSLstd450Degrees:
        case GLSLstd450FMin:
        case GLSLstd450UMin:
        case GLSLstd450SMin:
        case GLSLstd450FMax:
        case GLSLstd450UMax:
        case GLSLstd450SMax:
        case GLSLstd450NMin:
        case GLSLstd450NMax:
        case GLSLstd450Fma: return 1;
        case GLSLstd450Floor:
        case GLSLstd450Ceil:
        case GLSLstd450Modf:
        case GLSLstd450ModfStruct:
        case GLSLstd450Cross:
        case GLSLstd450FMix:
        case GLSLstd450IMix: return 2; // frc + sub, crs, lrp
        case GLSLstd450Round:
        case GLSLstd450RoundEven:
        case GLSLstd450Trunc:
        case GLSLstd450FaceForward:
        case GLSLstd450Reflect:
        case GLSLstd450Frexp:
        case GLSLstd450FrexpStruct:
        case GLSLstd450Ldexp: return 3;
        case GLSLstd450FSign:
        case GLSLstd450SSign: return Pixel() ? 2 : 3; // two cmp; sgn
        case GLSLstd450Sin:
        case GLSLstd450Cos:
            // One sincos (8 slots) a component gives both.
            return sincos.insert(Parts(x)).second ? 8 * n : 0;
        case GLSLstd450Tan: return 9 * n + 1;
        case GLSLstd450Asin:
        case GLSLstd450Acos:
        case GLSLstd450Atan:
        case GLSLstd450Sinh:
        case GLSLstd450Cosh:
        case GLSLstd450Tanh:
        case GLSLstd450Asinh:
        case GLSLstd450Acosh:
        case GLSLstd450Atanh: return 6; // polynomial approximations; an estimate
        case GLSLstd450Atan2: return 10;
        case GLSLstd450Pow:
            // Small whole powers become multiplies; others log, mul, exp.
            if (o.size() > 3 && (m_Module.IsFloatConstant(o[3], 2) || m_Module.IsFloatConstant(o[3], 1)))
                return 1;
            if (o.size() > 3 && (m_Module.IsFloatConstant(o[3], 3) || m_Module.IsFloatConstant(o[3], 4)))
                return 2;
            return 3 * n;
        case GLSLstd450Exp:
        case GLSLstd450Log: return n + 1; // exp / log and a scale
        case GLSLstd450Exp2:
        case GLSLstd450Log2:
        case GLSLstd450InverseSqrt: return n;
        case GLSLstd450Sqrt: return 2 * n; // rsq, rcp
        case GLSLstd450Determinant: return n <= 4 ? 2 : n <= 9 ? 5 : 14;
        case GLSLstd450MatrixInverse: return 20;
        case GLSLstd450FClamp:
        case GLSLstd450UClamp:
        case GLSLstd450SClamp:
        case GLSLstd450NClamp:
            // saturate() is an instruction modifier of pixel shaders.
            if (Pixel() && o.size() > 4 && m_Module.IsFloatConstant(o[3], 0) && m_Module.IsFloatConstant(o[4], 1))
                return Computed(x) && uses[x] == 1 ? 0 : 1;
            return 2;
        case GLSLstd450Step:
            if (!Pixel())
                return 1;                                  // sge
            return m_Module.IsFloatConstant(x, 0) ? 1 : 2; // sub, cmp
        case GLSLstd450SmoothStep:
            // With constant edges the scale folds into one mad_sat.
            return o.size() > 4 && Literal(o[2]) && Literal(o[3]) ? 4 : 6;
        case GLSLstd450Length: return Components(x) == 1 ? 1 : 3; // dp, rsq, rcp
        case GLSLstd450Distance: return Components(x) == 1 ? 2 : 4;
        case GLSLstd450Normalize: return n == 1 ? 2 : 3; // nrm
        case GLSLstd450Refract: return 8;
        default: return 1;
        }
    }

    // Defines the value of an instruction and records what it reads.
    void Flow(const Instruction& in, const std::vector<uint32_t>& operands, ShaderCost& cost)
    {
        const std::vector<uint32_t>& o = in.operands;
        switch (in.op)
        {
        case spv::OpAccessChain:
        case spv::OpInBoundsAccessChain:
        {
            const Value& parent = At(o[0]);
            Value pointer;
            pointer.pointerBase = parent.pointerBase ? parent.pointerBase : o[0];
            pointer.pointerOffset = parent.pointerOffset;
            pointer.dynamicIndex = parent.dynamicIndex;
            uint32_t type = parent.pointerBase ? m_PointerTypes[o[0]] : Find(m_Module.variableTypes, o[0]);
            std::vector<uint32_t> indices;
            for (size_t i = 1; i < o.size(); ++i)
            {
                auto literal = m_Module.integers.find(o[i]);
                if (literal == m_Module.integers.end())
                {
                    pointer.dynamicIndex = true;
                    Read(o[i]);
                }
                else
                    indices.push_back(literal->second);
            }
            if (!pointer.dynamicIndex && !m_Module.Member(type, indices, pointer.pointerOffset))
                pointer.dynamicIndex = true;
            m_PointerTypes[in.result] = type;
            At(in.result) = pointer;
            return;
        }
        case spv::OpLoad:
        case spv::OpStore:
        {
            const Value& pointer = At(o[0]);
            const uint32_t base = pointer.pointerBase ? pointer.pointerBase : o[0];
            auto variable = m_Module.variables.find(base);
            const spv::StorageClass storage =
                variable == m_Module.variables.end() ? spv::StorageClassFunction : variable->second;
            const bool local = storage == spv::StorageClassFunction || storage == spv::StorageClassPrivate;
            if (in.op == spv::OpStore)
            {
                // Locals that legalisation left in memory hold what was last stored.
                if (local && !pointer.dynamicIndex)
                {
                    Value& held = m_Stored[base];
                    held.parts.resize(m_Module.Components(Find(m_Module.variableTypes, base)));
                    const Value& stored = At(o[1]);
                    for (size_t c = 0; c < stored.parts.size() && pointer.pointerOffset + c < held.parts.size(); ++c)
                        held.parts[pointer.pointerOffset + c] = stored.parts[c];
                    held.readOrder = std::max(held.readOrder, stored.readOrder);
                }
                return;
            }
            m_Types[in.result] = in.type;
            const uint32_t count = m_Module.Components(in.type);
            if (!local && !pointer.dynamicIndex)
            {
                Value& value = At(in.result);
                value.parts.clear();
                for (uint32_t c = 0; c < count; ++c)
                {
                    Part part;
                    part.variable = base;
                    part.component = pointer.pointerOffset + c;
                    value.parts.push_back(part);
                }
                value.input = storage == spv::StorageClassInput;
                return;
            }
            if (!local)
            {
                At(in.result).parts.assign(count, Part()); // an indexed constant
                return;
            }
            auto held = m_Stored.find(base);
            if (held == m_Stored.end() || pointer.dynamicIndex)
            {
                Define(in, {});
                return;
            }
            Value value;
            value.readOrder = held->second.readOrder;
            for (uint32_t c = 0; c < count; ++c)
            {
                const size_t at = pointer.pointerOffset + c;
                value.parts.push_back(at < held->second.parts.size() ? held->second.parts[at] : Part());
            }
            At(in.result) = value;
            return;
        }
        case spv::OpCompositeExtract:
        {
            // A swizzle or column of the composite: the same components.
            const Value& composite = At(o[0]);
            uint32_t id = o[0];
            uint32_t offset = 0;
            uint32_t type = TypeOf(o[0]);
            for (size_t i = 1; i < o.size(); ++i)
            {
                // A constructed matrix or structure: straight to the member.
                const Value& current = At(id);
                if (offset == 0 && o[i] < current.members.size())
                {
                    id = current.members[o[i]];
                    type = TypeOf(id);
                    continue;
                }
                if (!m_Module.Member(type, {o[i]}, offset))
                    break;
            }
            Value value;
            const Value& source = At(id);
            const uint32_t count = m_Module.Components(in.type);
            for (uint32_t c = 0; c < count; ++c)
                value.parts.push_back(offset + c < source.parts.size() ? source.parts[offset + c] : Part());
            value.input = source.input;
            value.readOrder = std::max(source.readOrder, composite.readOrder);
            At(in.result) = value;
            m_Types[in.result] = in.type;
            return;
        }
        case spv::OpVectorShuffle:
        {
            const Value& a = At(o[0]);
            const Value& b = At(o[1]);
            const uint32_t first = Components(o[0]);
            Value value;
            bool fromA = false, fromB = false;
            for (size_t i = 2; i < o.size(); ++i)
            {
                const uint32_t c = o[i];
                const bool inA = c < first;
                const Value& source = inA ? a : b;
                const uint32_t index = inA ? c : c - first;
                (inA ? fromA : fromB) = true;
                value.parts.push_back(index < source.parts.size() && c != 0xFFFFFFFF ? source.parts[index] : Part());
            }
            value.input = (!fromA || a.input) && (!fromB || b.input);
            value.readOrder = std::max(fromA ? a.readOrder : -1, fromB ? b.readOrder : -1);
            At(in.result) = value;
            m_Types[in.result] = in.type;
            return;
        }
        case spv::OpSampledImage:
        case spv::OpImage:
            At(in.result).parts.assign(1, Part()); // still the sampler register
            m_Types[in.result] = in.type;
            return;
        case spv::OpCopyObject:
            At(in.result) = At(o[0]);
            m_Types[in.result] = in.type;
            return;
        case spv::OpCompositeConstruct:
        {
            auto type = m_Module.types.find(in.type);
            if (type != m_Module.types.end() && type->second.op != spv::OpTypeVector)
            {
                // Matrices and structures keep their members where they are.
                Value value;
                value.members = o;
                for (uint32_t id : o)
                {
                    const Value& member = At(id);
                    value.parts.insert(value.parts.end(), member.parts.begin(), member.parts.end());
                    value.readOrder = std::max(value.readOrder, member.readOrder);
                }
                At(in.result) = value;
                m_Types[in.result] = in.type;
                return;
            }
            if (Splat(o))
            {
                Value value = At(o[0]);
                value.parts.assign(o.size(), Parts(o[0])[0]);
                At(in.result) = value;
                m_Types[in.result] = in.type;
                return;
            }
            bool inputs = true;
            for (uint32_t id : o)
                inputs = inputs && At(id).input;
            Define(in, operands);
            At(in.result).input = inputs; // interpolated as a whole: still a t# register
            if (inputs)
                for (Part& part : At(in.result).parts)
                    part.node = -1;
            return;
        }
        case spv::OpBranchConditional:
        case spv::OpSwitch:
        case spv::OpReturnValue:
        case spv::OpKill: return; // their reads do not keep a value alive past the instruction
        default: break;
        }
        if (!in.result || !in.type)
            return;
        Define(in, operands);
        if (IsSample(in.op) && Pixel() && operands.size() > 1)
        {
            // A coordinate computed here (in an r# register) makes a dependent
            // read of the first order; each read that it depends on, one more.
            const Value& coordinate = At(operands[1]);
            int order = coordinate.input ? 0 : 1;
            if (coordinate.readOrder >= 0)
                order = std::max(order, coordinate.readOrder + 1);
            At(in.result).readOrder = order;
            cost.readLevels = std::max<uint32_t>(cost.readLevels, static_cast<uint32_t>(order) + 1);
        }
    }

    Value& At(uint32_t id)
    {
        if (id < m_Values.size())
            return m_Values[id];
        m_Outside = Value(); // an id past the module's bound: nothing known
        return m_Outside;
    }

    // A new register value computed from operands.
    void Define(const Instruction& in, const std::vector<uint32_t>& operands)
    {
        m_Types[in.result] = in.type;
        Value value;
        const int index = static_cast<int>(m_Nodes.size());
        m_Nodes.emplace_back();
        for (uint32_t id : operands)
        {
            value.readOrder = std::max(value.readOrder, At(id).readOrder);
            Read(id, index);
        }
        const uint32_t count = std::max(1u, m_Module.Components(in.type));
        for (uint32_t c = 0; c < count; ++c)
        {
            Part part;
            part.node = index;
            part.component = c;
            value.parts.push_back(part);
        }
        if (in.result < m_Values.size())
            m_Values[in.result] = value;
    }

    // The consumer (a node, or -1) reads every component of the value id.
    void Read(uint32_t id, int consumer = -1)
    {
        if (id >= m_Values.size())
            return;
        for (const Part& part : m_Values[id].parts)
        {
            if (part.node < 0 || part.node == consumer)
                continue;
            if (consumer >= 0)
            {
                Node& node = m_Nodes[part.node];
                node.used |= uint64_t(1) << std::min(part.component, 63u);
                if (std::find(node.consumers.begin(), node.consumers.end(), consumer) == node.consumers.end())
                    node.consumers.push_back(consumer);
                std::vector<int>& operands = m_Nodes[consumer].operands;
                if (std::find(operands.begin(), operands.end(), part.node) == operands.end())
                    operands.push_back(part.node);
            }
        }
    }

    // Registers that any order of the instructions needs: at an instruction
    // I, every value computed before I (an ancestor) that an instruction at
    // or after I (I or a descendant) still reads is held at once.
    uint32_t Temporaries(ShaderCost& cost)
    {
        const size_t n = m_Nodes.size();
        if (n == 0)
            return 0;
        if (n > 6000)
        {
            cost.estimated = true;
            return 0;
        }
        const size_t words = (n + 63) / 64;
        std::vector<uint64_t> ancestors(n * words, 0), reach(n * words, 0), strict(n * words, 0);
        auto row = [&](std::vector<uint64_t>& set, size_t i) { return set.data() + i * words; };
        auto has = [&](std::vector<uint64_t>& set, size_t i, size_t j)
        { return (row(set, i)[j / 64] >> (j % 64)) & 1; };
        for (size_t i = 0; i < n; ++i)
            for (int j : m_Nodes[i].operands)
            {
                if (static_cast<size_t>(j) >= i)
                    continue;
                for (size_t w = 0; w < words; ++w)
                    row(ancestors, i)[w] |= row(ancestors, j)[w];
                row(ancestors, i)[j / 64] |= uint64_t(1) << (j % 64);
            }
        for (size_t v = 0; v < n; ++v)
            for (int c : m_Nodes[v].consumers)
            {
                for (size_t w = 0; w < words; ++w)
                {
                    row(reach, v)[w] |= row(ancestors, c)[w];
                    row(strict, v)[w] |= row(ancestors, c)[w];
                }
                row(reach, v)[c / 64] |= uint64_t(1) << (c % 64);
            }
        uint32_t most = 0;
        for (size_t i = 0; i < n; ++i)
        {
            uint32_t at = 0, after = m_Nodes[i].consumers.empty() ? 0 : Width(i);
            for (size_t v = 0; v < i; ++v)
            {
                if (!has(ancestors, i, v))
                    continue;
                if (has(reach, v, i))
                    at += Width(v);
                if (has(strict, v, i))
                    after += Width(v);
            }
            most = std::max(most, (std::max(at, after) + 3) / 4);
        }
        return most;
    }

    uint32_t Width(size_t node) const { return static_cast<uint32_t>(std::bitset<64>(m_Nodes[node].used).count()); }

    const Module& m_Module;
    ShaderStage m_Stage;
    bool m_RepLoops;
    uint32_t m_PendingMerge = 0;
    std::vector<Value> m_Values;
    Value m_Outside;
    std::unordered_map<uint32_t, uint32_t> m_Types;
    std::unordered_map<uint32_t, uint32_t> m_PointerTypes;   // what access chains reach
    std::unordered_map<uint32_t, Value> m_Stored;            // locals left in memory
    std::map<std::vector<uint32_t>, uint32_t> m_Expressions; // what each expression was first computed as
    std::vector<Node> m_Nodes;
    std::set<uint32_t> m_Calling;
};

// The compiler unrolls every loop whose count it knows and folds what that
// makes constant; SPIRV-Tools does the same once every loop asks for it.
std::vector<uint32_t> Unrolled(const std::vector<uint32_t>& spirv)
{
    std::vector<uint32_t> marked = spirv;
    bool loops = false;
    for (size_t at = 5; at < marked.size();)
    {
        const uint32_t count = marked[at] >> 16;
        if (count == 0)
            break;
        if ((marked[at] & 0xFFFF) == spv::OpLoopMerge && count >= 4)
        {
            marked[at + 3] = (marked[at + 3] & ~uint32_t(spv::LoopControlDontUnrollMask)) | spv::LoopControlUnrollMask;
            loops = true;
        }
        at += count;
    }
    if (!loops)
        return spirv;
    spvtools::Optimizer optimizer(SPV_ENV_VULKAN_1_0);
    optimizer.SetMessageConsumer([](spv_message_level_t, const char*, const spv_position_t&, const char*) {});
    optimizer.RegisterPass(spvtools::CreateLoopUnrollPass(true))
        .RegisterPass(spvtools::CreateSimplificationPass())
        .RegisterPass(spvtools::CreateCCPPass())
        .RegisterPass(spvtools::CreateSimplificationPass())
        .RegisterPass(spvtools::CreateDeadBranchElimPass())
        .RegisterPass(spvtools::CreateAggressiveDCEPass());
    spvtools::OptimizerOptions options;
    options.set_run_validator(false);
    std::vector<uint32_t> unrolled;
    if (!optimizer.Run(marked.data(), marked.size(), &unrolled, options))
        return spirv;
    return unrolled;
}

std::string Count(uint32_t count)
{
    return std::to_string(count);
}
} // namespace

ShaderCost CountShaderCost(const std::vector<uint32_t>& spirv, ShaderStage stage)
{
    Module unrolled;
    if (!unrolled.Parse(Unrolled(spirv)))
    {
        ShaderCost unknown;
        unknown.estimated = true;
        return unknown;
    }
    ShaderCost cost = Counter(unrolled, stage, false).Count();
    if (stage == ShaderStage::Vertex)
    {
        // A vertex shader may keep a loop as rep ... endrep instead.
        Module original;
        if (original.Parse(spirv))
            cost.arithmetic = std::min(cost.arithmetic, Counter(original, stage, true).Count().arithmetic);
    }
    return cost;
}

void CheckShaderLimits(const ShaderCost& cost, const ShaderProfile& profile, const SourcePosition& entryPoint,
                       Diagnostics& out)
{
    auto error = [&](const std::string& text)
    {
        Diagnostic diagnostic;
        diagnostic.file = entryPoint.file;
        diagnostic.line = entryPoint.line;
        diagnostic.column = entryPoint.column;
        diagnostic.text = text;
        out.push_back(diagnostic);
    };
    const bool pixel = profile.stage == ShaderStage::Pixel;
    if (profile.arithmeticSlots && cost.arithmetic > profile.arithmeticSlots)
        error("compiled shader code uses too many " + std::string(pixel ? "arithmetic " : "") + "instruction slots (" +
              Count(cost.arithmetic) + "); " + profile.name + " allows " + Count(profile.arithmeticSlots));
    if (profile.textureSlots && cost.texture > profile.textureSlots)
        error("compiled shader code uses too many texture instruction slots (" + Count(cost.texture) + "); " +
              profile.name + " allows " + Count(profile.textureSlots));
    if (profile.dependentReadLevels && cost.readLevels > profile.dependentReadLevels)
        error("texture reads depend on each other " + Count(cost.readLevels) +
              " levels deep (a coordinate computed "
              "in the shader counts as one); " +
              profile.name + " allows " + Count(profile.dependentReadLevels));
    if (profile.temporaryRegisters && cost.temporaries > profile.temporaryRegisters)
        error("compiled shader code needs at least " + Count(cost.temporaries) + " temporary registers; " +
              profile.name + " has " + Count(profile.temporaryRegisters) + " (r0-r" +
              Count(profile.temporaryRegisters - 1) + ")");
}
} // namespace d3dx9
