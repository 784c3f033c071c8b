#include "script/Parser.h"

#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "script/ScriptError.h"

namespace vbs {
namespace {

// Binding powers of the binary operators; higher binds tighter. Unary minus (13) sits between
// '*' and '^', so -2^2 is -(2^2); Not (6) sits between And and the comparisons.
struct BinaryRule {
    Tok token;
    BinaryOp op;
    int power;
};

constexpr BinaryRule kBinaryRules[] = {
    {Tok::Imp, BinaryOp::Imp, 1},
    {Tok::Eqv, BinaryOp::Eqv, 2},
    {Tok::Xor, BinaryOp::Xor, 3},
    {Tok::Or, BinaryOp::Or, 4},
    {Tok::And, BinaryOp::And, 5},
    {Tok::Eq, BinaryOp::Eq, 7},
    {Tok::Ne, BinaryOp::Ne, 7},
    {Tok::Lt, BinaryOp::Lt, 7},
    {Tok::Gt, BinaryOp::Gt, 7},
    {Tok::Le, BinaryOp::Le, 7},
    {Tok::Ge, BinaryOp::Ge, 7},
    {Tok::Is, BinaryOp::Is, 7},
    {Tok::Amp, BinaryOp::Concat, 8},
    {Tok::Plus, BinaryOp::Add, 9},
    {Tok::Minus, BinaryOp::Sub, 9},
    {Tok::Mod, BinaryOp::Mod, 10},
    {Tok::Backslash, BinaryOp::IntDiv, 11},
    {Tok::Star, BinaryOp::Mul, 12},
    {Tok::Slash, BinaryOp::Div, 12},
    {Tok::Caret, BinaryOp::Pow, 14},
};
constexpr int kNotPower = 6;
constexpr int kComparisonPower = 7;
constexpr int kPowerPower = 14;

// The rule of each token kind, looked up once per token of every expression.
struct BinaryRuleTable {
    const BinaryRule* byToken[256] = {};
    constexpr BinaryRuleTable() {
        for (const BinaryRule& r : kBinaryRules) byToken[static_cast<std::uint8_t>(r.token)] = &r;
    }
};
constexpr BinaryRuleTable kBinaryRuleTable;

const BinaryRule* FindBinaryRule(Tok t) {
    return kBinaryRuleTable.byToken[static_cast<std::uint8_t>(t)];
}

class ParserImpl {
  public:
    ParserImpl(std::string_view source, const ParamBinding* binding, const CompilePoll& poll = {})
        : unit_(std::make_unique<Unit>()), poll_(poll) {
        Lexer::Tokenize(source, ts_, binding, &poll_);
        unit_->literals = std::move(ts_.literals);
        unit_->nodes.reserve(ts_.tokens.size());
    }

    std::unique_ptr<Unit> Program() {
        ParseStatements(unit_->body, true);
        if (Cur().kind != Tok::End) UnexpectedBlockEnd();
        return Finish();
    }

    std::unique_ptr<Unit> Expression() {
        SkipLineBreaks();
        unit_->root = ParseExpr(0);
        SkipLineBreaks();
        if (Cur().kind != Tok::End) Fail(err::kExpectedEndOfStatement);
        return Finish();
    }

  private:
    // Locals of the procedure being parsed.
    struct ProcScope {
        Procedure* proc = nullptr;
        std::unordered_map<std::int32_t, std::int32_t> locals;
        std::unordered_map<std::int32_t, std::int32_t> implicit;
        std::int32_t firstNode = 0;
    };

    std::unique_ptr<Unit> Finish() {
        unit_->names = std::move(ts_.names);
        for (Procedure& p : unit_->procedures) p.unit = unit_.get();
        return std::move(unit_);
    }

    // ---- tokens ---------------------------------------------------------------------------------
    const Token& Cur() const { return ts_.tokens[p_]; }
    const Token& Peek(std::size_t ahead = 1) const {
        const std::size_t i = std::min(p_ + ahead, ts_.tokens.size() - 1);
        return ts_.tokens[i];
    }
    bool Is(Tok k) const { return Cur().kind == k; }
    const Token& Advance() {
        const Token& t = ts_.tokens[p_];
        if (p_ + 1 < ts_.tokens.size()) ++p_;
        return t;
    }
    bool Accept(Tok k) {
        if (!Is(k)) return false;
        Advance();
        return true;
    }
    void Expect(Tok k, int errorNumber) {
        if (!Accept(k)) Fail(errorNumber);
    }
    [[noreturn]] void Fail(int number) { FailAt(number, Cur().pos); }
    [[noreturn]] void FailAt(int number, Pos pos) {
        ScriptError e(number);
        e.AttachPosition(pos.line, pos.column, nullptr, pos.part);
        throw e;
    }
    bool IsIdentNamed(const Token& t, std::string_view lower) const {
        return t.kind == Tok::Ident && !t.bracketed && ts_.names[t.index] == lower;
    }
    bool AtStatementEnd() const {
        const Tok k = Cur().kind;
        return k == Tok::Eol || k == Tok::Colon || k == Tok::End ||
               (singleLineIf_ > 0 && k == Tok::Else);
    }
    void ExpectStatementEnd() {
        if (!AtStatementEnd()) Fail(err::kExpectedEndOfStatement);
    }
    void SkipSeparators() {
        while (Is(Tok::Eol) || Is(Tok::Colon)) Advance();
    }
    void SkipLineBreaks() {
        while (Is(Tok::Eol)) Advance();
    }

