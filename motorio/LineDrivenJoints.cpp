#include "motorio/LineDrivenJoints.h"

#include <algorithm>
#include <cmath>

#include "model/Error.h"
#include "motorio/DeadBand.h"
#include "motorio/frmMSComms.h"

namespace torvane {

LineDrivenJoints::LineDrivenJoints(std::shared_ptr<frmMSComms> Host) {
    SetHost(std::move(Host));
}

LineDrivenJoints::~LineDrivenJoints() {
    if (host_) host_->AllLinesOff();
}

frmMSComms& LineDrivenJoints::Host() {
    if (!host_) SetHost(std::make_shared<frmMSComms>());
    return *host_;
}

void LineDrivenJoints::SetHost(std::shared_ptr<frmMSComms> InHost) {
    if (host_ == InHost) return;
    if (host_) host_->AllLinesOff();
    onComm_.Cancel();
    encoders_.clear();
    host_ = std::move(InHost);
    if (!host_) return;
    // While OnComm is raised, GetInputs gives the states of the change being reported.
    onComm_ = host_->OnComm.Subscribe([this](std::int16_t index) {
        if (index < 1 || static_cast<std::size_t>(index) > encoders_.size()) return;
        bool input1 = false, input2 = false;
        host_->GetInputs(index, input1, input2);
        encoders_[static_cast<std::size_t>(index - 1)].RefreshPosition(input1, input2);
    });
}

const clsQuadEncoder& LineDrivenJoints::Encoder(std::int32_t MotorIndex) const {
    if (MotorIndex < 1 || static_cast<std::size_t>(MotorIndex) > encoders_.size())
        Raise(ErrorCode::SubscriptOutOfRange,
              "Subscript out of range: no encoder " + std::to_string(MotorIndex));
    return encoders_[static_cast<std::size_t>(MotorIndex - 1)];
}

void LineDrivenJoints::MatchEncoders(const std::vector<double>& Scales) {
    frmMSComms& host = Host();
    std::vector<clsQuadEncoder> encoders(static_cast<std::size_t>(host.PortCount()));
    for (std::int32_t i = 1; i <= host.PortCount(); ++i) {
        clsQuadEncoder& e = encoders[static_cast<std::size_t>(i - 1)];
        const auto k = static_cast<std::size_t>(i - 1);
        e.PositionScale(k < Scales.size() ? Scales[k] : 1.0);
        bool input1 = false, input2 = false;
        host.GetInputs(i, input1, input2);
        e.ZeroPosition(input1, input2);
    }
    encoders_ = std::move(encoders);
}

void LineDrivenJoints::OpenPorts(const VbArray<float>& ComPortNumbers,
                                 const std::vector<std::string>& DevicePaths,
                                 const std::vector<double>& Scales) {
    frmMSComms& host = Host();
    try {
        host.OpenPorts(ComPortNumbers, DevicePaths);
    } catch (...) {
        MatchEncoders(Scales);
        host.AllLinesOff();
        throw;
    }
    MatchEncoders(Scales);
}

void LineDrivenJoints::ZeroHere(std::int32_t MotorIndex) {
    Encoder(MotorIndex);  // raises for a port that is not open
    frmMSComms& host = Host();
    host.ProcessLineEvents();  // the count first takes every change made so far
    bool input1 = false, input2 = false;
    host.GetInputs(MotorIndex, input1, input2);
    encoders_[static_cast<std::size_t>(MotorIndex - 1)].ZeroPosition(input1, input2);
}

bool LineDrivenJoints::AreTheseLines(const std::vector<JointLine>& Lines) {
    frmMSComms& host = Host();
    const auto count = static_cast<std::int32_t>(Lines.size());
    if (host.PortCount() != count || EncoderCount() != count) return false;
    for (std::int32_t i = 1; i <= count; ++i) {
        const JointLine& line = Lines[static_cast<std::size_t>(i - 1)];
        if (host.PortNumber(i) != line.Port) return false;
        if (!line.Device.empty() && host.DeviceName(i) != line.Device) return false;
    }
    return true;
}

void LineDrivenJoints::Open(const std::vector<JointLine>& Lines) {
    // The ports of the last drive stay open, so every encoder keeps its count.
    if (AreTheseLines(Lines)) {
        for (std::size_t k = 0; k < Lines.size(); ++k) encoders_[k].PositionScale(Lines[k].Scale);
        return;
    }
    const auto count = static_cast<std::int32_t>(Lines.size());
    VbArray<float> ports = VbArray<float>::WithBounds(1, count);
    std::vector<std::string> devices;
    std::vector<double> scales;
    for (std::int32_t i = 1; i <= count; ++i) {
        const JointLine& line = Lines[static_cast<std::size_t>(i - 1)];
        ports(i) = static_cast<float>(line.Port);
        devices.push_back(line.Device);
        scales.push_back(line.Scale);
    }
    OpenPorts(ports, devices, scales);
}

void LineDrivenJoints::Close() noexcept {
    if (host_) host_->ClosePorts();
    encoders_.clear();
}

std::int32_t LineDrivenJoints::Count() const {
    if (!host_) return 0;
    return std::min(EncoderCount(), host_->PortCount());
}

bool LineDrivenJoints::Read(std::span<double> Measured) {
    Host().ProcessLineEvents();  // every line change since the last round
    // Another user of the port host may have closed the ports since.
    if (static_cast<std::size_t>(Count()) < Measured.size()) return false;
    for (std::size_t k = 0; k < Measured.size(); ++k) Measured[k] = encoders_[k].ScaledPosition();
    return true;
}

void LineDrivenJoints::Command(std::span<const double> Targets, const BusyJoint& Busy) {
    frmMSComms& host = Host();
    for (std::size_t k = 0; k < Targets.size(); ++k) {
        const auto joint = static_cast<std::int32_t>(k + 1);
        Busy.Mark(joint);
        const clsQuadEncoder& encoder = Encoder(joint);
        const DeadBandDrive drive =
            DriveToward(Targets[k], encoder.ScaledPosition(), std::abs(encoder.PositionScale()));
        host.SetOutPuts(joint, drive.forward, drive.backward);
    }
}

bool LineDrivenJoints::AllOff() noexcept {
    return host_ ? host_->AllLinesOff() : true;
}

void LineDrivenJoints::EmergencyOff() noexcept {
    if (host_) host_->EmergencyLinesOff();
}

void LineDrivenJoints::DriveFrom(std::thread::id Driver) noexcept {
    if (host_) host_->DriveFrom(Driver);
}

}  // namespace torvane
