#include "model/RobotFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <optional>
#include <unordered_map>
#include <utility>
#include <vector>

#include "model/Codepage.h"
#include "model/Error.h"
#include "model/TextCompare.h"
#include "model/UseGraph.h"

namespace torvane {
namespace {

// ---------------------------------------------------------------------------------------------
// Where in the record the writer or reader is, so that every message can say it.

struct Frame {
    const char* what;                    // "room", "subpart", "mask", "motor masks"
    std::int64_t index = -1;             // position in its array, -1 for none
    const std::string* label = nullptr;  // a name to show beside the position, if known
};

std::string Describe(const std::vector<Frame>& frames, const char* field) {
    std::string out;
    for (const Frame& f : frames) {
        if (!out.empty()) out += ", ";
        out += f.what;
        if (f.index >= 0) out += " " + std::to_string(f.index);
        if (f.label != nullptr && !f.label->empty()) out += " \"" + *f.label + "\"";
    }
    if (field != nullptr) {
        if (!out.empty()) out += ", ";
        out += "field ";
        out += field;
    }
    return out;
}

// Keeps a frame on the stack for its lifetime.
class Scope {
  public:
    Scope(std::vector<Frame>& frames, Frame frame) : frames_(frames) { frames_.push_back(frame); }
    ~Scope() { frames_.pop_back(); }
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;

  private:
    std::vector<Frame>& frames_;
};

// Least number of bytes each element kind occupies in the file: the reader refuses a count
// whose elements could not fit into the bytes left, before it allocates anything.
constexpr std::size_t kDoubleBytes = 8;
constexpr std::size_t kEmptyTextBytes = 2;              // the 16-bit length alone
constexpr std::size_t kEmptyArrayBytes = 2;             // dimension count 0
constexpr std::size_t kPointBytes = 3 * kDoubleBytes;   // typ3Point, typAttitude
constexpr std::size_t kCameraBytes = 6 * kDoubleBytes;  // typCamera
constexpr std::size_t kMinPartDataBytes = 6 * kEmptyTextBytes + 3 * kEmptyArrayBytes +
                                          5 * kPointBytes + kDoubleBytes + 2 * 2 + kCameraBytes;
constexpr std::size_t kMinSubPartBytes =
    5 * kEmptyTextBytes + 1 * kEmptyArrayBytes + 4 * kPointBytes + kCameraBytes;
constexpr std::size_t kMinMaskBytes = kEmptyTextBytes + kDoubleBytes;
constexpr std::size_t kMinMotorMasksBytes = kEmptyArrayBytes + 2 * 4 + 3 * kEmptyTextBytes;
constexpr std::size_t kMinWrapRoomBytes =
    kMinPartDataBytes + kEmptyArrayBytes + kMinMotorMasksBytes;

// ---------------------------------------------------------------------------------------------
// Writer

class ByteWriter {
  public:
    explicit ByteWriter(std::size_t expected) { out_.reserve(expected); }

    void Int16(std::int16_t v) { Unsigned(static_cast<std::uint16_t>(v), 2); }
    void Int32(std::int32_t v) { Unsigned(static_cast<std::uint32_t>(v), 4); }
    void Double(double v) { Unsigned(std::bit_cast<std::uint64_t>(v), 8); }

    void Text(const std::string& utf8, const char* field) {
        const std::string bytes = Utf8ToCodepage(utf8);
        if (bytes.size() > kMaxRobotTextBytes)
            Raise(ErrorCode::InvalidArgument,
                  "The robot cannot be saved: the text of " + Describe(frames_, field) + " is " +
                      std::to_string(bytes.size()) +
                      " bytes long, and a robot file can hold at most " +
                      std::to_string(kMaxRobotTextBytes) +
                      " bytes per text. Shorten it and save again; nothing was written.");
        Int16(static_cast<std::int16_t>(bytes.size()));
        out_ += bytes;
    }

    // Dimension count, element count and lower bound of an array; false when unallocated.
    template <typename T>
    bool ArrayHeader(const VbArray<T>& a, const char* field) {
        if (!a.IsAllocated()) {
            Int16(0);
            return false;
        }
        if (a.Count() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()))
            Raise(ErrorCode::Overflow, "The robot cannot be saved: " + Describe(frames_, field) +
                                           " has more elements than a robot file can count.");
        Int16(1);
        Int32(static_cast<std::int32_t>(a.Count()));
        Int32(a.LBound());
        return true;
    }