    // Nesting guard: deep input raises an error instead of exhausting the native stack.
    struct DepthGuard {
        explicit DepthGuard(ParserImpl& p) : parser(p) {
            if (++parser.depth_ > Parser::kMaxNesting) parser.Fail(err::kOutOfStack);
        }
        ~DepthGuard() { --parser.depth_; }
        ParserImpl& parser;
    };

    // ---- nodes ----------------------------------------------------------------------------------
    std::int32_t AddNode(Node n) {
        switch (n.kind) {
            case NodeKind::Binary:
                Deepen(n, n.b);
                [[fallthrough]];
            case NodeKind::Unary:
            case NodeKind::Paren:
            case NodeKind::Index:
            case NodeKind::Member:
                Deepen(n, n.a);
                break;
            default:
                break;
        }
        unit_->nodes.push_back(n);
        return static_cast<std::int32_t>(unit_->nodes.size()) - 1;
    }
    // A long chain such as 1+x+x+...+x nests to the left without nesting in the text; its
    // evaluation would recurse once per operator, so the height is bounded like nesting is.
    void Deepen(Node& n, std::int32_t child) {
        const int height = unit_->nodes[static_cast<std::size_t>(child)].depth + 1;
        if (height > Parser::kMaxExpressionDepth) FailAt(err::kOutOfStack, n.pos);
        if (height > n.depth) n.depth = static_cast<std::uint16_t>(height);
    }
    std::int32_t AddLiteral(Value v, Pos pos) {
        unit_->literals.push_back(std::move(v));
        Node n;
        n.kind = NodeKind::Literal;
        n.a = static_cast<std::int32_t>(unit_->literals.size()) - 1;
        n.pos = pos;
        return AddNode(n);
    }
    std::int32_t NameNode(NodeKind kind, std::int32_t name, Pos pos) {
        Node n;
        n.kind = kind;
        n.a = name;
        n.pos = pos;
        return AddNode(n);
    }
    // The literal a constant operand stands for, looking through parentheses.
    const Value* ConstantOf(std::int32_t node) const {
        const Node* n = &unit_->nodes[node];
        while (n->kind == NodeKind::Paren) n = &unit_->nodes[n->a];
        return n->kind == NodeKind::Literal ? &unit_->literals[n->a] : nullptr;
    }
    // Operations on literals are computed once here with the same functions the interpreter
    // uses, so results are identical; an operation that fails is left for run time, where the
    // error is raised at its position.
    std::int32_t MakeUnary(UnaryOp op, std::int32_t operand, Pos pos) {
        if (const Value* c = ConstantOf(operand)) {
            try {
                return AddLiteral(ApplyUnary(op, *c), pos);
            } catch (const ScriptError&) {
            }
        }
        Node n;
        n.kind = NodeKind::Unary;
        n.op = static_cast<std::uint8_t>(op);
        n.a = operand;
        n.pos = pos;
        return AddNode(n);
    }
    std::int32_t MakeBinary(BinaryOp op, std::int32_t left, std::int32_t right, Pos pos) {
        const Value* a = ConstantOf(left);
        const Value* b = a ? ConstantOf(right) : nullptr;
        if (a && b) {
            try {
                return AddLiteral(ApplyBinary(op, *a, *b), pos);
            } catch (const ScriptError&) {
            }
        }
        Node n;
        n.kind = NodeKind::Binary;
        n.op = static_cast<std::uint8_t>(op);
        n.a = left;
        n.b = right;
        n.pos = pos;
        return AddNode(n);
    }

    // ---- expressions ----------------------------------------------------------------------------
    // Expr -> Prefix { BinaryOp Expr }   (operators bind by the power table; all left-associative)
    std::int32_t ParseExpr(int minPower) {
        DepthGuard guard(*this);
        std::int32_t left = ParsePrefix();
        for (;;) {
            const BinaryRule* rule = FindBinaryRule(Cur().kind);
            if (rule == nullptr || rule->power < minPower) return left;
            const Pos pos = Advance().pos;
            const std::int32_t right = ParseExpr(rule->power + 1);
            left = MakeBinary(rule->op, left, right, pos);
        }
    }

