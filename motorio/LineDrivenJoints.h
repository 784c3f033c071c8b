#pragma once
// DC motors switched by the two output lines of a serial port each, their positions counted by a
// quadrature encoder on the port's two input lines (see README.md). The port host decides what
// stands behind each port: the machine's serial device, a simulated motor or a test's line.
//
// The encoders live here, one per open port: every line change reported by the host moves the
// encoder of its port, so no step is lost between two rounds.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "model/VbArray.h"
#include "motorio/DrivenJoints.h"
#include "motorio/Event.h"
#include "motorio/clsQuadEncoder.h"

namespace torvane {

class frmMSComms;

class LineDrivenJoints final : public DrivenJoints {
  public:
    explicit LineDrivenJoints(std::shared_ptr<frmMSComms> Host = nullptr);
    // Every line off: no motor may keep running once its joints are gone.
    ~LineDrivenJoints() override;
    LineDrivenJoints(const LineDrivenJoints&) = delete;
    LineDrivenJoints& operator=(const LineDrivenJoints&) = delete;

    // The port host; one of this object's own (the machine's serial devices) when none was given.
    frmMSComms& Host();
    // Switches the lines of the previous host off and forgets its encoders.
    void SetHost(std::shared_ptr<frmMSComms> InHost);
    bool UsesHost(const frmMSComms* Host) const noexcept { return host_.get() == Host; }

    // Opens one port per element through the host (DevicePaths as frmMSComms::OpenPorts takes
    // them) and gives each a new encoder at the present input states, with scale Scales[i - 1]
    // (1 where none is given). Every line starts off; the encoders always match the ports that
    // are open, also when one fails to open.
    void OpenPorts(const VbArray<float>& ComPortNumbers,
                   const std::vector<std::string>& DevicePaths, const std::vector<double>& Scales);
    // The encoder of open port MotorIndex (from 1); a subscript error for any other.
    const clsQuadEncoder& Encoder(std::int32_t MotorIndex) const;
    std::int32_t EncoderCount() const noexcept {
        return static_cast<std::int32_t>(encoders_.size());
    }
    // The present position of MotorIndex becomes its 0.
    void ZeroHere(std::int32_t MotorIndex);

    void Open(const std::vector<JointLine>& Lines) override;
    void Close() noexcept override;
    std::int32_t Count() const override;
    bool Read(std::span<double> Measured) override;
    // Forward above the target's dead band of one encoder step, backward below it, off inside it.
    void Command(std::span<const double> Targets, const BusyJoint& Busy) override;
    bool AllOff() noexcept override;
    void EmergencyOff() noexcept override;
    void DriveFrom(std::thread::id Driver) noexcept override;

  private:
    bool AreTheseLines(const std::vector<JointLine>& Lines);
    void MatchEncoders(const std::vector<double>& Scales);

    std::shared_ptr<frmMSComms> host_;
    Subscription onComm_;
    std::vector<clsQuadEncoder> encoders_;  // one per opened port, index i at i - 1
};

}  // namespace torvane