    std::vector<Frame>& Frames() { return frames_; }
    std::string Take() { return std::move(out_); }

  private:
    void Unsigned(std::uint64_t v, int bytes) {
        for (int i = 0; i < bytes; ++i) out_.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
    }

    std::string out_;
    std::vector<Frame> frames_;
};

// ---------------------------------------------------------------------------------------------
// Reader

struct ArrayBounds {
    std::int32_t count;
    std::int32_t lower;
};

class ByteReader {
  public:
    ByteReader(std::string_view bytes, const std::string& source) : bytes_(bytes), source_(source) {
        frames_.reserve(8);
    }

    std::int16_t Int16(const char* field) { return static_cast<std::int16_t>(Unsigned(2, field)); }
    std::int32_t Int32(const char* field) {
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(Unsigned(4, field)));
    }
    double Double(const char* field) { return std::bit_cast<double>(Unsigned(8, field)); }

    std::string Text(const char* field) {
        const std::size_t at = pos_;
        const std::int16_t length = Int16(field);
        if (length < 0)
            Fail(at, field,
                 "the text length " + std::to_string(length) +
                     " is negative (a text holds at most " + std::to_string(kMaxRobotTextBytes) +
                     " bytes)");
        const auto n = static_cast<std::size_t>(length);
        if (n > Left())
            Fail(at, field,
                 "the text announces " + std::to_string(n) + " bytes but only " +
                     std::to_string(Left()) + " are left in the file");
        const std::string_view raw = bytes_.substr(pos_, n);
        pos_ += n;
        return CodepageToUtf8(raw);
    }

    // The header of an array whose elements take at least minElementBytes each; nothing when
    // the array is unallocated. Every count is checked against the bytes left, so the caller
    // may allocate count elements.
    std::optional<ArrayBounds> ArrayHeader(const char* field, std::size_t minElementBytes) {
        const std::size_t at = pos_;
        const std::int16_t dims = Int16(field);
        if (dims == 0) return std::nullopt;
        if (dims != 1)
            Fail(at, field,
                 "the array has " + std::to_string(dims) +
                     " dimensions; arrays of a robot file have 0 or 1");
        const std::size_t countAt = pos_;
        const std::int32_t count = Int32(field);
        const std::int32_t lower = Int32(field);
        if (count < 0)
            Fail(countAt, field, "the element count " + std::to_string(count) + " is negative");
        const std::size_t fits = Left() / minElementBytes;
        if (static_cast<std::size_t>(count) > fits)
            Fail(countAt, field,
                 "the array announces " + std::to_string(count) + " elements of at least " +
                     std::to_string(minElementBytes) + " bytes each, but only " +
                     std::to_string(Left()) + " bytes are left in the file");
        if (count > 0 &&
            static_cast<std::int64_t>(lower) + count - 1 > std::numeric_limits<std::int32_t>::max())
            Fail(countAt, field,
                 "lower bound " + std::to_string(lower) + " and " + std::to_string(count) +
                     " elements go beyond the largest 32-bit index");
        return ArrayBounds{count, lower};
    }

    std::vector<Frame>& Frames() { return frames_; }
    std::size_t Position() const noexcept { return pos_; }

    // Counts count more masks against the whole file's allowance, refusing the array whose
    // header stands at `at` before any of its masks is read.
    void ClaimMasks(std::int32_t count, std::size_t at, const char* field) {
        masks_ += static_cast<std::uint64_t>(count);
        if (masks_ > kMaxRobotMotorMasks)
            Fail(at, field,
                 "the motor mask tables list more than " + std::to_string(kMaxRobotMotorMasks) +
                     " masks together, more than the motors of any robot a file can hold");
    }

  private:
    std::size_t Left() const noexcept { return bytes_.size() - pos_; }

    std::uint64_t Unsigned(std::size_t n, const char* field) {
        if (n > Left())
            Fail(pos_, field,
                 "the file ends here; " + std::to_string(n) + " more bytes were expected");
        std::uint64_t v = 0;
        for (std::size_t i = 0; i < n; ++i)
            v |= static_cast<std::uint64_t>(static_cast<unsigned char>(bytes_[pos_ + i]))
                 << (8 * i);
        pos_ += n;
        return v;
    }

