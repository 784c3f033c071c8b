// What `stl` writes is what the 3D view draws: the triangles the placement walk sends down the GL
// pipeline (GL feedback, axis markers and floor grids switched off, as the export leaves them
// out) are the STL's triangles, in the same order, for the same motor positions.

#include <gtest/gtest.h>

#include <random>

#include "export/StlFile.h"
#include "model/clsRooms.h"
#include "tests/export/ExportTestSupport.h"
#include "tests/export/RandomRobots.h"
#include "tests/support/GlFeedback.h"
#include "tests/support/OffscreenGlSurface.h"
#include "tests/support/PrimoraShapes.h"

namespace mechanon::testing {
namespace {

// Linear motors move parts by their positions in model units: the view holds all of them.
constexpr double kViewExtent = 100;

std::string Text(const MeshTriangle& t) {
    std::string out;
    for (const auto& p : t)
        out +=
            "(" + std::to_string(p.X) + " " + std::to_string(p.Y) + " " + std::to_string(p.Z) + ")";
    return out;
}

bool Degenerate(const MeshTriangle& t) {
    const auto same = [](const torvane::typ3Point& a, const torvane::typ3Point& b) {
        return std::fabs(a.X - b.X) < 1e-9 && std::fabs(a.Y - b.Y) < 1e-9 &&
               std::fabs(a.Z - b.Z) < 1e-9;
    };
    return same(t[0], t[1]) || same(t[1], t[2]) || same(t[0], t[2]);
}

// The polygons of a capture as triangles (fans) in model coordinates.
std::vector<MeshTriangle> DrawnTriangles(const std::vector<FeedbackItem>& items,
                                         const ObjectSpaceView& view) {
    std::vector<MeshTriangle> out;
    for (const FeedbackItem& item : items) {
        if (item.kind != FeedbackItem::Kind::Polygon) continue;
        std::vector<torvane::typ3Point> corners;
        for (const FeedbackVertex& v : item.vertices) {
            const auto p = view.ToModel(v);
            corners.push_back({p.x, p.y, p.z});
        }
        for (std::size_t i = 1; i + 1 < corners.size(); ++i) {
            const MeshTriangle t{corners[0], corners[i], corners[i + 1]};
            if (!Degenerate(t)) out.push_back(t);
        }
    }
    return out;
}

std::vector<MeshTriangle> ViewTriangles(const std::filesystem::path& bot,
                                        const std::vector<double>& positions) {
    auto shapes = std::make_shared<PrimoraShapes>();
    shapes->SetShowAxis(false);
    shapes->SetShowGrids(false);
    torvane::clsRooms rooms;
    rooms.Shapes = shapes;
    rooms.Load(bot.string());
    const auto room = rooms.ActivePartRoom;
    torvane::typMotorMasks masks = room->MotorMasks();
    for (std::int32_t k = 1; k <= masks.TotalMasks; ++k)
        masks.Masks(k).Value = static_cast<std::size_t>(k - 1) < positions.size()
                                   ? positions[static_cast<std::size_t>(k - 1)]
                                   : 0;
    masks.CountMasks = 1;
    const ObjectSpaceView view(kViewExtent);
    torvane::clsSubPart root;
    return DrawnTriangles(CaptureFeedback([&] { room->CalculateForwardKinematics(root, masks); }),
                          view);
}

int MotorCount(const std::filesystem::path& bot) {
    torvane::clsRooms rooms;
    rooms.Load(bot.string());
    return rooms.ActivePartRoom->MotorMasks().TotalMasks;
}

void ExpectStlIsTheView(const std::filesystem::path& bot, std::uint32_t seed) {
    std::mt19937 random(seed);
    std::vector<double> positions;
    for (int k = 0; k < MotorCount(bot); ++k)
        positions.push_back(std::uniform_real_distribution<double>(-30, 30)(random));
    const ScratchFolder scratch;
    const auto stl = scratch / "posed.stl";
    const CliResult made =
        RunCli({"stl", bot.string(), "--positions", PositionList(positions), "-o", stl.string()});
    ASSERT_EQ(made.status, 0) << made.err;
    const auto written = ReadBinaryStl(ReadFile(stl));
    const auto drawn = ViewTriangles(bot, positions);
    ASSERT_EQ(written.size(), drawn.size());
    // GL may hand the two triangles of a quad back in either order.
    std::vector<bool> used(drawn.size(), false);
    for (std::size_t i = 0; i < written.size(); ++i) {
        bool found = false;
        for (std::size_t j = i > 2 ? i - 2 : 0; j < std::min(drawn.size(), i + 3) && !found; ++j)
            if (!used[j] && SameTriangle(written[i], drawn[j], 1e-4)) found = used[j] = true;
        ASSERT_TRUE(found) << "triangle " << i << ": written " << Text(written[i]) << ", drawn "
                           << Text(drawn[i]);
    }
}

class ViewOracle : public ::testing::Test {
  protected:
    void SetUp() override { surface.CreateCurrent(); }
    OffscreenGlSurface surface{64, 64};
};

TEST_F(ViewOracle, StlOfTheExamplesIsWhatTheViewDraws) {
    for (const char* name : {"arm.bot", "gripper.bot"}) {
        SCOPED_TRACE(name);
        ExpectStlIsTheView(std::filesystem::path(MECHANON_SOURCE_DIR) / "examples" / name, 3);
    }
}

TEST_F(ViewOracle, StlOfGeneratedRobotsIsWhatTheViewDraws) {
    const ScratchFolder robots;
    for (std::uint32_t seed = 21; seed <= 26; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        const auto bot = robots / ("robot" + std::to_string(seed) + ".bot");
        SaveRobot(RandomRobots(seed).Make(seed % 2 ? RobotKind::Mixed : RobotKind::Deep), bot);
        ExpectStlIsTheView(bot, seed);
    }
}

}  // namespace
}  // namespace mechanon::testing
