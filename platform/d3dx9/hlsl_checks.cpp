#include "d3dx9/hlsl_checks.h"

#include <glslang/MachineIndependent/localintermediate.h>

#include <functional>
#include <set>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace d3dx9
{
namespace
{
using namespace glslang;

Diagnostic At(const TSourceLoc& loc, const std::string& defaultFile, const std::string& text)
{
    Diagnostic diagnostic;
    diagnostic.file = loc.name ? loc.name->c_str() : defaultFile;
    diagnostic.line = loc.line;
    diagnostic.column = loc.column;
    diagnostic.text = text;
    return diagnostic;
}

bool IsAssignment(TOperator op)
{
    return op >= EOpAssign && op <= EOpRightShiftAssign;
}

bool IsDerivative(TOperator op)
{
    return op >= EOpDPdx && op <= EOpFwidthCoarse;
}

bool IsExplicitLodOrGradient(TOperator op)
{
    switch (op)
    {
    case EOpTextureLod:
    case EOpTextureLodOffset:
    case EOpTextureProjLod:
    case EOpTextureProjLodOffset:
    case EOpTextureGrad:
    case EOpTextureGradOffset:
    case EOpTextureProjGrad:
    case EOpTextureProjGradOffset:
    case EOpMethodSampleLevel:
    case EOpMethodSampleGrad: return true;
    default: return false;
    }
}

// Values that differ from draw to draw or from vertex to vertex: constants
// (uniforms), shader inputs and built-in inputs.
bool IsVaryingSource(TStorageQualifier storage)
{
    switch (storage)
    {
    case EvqTemporary:
    case EvqGlobal:
    case EvqConst:
    case EvqConstReadOnly:
    case EvqIn:
    case EvqOut:
    case EvqInOut:
    case EvqVaryingOut:
    case EvqPosition:
    case EvqPointSize:
    case EvqClipVertex:
    case EvqFragColor:
    case EvqFragDepth: return false;
    default: return true;
    }
}

// The variable that an l-value expression writes (through indexing and swizzles).
TIntermSymbol* RootSymbol(TIntermNode* node)
{
    while (node)
    {
        if (TIntermSymbol* symbol = node->getAsSymbolNode())
            return symbol;
        TIntermBinary* binary = node->getAsBinaryNode();
        if (!binary)
            return nullptr;
        TOperator op = binary->getOp();
        if (op != EOpIndexDirect && op != EOpIndexIndirect && op != EOpIndexDirectStruct && op != EOpVectorSwizzle)
            return nullptr;
        node = binary->getLeft();
    }
    return nullptr;
}

struct Function
{
    TIntermAggregate* definition = nullptr;
    std::vector<TIntermSymbol*> parameters;
    TIntermNode* body = nullptr;
    bool returnsVarying = false;
};

// Where control flow stands while the walk goes down a function body.
struct Context
{
    Function* function = nullptr;
    TIntermLoop* loop = nullptr; // innermost loop
    bool varyingControl = false; // some enclosing condition in the function varies
    bool varyingInLoop = false;  // ... a condition inside the innermost loop varies
    bool inSwitch = false;       // innermost breakable construct is a switch
};

// Flow-insensitive propagation of "varies per draw or per vertex" over
// variables, parameters and return values, to a fixed point; a loop can be
// unrolled unless its test varies or a break or return in it sits under a
// varying condition. Control dependences count only there and for return
// values: followed into assignments they would also taint the counter of a
// constant loop that sits inside a branch on a constant.
class LoopAnalysis
{
public:
    explicit LoopAnalysis(TIntermAggregate* root) : m_Root(root)
    {
        for (TIntermNode* node : root->getSequence())
        {
            TIntermAggregate* aggregate = node->getAsAggregate();
            if (!aggregate || aggregate->getOp() != EOpFunction)
                continue;
            Function& function = m_Functions[aggregate->getName().c_str()];
            function.definition = aggregate;
            TIntermSequence& parts = aggregate->getSequence();
            if (!parts.empty())
                if (TIntermAggregate* parameters = parts[0]->getAsAggregate())
                    for (TIntermNode* parameter : parameters->getSequence())
                        function.parameters.push_back(parameter->getAsSymbolNode());
            if (parts.size() > 1)
                function.body = parts[1];
        }
    }

    // Functions that the entry point reaches through calls.
    std::vector<Function*> Reachable(const std::string& entry)
    {
        std::vector<Function*> order;
        std::set<std::string> seen;
        std::vector<std::string> pending{entry};
        while (!pending.empty())
        {
            std::string name = pending.back();
            pending.pop_back();
            auto found = m_Functions.find(name);
            if (!seen.insert(name).second || found == m_Functions.end())
                continue;
            order.push_back(&found->second);
            CollectCalls(found->second.body, pending);
        }
        return order;
    }

    void Run(const std::vector<Function*>& functions)
    {
        do
        {
            m_Changed = false;
            for (TIntermNode* node : m_Root->getSequence())
            {
                TIntermAggregate* aggregate = node->getAsAggregate();
                if (!aggregate || (aggregate->getOp() != EOpFunction && aggregate->getOp() != EOpLinkerObjects))
                    Walk(node, Context()); // global initialisers
            }
            for (Function* function : functions)
            {
                Context context;
                context.function = function;
                Walk(function->body, context);
            }
        } while (m_Changed);
    }

    const std::vector<TIntermLoop*>& VaryingLoops() const { return m_VaryingLoopOrder; }

private:
    void CollectCalls(TIntermNode* node, std::vector<std::string>& out)
    {
        struct Calls : TIntermTraverser
        {
            std::vector<std::string>* out;
            bool visitAggregate(TVisit, TIntermAggregate* node) override
            {
                if (node->getOp() == EOpFunctionCall)
                    out->push_back(node->getName().c_str());
                return true;
            }
        } calls;
        calls.out = &out;
        if (node)
            node->traverse(&calls);
    }

    bool IsVarying(TIntermSymbol* symbol) const
    {
        return IsVaryingSource(symbol->getQualifier().storage) || m_Varying.count(symbol->getId());
    }

    void MarkVarying(TIntermSymbol* symbol)
    {
        if (symbol && m_Varying.insert(symbol->getId()).second)
            m_Changed = true;
    }

    void MarkLoop(TIntermLoop* loop)
    {
        if (loop && m_VaryingLoops.insert(loop).second)
        {
            m_VaryingLoopOrder.push_back(loop);
            m_Changed = true;
        }
    }

    static void SetFlag(bool& flag, bool& changed)
    {
        if (!flag)
        {
            flag = true;
            changed = true;
        }
    }

    // Walks a subtree for its effects; returns whether its value varies.
    bool Walk(TIntermNode* node, const Context& context)
    {
        if (!node)
            return false;
        if (TIntermSymbol* symbol = node->getAsSymbolNode())
            return IsVarying(symbol);
        if (node->getAsConstantUnion())
            return false;
        if (TIntermBinary* binary = node->getAsBinaryNode())
            return WalkBinary(binary, context);
        if (TIntermUnary* unary = node->getAsUnaryNode())
        {
            return Walk(unary->getOperand(), context);
        }
        if (TIntermAggregate* aggregate = node->getAsAggregate())
            return WalkAggregate(aggregate, context);
        if (TIntermSelection* selection = node->getAsSelectionNode())
        {
            bool condition = Walk(selection->getCondition(), context);
            Context inner = context;
            inner.varyingControl |= condition;
            inner.varyingInLoop |= condition;
            bool a = Walk(selection->getTrueBlock(), inner);
            bool b = Walk(selection->getFalseBlock(), inner);
            return condition || a || b;
        }
        if (TIntermSwitch* switchNode = node->getAsSwitchNode())
        {
            bool condition = Walk(switchNode->getCondition(), context);
            Context inner = context;
            inner.varyingControl |= condition;
            inner.varyingInLoop |= condition;
            inner.inSwitch = true;
            Walk(switchNode->getBody(), inner);
            return false;
        }
        if (TIntermLoop* loop = node->getAsLoopNode())
        {
            bool exitVaries = Walk(loop->getTest(), context) || m_VaryingLoops.count(loop);
            if (exitVaries)
                MarkLoop(loop);
            Context inner = context;
            inner.loop = loop;
            inner.inSwitch = false;
            inner.varyingInLoop = false;
            Walk(loop->getBody(), inner);
            Walk(loop->getTerminal(), inner);
            // A test that reads what the body or the step writes.
            if (Walk(loop->getTest(), inner))
                MarkLoop(loop);
            return false;
        }
        if (TIntermBranch* branch = node->getAsBranchNode())
        {
            bool varies = Walk(branch->getExpression(), context);
            switch (branch->getFlowOp())
            {
            case EOpReturn:
                if (context.function && (varies || context.varyingControl))
                    SetFlag(context.function->returnsVarying, m_Changed);
                if (context.loop && context.varyingInLoop)
                    MarkLoop(context.loop);
                break;
            case EOpBreak:
                if (context.loop && !context.inSwitch && context.varyingInLoop)
                    MarkLoop(context.loop);
                break;
            default: break;
            }
            return false;
        }
        return false;
    }

    bool WalkBinary(TIntermBinary* binary, const Context& context)
    {
        TOperator op = binary->getOp();
        if (!IsAssignment(op))
        {
            bool left = Walk(binary->getLeft(), context);
            bool right = Walk(binary->getRight(), context);
            return left || right;
        }
        bool value = Walk(binary->getRight(), context);
        bool target = Walk(binary->getLeft(), context); // index expressions, old value
        if (value || (op != EOpAssign && target) || IndexVaries(binary->getLeft(), context))
        {
            MarkVarying(RootSymbol(binary->getLeft()));
            return true;
        }
        return target;
    }

    // a[i] = x with a varying i changes which element holds x.
    bool IndexVaries(TIntermNode* node, const Context& context)
    {
        for (TIntermBinary* binary = node->getAsBinaryNode(); binary; binary = binary->getLeft()->getAsBinaryNode())
            if (binary->getOp() == EOpIndexIndirect && Walk(binary->getRight(), context))
                return true;
        return false;
    }

    bool WalkAggregate(TIntermAggregate* aggregate, const Context& context)
    {
        if (aggregate->getOp() != EOpFunctionCall)
        {
            bool varies = false;
            for (TIntermNode* child : aggregate->getSequence())
                varies |= Walk(child, context);
            return aggregate->getOp() == EOpSequence ? false : varies;
        }
        auto found = m_Functions.find(aggregate->getName().c_str());
        TIntermSequence& arguments = aggregate->getSequence();
        Function* callee = found == m_Functions.end() ? nullptr : &found->second;
        bool anyArgument = false;
        for (size_t i = 0; i < arguments.size(); ++i)
        {
            bool varies = Walk(arguments[i], context);
            anyArgument |= varies;
            TIntermSymbol* parameter = callee && i < callee->parameters.size() ? callee->parameters[i] : nullptr;
            if (!parameter)
                continue;
            TStorageQualifier storage = parameter->getQualifier().storage;
            if (varies && storage != EvqOut)
                MarkVarying(parameter);
            if ((storage == EvqOut || storage == EvqInOut) && IsVarying(parameter))
                MarkVarying(RootSymbol(arguments[i]));
        }
        return callee ? callee->returnsVarying : anyArgument;
    }

    TIntermAggregate* m_Root;
    std::unordered_map<std::string, Function> m_Functions;
    std::unordered_set<long long> m_Varying;
    std::set<TIntermLoop*> m_VaryingLoops;
    std::vector<TIntermLoop*> m_VaryingLoopOrder;
    bool m_Changed = false;
};

// Reports sampling with explicit LOD or gradients and derivatives.
class FeatureScan : public TIntermTraverser
{
public:
    FeatureScan(const ShaderProfile& profile, const std::string& file, Diagnostics& out)
        : m_Profile(profile), m_File(file), m_Out(out)
    {
    }

    bool visitAggregate(TVisit, TIntermAggregate* node) override
    {
        Check(node->getOp(), node->getLoc());
        return true;
    }
    bool visitUnary(TVisit, TIntermUnary* node) override
    {
        Check(node->getOp(), node->getLoc());
        return true;
    }
    bool visitBinary(TVisit, TIntermBinary* node) override
    {
        Check(node->getOp(), node->getLoc());
        return true;
    }

private:
    void Check(TOperator op, const TSourceLoc& loc)
    {
        if (IsExplicitLodOrGradient(op))
            m_Out.push_back(At(loc, m_File,
                               "sampling with an explicit level of detail or gradients (tex2Dlod, tex2Dgrad) needs a "
                               "shader model 3 profile, not " +
                                   m_Profile.name));
        else if (IsDerivative(op))
            m_Out.push_back(
                At(loc, m_File, "derivatives (ddx, ddy, fwidth) need a shader model 3 profile, not " + m_Profile.name));
    }

    const ShaderProfile& m_Profile;
    const std::string& m_File;
    Diagnostics& m_Out;
};
} // namespace

void CheckProfileFeatures(const TIntermediate& ast, const ShaderProfile& profile, const std::string& defaultFile,
                          Diagnostics& out)
{
    if (profile.ShaderModel3())
        return;
    TIntermAggregate* root = ast.getTreeRoot() ? ast.getTreeRoot()->getAsAggregate() : nullptr;
    if (!root)
        return;
    LoopAnalysis analysis(root);
    std::vector<Function*> reachable = analysis.Reachable(ast.getEntryPointMangledName());
    for (Function* function : reachable)
    {
        FeatureScan scan(profile, defaultFile, out);
        if (function->body)
            function->body->traverse(&scan);
    }
    analysis.Run(reachable);
    for (TIntermLoop* loop : analysis.VaryingLoops())
        out.push_back(At(loop->getLoc(), defaultFile,
                         "loop cannot be unrolled for " + profile.name +
                             ": its exit depends on a shader constant, a texture or an input (shader model 3 "
                             "profiles allow this)"));
}

std::map<std::string, SourcePosition> GlobalConstantPositions(const TIntermediate& ast, const std::string& defaultFile)
{
    std::map<std::string, SourcePosition> positions;
    TIntermAggregate* root = ast.getTreeRoot() ? ast.getTreeRoot()->getAsAggregate() : nullptr;
    if (!root)
        return positions;
    auto record = [&](const std::string& name, const TSourceLoc& loc)
    {
        SourcePosition& position = positions[name];
        position.file = loc.name ? loc.name->c_str() : defaultFile;
        position.line = loc.line;
        position.column = loc.column;
    };
    for (TIntermNode* node : root->getSequence())
    {
        TIntermAggregate* objects = node->getAsAggregate();
        if (!objects || objects->getOp() != EOpLinkerObjects)
            continue;
        for (TIntermNode* object : objects->getSequence())
        {
            TIntermSymbol* symbol = object->getAsSymbolNode();
            if (!symbol || symbol->getQualifier().storage != EvqUniform)
                continue;
            const TType& type = symbol->getType();
            if (type.getBasicType() == EbtBlock && type.getStruct())
            {
                for (const TTypeLoc& member : *type.getStruct())
                    record(member.type->getFieldName().c_str(), member.loc);
            }
        }
    }
    // Samplers keep no declaration position: their first use stands for it.
    struct Uses : TIntermTraverser
    {
        std::function<void(TIntermSymbol*)> visit;
        void visitSymbol(TIntermSymbol* symbol) override { visit(symbol); }
    } uses;
    uses.visit = [&](TIntermSymbol* symbol)
    {
        if (symbol->getQualifier().storage == EvqUniform && symbol->getBasicType() == EbtSampler &&
            symbol->getLoc().line > 0 && !positions.count(symbol->getName().c_str()))
            record(symbol->getName().c_str(), symbol->getLoc());
    };
    root->traverse(&uses);
    return positions;
}

SourcePosition EntryPointPosition(const TIntermediate& ast, const std::string& defaultFile)
{
    SourcePosition position;
    position.file = defaultFile;
    TIntermAggregate* root = ast.getTreeRoot() ? ast.getTreeRoot()->getAsAggregate() : nullptr;
    if (!root)
        return position;
    for (TIntermNode* node : root->getSequence())
    {
        TIntermAggregate* function = node->getAsAggregate();
        if (!function || function->getOp() != EOpFunction ||
            ast.getEntryPointMangledName() != function->getName().c_str())
            continue;
        const TSourceLoc& loc = function->getLoc();
        if (loc.name)
            position.file = loc.name->c_str();
        position.line = loc.line;
        position.column = loc.column;
        break;
    }
    return position;
}
} // namespace d3dx9