    // Prefix -> ('-' | '+') Expr(^) | Not Expr(comparison) | Postfix
    std::int32_t ParsePrefix() {
        const Token& t = Cur();
        if (t.kind == Tok::Minus || t.kind == Tok::Plus) {
            const Pos pos = Advance().pos;
            const std::int32_t operand = ParseExpr(kPowerPower);
            return MakeUnary(t.kind == Tok::Minus ? UnaryOp::Neg : UnaryOp::Plus, operand, pos);
        }
        if (t.kind == Tok::Not) {
            const Pos pos = Advance().pos;
            const std::int32_t operand = ParseExpr(kComparisonPower);
            return MakeUnary(UnaryOp::Not, operand, pos);
        }
        (void)kNotPower;
        return ParsePostfix(ParsePrimary());
    }

    // Primary -> Number | String | True | False | Empty | Null | Nothing | '(' Expr ')'
    //          | Name [Args] | Param
    std::int32_t ParsePrimary() {
        const Token& t = Cur();
        const Pos pos = t.pos;
        switch (t.kind) {
            case Tok::Number:
            case Tok::String: {
                Advance();
                Node n;
                n.kind = NodeKind::Literal;
                n.a = t.index;
                n.pos = pos;
                return AddNode(n);
            }
            case Tok::True:
                Advance();
                return AddLiteral(Value::Boolean(true), pos);
            case Tok::False:
                Advance();
                return AddLiteral(Value::Boolean(false), pos);
            case Tok::Empty:
                Advance();
                return AddLiteral(Value(), pos);
            case Tok::Null:
                Advance();
                return AddLiteral(Value::Null(), pos);
            case Tok::Nothing:
                Advance();
                return AddLiteral(Value::Nothing(), pos);
            case Tok::Param: {
                Advance();
                Node n;
                n.kind = NodeKind::Param;
                n.pos = pos;
                return AddNode(n);
            }
            case Tok::LParen: {
                Advance();
                const std::int32_t inner = ParseExpr(0);
                Expect(Tok::RParen, err::kExpectedRParen);
                Node n;
                n.kind = NodeKind::Paren;
                n.a = inner;
                n.pos = pos;
                return AddNode(n);
            }
            case Tok::Ident: {
                Advance();
                if (Is(Tok::LParen)) {
                    const std::int32_t call = NameNode(NodeKind::Call, t.index, pos);
                    ParseArgs(call);
                    return call;
                }
                return NameNode(NodeKind::Ident, t.index, pos);
            }
            default:
                Fail(err::kExpectedExpression);
        }
    }

    // Postfix -> Primary { '.' Name [Args] | Args }
    std::int32_t ParsePostfix(std::int32_t base) {
        for (;;) {
            if (Is(Tok::Dot)) {
                const Pos pos = Advance().pos;
                if (!Is(Tok::Ident)) Fail(err::kExpectedIdentifier);
                Node n;
                n.kind = NodeKind::Member;
                n.a = base;
                n.b = Advance().index;
                n.pos = pos;
                n.argc = -1;  // no argument list
                base = AddNode(n);
                lastNameEnd_ = p_;
                if (Is(Tok::LParen)) ParseArgs(base);
                continue;
            }
            if (Is(Tok::LParen) && unit_->nodes[base].kind != NodeKind::Ident) {
                // An index is reported where the indexed expression starts, as a call is at its
                // name.
                Node n;
                n.kind = NodeKind::Index;
                n.a = base;
                n.pos = unit_->nodes[base].pos;
                base = AddNode(n);
                ParseArgs(base);
                continue;
            }
            return base;
        }
    }

    // Args -> '(' [Arg {',' Arg}] ')'   where an Arg may be left out: f(a, , b)
    void ParseArgs(std::int32_t node) {
        Expect(Tok::LParen, err::kExpectedLParen);
        std::vector<std::int32_t> args;
        if (!Is(Tok::RParen)) {
            for (;;) {
                args.push_back(ParseOptionalArg());
                if (!Accept(Tok::Comma)) break;
            }
        }
        Expect(Tok::RParen, err::kExpectedRParen);
        SetArgs(node, args);
    }

    std::int32_t ParseOptionalArg() {
        if (Is(Tok::Comma) || Is(Tok::RParen)) {
            Node n;
            n.kind = NodeKind::Missing;
            n.pos = Cur().pos;
            return AddNode(n);
        }
        return ParseExpr(0);
    }

    void SetArgs(std::int32_t node, const std::vector<std::int32_t>& args) {
        for (const std::int32_t arg : args) Deepen(unit_->nodes[node], arg);
        unit_->nodes[node].args = static_cast<std::int32_t>(unit_->args.size());
        unit_->nodes[node].argc = static_cast<std::int32_t>(args.size());
        unit_->args.insert(unit_->args.end(), args.begin(), args.end());
    }

