#include "script/Engine.h"

#include <utility>

#include "script/Ast.h"
#include "script/Interpreter.h"
#include "script/Parser.h"

namespace vbs {

Engine::Engine()
    : interpreter_(std::make_unique<Interpreter>()),
      expressions_(*interpreter_),
      equations_(*interpreter_, expressions_) {}

Engine::~Engine() = default;

void Engine::Reset() {
    interpreter_->Reset();
}

void Engine::AddCode(std::string_view text) {
    // A long text is compiled with the stop looked at as it goes.
    std::shared_ptr<const Unit> unit =
        Parser::ParseProgram(text, [this] { interpreter_->CheckAbort(); });
    interpreter_->Run(std::move(unit));
}

Value Engine::Eval(std::string_view expression) {
    return expressions_.Eval(expression);
}

Value Engine::EvalSubstituted(std::string_view equation, std::string_view placeholder,
                              std::string_view valueText) {
    return EvalSubstituted(equation, std::span<const std::string_view>(&placeholder, 1), valueText);
}

std::string Engine::Substitute(std::string_view equation,
                               std::span<const std::string_view> placeholders,
                               std::string_view valueText) {
    return EquationCache::Substitute(equation, placeholders, valueText);
}

void Engine::SetStopToken(std::stop_token token) {
    interpreter_->SetStopToken(std::move(token));
}

void Engine::SetPollHook(std::function<void()> hook) {
    interpreter_->SetPollHook(std::move(hook));
}

void Engine::SetMemoryBudget(std::size_t bytes) {
    interpreter_->Budget().SetLimit(bytes);
}

std::size_t Engine::MemoryInUse() const {
    return interpreter_->Budget().Used();
}

}  // namespace vbs
