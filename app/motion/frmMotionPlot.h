#pragma once
// The motion plot window ("Motion Plot"): the active room's tool path, as written or re-timed,
// drawn as one position curve per motor (named by its motor mask) over time, with velocity as a
// second view and the leg and subleg boundaries marked. A time slider under the plot shows the
// robot in the 3D view at that instant; Play runs the path at real speed. During any drive the
// position view shows each motor's measured encoder position beside its target, live, and the
// largest following error so far; a following error above the limit typed here stops the cut
// with every line off. Stop, or Escape, stops playback, a graph or a drive.

#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QList>
#include <QPointF>
#include <QPushButton>
#include <QSlider>
#include <QTabWidget>
#include <QTimer>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/ChildWindow.h"
#include "app/motion/RunningCommand.h"
#include "motorio/Event.h"
#include "toolpath/FollowingErrorWatch.h"
#include "toolpath/MotionSamples.h"

class QChart;
class QChartView;
class QLineSeries;
class QValueAxis;

namespace mechanon {

class clsBots;
class frmControlMotors;

class frmMotionPlot : public ChildWindow {
    Q_OBJECT
  public:
    frmMotionPlot(clsBots& bots, frmControlMotors& controlMotors, QWidget* parent = nullptr);
    ~frmMotionPlot() override;

    static constexpr const char* kCaption = "Motion Plot";
    static constexpr const char* kPlayCaption = "Play";
    static constexpr const char* kPauseCaption = "Pause";

    // Samples the motor control window's tool path (re-timed first when "Re-timed" is chosen)
    // and draws it; the slider goes back to 0 and the masks are left alone. An empty path, a
    // path without DRIVE blocks and every reading or evaluation error raise; the plot shown
    // before stays.
    void Plot();
    // Shows the robot at Time seconds (clamped to the path): the masks get the evaluated motor
    // positions and the 3D view is redrawn without a snapshot.
    void ShowTime(double Time);
    void PlayPause();
    // Cuts the plotted tool path onto the motors, with the live plot.
    void Drive();
    // Stops whatever runs: playback, a graph or a drive of any window. Every line is off after a
    // stopped drive.
    void StopAll();

    bool Playing() const noexcept { return playTimer_.isActive(); }
    double Time() const;  // the slider's time, seconds
    const torvane::MotionSamples& Samples() const noexcept { return samples_; }
    // The names the curves carry, motor 1 first.
    std::vector<QString> MotorNames() const;
    // The charts, for reading what is shown.
    QChart& PositionChart() const { return *position_.chart; }
    QChart& VelocityChart() const { return *velocity_.chart; }
    const torvane::FollowingErrorWatch& Following() const noexcept { return watch_; }
    // The series of the live plot of the last drive (target, measured) of motor i from 1.
    QLineSeries* LiveTarget(int i) const;
    QLineSeries* LiveMeasured(int i) const;

    QComboBox* cmbSource = nullptr;
    QPushButton* cmdPlot = nullptr;
    QPushButton* cmdDrive = nullptr;
    QPushButton* cmdStop = nullptr;
    QLineEdit* txtLimit = nullptr;
    QLabel* lblFollowing = nullptr;
    QLabel* lblLegend = nullptr;
    QTabWidget* tabViews = nullptr;
    QPushButton* cmdPlay = nullptr;
    QSlider* sldTime = nullptr;
    QLabel* lblTime = nullptr;

  private:
    void ConnectControls();
    struct Chart {
        QChart* chart = nullptr;
        QChartView* view = nullptr;
        QValueAxis* x = nullptr;
        QValueAxis* y = nullptr;
        QLineSeries* legs = nullptr;
        QLineSeries* sublegs = nullptr;
        QLineSeries* cursor = nullptr;
        std::vector<QLineSeries*> curves;
    };
    Chart MakeChart(const QString& title, const QString& yTitle);
    void ShowCurves(Chart& c, const std::vector<std::vector<double>>& values);
    void DrawBoundaries(Chart& c);
    void MoveCursor(Chart& c, double time);
    QLineSeries* AddSeries(Chart& c, const QString& name);
    void RemoveCurves(Chart& c);
    QString MotorName(int i) const;

    void SetSlider(double time);
    void SliderMoved(int value);
    void PlayTick();
    void PausePlayback();
    void UpdateStates();

    // The live plot, fed by the tool-path object's cut events.
    void CutStarting();
    void CutRound(double t, const torvane::DoubleArray& targets,
                  const torvane::DoubleArray& measured);
    void BeginLive(int motors);
    void ClearLive();
    // Hands the points taken since the last redraw to the series and fits the axes to them.
    void ShowPendingLive();
    void ShowFollowing();
    // The motors' colours and names, and what the other lines mean, under the charts.
    void ShowLegend();

    clsBots& bots_;
    frmControlMotors& controlMotors_;
    Chart position_;
    Chart velocity_;
    torvane::MotionSamples samples_;
    std::string plottedText_;

    QTimer playTimer_;
    QElapsedTimer playClock_;
    double playFrom_ = 0;
    // Marks playback as a running command (Escape stops it); made and ended with playback.
    std::optional<RunningCommand> playing_;
    bool driving_ = false;

    torvane::Subscription cutStarting_;
    torvane::Subscription cutRound_;
    torvane::FollowingErrorWatch watch_;
    bool live_ = false;
    double liveOrigin_ = 0;      // clock seconds at the start of the drive
    double lastLivePoint_ = -1;  // drive seconds of the last point added
    // Drive seconds at the subleg parameter 0 of the subleg being driven: rounds are placed by
    // their own parameter, so rounds shown together after a busy moment keep their spacing.
    double sublegOrigin_ = 0;
    double lastRoundT_ = 0;
    std::vector<QLineSeries*> liveTargets_;
    std::vector<QLineSeries*> liveMeasured_;
    // Points taken but not yet shown, per motor: a series redraws all its points whenever it
    // changes, so the live plot redraws at most every kLiveRedrawMilliseconds, not per point.
    std::vector<QList<QPointF>> pendingTargets_;
    std::vector<QList<QPointF>> pendingMeasured_;
    QTimer liveRedraw_;
    QElapsedTimer sinceLiveRedraw_;
    double liveMin_ = 0;
    double liveMax_ = 0;
    double liveEnd_ = 0;  // drive seconds of the last point taken
};

}  // namespace mechanon