    // ---- statements -----------------------------------------------------------------------------
    bool AtBlockEnd() const {
        switch (Cur().kind) {
            case Tok::End:
            case Tok::EndKw:
            case Tok::Else:
            case Tok::ElseIf:
            case Tok::Case:
            case Tok::Loop:
            case Tok::Next:
            case Tok::Wend:
                return true;
            default:
                return false;
        }
    }

    [[noreturn]] void UnexpectedBlockEnd() {
        switch (Cur().kind) {
            case Tok::Next:
                Fail(1055);
            case Tok::Loop:
                Fail(1038);
            default:
                Fail(err::kExpectedStatement);
        }
    }

    bool AtProcedureStart() const {
        Tok k = Cur().kind;
        if (k == Tok::Public || k == Tok::Private) k = Peek().kind;
        return k == Tok::Function || k == Tok::Sub;
    }

    // Block -> { Statement Separator } up to a block end
    void ParseStatements(Block& block, bool topLevel) {
        DepthGuard guard(*this);
        for (;;) {
            SkipSeparators();
            if (AtBlockEnd()) return;
            if (poll_ && ++parsed_ % Parser::kStatementsPerPoll == 0) poll_();
            if (topLevel && AtProcedureStart()) {
                ParseProcedure();
                continue;
            }
            ParseStatementInto(block);
            ++statementCount_;
            ExpectStatementEnd();
        }
    }

    void ParseStatementInto(Block& block) {
        const Token& t = Cur();
        switch (t.kind) {
            case Tok::Dim:
                Advance();
                return ParseDim(block);
            case Tok::Public:
            case Tok::Private:
                if (scope_ != nullptr) Fail(err::kExpectedStatement);
                Advance();
                if (Is(Tok::Const)) {
                    Advance();
                    return ParseConst(block);
                }
                return ParseDim(block);
            case Tok::ReDim:
                return ParseReDim(block);
            case Tok::Const:
                Advance();
                return ParseConst(block);
            case Tok::If:
                return ParseIf(block);
            case Tok::For:
                return ParseFor(block);
            case Tok::Do:
                return ParseDo(block);
            case Tok::While:
                return ParseWhile(block);
            case Tok::Select:
                return ParseSelect(block);
            case Tok::Exit:
                return ParseExit(block);
            case Tok::On:
                return ParseOnError(block);
            case Tok::Option:
                return ParseOption();
            case Tok::Erase:
                return ParseErase(block);
            case Tok::Call:
                return ParseCall(block);
            case Tok::Set: {
                Advance();
                if (!Is(Tok::Ident)) Fail(err::kExpectedIdentifier);
                return ParseAssignOrCall(block, true);
            }
            case Tok::Ident:
                if (IsIdentNamed(t, "randomize")) return ParseRandomize(block);
                return ParseAssignOrCall(block, false);
            default:
                Fail(err::kExpectedStatement);
        }
    }

    Stmt NewStmt(StmtKind kind, Pos pos) {
        Stmt s;
        s.kind = kind;
        s.pos = pos;
        return s;
    }

    std::int32_t DeclareName(const Token& nameToken) {
        const std::int32_t node = NameNode(NodeKind::Ident, nameToken.index, nameToken.pos);
        if (scope_ != nullptr) {
            if (scope_->locals.count(nameToken.index) != 0)
                FailAt(err::kNameRedefined, nameToken.pos);
            scope_->locals.emplace(nameToken.index, scope_->proc->localCount++);
        } else {
            unit_->declaredGlobals.push_back(nameToken.index);
        }
        return node;
    }

    const Token& ExpectName() {
        if (!Is(Tok::Ident)) Fail(err::kExpectedIdentifier);
        return Advance();
    }

    // DimStmt -> Dim DimItem {',' DimItem};  DimItem -> Name ['(' [Integer {',' Integer}] ')']
    void ParseDim(Block& block) {
        Stmt s = NewStmt(StmtKind::Dim, Cur().pos);
        do {
            const Token& name = ExpectName();
            DimItem item;
            item.node = DeclareName(name);
            if (Accept(Tok::LParen)) {
                item.isArray = true;
                if (!Is(Tok::RParen)) {
                    do {
                        if (!Is(Tok::Number)) Fail(err::kExpectedIntegerConstant);
                        const Value& v = unit_->literals[Cur().index];
                        if (!(v.Type() == VarType::Integer || v.Type() == VarType::Long))
                            Fail(err::kExpectedIntegerConstant);
                        item.bounds.push_back(v.AsInt());
                        Advance();
                    } while (Accept(Tok::Comma));
                }
                Expect(Tok::RParen, err::kExpectedRParen);
            }
            s.items.push_back(std::move(item));
        } while (Accept(Tok::Comma));
        block.stmts.push_back(std::move(s));
    }

