#include "script/MemoryBudget.h"

#include <string>

#include "script/ScriptError.h"

namespace vbs {
namespace {

thread_local MemoryBudget* current = nullptr;

}  // namespace

void MemoryBudget::Take(std::size_t bytes) {
    if (bytes > limit_ || used_ > limit_ - bytes)
        Raise(err::kOutOfMemory, std::string(ErrorText(err::kOutOfMemory)) +
                                     ": the script's texts and arrays would hold more than " +
                                     std::to_string(limit_ / (1024 * 1024)) + " MB");
    used_ += bytes;
}

MemoryBudget* MemoryBudget::Current() {
    return current;
}

MemoryBudget::Scope::Scope(MemoryBudget* budget) : saved_(current) {
    current = budget;
}

MemoryBudget::Scope::~Scope() {
    current = saved_;
}

void Charge::Resize(std::size_t bytes) {
    if (!budget_) {
        MemoryBudget* b = MemoryBudget::Current();
        if (b == nullptr) return;  // made outside a run: not charged
        b->Take(bytes);
        budget_ = b->shared_from_this();
        bytes_ = bytes;
        return;
    }
    if (bytes > bytes_) {
        budget_->Take(bytes - bytes_);
    } else {
        budget_->Give(bytes_ - bytes);
    }
    bytes_ = bytes;
}

}  // namespace vbs