    [[noreturn]] void Fail(std::size_t at, const char* field, const std::string& reason) const {
        const std::string where = Describe(frames_, field);
        Raise(ErrorCode::FileFormat, "The robot file \"" + source_ + "\" is damaged at byte " +
                                         std::to_string(at) +
                                         (where.empty() ? "" : " (" + where + ")") + ": " + reason +
                                         ". Nothing was loaded.");
    }

    std::string_view bytes_;
    std::size_t pos_ = 0;
    const std::string& source_;
    std::vector<Frame> frames_;
    std::uint64_t masks_ = 0;
};

// ---------------------------------------------------------------------------------------------
// Mirrored pairs, one per record, fields in file order.

template <typename T, typename WriteElement>
void WriteArray(ByteWriter& w, const VbArray<T>& a, const char* field, const char* elementName,
                WriteElement writeElement) {
    if (!w.ArrayHeader(a, field)) return;
    std::int32_t index = a.LBound();
    for (const T& item : a.Items()) {
        const Scope scope(w.Frames(), Frame{elementName, index++});
        writeElement(w, item);
    }
}

// claim(count, headerOffset) may refuse the array once its count is known, before any element
// is allocated.
template <typename T, typename ReadElement, typename Claim = void (*)(std::int32_t, std::size_t)>
VbArray<T> ReadArray(
    ByteReader& r, const char* field, const char* elementName, std::size_t minElementBytes,
    ReadElement readElement, Claim claim = [](std::int32_t, std::size_t) {}) {
    const std::size_t at = r.Position();
    const std::optional<ArrayBounds> bounds = r.ArrayHeader(field, minElementBytes);
    if (!bounds) return {};
    claim(bounds->count, at);
    std::vector<T> items;
    items.reserve(static_cast<std::size_t>(bounds->count));
    for (std::int32_t i = 0; i < bounds->count; ++i) {
        const Scope scope(r.Frames(),
                          Frame{elementName, static_cast<std::int64_t>(bounds->lower) + i});
        items.push_back(readElement(r));
    }
    return VbArray<T>(bounds->lower, std::move(items));
}

void WriteDoubles(ByteWriter& w, const DoubleArray& a, const char* field) {
    if (!w.ArrayHeader(a, field)) return;
    for (const double v : a.Items()) w.Double(v);
}
DoubleArray ReadDoubles(ByteReader& r, const char* field) {
    const std::optional<ArrayBounds> bounds = r.ArrayHeader(field, kDoubleBytes);
    if (!bounds) return {};
    std::vector<double> items(static_cast<std::size_t>(bounds->count));
    for (double& v : items) v = r.Double(field);
    return DoubleArray(bounds->lower, std::move(items));
}

void WritePoint(ByteWriter& w, const typ3Point& p) {
    w.Double(p.X);
    w.Double(p.Y);
    w.Double(p.Z);
}
typ3Point ReadPoint(ByteReader& r, const char* field) {
    typ3Point p;
    p.X = r.Double(field);
    p.Y = r.Double(field);
    p.Z = r.Double(field);
    return p;
}

void WriteAttitude(ByteWriter& w, const typAttitude& a) {
    w.Double(a.Pitch);
    w.Double(a.Yaw);
    w.Double(a.Roll);
}
typAttitude ReadAttitude(ByteReader& r, const char* field) {
    typAttitude a;
    a.Pitch = r.Double(field);
    a.Yaw = r.Double(field);
    a.Roll = r.Double(field);
    return a;
}

void WriteCamera(ByteWriter& w, const typCamera& c) {
    w.Double(c.CameraX);
    w.Double(c.CameraY);
    w.Double(c.CameraZ);
    w.Double(c.LookAtX);
    w.Double(c.LookAtY);
    w.Double(c.LookAtZ);
}
typCamera ReadCamera(ByteReader& r, const char* field) {
    typCamera c;
    c.CameraX = r.Double(field);
    c.CameraY = r.Double(field);
    c.CameraZ = r.Double(field);
    c.LookAtX = r.Double(field);
    c.LookAtY = r.Double(field);
    c.LookAtZ = r.Double(field);
    return c;
}