    // ReDimStmt -> ReDim [Preserve] Name '(' Expr {',' Expr} ')' {',' ...}
    void ParseReDim(Block& block) {
        Stmt s = NewStmt(StmtKind::ReDim, Advance().pos);
        s.flag = Accept(Tok::Preserve) ? 1 : 0;
        do {
            const Token& name = ExpectName();
            DimItem item;
            item.node = NameNode(NodeKind::Ident, name.index, name.pos);
            if (scope_ == nullptr) unit_->declaredGlobals.push_back(name.index);
            item.isArray = true;
            Expect(Tok::LParen, err::kExpectedLParen);
            do {
                item.bounds.push_back(ParseExpr(0));
            } while (Accept(Tok::Comma));
            Expect(Tok::RParen, err::kExpectedRParen);
            s.items.push_back(std::move(item));
        } while (Accept(Tok::Comma));
        block.stmts.push_back(std::move(s));
    }

    // ConstStmt -> Const Name '=' Literal {',' Name '=' Literal}; a literal may carry a sign
    void ParseConst(Block& block) {
        Stmt s = NewStmt(StmtKind::Const, Cur().pos);
        do {
            const Token& name = ExpectName();
            DimItem item;
            item.node = DeclareName(name);
            if (scope_ != nullptr) constLocals_.push_back(scope_->locals[name.index]);
            Expect(Tok::Eq, err::kExpectedEquals);
            const Pos pos = Cur().pos;
            int sign = 0;
            if (Is(Tok::Minus) || Is(Tok::Plus)) sign = Advance().kind == Tok::Minus ? -1 : 1;
            switch (Cur().kind) {
                case Tok::Number:
                case Tok::String:
                case Tok::True:
                case Tok::False:
                case Tok::Empty:
                case Tok::Null:
                case Tok::Nothing:
                    break;
                default:
                    Fail(err::kExpectedLiteral);
            }
            std::int32_t value = ParsePrimary();
            if (sign != 0) value = MakeUnary(sign < 0 ? UnaryOp::Neg : UnaryOp::Plus, value, pos);
            item.value = value;
            (scope_ != nullptr ? constItems_ : unit_->constants).push_back(item);
            s.items.push_back(std::move(item));
        } while (Accept(Tok::Comma));
        block.stmts.push_back(std::move(s));
    }

    // IfStmt -> If Expr Then Eol Block {ElseIf Expr Then Block} [Else Block] End If
    //         | If Expr Then Simple {':' Simple} [Else Simple {':' Simple}]
    void ParseIf(Block& block) {
        Stmt s = NewStmt(StmtKind::If, Advance().pos);
        s.list.push_back(ParseExpr(0));
        Expect(Tok::Then, err::kExpectedThen);
        if (!Is(Tok::Eol) && !Is(Tok::End)) {
            ParseSingleLineIf(s);
            block.stmts.push_back(std::move(s));
            return;
        }
        s.blocks.emplace_back();
        ParseStatements(s.blocks.back(), false);
        while (Is(Tok::ElseIf)) {
            Advance();
            s.list.push_back(ParseExpr(0));
            Expect(Tok::Then, err::kExpectedThen);
            s.blocks.emplace_back();
            ParseStatements(s.blocks.back(), false);
        }
        if (Accept(Tok::Else)) {
            s.blocks.emplace_back();
            ParseStatements(s.blocks.back(), false);
        }
        ExpectEnd(Tok::If, err::kExpectedIf);
        block.stmts.push_back(std::move(s));
    }

    void ParseSingleLineIf(Stmt& s) {
        ++singleLineIf_;
        s.blocks.emplace_back();
        ParseSimpleList(s.blocks.back());
        if (Accept(Tok::Else)) {
            s.blocks.emplace_back();
            ParseSimpleList(s.blocks.back());
        }
        --singleLineIf_;
    }

    void ParseSimpleList(Block& block) {
        for (;;) {
            if (Is(Tok::Eol) || Is(Tok::End) || Is(Tok::Else)) return;
            ParseStatementInto(block);
            ExpectStatementEnd();
            if (!Accept(Tok::Colon)) return;
        }
    }

    void ExpectEnd(Tok what, int errorNumber) {
        if (!Accept(Tok::EndKw)) Fail(err::kExpectedEnd);
        Expect(what, errorNumber);
    }

    // ForStmt -> For Name '=' Expr To Expr [Step Expr] Block Next [Name]
    //          | For Each Name In Expr Block Next [Name]
    void ParseFor(Block& block) {
        const Pos pos = Advance().pos;
        const bool each = Accept(Tok::Each);
        Stmt s = NewStmt(each ? StmtKind::ForEach : StmtKind::For, pos);
        const Token& name = ExpectName();
        s.e[0] = NameNode(NodeKind::Ident, name.index, name.pos);
        if (Is(Tok::LParen) || Is(Tok::Dot)) Fail(err::kInvalidForVariable);
        if (each) {
            Expect(Tok::In, err::kExpectedIn);
            s.e[1] = ParseExpr(0);
        } else {
            Expect(Tok::Eq, err::kExpectedEquals);
            s.e[1] = ParseExpr(0);
            Expect(Tok::To, err::kExpectedTo);
            s.e[2] = ParseExpr(0);
            if (Accept(Tok::Step)) s.e[3] = ParseExpr(0);
        }
        s.blocks.emplace_back();
        ++forDepth_;
        ParseStatements(s.blocks.back(), false);
        --forDepth_;
        Expect(Tok::Next, err::kExpectedNext);
        if (Is(Tok::Ident)) Advance();
        block.stmts.push_back(std::move(s));
    }

