#pragma once
// The failure type of the shape library. The program turns it into its own error type at the
// boundary; the numbers match the ones the rest of the system uses for the same faults.

#include <stdexcept>
#include <string>

#include "shapes/PrimoraApi.h"

namespace primora {

enum class ShapeErrorCode {
    Overflow = 6,             // a size or colour that is not a finite number, or too large
    SubscriptOutOfRange = 9,  // an array without the index a shape reads
};

class PRIMORA_API ShapeError : public std::runtime_error {
  public:
    ShapeError(ShapeErrorCode code, const std::string& message)
        : std::runtime_error(message), code_(code) {}
    ShapeErrorCode Code() const noexcept { return code_; }

  private:
    ShapeErrorCode code_;
};

}  // namespace primora
