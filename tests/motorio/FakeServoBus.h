#pragma once
// A servo protocol and a bus port that keep their servos in memory, for the tests of what uses a
// protocol (a bus's joints, a scan): every exchange is logged, and a servo can be made to fail
// the next exchange that names it.

#include <chrono>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "motorio/ServoProtocol.h"

namespace torvane::test {

struct FakeServo {
    std::int32_t Position = 0;
    std::int32_t Goal = 0;
    bool Torque = false;
    std::int32_t Model = 777;
    // The next FailTimes exchanges naming this servo raise this.
    std::optional<ServoBusError::Kind> Fails;
    int FailTimes = 1;
};

// What the servos on a fake bus share with the test, which keeps it after handing the protocol
// away.
struct FakeBusState {
    std::map<std::int32_t, FakeServo> Servos;
    std::vector<std::string> Log;  // "read 1 2", "write 1=100 2=200", "torque on 1", ...
    bool Unplugged = false;        // every exchange raises the bus's file error
    int Opens = 0;
    std::int32_t OpenedBaud = 0;
};

class FakeBusPort final : public BusPort {
  public:
    FakeBusPort(std::string Device, std::int32_t Baud) : device_(std::move(Device)), baud_(Baud) {}
    void Discard() override {}
    void Write(std::span<const std::uint8_t>) override {}
    std::size_t Read(std::span<std::uint8_t>, std::chrono::microseconds) override { return 0; }
    const std::string& Device() const noexcept override { return device_; }
    double ByteSeconds() const noexcept override { return 10.0 / baud_; }

  private:
    std::string device_;
    std::int32_t baud_;
};

class FakeServoProtocol final : public ServoProtocol {
  public:
    FakeServoProtocol(std::shared_ptr<FakeBusState> State, DriveKind Kind = DriveKind::Feetech)
        : state_(std::move(State)), kind_(Kind) {}
    DriveKind Kind() const noexcept override { return kind_; }
    std::int32_t DefaultBaud() const noexcept override { return 1000000; }
    std::int32_t HighestId() const noexcept override { return 253; }
    bool Measures() const noexcept override { return true; }
    std::chrono::microseconds ReplyLimit() const noexcept override {
        return std::chrono::milliseconds(1);
    }

    void WriteGoals(BusPort& Bus, std::span<const std::int32_t> Ids,
                    std::span<const std::int32_t> Counts) override {
        std::string entry = "write";
        for (std::size_t k = 0; k < Ids.size(); ++k) {
            Servo(Bus, Ids[k]).Goal = Counts[k];
            entry += " " + std::to_string(Ids[k]) + "=" + std::to_string(Counts[k]);
        }
        state_->Log.push_back(entry);
    }
    void ReadPositions(BusPort& Bus, std::span<const std::int32_t> Ids,
                       std::span<std::int32_t> Counts) override {
        std::string entry = "read";
        for (std::size_t k = 0; k < Ids.size(); ++k) {
            Counts[k] = Servo(Bus, Ids[k]).Position;
            entry += " " + std::to_string(Ids[k]);
        }
        state_->Log.push_back(entry);
    }
    void Torque(BusPort& Bus, std::span<const std::int32_t> Ids, bool On) override {
        std::string entry = On ? "torque on" : "torque off";
        for (const std::int32_t id : Ids) {
            Servo(Bus, id).Torque = On;
            entry += " " + std::to_string(id);
        }
        state_->Log.push_back(entry);
    }
    std::optional<ServoFound> Ping(BusPort& Bus, std::int32_t Id) override {
        if (state_->Unplugged) Gone(Bus);
        if (!state_->Servos.contains(Id)) return std::nullopt;
        const FakeServo& servo = Servo(Bus, Id);
        return ServoFound{Id, servo.Model, servo.Position};
    }

  private:
    [[noreturn]] static void Gone(BusPort& Bus) {
        throw ServoBusError(ServoBusError::Kind::Device, -1, Bus.Device() + " is gone");
    }
    FakeServo& Servo(BusPort& Bus, std::int32_t Id) {
        if (state_->Unplugged) Gone(Bus);
        const auto found = state_->Servos.find(Id);
        const std::string name = "servo " + std::to_string(Id) + " on " + Bus.Device();
        if (found == state_->Servos.end())
            throw ServoBusError(ServoBusError::Kind::Timeout, Id, name + " does not answer");
        if (const auto fails = found->second.Fails) {
            if (--found->second.FailTimes <= 0) found->second.Fails.reset();
            throw ServoBusError(*fails, Id, name + " fails");
        }
        return found->second;
    }

    std::shared_ptr<FakeBusState> state_;
    DriveKind kind_;
};

}  // namespace torvane::test