void WritePartData(ByteWriter& w, const typPartData& d) {
    w.Text(d.Name, "Name");
    w.Text(d.ParentName, "ParentName");
    w.Text(d.ShapeName, "ShapeName");
    WriteDoubles(w, d.Size, "Size");
    WriteDoubles(w, d.ShapeColor, "ShapeColor");
    WritePoint(w, d.RelativePosition);
    WriteAttitude(w, d.RelativeAttitude);
    WritePoint(w, d.JointPosition);
    WriteAttitude(w, d.JointAttitude);
    WritePoint(w, d.JointTranslation);
    w.Double(d.MotorPosition);
    WriteDoubles(w, d.JointAngles, "JointAngles");
    w.Int16(d.MotorType);
    w.Int16(d.MotorDimension);
    w.Text(d.Description, "Description");
    w.Text(d.BlankXML, "BlankXML");
    WriteCamera(w, d.Camera);
    w.Text(d.Picture, "Picture");
}
typPartData ReadPartData(ByteReader& r) {
    typPartData d;
    d.Name = r.Text("Name");
    d.ParentName = r.Text("ParentName");
    d.ShapeName = r.Text("ShapeName");
    d.Size = ReadDoubles(r, "Size");
    d.ShapeColor = ReadDoubles(r, "ShapeColor");
    d.RelativePosition = ReadPoint(r, "RelativePosition");
    d.RelativeAttitude = ReadAttitude(r, "RelativeAttitude");
    d.JointPosition = ReadPoint(r, "JointPosition");
    d.JointAttitude = ReadAttitude(r, "JointAttitude");
    d.JointTranslation = ReadPoint(r, "JointTranslation");
    d.MotorPosition = r.Double("MotorPosition");
    d.JointAngles = ReadDoubles(r, "JointAngles");
    d.MotorType = r.Int16("MotorType");
    d.MotorDimension = r.Int16("MotorDimension");
    d.Description = r.Text("Description");
    d.BlankXML = r.Text("BlankXML");
    d.Camera = ReadCamera(r, "Camera");
    d.Picture = r.Text("Picture");
    return d;
}

void WriteSubPart(ByteWriter& w, const typSubPartData& s) {
    w.Frames().back().label = &s.Name;
    WritePoint(w, s.RelativePosition);
    WriteAttitude(w, s.RelativeAttitude);
    w.Text(s.Name, "Name");
    w.Text(s.SavePartName, "SavePartName");
    w.Text(s.Description, "Description");
    w.Text(s.BlankXML, "BlankXML");
    WriteCamera(w, s.Unused);
    WriteAttitude(w, s.JointAttitude);
    WritePoint(w, s.JointTranslation);
    WriteDoubles(w, s.JointAngles, "JointAngles");
    w.Text(s.Picture, "Picture");
}
typSubPartData ReadSubPart(ByteReader& r) {
    typSubPartData s;
    s.RelativePosition = ReadPoint(r, "RelativePosition");
    s.RelativeAttitude = ReadAttitude(r, "RelativeAttitude");
    s.Name = r.Text("Name");
    s.SavePartName = r.Text("SavePartName");
    s.Description = r.Text("Description");
    s.BlankXML = r.Text("BlankXML");
    s.Unused = ReadCamera(r, "Unused");
    s.JointAttitude = ReadAttitude(r, "JointAttitude");
    s.JointTranslation = ReadPoint(r, "JointTranslation");
    s.JointAngles = ReadDoubles(r, "JointAngles");
    s.Picture = r.Text("Picture");
    return s;
}

void WriteMask(ByteWriter& w, const typMotorMask& m) {
    w.Text(m.Name, "Name");
    w.Double(m.Value);
}
typMotorMask ReadMask(ByteReader& r) {
    typMotorMask m;
    m.Name = r.Text("Name");
    m.Value = r.Double("Value");
    return m;
}

void WriteMotorMasks(ByteWriter& w, const typMotorMasks& m) {
    const Scope scope(w.Frames(), Frame{"motor mask table"});
    WriteArray(w, m.Masks, "Masks", "mask", WriteMask);
    w.Int32(m.CountMasks);
    w.Int32(m.TotalMasks);
    w.Text(m.XMLScript, "XMLScript");
    w.Text(m.VBScript, "VBScript");
    w.Text(m.XMLProperties, "XMLProperties");
}
typMotorMasks ReadMotorMasks(ByteReader& r) {
    const Scope scope(r.Frames(), Frame{"motor mask table"});
    typMotorMasks m;
    m.Masks = ReadArray<typMotorMask>(
        r, "Masks", "mask", kMinMaskBytes, ReadMask,
        [&r](std::int32_t count, std::size_t at) { r.ClaimMasks(count, at, "Masks"); });
    m.CountMasks = r.Int32("CountMasks");
    m.TotalMasks = r.Int32("TotalMasks");
    m.XMLScript = r.Text("XMLScript");
    m.VBScript = r.Text("VBScript");
    m.XMLProperties = r.Text("XMLProperties");
    return m;
}

