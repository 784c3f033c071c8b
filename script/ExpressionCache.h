#pragma once
// Compiled expressions kept by their text, so an expression evaluated again and again is parsed
// once. A text is kept from the second time it is seen: texts met once (an equation with a
// different number written into it each time) would only churn the cache.

#include <array>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

#include "script/Value.h"

namespace vbs {

class Interpreter;
struct Unit;

// Hashes texts and looks them up by view, without making a string.
struct TextHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
};

class ExpressionCache {
  public:
    // The cache is emptied when it reaches this size.
    static constexpr std::size_t kCapacity = 1024;

    explicit ExpressionCache(Interpreter& interpreter) : interpreter_(interpreter) {}
    ExpressionCache(const ExpressionCache&) = delete;
    ExpressionCache& operator=(const ExpressionCache&) = delete;

    // Evaluates one expression with the interpreter's current globals and procedures.
    Value Eval(std::string_view expression);

  private:
    const Unit& Compiled(std::string_view expression);
    bool SeenRecently(std::string_view expression);

    Interpreter& interpreter_;
    std::unordered_map<std::string, std::shared_ptr<const Unit>, TextHash, std::equal_to<>>
        expressions_;
    // Hashes of texts recently evaluated once and not kept (0: none).
    std::array<std::size_t, 64> recentMisses_{};
    std::size_t nextMiss_ = 0;
    // The most recent hit, checked before hashing.
    const std::string* lastKey_ = nullptr;
    const Unit* last_ = nullptr;
};

}  // namespace vbs
