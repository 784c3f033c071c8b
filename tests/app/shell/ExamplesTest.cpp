// The shipped examples: they are what the generator writes today, they open in the program,
// and their tool paths fit their motor tables.

#include <QFile>

#include "app/MDIForm1.h"
#include "app/clsBots.h"
#include "model/clsPartRoom.h"
#include "model/clsRooms.h"
#include "tests/app/AppTestSupport.h"
#include "tests/app/shell/ExampleRobots.h"
#include "toolpath/clsXML.h"

namespace mechanon::testing {
namespace {

QByteArray Bytes(const std::string& path) {
    QFile f(QString::fromStdString(path));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

using ExamplesTest = AppTest;

TEST_F(ExamplesTest, TheShippedFilesAreWhatTheGeneratorWrites) {
    for (const auto& example : examples::AllExamples()) {
        SCOPED_TRACE(example.baseName);
        const std::string fresh = temp.Path(example.baseName + ".bot");
        example.robot->Save(fresh);
        EXPECT_EQ(Bytes(fresh), Bytes(ExamplePath(example.baseName + ".bot")))
            << "run make_examples and commit examples/";
        EXPECT_EQ(Bytes(ExamplePath(example.baseName + ".txt")).toStdString(), example.toolPath);
    }
}

TEST_F(ExamplesTest, EachExampleOpensDrawsAndItsPathDrivesEveryMask) {
    struct Expected {
        const char* baseName;
        const char* firstRoom;
        std::vector<std::string> masks;
    };
    const Expected expected[] = {
        {"gripper", "Gripper", {"Finger", "Finger"}},
        {"arm", "Arm", {"Turntable", "UpperArm", "ForeArm"}},
    };
    for (const Expected& e : expected) {
        SCOPED_TRACE(e.baseName);
        Ui().Clear();
        OpenFile(ExamplePath(std::string(e.baseName) + ".bot"));
        for (const std::string& message : Ui().Messages())
            EXPECT_EQ(message.rfind("Do you want to save your changes to", 0), 0u)
                << "at most the question of Open: " << message;
        ASSERT_EQ(ActiveRoom()->Name(), e.firstRoom);
        const torvane::typMotorMasks masks = ActiveRoom()->MotorMasks();
        ASSERT_EQ(masks.TotalMasks, static_cast<int>(e.masks.size()));
        for (int i = 1; i <= masks.TotalMasks; ++i)
            EXPECT_EQ(masks.Masks(i).Name, e.masks[static_cast<std::size_t>(i - 1)]);
        EXPECT_FALSE(IsUniform(GrabView(Bots())));

        // The path the room carries is the shipped one, and every subleg drives every mask.
        const std::string path = Bytes(ExamplePath(std::string(e.baseName) + ".txt")).toStdString();
        EXPECT_EQ(masks.XMLScript, path);
        const torvane::clsXML xml;
        const auto pieces = xml.SplitXML(path, "LEG");
        int sublegs = 0;
        for (int i = 1; i <= pieces.UBound(); ++i) {
            if (pieces(i).Tag != "LEG") continue;
            const auto legs = xml.ParseXMLSublegs(pieces(i).Contents);
            for (int k = 1; k <= legs.UBound(); ++k, ++sublegs)
                EXPECT_EQ(legs(k).StartPoints.UBound(), masks.TotalMasks);
        }
        EXPECT_GE(sublegs, 2);
    }
}

TEST_F(ExamplesTest, TheTwoFingersMoveApartFromOneAnother) {
    OpenFile(ExamplePath("gripper.bot"));
    const QImage open = GrabView(Bots());
    torvane::typMotorMasks masks = ActiveRoom()->MotorMasks();
    masks.Masks(2).Value = 30;  // only the right finger
    ActiveRoom()->SetMotorMasks(masks);
    Bots().UpdatePicture(false, false);
    const QImage rightClosed = GrabView(Bots());
    masks.Masks(1).Value = 30;
    ActiveRoom()->SetMotorMasks(masks);
    Bots().UpdatePicture(false, false);
    const QImage bothClosed = GrabView(Bots());
    EXPECT_GT(DifferentShare(open, rightClosed), 0.002);
    EXPECT_GT(DifferentShare(rightClosed, bothClosed), 0.002);
}

// The robot holds the joint poses the view drew last, which a save writes: new motor values
// change no record until the view draws them, and then only the moved joints' poses.
TEST_F(ExamplesTest, TheViewsDrawingStoresThePoseItShowsInThePoseFieldsOnly) {
    OpenFile(ExamplePath("arm.bot"));
    const auto records = [&] {
        std::vector<torvane::typPartData> all;
        for (int i = 1; i <= Rooms().TotalRooms; ++i) all.push_back(Rooms().Rooms(i)->PartData());
        return all;
    };
    const auto before = records();
    torvane::typMotorMasks masks = ActiveRoom()->MotorMasks();
    ASSERT_EQ(masks.TotalMasks, 3);  // three rooms, one motor each
    for (int k = 1; k <= masks.TotalMasks; ++k) masks.Masks(k).Value += 10 * k;
    ActiveRoom()->SetMotorMasks(masks);
    EXPECT_EQ(records(), before);

    Bots().UpdatePicture(false, false);
    const auto after = records();
    int posed = 0;
    for (std::size_t i = 0; i < after.size(); ++i) {
        torvane::typPartData poseAside = before[i];
        poseAside.JointAttitude = after[i].JointAttitude;
        poseAside.JointTranslation = after[i].JointTranslation;
        poseAside.JointAngles = after[i].JointAngles;
        EXPECT_EQ(after[i], poseAside) << after[i].Name;
        posed += after[i] != before[i];
    }
    EXPECT_EQ(posed, masks.TotalMasks);
}

}  // namespace
}  // namespace mechanon::testing
