// Damaged robot files: every truncation and thousands of seeded mutations of the fixture
// either load or fail with the file-format error, never touch the document when they fail,
// and never make the loader allocate more than a small multiple of the file's size.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <random>

#include "RobotFileTestSupport.h"
#include "model/Error.h"
#include "model/RobotFile.h"
#include "model/clsRooms.h"

// The replaced operators below pair operator new with free(), which is what a replacement
// allocator does; the compiler's check for mismatched pairs cannot know that.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

// Counts the bytes requested from the global allocator while counting is on. Replacing the
// allocator is the only way to see what the loader allocates without changing it.
namespace {
bool g_counting = false;
std::size_t g_requested = 0;
// While counting, the request that takes the total beyond this many bytes fails, as it would
// with memory exhausted; later requests succeed again, as they do once the failed load has
// given its memory back.
std::size_t g_failBeyond = SIZE_MAX;
}  // namespace

void* operator new(std::size_t n) {
    if (g_counting) {
        g_requested += n;
        if (g_requested > g_failBeyond) {
            g_failBeyond = SIZE_MAX;
            throw std::bad_alloc();
        }
    }
    if (void* p = std::malloc(n == 0 ? 1 : n)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}

namespace torvane {
namespace {

using testing::ScratchFolder;
using testing::Snapshot;
using testing::WriteBytes;

// Bytes requested while f runs.
template <typename F>
std::size_t Allocated(F&& f) {
    g_requested = 0;
    g_counting = true;
    try {
        f();
    } catch (...) {
        g_counting = false;
        throw;
    }
    g_counting = false;
    return g_requested;
}

// What a load may allocate: a small multiple of the file, plus a fixed allowance for the
// stream buffer, the path and the error message.
std::size_t AllocationAllowance(std::size_t fileSize) {
    return 16 * fileSize + 64 * 1024;
}

class DamagedFiles : public ::testing::Test {
  protected:
    void SetUp() override {
        testing::BuildFixture(rooms_);
        fixturePath_ = folder_.File("fixture.bot");
        rooms_.Save(fixturePath_);
        fixture_ = testing::ReadBytes(fixturePath_);
        rooms_.Load(fixturePath_);
        before_ = Snapshot(rooms_);
    }

    // Loads bytes into the collection. True if it loaded; on failure the error must be the
    // file-format error and the collection must be exactly as before.
    bool LoadOrRefuse(const std::string& bytes, const std::string& what) {
        // A new file each time: rewriting one file in place makes the file system flush it.
        const std::string path = folder_.File("damaged.bot");
        std::filesystem::remove(path);
        WriteBytes(path, bytes);
        std::size_t allocated = 0;
        try {
            allocated = Allocated([&] { rooms_.Load(path); });
        } catch (const Error& e) {
            allocated = g_requested;
            EXPECT_EQ(e.Code(), ErrorCode::FileFormat) << what << ": " << e.what();
            EXPECT_TRUE(testing::SameAs(before_, Snapshot(rooms_))) << what << ": " << e.what();
            EXPECT_LE(allocated, AllocationAllowance(bytes.size())) << what;
            return false;
        }
        EXPECT_LE(allocated, AllocationAllowance(bytes.size())) << what;
        // What loads can be written again, and what is written loads again (in memory: the
        // file side of saving is tested elsewhere and costs a flush to disk each time).
        const std::string resaved = EncodeRobot(rooms_.AllData());
        EXPECT_NO_THROW(CheckRobotStructure(DecodeRobot(resaved, what), what)) << what;
        rooms_.Load(fixturePath_);
        before_ = Snapshot(rooms_);
        return true;
    }

    ScratchFolder folder_;
    clsRooms rooms_;
    std::string fixturePath_;
    std::string fixture_;
    testing::RoomsSnapshot before_;
};

TEST_F(DamagedFiles, EveryTruncationIsRefusedAndChangesNothing) {
    for (std::size_t n = 0; n < fixture_.size(); ++n)
        EXPECT_FALSE(LoadOrRefuse(fixture_.substr(0, n), "first " + std::to_string(n) + " bytes"));
    EXPECT_TRUE(LoadOrRefuse(fixture_, "whole file"));
}

// One random change: bytes overwritten with random or boundary values, a 16- or 32-bit field
// overwritten with a boundary count, a range cut out, random bytes put in, or a piece of the
// file copied over another place.
std::string Mutate(std::string bytes, std::mt19937& rng) {
    const auto pick = [&](std::size_t n) {
        return std::uniform_int_distribution<std::size_t>(0, n - 1)(rng);
    };
    static constexpr std::int32_t kBoundaries[] = {
        0, 1, 2, 3, -1, -2, 0x7fff, -0x8000, 0xffff, 0x7fffffff, -0x7fffffff - 1, 156};
    switch (pick(6)) {
        case 0:
            for (std::size_t k = 1 + pick(4); k > 0; --k)
                bytes[pick(bytes.size())] = static_cast<char>(pick(256));
            break;
        case 1: {
            const std::int32_t v = kBoundaries[pick(std::size(kBoundaries))];
            const std::size_t width = pick(2) == 0 ? 2 : 4;
            const std::size_t at = pick(bytes.size() - width);
            for (std::size_t i = 0; i < width; ++i)
                bytes[at + i] =
                    static_cast<char>((static_cast<std::uint32_t>(v) >> (8 * i)) & 0xff);
            break;
        }
        case 2: {
            const std::size_t at = pick(bytes.size());
            bytes.erase(at, 1 + pick(std::min<std::size_t>(64, bytes.size() - at)));
            break;
        }
        case 3: {
            std::string noise(1 + pick(16), '\0');
            for (char& c : noise) c = static_cast<char>(pick(256));
            bytes.insert(pick(bytes.size()), noise);
            break;
        }
        case 4: {
            const std::size_t from = pick(bytes.size());
            const std::size_t len = 1 + pick(std::min<std::size_t>(200, bytes.size() - from));
            const std::size_t to = pick(bytes.size());
            bytes.replace(to, std::min(len, bytes.size() - to), bytes.substr(from, len));
            break;
        }
        default:
            bytes[pick(bytes.size())] ^= static_cast<char>(1 << pick(8));
            break;
    }
    return bytes;
}

TEST_F(DamagedFiles, SeededMutationsLoadOrFailCleanly) {
    std::mt19937 rng(20261207);
    int loaded = 0;
    int refused = 0;
    for (int i = 0; i < 10000; ++i) {
        const std::string bytes = Mutate(fixture_, rng);
        (LoadOrRefuse(bytes, "mutation " + std::to_string(i)) ? loaded : refused)++;
        if (::testing::Test::HasFailure()) break;
    }
    // Both outcomes occur, so the mutations reach past the first checks.
    EXPECT_GT(loaded, 500);
    EXPECT_GT(refused, 500);
}

TEST_F(DamagedFiles, AnnouncedCountsNeverOutgrowTheFile) {
    // The largest count written at every offset of the file: wherever it lands on a count or
    // a length it must be refused before anything of that size is allocated (LoadOrRefuse
    // checks the allocation either way).
    std::vector<std::size_t> refused;
    for (std::size_t at = 0; at + 4 <= fixture_.size(); ++at) {
        std::string bytes = fixture_;
        bytes.replace(at, 4, "\xff\xff\xff\x7f");
        if (!LoadOrRefuse(bytes, "count at " + std::to_string(at))) refused.push_back(at);
    }
    // The element count of Rooms (at 2) and the name length of room 1 (at 10).
    EXPECT_NE(std::find(refused.begin(), refused.end(), 2u), refused.end());
    EXPECT_NE(std::find(refused.begin(), refused.end(), 10u), refused.end());
}

TEST_F(DamagedFiles, RunningOutOfMemoryIsAFileErrorAndChangesNothing) {
    // Memory runs out at a different point of the load each time: while reading, decoding,
    // building the rooms, linking them or mapping their masks.
    const std::size_t whole = Allocated([&] { rooms_.Load(fixturePath_); });
    before_ = Snapshot(rooms_);
    for (std::size_t limit = 0; limit < whole; limit += 1 + whole / 200) {
        g_failBeyond = limit;
        try {
            Allocated([&] { rooms_.Load(fixturePath_); });
            ADD_FAILURE() << "loaded with " << limit << " bytes";
        } catch (const Error& e) {
            EXPECT_EQ(e.Code(), ErrorCode::FileError) << e.what();
            EXPECT_NE(std::string(e.what()).find("too large to load"), std::string::npos);
        }
        g_failBeyond = SIZE_MAX;
        EXPECT_TRUE(testing::SameAs(before_, Snapshot(rooms_))) << "limit " << limit;
    }
}

TEST(RobotFileAllocation, LargeRobotsLoadWithinASmallMultipleOfTheirSize) {
    // Many small rooms are the worst case for memory per file byte.
    std::vector<std::string> names;
    std::vector<std::vector<std::string>> uses;
    for (int i = 0; i < 2000; ++i) {
        names.push_back("R" + std::to_string(i));
        uses.push_back(i + 1 < 2000 ? std::vector<std::string>{"R" + std::to_string(i + 1)}
                                    : std::vector<std::string>{});
    }
    // A chain of 2000 rooms expands to 2001000 occurrences: too many; cut it into chains of 20.
    for (int i = 19; i < 2000; i += 20) uses[static_cast<std::size_t>(i)].clear();
    ScratchFolder folder;
    const std::string path = folder.File("large.bot");
    const std::string bytes = EncodeRobot(testing::RobotOfUses(names, uses));
    WriteBytes(path, bytes);
    clsRooms rooms;
    const std::size_t decode = Allocated([&] { DecodeRobot(bytes, "large"); });
    EXPECT_LE(decode, 8 * bytes.size()) << decode << " bytes for a file of " << bytes.size();
    const std::size_t load = Allocated([&] { rooms.Load(path); });
    EXPECT_LE(load, AllocationAllowance(bytes.size())) << load << " bytes for " << bytes.size();
    EXPECT_EQ(rooms.TotalRooms, 2000);
}

TEST(RobotFileAllocation, MaskTablesNoRobotCouldUseAreRefusedBeforeTheyAreRead) {
    // Ten bytes a mask in the file: tens of millions of them make a small file that would cost
    // gigabytes. One mask more than any robot within the limits can have is refused at its count.
    typWrapRooms robot = testing::RobotOfUses({"Greedy"}, {{}});
    typMotorMasks& table = robot.Rooms(1).MotorMasks;
    table.Masks = VbArray<typMotorMask>(
        1, std::vector<typMotorMask>(static_cast<std::size_t>(kMaxRobotMotorMasks) + 1));
    table.TotalMasks = 1;
    const std::string bytes = EncodeRobot(robot);
    table = typMotorMasks{};  // give the test's own copy back
    ScratchFolder folder;
    const std::string path = folder.File("greedy.bot");
    WriteBytes(path, bytes);
    clsRooms rooms;
    testing::BuildFixture(rooms);
    const auto before = Snapshot(rooms);
    std::string message;
    const std::size_t allocated = Allocated([&] {
        try {
            rooms.Load(path);
        } catch (const Error& e) {
            EXPECT_EQ(e.Code(), ErrorCode::FileFormat);
            message = e.what();
        }
    });
    EXPECT_NE(message.find("more than " + std::to_string(kMaxRobotMotorMasks) + " masks"),
              std::string::npos)
        << message;
    // The file read whole, and hardly more: no mask was allocated.
    EXPECT_LE(allocated, bytes.size() + 64 * 1024) << allocated;
    EXPECT_TRUE(testing::SameAs(before, Snapshot(rooms)));
}

}  // namespace
}  // namespace torvane
