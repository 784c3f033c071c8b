#pragma once
// Turns the two channel states of a quadrature encoder into a signed step count. The object
// only counts what it is given: whoever reads the input lines calls RefreshPosition on every
// change. Channel states are written (Input1, Input2); the forward cycle is 00, 01, 11, 10, 00.

namespace torvane {

class clsQuadEncoder {
  public:
    // The step (+1, -1 or 0) of one transition. A change of both channels at once is a lost
    // step (0), as is no change.
    static int StepOf(bool previous1, bool previous2, bool input1, bool input2) noexcept;

    // Takes the two states as the reference and sets Position to 0.
    void ZeroPosition(bool Input1, bool Input2) noexcept;
    // Counts one step when exactly one channel changed since the previous call; the new states
    // then become the reference, whichever way the call went.
    void RefreshPosition(bool Input1, bool Input2) noexcept;

    double Position() const noexcept { return position_; }
    void Position(double steps) noexcept { position_ = steps; }
    // Position units per step; 0 until set, so ScaledPosition reads 0 until then.
    double PositionScale() const noexcept { return scale_; }
    void PositionScale(double unitsPerStep) noexcept { scale_ = unitsPerStep; }
    double ScaledPosition() const noexcept { return scale_ * position_; }

  private:
    double position_ = 0;
    double scale_ = 0;
    bool previous1_ = false;
    bool previous2_ = false;
};

}  // namespace torvane
