#pragma once
// Sets a flag for the length of a scope and clears it however the scope ends, so that one failed
// drawing cannot leave the GL object refusing every later one.

namespace torvane {

class BusyFlag {
  public:
    explicit BusyFlag(bool& flag) : flag_(flag) { flag_ = true; }
    ~BusyFlag() { flag_ = false; }
    BusyFlag(const BusyFlag&) = delete;
    BusyFlag& operator=(const BusyFlag&) = delete;

  private:
    bool& flag_;
};

}  // namespace torvane