void WriteWrapRoom(ByteWriter& w, const typWrapRoom& room) {
    w.Frames().back().label = &room.Part.Name;
    WritePartData(w, room.Part);
    WriteArray(w, room.SubParts, "SubParts", "subpart", WriteSubPart);
    WriteMotorMasks(w, room.MotorMasks);
}
typWrapRoom ReadWrapRoom(ByteReader& r) {
    typWrapRoom room;
    room.Part = ReadPartData(r);
    room.SubParts =
        ReadArray<typSubPartData>(r, "SubParts", "subpart", kMinSubPartBytes, ReadSubPart);
    room.MotorMasks = ReadMotorMasks(r);
    return room;
}

// ---------------------------------------------------------------------------------------------
// Structure of a decoded robot.

[[noreturn]] void Refuse(const std::string& source, const std::string& reason) {
    Raise(ErrorCode::FileFormat, "The robot file \"" + source + "\" cannot be loaded: " + reason +
                                     ". Nothing was loaded.");
}

std::string Quoted(const std::string& s) {
    return "\"" + s + "\"";
}

// Indices 1..upper bound of an array; what the collection reads of Rooms and SubParts
// (elements below 1, such as the empty subpart record at 0, are never read).
template <typename T>
std::int32_t UsedUpperBound(const VbArray<T>& a) {
    return a.IsAllocated() && a.Count() > 0 ? a.UBound() : 0;
}

// The use graph: for each room position 1..n (node 0..n-1), the nodes of the rooms its
// subparts use, in list order, with repetition.
std::vector<std::vector<std::int32_t>> BuildUseGraph(const typWrapRooms& robot,
                                                     const std::string& source) {
    const std::int32_t n = robot.Rooms.UBound();
    std::unordered_map<std::string, std::int32_t> byName;
    byName.reserve(static_cast<std::size_t>(n));
    for (std::int32_t i = 1; i <= n; ++i) {
        const std::string& name = robot.Rooms(i).Part.Name;
        const auto [it, added] = byName.emplace(name, i);
        if (!added)
            Refuse(source, "rooms " + std::to_string(it->second) + " and " + std::to_string(i) +
                               " are both named " + Quoted(name) +
                               "; every part room needs a name of its own");
    }

    std::vector<std::vector<std::int32_t>> uses(static_cast<std::size_t>(n));
    for (std::int32_t i = 1; i <= n; ++i) {
        const typWrapRoom& room = robot.Rooms(i);
        const std::int32_t upper = UsedUpperBound(room.SubParts);
        if (upper < 1) continue;
        if (room.SubParts.LBound() > 1)
            Refuse(source, "the subparts of room " + Quoted(room.Part.Name) +
                               " are numbered from " + std::to_string(room.SubParts.LBound()) +
                               "; subpart 1 is missing");
        std::unordered_map<std::string, std::int32_t> keys;
        auto& out = uses[static_cast<std::size_t>(i - 1)];
        out.reserve(static_cast<std::size_t>(upper));
        for (std::int32_t k = 1; k <= upper; ++k) {
            const typSubPartData& sub = room.SubParts(k);
            const auto [it, added] = keys.emplace(FoldCase(sub.Name), k);
            if (!added)
                Refuse(source, "subparts " + std::to_string(it->second) + " and " +
                                   std::to_string(k) + " of room " + Quoted(room.Part.Name) +
                                   " are both named " + Quoted(sub.Name) +
                                   " (letter case aside); subpart names must differ");
            const auto used = byName.find(sub.SavePartName);
            if (used == byName.end())
                Refuse(source, "subpart " + Quoted(sub.Name) + " of room " +
                                   Quoted(room.Part.Name) + " uses the room " +
                                   Quoted(sub.SavePartName) + ", which is not in the file");
            out.push_back(used->second - 1);
        }
    }
    return uses;
}

