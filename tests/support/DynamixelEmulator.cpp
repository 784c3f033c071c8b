#include "tests/support/DynamixelEmulator.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <span>

namespace mechanon::testing {

namespace {

using Bytes = std::vector<std::uint8_t>;
using Servos = std::map<int, EmulatedServo>;
// Status Return Level of each servo that has been given one: 0 answers pings only, 1 also
// reads, 2 (as shipped) everything.
using Levels = std::map<int, std::uint8_t>;

constexpr std::uint8_t kBroadcast = 0xFE;
constexpr std::size_t kTableSize = 147;
constexpr std::uint8_t kInstructionError = 0x02;
constexpr std::uint8_t kCrcError = 0x03;
constexpr std::uint8_t kLengthError = 0x05;
constexpr std::uint8_t kAccessError = 0x07;

std::uint16_t BitwiseCrc(std::span<const std::uint8_t> Data) {
    std::uint32_t crc = 0;
    for (const std::uint8_t byte : Data) {
        crc ^= static_cast<std::uint32_t>(byte) << 8;
        for (int bit = 0; bit < 8; ++bit) crc = (crc & 0x8000) ? (crc << 1) ^ 0x8005 : crc << 1;
    }
    return static_cast<std::uint16_t>(crc);
}

bool EndsWithHeader(const Bytes& Out) {
    const std::size_t n = Out.size();
    return n >= 3 && Out[n - 3] == 0xFF && Out[n - 2] == 0xFF && Out[n - 1] == 0xFD;
}

Bytes Unstuff(std::span<const std::uint8_t> In) {
    Bytes out;
    for (std::size_t i = 0; i < In.size(); ++i) {
        out.push_back(In[i]);
        if (EndsWithHeader(out) && i + 1 < In.size() && In[i + 1] == 0xFD) ++i;
    }
    return out;
}

std::uint32_t Little(std::span<const std::uint8_t> In) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < In.size(); ++i)
        value |= static_cast<std::uint32_t>(In[i]) << (8 * i);
    return value;
}

void PutLittle(Bytes& Table, std::size_t At, std::uint32_t Value, std::size_t Count) {
    for (std::size_t i = 0; i < Count; ++i)
        Table[At + i] = static_cast<std::uint8_t>(Value >> (8 * i));
}

Bytes TableOf(const EmulatedServo& Servo, std::uint8_t Level) {
    Bytes table(kTableSize, 0);
    PutLittle(table, 0, static_cast<std::uint32_t>(Servo.Model), 2);
    table[6] = kDynamixelFirmware;
    table[7] = static_cast<std::uint8_t>(Servo.Id);
    table[8] = 1;      // 57600 baud
    table[9] = 250;    // return delay, 2 us a unit
    table[11] = 3;     // position control
    table[63] = 0x34;  // shutdown on overheating, electrical shock, overload
    table[64] = Servo.Torque ? 1 : 0;
    table[68] = Level;
    table[70] = Servo.HardwareError;
    PutLittle(table, 116, static_cast<std::uint32_t>(std::lround(Servo.Goal)), 4);
    PutLittle(table, 132, static_cast<std::uint32_t>(std::lround(Servo.Position)), 4);
    return table;
}

// Writes Data at Address of the servo's table; false when it lies beyond the table.
bool WriteTable(EmulatedServo& Servo, std::uint8_t& Level, std::size_t Address,
                std::span<const std::uint8_t> Data) {
    if (Address + Data.size() > kTableSize) return false;
    Bytes table = TableOf(Servo, Level);
    std::copy(Data.begin(), Data.end(), table.begin() + static_cast<std::ptrdiff_t>(Address));
    Servo.Torque = table[64] != 0 && Servo.HardwareError == 0;
    Level = table[68];
    if (Address < 120 && Address + Data.size() > 116)
        Servo.Goal = static_cast<std::int32_t>(Little(std::span(table).subspan(116, 4)));
    return true;
}

class Bus {
  public:
    Bus(Servos& All, Levels& Level) : all_(All), levels_(Level) {}

    std::uint8_t& Level(int Id) { return levels_.try_emplace(Id, 2).first->second; }

    void Status(std::uint8_t Id, std::uint8_t Error, std::span<const std::uint8_t> Data) {
        EmulatedServo& servo = all_.at(Id);
        Bytes params(1 + Data.size());
        params[0] = static_cast<std::uint8_t>(Error | (servo.HardwareError ? 0x80 : 0));
        std::copy(Data.begin(), Data.end(), params.begin() + 1);
        Bytes packet = DynamixelTestPacket(Id, 0x55, params);
        if (servo.CorruptNextReply) {
            packet.back() ^= 0x5A;
            servo.CorruptNextReply = false;
        }
        out_.insert(out_.end(), packet.begin(), packet.end());
    }

    EmulatedServo* Find(int Id) {
        const auto it = all_.find(Id);
        return it != all_.end() && it->second.Answers ? &it->second : nullptr;
    }

    void Handle(std::uint8_t Id, std::uint8_t Instruction, std::span<const std::uint8_t> Params) {
        const bool broadcast = Id == kBroadcast;
        switch (Instruction) {
            case 0x01:
                for (auto& [id, servo] : all_)
                    if ((broadcast || id == Id) && servo.Answers) Ping(servo);
                return;
            case 0x02:
                if (!broadcast) Read(Id, Params);
                return;
            case 0x03:
                Write(Id, Params);
                return;
            case 0x82:
                SyncRead(Params);
                return;
            case 0x83:
                SyncWrite(Params);
                return;
            default:
                if (!broadcast && Find(Id)) Status(Id, kInstructionError, {});
        }
    }