    LoopTest ParseLoopTest(std::int32_t& cond) {
        if (Is(Tok::While) || Is(Tok::Until)) {
            const LoopTest t = Advance().kind == Tok::While ? LoopTest::While : LoopTest::Until;
            cond = ParseExpr(0);
            return t;
        }
        return LoopTest::None;
    }

    // DoStmt -> Do [(While|Until) Expr] Block Loop [(While|Until) Expr]
    void ParseDo(Block& block) {
        Stmt s = NewStmt(StmtKind::Do, Advance().pos);
        s.pre = ParseLoopTest(s.e[0]);
        if (!AtStatementEnd()) Fail(1028);
        s.blocks.emplace_back();
        ++doDepth_;
        ParseStatements(s.blocks.back(), false);
        --doDepth_;
        Expect(Tok::Loop, err::kExpectedLoop);
        if (s.pre == LoopTest::None) s.post = ParseLoopTest(s.e[0]);
        block.stmts.push_back(std::move(s));
    }

    // WhileStmt -> While Expr Block Wend
    void ParseWhile(Block& block) {
        Stmt s = NewStmt(StmtKind::While, Advance().pos);
        s.e[0] = ParseExpr(0);
        s.blocks.emplace_back();
        ParseStatements(s.blocks.back(), false);
        Expect(Tok::Wend, err::kExpectedWend);
        block.stmts.push_back(std::move(s));
    }

    // SelectStmt -> Select Case Expr { Case CaseTest {',' CaseTest} Block } [Case Else Block] End
    // Select CaseTest -> Expr [To Expr] | Is CompareOp Expr
    void ParseSelect(Block& block) {
        Stmt s = NewStmt(StmtKind::Select, Advance().pos);
        Expect(Tok::Case, err::kExpectedCase);
        s.e[0] = ParseExpr(0);
        ExpectStatementEnd();
        SkipSeparators();
        bool sawElse = false;
        while (Is(Tok::Case)) {
            if (sawElse) Fail(err::kExpectedEnd);
            Advance();
            CaseClause clause;
            if (Accept(Tok::Else)) {
                sawElse = true;
            } else {
                do {
                    clause.tests.push_back(ParseCaseTest());
                } while (Accept(Tok::Comma));
            }
            ParseStatements(clause.body, false);
            s.cases.push_back(std::move(clause));
            if (sawElse) s.flag = 1;
        }
        ExpectEnd(Tok::Select, err::kExpectedSelect);
        block.stmts.push_back(std::move(s));
    }

    CaseTest ParseCaseTest() {
        CaseTest t;
        if (Accept(Tok::Is)) {
            const BinaryRule* rule = FindBinaryRule(Cur().kind);
            if (rule == nullptr || rule->power != kComparisonPower || rule->op == BinaryOp::Is) {
                Fail(err::kExpectedExpression);
            }
            Advance();
            t.kind = CaseTest::Relation;
            t.op = rule->op;
            t.e1 = ParseExpr(kComparisonPower + 1);
            return t;
        }
        t.e1 = ParseExpr(0);
        if (Accept(Tok::To)) {
            t.kind = CaseTest::Range;
            t.e2 = ParseExpr(0);
        }
        return t;
    }

    // ExitStmt -> Exit (For | Do | Function | Sub)
    void ParseExit(Block& block) {
        Stmt s = NewStmt(StmtKind::Exit, Advance().pos);
        const Tok k = Cur().kind;
        bool valid = false;
        if (k == Tok::For) {
            valid = forDepth_ > 0;
            s.flag = static_cast<std::uint8_t>(ExitKind::For);
        } else if (k == Tok::Do) {
            valid = doDepth_ > 0;
            s.flag = static_cast<std::uint8_t>(ExitKind::Do);
        } else if (k == Tok::Function || k == Tok::Sub) {
            valid = scope_ != nullptr && scope_->proc->isFunction == (k == Tok::Function);
            s.flag = static_cast<std::uint8_t>(ExitKind::Procedure);
        }
        if (!valid) Fail(err::kInvalidExit);
        Advance();
        block.stmts.push_back(std::move(s));
    }

