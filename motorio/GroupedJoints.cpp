#include "motorio/GroupedJoints.h"

#include <algorithm>

namespace torvane {

GroupedJoints::GroupedJoints(std::vector<Group> Groups) {
    for (Group& group : Groups) {
        total_ += static_cast<std::int32_t>(group.Motors.size());
        const std::size_t size = group.Motors.size();
        slots_.push_back({std::move(group), std::vector<double>(size)});
    }
}

std::size_t GroupedJoints::Slot::Among(std::size_t Motors) const {
    const auto end = std::upper_bound(Of.Motors.begin(), Of.Motors.end(), Motors);
    return static_cast<std::size_t>(end - Of.Motors.begin());
}

void GroupedJoints::Open(const std::vector<JointLine>& Lines) {
    for (const Slot& slot : slots_) {
        std::vector<JointLine> lines;
        for (std::size_t k = 0; k < slot.Among(Lines.size()); ++k)
            lines.push_back(Lines[static_cast<std::size_t>(slot.Of.Motors[k] - 1)]);
        slot.Of.Joints->Open(lines);
    }
}

void GroupedJoints::Close() noexcept {
    for (const Slot& slot : slots_) slot.Of.Joints->Close();
}

std::int32_t GroupedJoints::Count() const {
    std::int32_t count = total_;
    for (const Slot& slot : slots_) {
        const auto open = static_cast<std::size_t>(std::max(0, slot.Of.Joints->Count()));
        if (open < slot.Of.Motors.size()) count = std::min(count, slot.Of.Motors[open] - 1);
    }
    return count;
}

bool GroupedJoints::Read(std::span<double> Measured) {
    // Every set first, so that nothing is written when one cannot be read.
    for (Slot& slot : slots_)
        if (!slot.Of.Joints->Read(std::span(slot.Values).first(slot.Among(Measured.size()))))
            return false;
    for (const Slot& slot : slots_)
        for (std::size_t k = 0; k < slot.Among(Measured.size()); ++k)
            Measured[static_cast<std::size_t>(slot.Of.Motors[k] - 1)] = slot.Values[k];
    return true;
}

void GroupedJoints::Command(std::span<const double> Targets, const BusyJoint& Busy) {
    for (Slot& slot : slots_) {
        const std::size_t among = slot.Among(Targets.size());
        for (std::size_t k = 0; k < among; ++k)
            slot.Values[k] = Targets[static_cast<std::size_t>(slot.Of.Motors[k] - 1)];
        slot.Of.Joints->Command(std::span<const double>(slot.Values).first(among),
                                BusyJoint(Busy, slot.Of.Motors));
    }
}

bool GroupedJoints::Measures(std::int32_t Joint) const noexcept {
    for (const Slot& slot : slots_) {
        const auto at = std::find(slot.Of.Motors.begin(), slot.Of.Motors.end(), Joint);
        if (at != slot.Of.Motors.end())
            return slot.Of.Joints->Measures(static_cast<std::int32_t>(at - slot.Of.Motors.begin()) +
                                            1);
    }
    return true;
}

bool GroupedJoints::LetGo(const std::vector<bool>& Limp) noexcept {
    bool all = true;
    for (const Slot& slot : slots_) {
        std::vector<bool> marks;
        for (const int motor : slot.Of.Motors) {
            const auto at = static_cast<std::size_t>(motor - 1);
            marks.push_back(at < Limp.size() ? Limp[at] : true);
        }
        all = slot.Of.Joints->LetGo(marks) && all;
    }
    return all;
}

double GroupedJoints::RoundAllowance() const noexcept {
    double seconds = 0;
    for (const Slot& slot : slots_) seconds += slot.Of.Joints->RoundAllowance();
    return seconds;
}

void GroupedJoints::Hold() noexcept {
    for (const Slot& slot : slots_) slot.Of.Joints->Hold();
}

bool GroupedJoints::AllOff() noexcept {
    bool off = true;
    for (const Slot& slot : slots_) off = slot.Of.Joints->AllOff() && off;
    return off;
}

void GroupedJoints::EmergencyOff() noexcept {
    for (const Slot& slot : slots_) slot.Of.Joints->EmergencyOff();
}

void GroupedJoints::DriveFrom(std::thread::id Driver) noexcept {
    for (const Slot& slot : slots_) slot.Of.Joints->DriveFrom(Driver);
}

}  // namespace torvane