// Refuses a cycle of uses, naming it, and robots whose trees together expand to more occurrences
// than the limit.
void CheckUsesExpand(const typWrapRooms& robot, std::vector<std::vector<std::int32_t>> uses,
                     const std::string& source) {
    const auto name = [&](UseGraph::Node room) -> const std::string& {
        return robot.Rooms(room + 1).Part.Name;
    };
    const UseGraph graph(std::move(uses));
    const UseGraph::Measure measure = graph.Walk();
    if (measure.cycle) {
        std::string cycle;
        for (const UseGraph::Node room : measure.cycle->path)
            cycle += Quoted(name(room)) + " uses ";
        Refuse(source, "its part rooms use each other in a cycle (" + cycle +
                           Quoted(name(measure.cycle->path.front())) +
                           "); a room cannot contain itself, and showing it would never end");
    }
    if (measure.total <= kMaxExpandedPartOccurrences) return;
    const auto& occurrences = measure.occurrences;
    const auto largest = static_cast<UseGraph::Node>(
        std::max_element(occurrences.begin(), occurrences.end()) - occurrences.begin());
    const std::uint64_t most = occurrences[static_cast<std::size_t>(largest)];
    const std::string alone = most > kMaxExpandedPartOccurrences
                                  ? "more than " + std::to_string(kMaxExpandedPartOccurrences)
                                  : std::to_string(most);
    Refuse(source, "its part rooms expand to more than " +
                       std::to_string(kMaxExpandedPartOccurrences) +
                       " part occurrences when every use is followed (room " +
                       Quoted(name(largest)) + " alone to " + alone +
                       "); such a robot cannot be shown or have its motors mapped in "
                       "reasonable time");
}

// ---------------------------------------------------------------------------------------------
// Files

std::string SystemReason(int error) {
    return std::strerror(error);
}

[[noreturn]] void FileFailure(const std::string& what, const std::string& path, int error) {
    Raise(ErrorCode::FileError, what + " \"" + path + "\": " + SystemReason(error) + ".");
}

}  // namespace

std::string EncodeRobot(const typWrapRooms& InRobot) {
    ByteWriter w(InRobot.Rooms.Count() * 512 + 16);
    WriteArray(w, InRobot.Rooms, "Rooms", "room", WriteWrapRoom);
    return w.Take();
}

typWrapRooms DecodeRobot(std::string_view InBytes, const std::string& InSourceName) {
    ByteReader r(InBytes, InSourceName);
    typWrapRooms robot;
    robot.Rooms = ReadArray<typWrapRoom>(r, "Rooms", "room", kMinWrapRoomBytes, ReadWrapRoom);
    return robot;
}

void CheckRobotStructure(const typWrapRooms& InRobot, const std::string& InSourceName) {
    const VbArray<typWrapRoom>& rooms = InRobot.Rooms;
    if (UsedUpperBound(rooms) < 1) Refuse(InSourceName, "it holds no part rooms");
    if (rooms.LBound() > 1)
        Refuse(InSourceName, "its rooms are numbered from " + std::to_string(rooms.LBound()) +
                                 "; room 1 is missing");
    CheckUsesExpand(InRobot, BuildUseGraph(InRobot, InSourceName), InSourceName);
}

void WriteRobotFile(const std::string& InPath, const typWrapRooms& InRobot) {
    const std::string bytes = EncodeRobot(InRobot);
    WriteFileReplacing(InPath, bytes);
}

typWrapRooms ReadRobotFile(const std::string& InPath) {
    struct stat st {};
    if (::stat(InPath.c_str(), &st) != 0) FileFailure("Cannot open the robot file", InPath, errno);
    if (!S_ISREG(st.st_mode))
        Raise(ErrorCode::FileError,
              "Cannot open the robot file \"" + InPath + "\": it is not a file.");
    if (static_cast<std::uint64_t>(st.st_size) > kMaxRobotFileBytes)
        Refuse(InPath, "it is " + std::to_string(st.st_size) +
                           " bytes long, more than a robot file can be (at most " +
                           std::to_string(kMaxRobotFileBytes) + " bytes)");

    std::ifstream in(InPath, std::ios::binary);
    if (!in) FileFailure("Cannot open the robot file", InPath, errno);
    std::string bytes(static_cast<std::size_t>(st.st_size), '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    if (in.bad()) FileFailure("Cannot read the robot file", InPath, EIO);

    typWrapRooms robot = DecodeRobot(bytes, InPath);
    CheckRobotStructure(robot, InPath);
    return robot;
}

}  // namespace torvane