    // OnErrorStmt -> On Error Resume Next | On Error GoTo 0
    void ParseOnError(Block& block) {
        const Pos pos = Advance().pos;
        if (!IsIdentNamed(Cur(), "error")) Fail(err::kSyntax);
        Advance();
        if (IsIdentNamed(Cur(), "resume")) {
            Advance();
            Expect(Tok::Next, err::kSyntax);
            block.stmts.push_back(NewStmt(StmtKind::OnErrorResumeNext, pos));
            return;
        }
        Expect(Tok::GoTo, err::kSyntax);
        if (!Is(Tok::Number) || unit_->literals[Cur().index].Type() != VarType::Integer ||
            unit_->literals[Cur().index].AsInt() != 0) {
            Fail(err::kSyntax);
        }
        Advance();
        block.stmts.push_back(NewStmt(StmtKind::OnErrorGoTo0, pos));
    }

    // OptionStmt -> Option Explicit   (the first statement of a block)
    void ParseOption() {
        const Pos pos = Advance().pos;
        if (!IsIdentNamed(Cur(), "explicit")) Fail(err::kSyntax);
        Advance();
        if (statementCount_ != 0 || scope_ != nullptr || !unit_->procedures.empty()) {
            FailAt(err::kMustBeFirstStatement, pos);
        }
        unit_->optionExplicit = true;
    }

    // EraseStmt -> Erase Name {',' Name}
    void ParseErase(Block& block) {
        Stmt s = NewStmt(StmtKind::Erase, Advance().pos);
        do {
            const Token& name = ExpectName();
            DimItem item;
            item.node = NameNode(NodeKind::Ident, name.index, name.pos);
            s.items.push_back(item);
        } while (Accept(Tok::Comma));
        block.stmts.push_back(std::move(s));
    }

    // RandomizeStmt -> Randomize [Expr]
    void ParseRandomize(Block& block) {
        Stmt s = NewStmt(StmtKind::Randomize, Advance().pos);
        if (!AtStatementEnd()) s.e[0] = ParseExpr(0);
        block.stmts.push_back(std::move(s));
    }

    // CallStmt -> Call Name ['(' Args ')'] | Call Target '.' Name ['(' Args ')']
    void ParseCall(Block& block) {
        Stmt s = NewStmt(StmtKind::Call, Advance().pos);
        if (!Is(Tok::Ident)) Fail(err::kExpectedIdentifier);
        const std::int32_t target = ParsePostfix(ParsePrimary());
        const NodeKind k = unit_->nodes[target].kind;
        if (k != NodeKind::Ident && k != NodeKind::Call && k != NodeKind::Member)
            Fail(err::kSyntax);
        s.e[0] = target;
        block.stmts.push_back(std::move(s));
    }

    // AssignOrCall -> Target '=' Expr | Target [Arg {',' Arg}]
    // Target -> Name ['(' Args ')'] {'.' Name ['(' Args ')']}
    void ParseAssignOrCall(Block& block, bool isSet) {
        const Pos pos = Cur().pos;
        const std::size_t afterName = p_ + 1;
        lastNameEnd_ = afterName;
        const std::int32_t target = ParsePostfix(ParsePrimary());
        if (Accept(Tok::Eq)) {
            const NodeKind k = unit_->nodes[target].kind;
            if (k != NodeKind::Ident && k != NodeKind::Call && k != NodeKind::Member)
                Fail(err::kSyntax);
            Stmt s = NewStmt(StmtKind::Assign, pos);
            s.e[0] = target;
            s.e[1] = ParseExpr(0);
            block.stmts.push_back(std::move(s));
            return;
        }
        if (isSet) Fail(err::kExpectedEquals);
        Stmt s = NewStmt(StmtKind::Call, pos);
        if (AtStatementEnd()) {
            Node& n = unit_->nodes[target];
            if (n.kind == NodeKind::Call || (n.kind == NodeKind::Member && n.argc >= 0)) {
                if (n.argc > 1) FailAt(err::kParenthesesOnSubCall, pos);
                // "S (a)" passes (a): a copy, not the variable.
                if (n.argc == 1) WrapArgumentInParens(target);
            } else if (n.kind != NodeKind::Ident && n.kind != NodeKind::Member) {
                Fail(err::kExpectedStatement);
            }
            s.e[0] = target;
            block.stmts.push_back(std::move(s));
            return;
        }
        // Arguments without parentheses: re-read them from just after the last name.
        const Node& n = unit_->nodes[target];
        std::int32_t call = -1;
        if (n.kind == NodeKind::Ident || n.kind == NodeKind::Call) {
            call = NameNode(NodeKind::Call, n.a, n.pos);
            p_ = afterName;
        } else if (n.kind == NodeKind::Member) {
            Node m = n;
            if (m.argc >= 0) p_ = lastNameEnd_;
            call = AddNode(m);
        } else {
            Fail(err::kExpectedStatement);
        }
        std::vector<std::int32_t> args;
        do {
            args.push_back(Is(Tok::Comma) ? ParseOptionalArg() : ParseExpr(0));
        } while (Accept(Tok::Comma));
        SetArgs(call, args);
        s.e[0] = call;
        block.stmts.push_back(std::move(s));
    }

