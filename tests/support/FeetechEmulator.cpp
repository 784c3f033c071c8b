#include "tests/support/FeetechEmulator.h"

#include <array>
#include <cmath>
#include <cstdlib>
#include <span>

#include "motorio/FeetechFrames.h"

namespace mechanon::testing {

namespace {

namespace ft = torvane::feetech;
using Table = std::array<std::uint8_t, 128>;

void PutWord(Table& t, std::size_t at, std::int32_t value) {
    ft::Bytes b;
    ft::PutCount(b, std::clamp(value, -ft::kLargestCount, ft::kLargestCount));
    t[at] = b[0];
    t[at + 1] = b[1];
}

Table TableOf(const EmulatedServo& s) {
    Table t{};
    t[ft::address::Model] = static_cast<std::uint8_t>(s.Model & 0xFF);
    t[ft::address::Model + 1] = static_cast<std::uint8_t>((s.Model >> 8) & 0xFF);
    t[ft::address::Id] = static_cast<std::uint8_t>(s.Id);
    t[ft::address::TorqueEnable] = s.Torque ? 1 : 0;
    PutWord(t, ft::address::GoalPosition, static_cast<std::int32_t>(std::lround(s.Goal)));
    PutWord(t, ft::address::PresentPosition, static_cast<std::int32_t>(std::lround(s.Position)));
    t[ft::address::Status] = s.HardwareError;
    return t;
}

// Writes Data at Address of the servo's table; what the emulation keeps (torque, goal) is taken
// back from it.
void WriteTable(EmulatedServo& s, std::size_t Address, std::span<const std::uint8_t> Data) {
    if (Address + Data.size() > Table().size()) return;
    Table t = TableOf(s);
    std::copy(Data.begin(), Data.end(), t.begin() + static_cast<std::ptrdiff_t>(Address));
    s.Torque = t[ft::address::TorqueEnable] != 0;
    s.Goal = ft::CountOf(t[ft::address::GoalPosition], t[ft::address::GoalPosition + 1]);
}

EmulatedServo* Listening(std::map<int, EmulatedServo>& Servos, int Id) {
    const auto it = Servos.find(Id);
    return it != Servos.end() && it->second.Answers ? &it->second : nullptr;
}

void Answer(ft::Bytes& Out, EmulatedServo& s, std::span<const std::uint8_t> Params) {
    ft::Bytes frame = ft::StatusFrame(static_cast<std::uint8_t>(s.Id), s.HardwareError, Params);
    if (s.CorruptNextReply) {
        frame.back() ^= 0x5A;
        s.CorruptNextReply = false;
    }
    Out.insert(Out.end(), frame.begin(), frame.end());
}

void AnswerRead(ft::Bytes& Out, EmulatedServo& s, std::size_t Address, std::size_t Length) {
    const Table t = TableOf(s);
    if (Address + Length > t.size()) return;
    Answer(Out, s, std::span(t).subspan(Address, Length));
}

// One instruction: Id, the instruction and its parameters.
void Serve(std::uint8_t Id, std::uint8_t Instruction, std::span<const std::uint8_t> P,
           std::map<int, EmulatedServo>& Servos, ft::Bytes& Out) {
    EmulatedServo* const servo = Listening(Servos, Id);
    switch (Instruction) {
        case ft::instruction::Ping:
            if (servo) Answer(Out, *servo, {});
            break;
        case ft::instruction::Read:
            if (servo && P.size() == 2) AnswerRead(Out, *servo, P[0], P[1]);
            break;
        case ft::instruction::Write:
            if (!servo || P.empty()) break;
            WriteTable(*servo, P[0], P.subspan(1));
            Answer(Out, *servo, {});
            break;
        case ft::instruction::SyncWrite: {
            if (Id != ft::kBroadcastId || P.size() < 2) break;
            const std::size_t length = P[1];
            for (std::size_t at = 2; at + 1 + length <= P.size(); at += 1 + length)
                if (EmulatedServo* s = Listening(Servos, P[at]))
                    WriteTable(*s, P[0], P.subspan(at + 1, length));
            break;
        }
        case ft::instruction::SyncRead:
            if (Id != ft::kBroadcastId || P.size() < 2) break;
            for (std::size_t at = 2; at < P.size(); ++at)
                if (EmulatedServo* s = Listening(Servos, P[at])) AnswerRead(Out, *s, P[0], P[1]);
            break;
        default:
            break;
    }
}

}  // namespace

PtyServoBus::Responder FeetechResponder() {
    return [](std::vector<std::uint8_t>& Received, std::map<int, EmulatedServo>& Servos) {
        ft::Bytes out;
        std::size_t at = 0;
        // An instruction frame has the shape of a status; a bad checksum is ignored, as a servo
        // ignores it.
        while (auto frame = ft::NextStatus(Received, at))
            if (frame->ChecksumOk) Serve(frame->Id, frame->Error, frame->Params, Servos, out);
        Received.erase(Received.begin(), Received.begin() + static_cast<std::ptrdiff_t>(at));
        return out;
    };
}

}  // namespace mechanon::testing
