// What an imported room remembers of its URDF joint survives a trip through BlankXML beside the
// user's own text, and a joint that mimics another follows it wherever the placement walk puts
// the robot, in URDF units across motor kinds and along chains of followers.

#include <gtest/gtest.h>

#include <map>
#include <numbers>

#include "ModelTestSupport.h"
#include "model/FramePlacementVisitor.h"
#include "model/JointNotes.h"
#include "model/clsPartRoom.h"
#include "model/clsSubPart.h"

namespace torvane {
namespace {

using namespace torvane::testing;

typJointNote Joint(const std::string& name, const std::string& type, const std::string& mimic = "",
                   std::optional<double> multiplier = {}, std::optional<double> offset = {},
                   std::optional<double> unit = {}) {
    typJointNote joint;
    joint.Name = name;
    joint.Type = type;
    joint.Mimic = mimic;
    joint.Multiplier = multiplier;
    joint.Offset = offset;
    joint.Unit = unit;
    return joint;
}

TEST(JointNotes, NotesRoundTripBesideOtherTextAndUnreadableOnesAreAbsent) {
    typJointNotes notes;
    notes.Joint =
        typJointNote{"elbow \"A\" & <B>",     "prismatic", -0.1, 0.25, 1.5, 30, "lead", -2.5, 1e-17,
                     typ3Point{0, -0.6, 0.8}, 0.01};
    notes.LinkName = "forearm 東";
    const std::string own = "<mine>kept</mine>\n";
    const std::string text = WithJointNotes(own, notes);
    EXPECT_NE(text.find(own), std::string::npos);
    EXPECT_EQ(ReadJointNotes(text), notes);
    // Writing again replaces the notes instead of adding to them.
    typJointNotes plain;
    plain.Joint = Joint("j", "fixed");
    plain.VisualOf = "arm";
    const std::string again = WithJointNotes(text, plain);
    EXPECT_EQ(ReadJointNotes(again), plain);
    EXPECT_EQ(WithJointNotes(again, {}), own);

    EXPECT_EQ(ReadJointNotes(""), typJointNotes{});
    for (const char* broken : {"<joint name=\"j\" type=\"fixed\"", "<joint name=\"j >",
                               "<jointname=\"j\"/>", "<joint =\"j\"/>"})
        EXPECT_FALSE(ReadJointNotes(broken).Joint) << broken;
    const typJointNote odd =
        *ReadJointNotes("<joint name=\"j\" lower=\"abc\" axis=\"1 2\"/>").Joint;
    EXPECT_FALSE(odd.Lower);
    EXPECT_FALSE(odd.Axis);
}

void Note(clsPartRoom& room, const typJointNote& note, double motorPosition = 0) {
    typPartData data = room.PartData();
    typJointNotes notes;
    notes.Joint = note;
    data.BlankXML = WithJointNotes(data.BlankXML, notes);
    data.MotorPosition = motorPosition;
    room.SetPartData(data);
}

// The motor value every moving occurrence was placed at, by room name.
std::map<std::string, double> Placed(clsPartRoom& room, const std::vector<double>& masks) {
    typMotorMasks table = room.MotorMasks();
    for (std::size_t i = 0; i < masks.size(); ++i)
        table.Masks(static_cast<int>(i) + 1).Value = masks[i];
    table.CountMasks = 1;
    clsSubPart root;
    FramePlacementVisitor frames;
    room.CalculateForwardKinematics(root, table, frames);
    std::map<std::string, double> values;
    for (const auto& o : frames.Occurrences())
        if (o.Moves) values[o.RoomName] = o.Motion.Value;
    return values;
}

TEST(JointNotes, FollowersMoveWithTheirLeadersWhereverTheWalkPlacesThem) {
    const double degree = std::numbers::pi / 180;
    const auto base = MakeRoom("Base");
    const auto lead = MakeRoom("Lead", 2, 2);    // rotational
    const auto rail = MakeRoom("Rail", 1, 1);    // linear, follows Lead
    const auto tip = MakeRoom("Tip", 2, 3);      // rotational, follows Rail
    const auto stray = MakeRoom("Stray", 2, 1);  // follows a joint the robot lacks
    Note(*lead, Joint("lead", "revolute"), 10);
    Note(*rail, Joint("rail", "prismatic", "lead", 0.5, 0.02, 0.01));
    Note(*tip, Joint("tip", "revolute", "rail", -3, 0.1));
    Note(*stray, Joint("stray", "revolute", "nowhere", 2, 1));
    Use(*base, "stray", stray);
    Use(*base, "lead", lead);
    Use(*lead, "rail", rail);
    Use(*rail, "tip", tip);
    base->MapMotorMasks();

    // Masks in walk order: stray, lead, rail, tip. Values set for followers are overridden.
    const auto values = Placed(*base, {7, 20, 99, 99});
    const double leadRadians = 30 * degree;              // its position 10 plus its mask 20
    const double railMetres = 0.5 * leadRadians + 0.02;  // then in model units of 0.01 m
    EXPECT_NEAR(values.at("Lead"), 30, 1e-12);
    EXPECT_NEAR(values.at("Rail"), railMetres / 0.01, 1e-12);
    EXPECT_NEAR(values.at("Tip"), (-3 * railMetres + 0.1) / degree, 1e-9);
    EXPECT_NEAR(values.at("Stray"), 7, 1e-12) << "a follower without a leader moves on its own";

    // The motor table is told the values that put the followers there.
    typMotorMasks table = base->MotorMasks();
    for (int k = 1; k <= 4; ++k) table.Masks(k).Value = std::vector<double>{7, 20, 99, 99}[k - 1];
    const auto masks = base->FollowerMaskValues(table);
    ASSERT_EQ(masks.size(), 4u);
    EXPECT_FALSE(masks[0]);
    EXPECT_FALSE(masks[1]);
    EXPECT_NEAR(masks[2].value_or(0), railMetres / 0.01, 1e-12);
    EXPECT_NEAR(masks[3].value_or(0), (-3 * railMetres + 0.1) / degree, 1e-9);
}

}  // namespace
}  // namespace torvane