    void WrapArgumentInParens(std::int32_t callNode) {
        const std::int32_t slot = unit_->nodes[callNode].args;
        const std::int32_t arg = unit_->args[slot];
        if (unit_->nodes[arg].kind == NodeKind::Paren) return;
        Node p;
        p.kind = NodeKind::Paren;
        p.a = arg;
        p.pos = unit_->nodes[arg].pos;
        unit_->args[slot] = AddNode(p);
    }

    // ProcDef -> [Public|Private] (Function|Sub) Name ['(' [Param {',' Param}] ')'] Block
    //            End (Function|Sub);   Param -> [ByVal|ByRef] Name ['(' ')']
    void ParseProcedure() {
        if (Is(Tok::Public) || Is(Tok::Private)) Advance();
        const bool isFunction = Advance().kind == Tok::Function;
        const Token& name = ExpectName();
        if (!procedureNames_.insert(name.index).second) FailAt(err::kNameRedefined, name.pos);
        Procedure proc;
        proc.name = name.index;
        proc.displayName = ts_.names[name.index];
        proc.isFunction = isFunction;
        proc.pos = name.pos;
        ProcScope scope;
        scope.proc = &proc;
        scope.firstNode = static_cast<std::int32_t>(unit_->nodes.size());
        if (Accept(Tok::LParen)) {
            if (!Is(Tok::RParen)) {
                do {
                    Parameter param;
                    if (Is(Tok::ByVal) || Is(Tok::ByRef))
                        param.byRef = Advance().kind == Tok::ByRef;
                    const Token& pn = ExpectName();
                    param.name = pn.index;
                    if (scope.locals.count(pn.index) != 0) FailAt(err::kNameRedefined, pn.pos);
                    scope.locals.emplace(pn.index, proc.localCount++);
                    if (Accept(Tok::LParen)) Expect(Tok::RParen, err::kExpectedRParen);
                    proc.params.push_back(param);
                } while (Accept(Tok::Comma));
            }
            Expect(Tok::RParen, err::kExpectedRParen);
        }
        if (isFunction) proc.returnSlot = proc.localCount++;
        ExpectStatementEnd();
        scope_ = &scope;
        constLocals_.clear();
        constItems_.clear();
        ParseStatements(proc.body, false);
        scope_ = nullptr;
        ExpectEnd(isFunction ? Tok::Function : Tok::Sub,
                  isFunction ? err::kExpectedFunction : err::kExpectedSub);
        BindLocals(scope);
        proc.constSlots = constLocals_;
        proc.constants = constItems_;
        unit_->procedures.push_back(std::move(proc));
    }

    // Names in a procedure body: declared locals get their slot now; any other name gets an
    // implicit slot that is used at run time when no global of that name exists.
    void BindLocals(ProcScope& scope) {
        Procedure& proc = *scope.proc;
        for (std::size_t i = static_cast<std::size_t>(scope.firstNode); i < unit_->nodes.size();
             ++i) {
            Node& n = unit_->nodes[i];
            if (n.kind != NodeKind::Ident && n.kind != NodeKind::Call) continue;
            if (proc.isFunction && n.a == proc.name) {
                if (n.kind == NodeKind::Ident) n.local = proc.returnSlot;
                continue;
            }
            const auto it = scope.locals.find(n.a);
            if (it != scope.locals.end()) {
                n.local = it->second;
                continue;
            }
            auto [imp, inserted] = scope.implicit.emplace(n.a, proc.localCount);
            if (inserted) ++proc.localCount;
            n.implicitLocal = imp->second;
        }
    }

    TokenStream ts_;
    std::unique_ptr<Unit> unit_;
    std::size_t p_ = 0;
    std::size_t lastNameEnd_ = 0;
    int depth_ = 0;
    int singleLineIf_ = 0;
    int forDepth_ = 0;
    int doDepth_ = 0;
    int statementCount_ = 0;
    // Statements and procedures begun, for the poll.
    std::uint32_t parsed_ = 0;
    const CompilePoll& poll_;
    ProcScope* scope_ = nullptr;
    std::vector<std::int32_t> constLocals_;
    std::vector<DimItem> constItems_;
    std::unordered_set<std::int32_t> procedureNames_;  // of the procedures parsed so far
};

}  // namespace

std::unique_ptr<Unit> Parser::ParseProgram(std::string_view source, const CompilePoll& poll) {
    return ParserImpl(source, nullptr, poll).Program();
}

std::unique_ptr<Unit> Parser::ParseExpression(std::string_view source,
                                              const ParamBinding* binding) {
    return ParserImpl(source, binding).Expression();
}

}  // namespace vbs
