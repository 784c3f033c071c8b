#include "script/ExpressionCache.h"

#include "script/Ast.h"
#include "script/Interpreter.h"
#include "script/Parser.h"

namespace vbs {

const Unit& ExpressionCache::Compiled(std::string_view expression) {
    if (lastKey_ != nullptr && *lastKey_ == expression) return *last_;
    auto it = expressions_.find(expression);
    if (it == expressions_.end()) {
        std::shared_ptr<const Unit> unit = Parser::ParseExpression(expression);
        if (expressions_.size() >= kCapacity) {
            expressions_.clear();
            lastKey_ = nullptr;
        }
        it = expressions_.emplace(std::string(expression), std::move(unit)).first;
    }
    lastKey_ = &it->first;
    last_ = it->second.get();
    return *last_;
}

Value ExpressionCache::Eval(std::string_view expression) {
    if (lastKey_ != nullptr && *lastKey_ == expression)
        return interpreter_.Evaluate(*last_, nullptr);
    if (const auto it = expressions_.find(expression); it != expressions_.end()) {
        lastKey_ = &it->first;
        last_ = it->second.get();
        return interpreter_.Evaluate(*last_, nullptr);
    }
    if (!SeenRecently(expression)) {
        const std::unique_ptr<Unit> once = Parser::ParseExpression(expression);
        return interpreter_.Evaluate(*once, nullptr);
    }
    return interpreter_.Evaluate(Compiled(expression), nullptr);
}

bool ExpressionCache::SeenRecently(std::string_view expression) {
    const std::size_t hash = TextHash{}(expression);
    for (const std::size_t h : recentMisses_)
        if (h == hash) return true;
    recentMisses_[nextMiss_] = hash;
    nextMiss_ = (nextMiss_ + 1) % recentMisses_.size();
    return false;
}

}  // namespace vbs
