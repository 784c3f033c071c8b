#include "motorio/clsQuadEncoder.h"

namespace torvane {
namespace {

// Position of a channel state within the forward cycle 00, 01, 11, 10.
int CyclePhase(bool input1, bool input2) noexcept {
    if (!input1) return input2 ? 1 : 0;
    return input2 ? 2 : 3;
}

}  // namespace

int clsQuadEncoder::StepOf(bool previous1, bool previous2, bool input1, bool input2) noexcept {
    const int delta = (CyclePhase(input1, input2) - CyclePhase(previous1, previous2) + 4) % 4;
    if (delta == 1) return 1;
    if (delta == 3) return -1;
    return 0;  // unchanged, or both channels changed: the direction cannot be known
}

void clsQuadEncoder::ZeroPosition(bool Input1, bool Input2) noexcept {
    previous1_ = Input1;
    previous2_ = Input2;
    position_ = 0;
}

void clsQuadEncoder::RefreshPosition(bool Input1, bool Input2) noexcept {
    position_ += StepOf(previous1_, previous2_, Input1, Input2);
    previous1_ = Input1;
    previous2_ = Input2;
}

}  // namespace torvane
