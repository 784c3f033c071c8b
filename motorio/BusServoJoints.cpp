#include "motorio/BusServoJoints.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <limits>

#include "model/Error.h"

namespace torvane {
namespace {

std::int32_t CountOf(const JointLine& Line, double Position) {
    const double count = std::round(Line.Zero + Position * Line.Scale);
    constexpr double low = std::numeric_limits<std::int32_t>::min();
    constexpr double high = std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(std::isnan(count) ? Line.Zero : std::clamp(count, low, high));
}

}  // namespace

BusServoJoints::BusServoJoints(std::string Device, std::unique_ptr<ServoProtocol> Protocol,
                               BusOpener Opener)
    : device_(std::move(Device)), protocol_(std::move(Protocol)), opener_(std::move(Opener)) {
    if (!protocol_) Raise(ErrorCode::MissingObject, "A servo bus needs its protocol");
}

BusServoJoints::~BusServoJoints() {
    // Held servos keep holding once the program has let go of the device: a robot is not
    // dropped because the program ends. Torque Off (AllOff) before the end makes them limp.
    bus_.reset();
}

template <class Exchange>
void BusServoJoints::OnBus(Exchange&& Run) {
    try {
        Run(*bus_);
    } catch (const ServoBusError& e) {
        if (e.What() == ServoBusError::Kind::Hardware && e.Id() >= 0) {
            try {
                const std::int32_t id = e.Id();
                protocol_->Torque(*bus_, std::span(&id, 1), false);
            } catch (const std::exception&) {
                // The servo keeps its last goal; the error below stops the drive all the same.
            }
        }
        if (e.What() == ServoBusError::Kind::Device) lost_ = true;
        Raise(ErrorCode::FileError, e.what());
    } catch (const Error& e) {
        if (e.Code() == ErrorCode::FileError) lost_ = true;  // unplugged: reopen next time
        throw;
    }
}

void BusServoJoints::CheckLines(const std::vector<JointLine>& Lines) const {
    for (std::size_t k = 0; k < Lines.size(); ++k) {
        const JointLine& line = Lines[k];
        const std::string which = "Servo " + std::to_string(line.ServoId) + " on " + device_;
        if (line.Kind != protocol_->Kind() || line.Device != device_)
            Raise(ErrorCode::InvalidArgument, which + " is not served by this bus");
        if (line.ServoId < 0 || line.ServoId > protocol_->HighestId())
            Raise(ErrorCode::InvalidArgument,
                  which + ": the id must lie from 0 to " + std::to_string(protocol_->HighestId()));
        if (line.Scale == 0 || !std::isfinite(line.Scale) || !std::isfinite(line.Zero))
            Raise(ErrorCode::InvalidArgument,
                  which + " needs a scale (counts per unit) other than 0 and a finite zero");
        for (std::size_t j = 0; j < k; ++j)
            if (Lines[j].ServoId == line.ServoId)
                Raise(ErrorCode::InvalidArgument,
                      "Motors " + std::to_string(j + 1) + " and " + std::to_string(k + 1) +
                          " both claim " + which + "; each servo needs an id of its own");
    }
    BaudOf(Lines);
}

std::int32_t BusServoJoints::BaudOf(const std::vector<JointLine>& Lines) const {
    const auto baud = [this](const JointLine& l) {
        return l.Baud > 0 ? l.Baud : protocol_->DefaultBaud();
    };
    const std::int32_t first = Lines.empty() ? protocol_->DefaultBaud() : baud(Lines.front());
    for (const JointLine& line : Lines)
        if (baud(line) != first)
            Raise(ErrorCode::InvalidArgument, "The servos on " + device_ +
                                                  " are given two baud rates (" +
                                                  std::to_string(first) + " and " +
                                                  std::to_string(baud(line)) + "); a bus has one");
    return first;
}

void BusServoJoints::Open(const std::vector<JointLine>& Lines) {
    CheckLines(Lines);
    const std::int32_t baud = BaudOf(Lines);
    withhold_ = false;
    std::vector<std::int32_t> ids;
    for (const JointLine& line : Lines) ids.push_back(line.ServoId);
    if (!bus_ || baud != baud_ || lost_) {
        Close();
        bus_ = opener_(device_, baud);
        baud_ = baud;
        lost_ = false;
    }
    // Servos held by the last drive that stay on the list stay held, so changing the list does
    // not drop the robot; those leaving it and those new to it are made limp.
    std::vector<std::int32_t> limp;
    for (const std::int32_t id : held_)
        if (std::find(ids.begin(), ids.end(), id) == ids.end()) limp.push_back(id);
    for (const std::int32_t id : ids)
        if (!held_.contains(id)) limp.push_back(id);
    lines_.clear();
    if (!limp.empty()) OnBus([&](BusPort& bus) { protocol_->Torque(bus, limp, false); });
    std::erase_if(held_, [&ids](std::int32_t id) {
        return std::find(ids.begin(), ids.end(), id) == ids.end();
    });
    lines_ = Lines;
    ids_ = std::move(ids);
    counts_.assign(ids_.size(), 0);
    goals_.assign(ids_.size(), 0);
}

void BusServoJoints::Close() noexcept {
    AllOff();
    bus_.reset();
    lines_.clear();
    ids_.clear();
    counts_.clear();
    goals_.clear();
}

std::int32_t BusServoJoints::Count() const {
    return bus_ ? static_cast<std::int32_t>(lines_.size()) : 0;
}

void BusServoJoints::ReadCounts() {
    OnBus([this](BusPort& bus) { protocol_->ReadPositions(bus, ids_, counts_); });
}

double BusServoJoints::RoundAllowance() const noexcept {
    if (ids_.empty()) return 0;
    const double reply = std::chrono::duration<double>(protocol_->ReplyLimit()).count();
    // A round moves some ten bytes per servo each way; at a low baud rate that counts too.
    const double wire = bus_ ? bus_->ByteSeconds() * 20.0 * static_cast<double>(ids_.size()) : 0;
    return 2 * (reply + wire);
}

bool BusServoJoints::Read(std::span<double> Measured) {
    if (static_cast<std::int32_t>(Measured.size()) > Count()) return false;
    if (ids_.empty()) return true;
    ReadCounts();
    for (std::size_t j = 0; j < Measured.size(); ++j)
        Measured[j] = (counts_[j] - lines_[j].Zero) / lines_[j].Scale;
    return true;
}

void BusServoJoints::Command(std::span<const double> Targets, const BusyJoint& Busy) {
    const std::size_t n = std::min(Targets.size(), ids_.size());
    if (n == 0 || withhold_.load()) return;
    for (std::size_t j = 0; j < n; ++j) goals_[j] = CountOf(lines_[j], Targets[j]);
    Busy.Mark(1);  // one exchange serves them all
    const std::span<const std::int32_t> ids(ids_.data(), n);
    std::vector<std::int32_t> limp;
    for (const std::int32_t id : ids)
        if (!held_.contains(id)) limp.push_back(id);
    OnBus([&](BusPort& bus) {
        protocol_->WriteGoals(bus, ids, std::span<const std::int32_t>(goals_.data(), n));
        if (limp.empty()) return;
        protocol_->Torque(bus, limp, true);
        held_.insert(limp.begin(), limp.end());
    });
}

void BusServoJoints::Hold() noexcept {
    withhold_ = false;
    if (!bus_ || held_.empty() || lines_.empty()) return;  // limp servos keep no position
    try {
        ReadCounts();
        std::vector<std::int32_t> ids, counts;
        for (std::size_t j = 0; j < ids_.size(); ++j)
            if (held_.contains(ids_[j])) {
                ids.push_back(ids_[j]);
                counts.push_back(counts_[j]);
            }
        OnBus([&](BusPort& bus) { protocol_->WriteGoals(bus, ids, counts); });
    } catch (const std::exception&) {
        // The servos keep their last goal by themselves; one reporting a fault was switched off.
    }
}

bool BusServoJoints::AllOff() noexcept {
    if (!bus_) return true;
    std::vector<std::int32_t> ids = ids_;
    for (const std::int32_t id : held_)
        if (std::find(ids.begin(), ids.end(), id) == ids.end()) ids.push_back(id);
    if (ids.empty()) return true;
    held_.clear();
    try {
        OnBus([&ids, this](BusPort& bus) { protocol_->Torque(bus, ids, false); });
        return true;
    } catch (const std::exception&) {
        // One at a time, so every servo that still answers goes limp.
        bool all = true;
        for (const std::int32_t id : ids) try {
                protocol_->Torque(*bus_, std::span(&id, 1), false);
            } catch (const std::exception&) {
                all = false;
            }
        return all;
    }
}

bool BusServoJoints::LetGo(const std::vector<bool>& Limp) noexcept {
    std::vector<std::int32_t> limp, keep, counts;
    for (std::size_t j = 0; j < ids_.size(); ++j)
        (j < Limp.size() && !Limp[j] ? keep : limp).push_back(ids_[j]);
    if (keep.empty()) return AllOff();
    if (!bus_) return false;
    try {
        ReadCounts();
        for (const std::int32_t id : keep) {
            const auto at = std::find(ids_.begin(), ids_.end(), id) - ids_.begin();
            counts.push_back(counts_[static_cast<std::size_t>(at)]);
        }
        // Those kept stay where they stand: their goal first, then torque on, so none jumps.
        OnBus([&](BusPort& bus) {
            protocol_->WriteGoals(bus, keep, counts);
            protocol_->Torque(bus, keep, true);
            if (!limp.empty()) protocol_->Torque(bus, limp, false);
        });
        held_ = std::set<std::int32_t>(keep.begin(), keep.end());
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

void BusServoJoints::EmergencyOff() noexcept {
    withhold_ = true;
}

}  // namespace torvane