    Bytes Out() { return std::move(out_); }

  private:
    void Ping(const EmulatedServo& Servo) {
        const std::uint8_t data[] = {static_cast<std::uint8_t>(Servo.Model & 0xFF),
                                     static_cast<std::uint8_t>(Servo.Model >> 8),
                                     kDynamixelFirmware};
        Status(static_cast<std::uint8_t>(Servo.Id), 0, data);
    }

    void Answer(const EmulatedServo& Servo, std::size_t Address, std::size_t Length) {
        const auto id = static_cast<std::uint8_t>(Servo.Id);
        if (Level(id) < 1) return;
        if (Address + Length > kTableSize) return Status(id, kAccessError, {});
        const Bytes table = TableOf(Servo, Level(id));
        Status(id, 0, std::span(table).subspan(Address, Length));
    }

    void Read(std::uint8_t Id, std::span<const std::uint8_t> Params) {
        const EmulatedServo* servo = Find(Id);
        if (!servo || Level(Id) < 1) return;
        if (Params.size() != 4) return Status(Id, kLengthError, {});
        Answer(*servo, Little(Params.first(2)), Little(Params.subspan(2, 2)));
    }

    void Write(std::uint8_t Id, std::span<const std::uint8_t> Params) {
        for (auto& [id, servo] : all_) {
            if ((Id != kBroadcast && id != Id) || !servo.Answers) continue;
            const auto sid = static_cast<std::uint8_t>(id);
            const bool answers = Id != kBroadcast && Level(id) >= 2;
            if (Params.size() < 3) {
                if (answers) Status(sid, kLengthError, {});
                continue;
            }
            const bool done =
                WriteTable(servo, Level(id), Little(Params.first(2)), Params.subspan(2));
            if (answers) Status(sid, done ? 0 : kAccessError, {});
        }
    }

    void SyncRead(std::span<const std::uint8_t> Params) {
        if (Params.size() < 4) return;
        const std::size_t address = Little(Params.first(2));
        const std::size_t length = Little(Params.subspan(2, 2));
        for (const std::uint8_t id : Params.subspan(4))
            if (const EmulatedServo* servo = Find(id)) Answer(*servo, address, length);
    }

    void SyncWrite(std::span<const std::uint8_t> Params) {
        if (Params.size() < 4) return;
        const std::size_t address = Little(Params.first(2));
        const std::size_t length = Little(Params.subspan(2, 2));
        for (std::size_t at = 4; at + 1 + length <= Params.size(); at += 1 + length)
            if (EmulatedServo* servo = Find(Params[at]))
                WriteTable(*servo, Level(Params[at]), address, Params.subspan(at + 1, length));
    }

    Servos& all_;
    Levels& levels_;
    Bytes out_;
};

// Consumes the whole packets at the front of Received, answering each on Bus.
void Consume(Bytes& Received, Bus& Answers) {
    static constexpr std::uint8_t kHeader[] = {0xFF, 0xFF, 0xFD, 0x00};
    for (;;) {
        std::size_t match = 0;
        while (match < 4 && match < Received.size() && Received[match] == kHeader[match]) ++match;
        if (match < std::min<std::size_t>(4, Received.size())) {
            Received.erase(Received.begin());
            continue;
        }
        if (Received.size() < 7) return;
        const std::size_t length = Little(std::span(Received).subspan(5, 2));
        if (length < 3 || length > 1024) {
            Received.erase(Received.begin());
            continue;
        }
        if (Received.size() < 7 + length) return;
        const Bytes packet(Received.begin(),
                           Received.begin() + static_cast<std::ptrdiff_t>(7 + length));
        Received.erase(Received.begin(),
                       Received.begin() + static_cast<std::ptrdiff_t>(7 + length));
        const std::uint8_t id = packet[4];
        const auto covered = std::span(packet).first(packet.size() - 2);
        if (BitwiseCrc(covered) != Little(std::span(packet).last(2))) {
            if (id != kBroadcast && Answers.Find(id)) Answers.Status(id, kCrcError, {});
            continue;
        }
        const Bytes body = Unstuff(covered.subspan(7));
        Answers.Handle(id, body[0], std::span(body).subspan(1));
    }
}

}  // namespace

Bytes DynamixelTestPacket(std::uint8_t Id, std::uint8_t Instruction, const Bytes& Params) {
    Bytes body{Instruction};
    body.insert(body.end(), Params.begin(), Params.end());
    Bytes stuffed;
    for (const std::uint8_t byte : body) {
        stuffed.push_back(byte);
        if (EndsWithHeader(stuffed)) stuffed.push_back(0xFD);
    }
    Bytes packet{0xFF, 0xFF, 0xFD, 0x00, Id, 0, 0};
    PutLittle(packet, 5, static_cast<std::uint32_t>(stuffed.size() + 2), 2);
    packet.insert(packet.end(), stuffed.begin(), stuffed.end());
    const std::uint16_t crc = BitwiseCrc(packet);
    packet.push_back(static_cast<std::uint8_t>(crc & 0xFF));
    packet.push_back(static_cast<std::uint8_t>(crc >> 8));
    return packet;
}

PtyServoBus::Responder DynamixelResponder() {
    return [levels = std::make_shared<Levels>()](Bytes& Received, Servos& All) {
        // A hardware error that shuts the servo down keeps its torque off.
        for (auto& [id, servo] : All)
            if (servo.HardwareError) servo.Torque = false;
        Bus answers(All, *levels);
        Consume(Received, answers);
        return answers.Out();
    };
}

}  // namespace mechanon::testing
