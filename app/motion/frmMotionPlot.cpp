#include "app/motion/frmMotionPlot.h"

#include <QChart>
#include <QChartView>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

#include "app/clsBots.h"
#include "app/motion/MotionCommand.h"
#include "app/motion/RoomMotors.h"
#include "app/motion/ToolPathCommand.h"
#include "app/motion/frmControlMotors.h"
#include "model/Error.h"
#include "model/clsRooms.h"
#include "platform/Clock.h"
#include "toolpath/TripleStops.h"
#include "toolpath/clsToolPath.h"

namespace mechanon {
namespace {

constexpr int kPlayMilliseconds = 15;        // playback redraws about 60 times a second
constexpr double kLiveStepSeconds = 0.02;    // the live plot takes a point every 20 ms of drive
constexpr int kLiveRedrawMilliseconds = 30;  // and shows the points taken at most this often
constexpr int kSliderSteps = 1000;           // slider steps per second of path
constexpr const char* kPositionTitle = "Motor positions";

// Distinct colours for the motors; a motor's target and measured curves share its colour.
QColor MotorColour(int i) {
    static const QColor kColours[] = {
        QColor(31, 119, 180), QColor(214, 39, 40),  QColor(44, 160, 44), QColor(148, 103, 189),
        QColor(255, 127, 14), QColor(23, 190, 207), QColor(140, 86, 75), QColor(188, 189, 34)};
    return kColours[static_cast<std::size_t>(i - 1) % std::size(kColours)];
}

QString Figure(double value) {
    return QString::number(value, 'g', 6);
}

// Axis limits around [low, high] with a margin, never of zero height.
std::pair<double, double> Padded(double low, double high) {
    if (!(high > low)) return {low - 1, high + 1};
    const double margin = (high - low) * 0.05;
    return {low - margin, high + margin};
}

}  // namespace

frmMotionPlot::frmMotionPlot(clsBots& bots, frmControlMotors& controlMotors, QWidget* parent)
    : ChildWindow(parent), bots_(bots), controlMotors_(controlMotors) {
    setObjectName("frmMotionPlot");
    setWindowTitle(kCaption);
    auto* content = new QWidget(this);
    auto* layout = new QVBoxLayout(content);

    // The controls in a grid of two columns, so the plot fits the narrow column it sits in.
    auto* top = new QGridLayout;
    cmbSource = new QComboBox(content);
    cmbSource->setObjectName("cmbSource");
    cmbSource->addItems({"As written", "Re-timed"});
    cmbSource->setToolTip("Plot the tool path as written, or re-timed into trapezoidal pieces");
    auto button = [content](const char* name, const char* caption) {
        auto* b = new QPushButton(caption, content);
        b->setObjectName(name);
        b->setAutoDefault(false);
        return b;
    };
    cmdPlot = button("cmdPlot", "Plot");
    cmdDrive = button("cmdDrive", "Drive");
    cmdStop = button("cmdStop", "Stop");
    txtLimit = new QLineEdit(content);
    txtLimit->setObjectName("txtLimit");
    txtLimit->setToolTip(
        "A drive stops when a motor falls this far behind its target (in its "
        "own units); empty for no limit");
    lblFollowing = new QLabel(content);
    lblFollowing->setObjectName("lblFollowing");
    lblFollowing->setWordWrap(true);
    auto* limitLabel = new QLabel("Following-error limit", content);
    limitLabel->setObjectName("lblLimit");
    limitLabel->setWordWrap(true);
    top->addWidget(cmbSource, 0, 0);
    top->addWidget(cmdPlot, 0, 1);
    top->addWidget(cmdDrive, 1, 0);
    top->addWidget(cmdStop, 1, 1);
    top->addWidget(limitLabel, 2, 0);
    top->addWidget(txtLimit, 2, 1);
    layout->addLayout(top);
    layout->addWidget(lblFollowing);

    // Short axis titles fit a short chart; the legend under it gives the units.
    position_ = MakeChart(kPositionTitle, "Position");
    velocity_ = MakeChart("Motor velocities", "Velocity");
    tabViews = new QTabWidget(content);
    tabViews->setObjectName("tabViews");
    tabViews->addTab(position_.view, "Position");
    tabViews->addTab(velocity_.view, "Velocity");
    layout->addWidget(tabViews, 1);
    // The legend wraps under the charts instead of being cut at their width.
    lblLegend = new QLabel(content);
    lblLegend->setObjectName("lblLegend");
    lblLegend->setWordWrap(true);
    lblLegend->setTextFormat(Qt::RichText);
    layout->addWidget(lblLegend);

    auto* bottom = new QHBoxLayout;
    cmdPlay = button("cmdPlay", kPlayCaption);
    sldTime = new QSlider(Qt::Horizontal, content);
    sldTime->setObjectName("sldTime");
    sldTime->setRange(0, 0);
    lblTime = new QLabel("0 s", content);
    lblTime->setObjectName("lblTime");
    lblTime->setMinimumWidth(90);
    bottom->addWidget(cmdPlay);
    bottom->addWidget(sldTime, 1);
    bottom->addWidget(lblTime);
    layout->addLayout(bottom);
    setWidget(content);
    resize(760, 520);

    ConnectControls();
    ShowFollowing();
    UpdateStates();
}

// The buttons, the slider, the playback timer, and the driver's events for the live view.
void frmMotionPlot::ConnectControls() {
    connect(cmdPlot, &QPushButton::clicked, this, [this] { RunMotionCommand([this] { Plot(); }); });
    connect(cmdDrive, &QPushButton::clicked, this,
            [this] { RunMotionCommand([this] { Drive(); }); });
    connect(cmdStop, &QPushButton::clicked, this, [this] { StopAll(); });
    connect(cmdPlay, &QPushButton::clicked, this,
            [this] { RunMotionCommand([this] { PlayPause(); }); });
    connect(sldTime, &QSlider::valueChanged, this, [this](int value) { SliderMoved(value); });
    connect(sldTime, &QSlider::sliderPressed, this, [this] { PausePlayback(); });
    playTimer_.setInterval(kPlayMilliseconds);
    connect(&playTimer_, &QTimer::timeout, this, [this] { PlayTick(); });
    liveRedraw_.setSingleShot(true);
    connect(&liveRedraw_, &QTimer::timeout, this, [this] { ShowPendingLive(); });

    if (bots_.HasToolPathControl()) {
        torvane::clsToolPath& toolPath = bots_.ToolPathControl();
        cutStarting_ = toolPath.CutStarting.Subscribe([this] { CutStarting(); });
        cutRound_ = toolPath.CutRound.Subscribe(
            [this](double t, const torvane::DoubleArray& targets,
                   const torvane::DoubleArray& measured) { CutRound(t, targets, measured); });
    }
}

frmMotionPlot::~frmMotionPlot() = default;

// ---- Charts ----

frmMotionPlot::Chart frmMotionPlot::MakeChart(const QString& title, const QString& yTitle) {
    Chart c;
    c.chart = new QChart();
    c.chart->setTitle(title);
    c.chart->setAnimationOptions(QChart::NoAnimation);
    c.chart->legend()->hide();  // lblLegend names the curves
    c.x = new QValueAxis(c.chart);
    c.x->setTitleText("Time (s)");
    c.y = new QValueAxis(c.chart);
    c.y->setTitleText(yTitle);
    c.chart->addAxis(c.x, Qt::AlignBottom);
    c.chart->addAxis(c.y, Qt::AlignLeft);
    c.legs = AddSeries(c, "Leg boundaries");
    c.legs->setPen(QPen(QColor(90, 90, 90), 1.5));
    c.sublegs = AddSeries(c, "Subleg boundaries");
    c.sublegs->setPen(QPen(QColor(150, 150, 150), 1, Qt::DotLine));
    c.cursor = AddSeries(c, "Time shown");
    c.cursor->setPen(QPen(QColor(20, 20, 20), 1.5, Qt::DashDotLine));
    c.view = new QChartView(c.chart);  // the view owns the chart
    c.view->setRenderHint(QPainter::Antialiasing);
    return c;
}

QLineSeries* frmMotionPlot::AddSeries(Chart& c, const QString& name) {
    auto* series = new QLineSeries(c.chart);
    series->setName(name);
    c.chart->addSeries(series);  // the chart owns the series
    series->attachAxis(c.x);
    series->attachAxis(c.y);
    return series;
}

void frmMotionPlot::RemoveCurves(Chart& c) {
    for (QLineSeries* s : c.curves) {
        c.chart->removeSeries(s);
        s->deleteLater();
    }
    c.curves.clear();
}

QString frmMotionPlot::MotorName(int i) const {
    const auto room = bots_.PartRooms().ActivePartRoom;
    if (room) {
        const torvane::typMotorMasks masks = room->MotorMasks();
        if (i <= masks.TotalMasks && masks.Masks.IsAllocated() && i <= masks.Masks.UBound() &&
            !masks.Masks(i).Name.empty())
            return QString::fromStdString(masks.Masks(i).Name);
    }
    return QString("Motor %1").arg(i);
}

std::vector<QString> frmMotionPlot::MotorNames() const {
    std::vector<QString> names;
    for (int i = 1; i <= samples_.Motors; ++i) names.push_back(MotorName(i));
    return names;
}

void frmMotionPlot::ShowCurves(Chart& c, const std::vector<std::vector<double>>& values) {
    RemoveCurves(c);
    double low = 0, high = 0;
    bool any = false;
    for (std::size_t m = 0; m < values.size(); ++m) {
        QLineSeries* s = AddSeries(c, MotorName(static_cast<int>(m) + 1));
        s->setPen(QPen(MotorColour(static_cast<int>(m) + 1), 2));
        QList<QPointF> points;
        points.reserve(static_cast<qsizetype>(values[m].size()));
        for (std::size_t k = 0; k < values[m].size(); ++k) {
            const double v = values[m][k];
            points.append(QPointF(samples_.Times[k], v));
            if (!std::isfinite(v)) continue;
            low = any ? std::min(low, v) : v;
            high = any ? std::max(high, v) : v;
            any = true;
        }
        s->replace(points);
        c.curves.push_back(s);
    }
    const auto [bottom, top] = Padded(low, high);
    c.y->setRange(bottom, top);
    c.y->applyNiceNumbers();  // round ticks; the time axis keeps the path's own end
    c.x->setRange(0, samples_.Duration() > 0 ? samples_.Duration() : 1);
    for (QLineSeries* s : {c.legs, c.sublegs, c.cursor}) s->setVisible(true);
    DrawBoundaries(c);
}

void frmMotionPlot::DrawBoundaries(Chart& c) {
    // One series per kind: up and down each boundary, joined along the bottom edge of the plot.
    const double bottom = c.y->min(), top = c.y->max();
    auto zigzag = [&](QLineSeries* s, const std::vector<double>& times) {
        QList<QPointF> points;
        for (double t : times)
            points << QPointF(t, bottom) << QPointF(t, top) << QPointF(t, bottom);
        s->replace(points);
    };
    zigzag(c.legs, samples_.LegStarts);
    zigzag(c.sublegs, samples_.SublegStarts);
}

void frmMotionPlot::MoveCursor(Chart& c, double time) {
    c.cursor->replace(QList<QPointF>{{time, c.y->min()}, {time, c.y->max()}});
}

// ---- Plot and scrub ----

void frmMotionPlot::Plot() {
    if (RunningCommand::RefuseIfRunning()) return;
    torvane::clsToolPath& toolPath = bots_.ToolPathControl();
    std::string text = controlMotors_.ToolPathText();
    if (text.find_first_not_of(" \t\r\n") == std::string::npos)
        torvane::Raise(torvane::ErrorCode::InvalidArgument,
                       "There is no tool path to plot.  Write one on the tool-path page of the "
                       "Control Motors window, or create it with its script.");
    UseActiveRoomMotors(bots_);  // the room's default limits
    torvane::MotionSamples samples;
    {
        // An equation that never returns ends at Stop or Escape, the window responsive meanwhile.
        const ToolPathCommand command(toolPath, true, this);
        // A path that leaves a motor's travel is neither re-timed nor plotted.
        RefusePathOutsideTravel(bots_, text);
        if (cmbSource->currentIndex() == 1) text = ExpandToTripleStops(toolPath, text);
        samples = SampleToolPath(toolPath, text);
    }
    if (samples.Spans.empty())
        torvane::Raise(torvane::ErrorCode::InvalidArgument,
                       "The tool path has no DRIVE block to plot.");
    samples_ = std::move(samples);
    plottedText_ = std::move(text);
    live_ = false;
    ClearLive();
    position_.chart->setTitle(kPositionTitle);
    ShowCurves(position_, samples_.Positions);
    ShowCurves(velocity_, samples_.Velocities);
    ShowLegend();
    {
        const QSignalBlocker quiet(sldTime);
        sldTime->setRange(0, static_cast<int>(std::lround(samples_.Duration() * kSliderSteps)));
    }
    SetSlider(0);
    UpdateStates();
}

double frmMotionPlot::Time() const {
    return static_cast<double>(sldTime->value()) / kSliderSteps;
}

void frmMotionPlot::SetSlider(double time) {
    {
        const QSignalBlocker quiet(sldTime);
        sldTime->setValue(static_cast<int>(std::lround(time * kSliderSteps)));
    }
    lblTime->setText(Figure(time) + " s");
    MoveCursor(position_, time);
    MoveCursor(velocity_, time);
}

void frmMotionPlot::SliderMoved(int value) {
    const double time = static_cast<double>(value) / kSliderSteps;
    lblTime->setText(Figure(time) + " s");
    if (!RunMotionCommand([this, time] { ShowTime(time); })) PausePlayback();
}

void frmMotionPlot::ShowTime(double Time) {
    if (samples_.Spans.empty()) return;
    const double time = std::clamp(Time, 0.0, samples_.Duration());
    const auto room = bots_.PartRooms().ActivePartRoom;
    if (!room) torvane::Raise(torvane::ErrorCode::MissingObject, "There is no active part room.");
    const torvane::DoubleArray positions = PositionsAt(bots_.ToolPathControl(), samples_, time);
    torvane::typMotorMasks masks = room->MotorMasks();
    const int available =
        masks.Masks.IsAllocated() ? std::min(masks.TotalMasks, masks.Masks.UBound()) : 0;
    const int motors = positions.IsAllocated() ? std::min(positions.UBound(), available) : 0;
    for (int i = 1; i <= motors; ++i) masks.Masks(i).Value = positions(i);
    room->SetMotorMasks(masks);
    // A step of the playback or the slider, as the animation draws: no snapshot.
    bots_.Changes().Announce(
        {.Kind = ChangeKind::MotorValues, .Room = room.get(), .Source = this, .Live = true});
    MoveCursor(position_, time);
    MoveCursor(velocity_, time);
}

// ---- Playback ----

void frmMotionPlot::PlayPause() {
    if (Playing()) {
        PausePlayback();
        return;
    }
    if (RunningCommand::RefuseIfRunning()) return;
    if (samples_.Spans.empty()) Plot();
    if (samples_.Spans.empty()) return;
    playFrom_ = Time() >= samples_.Duration() ? 0 : Time();
    // Escape anywhere pauses; the command ends once the key has been handled.
    playing_.emplace(
        [this] {
            playTimer_.stop();
            QTimer::singleShot(0, this, [this] { PausePlayback(); });
        },
        true, this);
    playClock_.start();
    playTimer_.start();
    UpdateStates();
    PlayTick();
}

void frmMotionPlot::PlayTick() {
    const double time = std::min(playFrom_ + static_cast<double>(playClock_.nsecsElapsed()) * 1e-9,
                                 samples_.Duration());
    SetSlider(time);
    if (!RunMotionCommand([this, time] { ShowTime(time); }) || time >= samples_.Duration())
        PausePlayback();
}

void frmMotionPlot::PausePlayback() {
    playTimer_.stop();
    playing_.reset();
    UpdateStates();
}

// ---- Driving ----

void frmMotionPlot::Drive() {
    if (RunningCommand::RefuseIfRunning()) return;
    if (plottedText_.empty()) Plot();
    UseActiveRoomMotorsFor(bots_, plottedText_);
    torvane::clsToolPath& toolPath = bots_.ToolPathControl();
    const ToolPathCommand command(toolPath, true, this);
    struct EndOfDrive {
        frmMotionPlot& window;
        ~EndOfDrive() {
            window.ShowPendingLive();  // the drive's last points, at once
            window.driving_ = false;
            window.UpdateStates();
        }
    } endOfDrive{*this};
    driving_ = true;
    UpdateStates();
    toolPath.DriveXMLToolPath(plottedText_, false, 0);
}

void frmMotionPlot::StopAll() {
    PausePlayback();
    if (bots_.HasToolPathControl()) bots_.ToolPathControl().RequestStop();
    controlMotors_.StopRunning();
}

void frmMotionPlot::UpdateStates() {
    const bool playing = Playing();
    cmdPlay->setText(playing ? kPauseCaption : kPlayCaption);
    cmdPlot->setEnabled(!driving_ && !playing);
    cmdDrive->setEnabled(!driving_ && !playing);
    cmdPlay->setEnabled(!driving_);
    sldTime->setEnabled(!driving_);
    txtLimit->setEnabled(!driving_);
}

// ---- Live plot ----

QLineSeries* frmMotionPlot::LiveTarget(int i) const {
    return i >= 1 && i <= static_cast<int>(liveTargets_.size())
               ? liveTargets_[static_cast<std::size_t>(i - 1)]
               : nullptr;
}

QLineSeries* frmMotionPlot::LiveMeasured(int i) const {
    return i >= 1 && i <= static_cast<int>(liveMeasured_.size())
               ? liveMeasured_[static_cast<std::size_t>(i - 1)]
               : nullptr;
}

void frmMotionPlot::ClearLive() {
    liveRedraw_.stop();
    pendingTargets_.clear();
    pendingMeasured_.clear();
    for (std::vector<QLineSeries*>* list : {&liveTargets_, &liveMeasured_}) {
        for (QLineSeries* s : *list) {
            position_.chart->removeSeries(s);
            s->deleteLater();
        }
        list->clear();
    }
}

void frmMotionPlot::CutStarting() {
    BeginLive(bots_.ToolPathControl().TotalMotors());
}

void frmMotionPlot::BeginLive(int motors) {
    // A limit that cannot be read stops the cut before any motor moves.
    const double limit = torvane::ReadFollowingErrorLimit(txtLimit->text().toStdString());
    watch_.Reset(limit);
    // The control rounds check the limit themselves, in the round that breaks it.
    bots_.ToolPathControl().SetFollowingErrorLimit(limit);
    ClearLive();
    // The plan gives way to the drive's own time line, WAITs included.
    for (QLineSeries* s : position_.curves) s->setVisible(false);
    for (QLineSeries* s : {position_.legs, position_.sublegs, position_.cursor})
        s->setVisible(false);
    for (int i = 1; i <= motors; ++i) {
        QLineSeries* target = AddSeries(position_, MotorName(i) + " target");
        target->setPen(QPen(MotorColour(i), 1.5, Qt::DashLine));
        // The title says what the dashes are; the legend keeps room for the motor names.
        for (QLegendMarker* marker : position_.chart->legend()->markers(target))
            marker->setVisible(false);
        QLineSeries* measured = AddSeries(position_, MotorName(i) + " measured");
        measured->setPen(QPen(MotorColour(i), 2));
        liveTargets_.push_back(target);
        liveMeasured_.push_back(measured);
    }
    pendingTargets_.resize(liveTargets_.size());
    pendingMeasured_.resize(liveMeasured_.size());
    sinceLiveRedraw_.invalidate();  // the first point shows at once
    position_.x->setRange(0, 1);
    position_.chart->setTitle("Motor positions during the drive");
    live_ = true;
    liveOrigin_ = torvane::SystemClock().Seconds();
    lastLivePoint_ = -1;
    lastRoundT_ = 0;
    sublegOrigin_ = 0;
    liveMin_ = liveMax_ = 0;
    liveEnd_ = 0;
    tabViews->setCurrentIndex(0);
    ShowLegend();
    ShowFollowing();
}

void frmMotionPlot::CutRound(double t, const torvane::DoubleArray& targets,
                             const torvane::DoubleArray& measured) {
    if (!live_) BeginLive(targets.IsAllocated() ? targets.UBound() : 0);
    const int broken = watch_.Observe(targets, measured);
    // A parameter that goes back starts the next subleg, placed where the drive stands now.
    if (lastLivePoint_ < 0 || t < lastRoundT_)
        sublegOrigin_ = torvane::SystemClock().Seconds() - liveOrigin_ - t;
    lastRoundT_ = t;
    const double now = std::max(sublegOrigin_ + t, lastLivePoint_);
    if (broken != 0 || lastLivePoint_ < 0 || now - lastLivePoint_ >= kLiveStepSeconds) {
        lastLivePoint_ = now;
        const int motors = std::min<int>(static_cast<int>(liveTargets_.size()),
                                         targets.IsAllocated() ? targets.UBound() : 0);
        for (int i = 1; i <= motors; ++i) {
            const auto k = static_cast<std::size_t>(i - 1);
            pendingTargets_[k].append(QPointF(now, targets(i)));
            pendingMeasured_[k].append(QPointF(now, measured(i)));
            for (double v : {targets(i), measured(i)})
                if (std::isfinite(v)) {
                    liveMin_ = std::min(liveMin_, v);
                    liveMax_ = std::max(liveMax_, v);
                }
        }
        liveEnd_ = now;
        // The round that stops the drive shows at once; others wait for the next redraw.
        const qint64 sinceRedraw =
            sinceLiveRedraw_.isValid() ? sinceLiveRedraw_.elapsed() : kLiveRedrawMilliseconds;
        if (broken != 0 || sinceRedraw >= kLiveRedrawMilliseconds)
            ShowPendingLive();
        else if (!liveRedraw_.isActive())
            liveRedraw_.start(static_cast<int>(kLiveRedrawMilliseconds - sinceRedraw));
    }
    if (broken == 0) return;
    // The round that broke the limit was the last: the driver stopped the cut with every line
    // off and reports it to whoever started the cut.
    const double error = std::abs(targets(broken) - measured(broken));
    ShowFollowing();
    lblFollowing->setText(
        lblFollowing->text() +
        QString("  Stopped: %1 was %2 off its target.").arg(MotorName(broken), Figure(error)));
}

void frmMotionPlot::ShowPendingLive() {
    liveRedraw_.stop();
    const auto pending = [](const std::vector<QList<QPointF>>& list) {
        return std::any_of(list.begin(), list.end(), [](const auto& p) { return !p.empty(); });
    };
    if (!pending(pendingTargets_) && !pending(pendingMeasured_)) return;
    // One replace per series: its points are laid out once, not once per point added.
    const auto show = [](QLineSeries* series, QList<QPointF>& points) {
        if (points.empty()) return;
        QList<QPointF> all = series->points();
        all.append(points);
        series->replace(all);
        points.clear();
    };
    for (std::size_t k = 0; k < liveTargets_.size(); ++k) {
        show(liveTargets_[k], pendingTargets_[k]);
        show(liveMeasured_[k], pendingMeasured_[k]);
    }
    const auto [bottom, top] = Padded(liveMin_, liveMax_);
    position_.y->setRange(bottom, top);
    position_.y->applyNiceNumbers();
    if (liveEnd_ > position_.x->max()) {
        position_.x->setRange(0, liveEnd_ * 1.25);
        position_.x->applyNiceNumbers();
    }
    ShowFollowing();
    sinceLiveRedraw_.start();
}

void frmMotionPlot::ShowLegend() {
    QStringList entries;
    const int motors = live_ ? static_cast<int>(liveMeasured_.size()) : samples_.Motors;
    for (int i = 1; i <= motors; ++i)
        entries << QString("<span style=\"color:%1\">&#9632;</span>&nbsp;%2")
                       .arg(MotorColour(i).name(), MotorName(i).toHtmlEscaped());
    entries << (live_ ? QString("measured solid, target dashed")
                      : QString("dark lines: legs, dotted: sublegs, dash-dot: the time shown"));
    entries << "positions in model units (degrees when rotational), velocities per second";
    lblLegend->setText(entries.join(" &nbsp; "));
}

void frmMotionPlot::ShowFollowing() {
    QString text = "Largest following error: ";
    text += watch_.LargestMotor() == 0 ? QString("none yet")
                                       : QString("%1 (%2)").arg(Figure(watch_.Largest()),
                                                                MotorName(watch_.LargestMotor()));
    lblFollowing->setText(text);
}

}  // namespace mechanon
