// render-displays: renders every signal display with the demo recording and a
// synthesized stress test, in every colour scheme, into PNG files, to be looked at
// and measured. Beats, average beats and trends come from the synthesizer's ground
// truth.

#include "ColorSchemes.h"
#include "PlotPointList.h"
#include "QBeatDisplay.h"
#include "QPlotGraphic.h"
#include "QSignalBrowseDisplay.h"
#include "QSignalMonitorDisplay.h"
#include "RecordingLoader.h"
#include "StoredAverageBeats.h"
#include "TBeatAverager.h"
#include "TDemoAcqDevice.h"
#include "TEcgSynthesizer.h"
#include "TLeadTable.h"
#include "TRingSignalBuffer.h"
#include "TruthBeats.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStringList>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {

// A common desktop screen: 96 dots per inch.
constexpr int DotsPerMetre = 3780;
const QSize SignalPicture(1600, 900);

QImage newImage(const QSize& size)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.setDotsPerMeterX(DotsPerMetre);
    image.setDotsPerMeterY(DotsPerMetre);
    return image;
}

class Output
{
public:
    explicit Output(const QString& folder) : m_folder(folder) {}
    bool save(const QImage& image, const QString& name)
    {
        const QString path = QDir(m_folder).filePath(name);
        if (!image.save(path)) {
            std::fprintf(stderr, "render-displays: cannot write %s\n", qPrintable(path));
            m_failed = true;
            return false;
        }
        std::printf("%s  %dx%d px, %d mm wide\n", qPrintable(path), image.width(), image.height(), image.widthMM());
        return true;
    }
    bool failed() const { return m_failed; }

private:
    QString m_folder;
    bool m_failed = false;
};

TSynthParams demoParams()
{
    // The parameters the build writes the demo recording with.
    TSynthParams p;
    p.seed = 500;
    p.durationSeconds = 150.0;
    p.loop = true;
    p.heartRateStart = p.heartRateEnd = 105.0;
    return p;
}

TSynthParams stressParams(double stMv)
{
    TSynthParams p;
    p.seed = 77;
    p.durationSeconds = 720.0;
    p.heartRateStart = 80.0;
    p.heartRateEnd = 190.0;
    p.rampStartSeconds = 60.0;
    p.rampEndSeconds = 600.0;
    p.stDeviationMv = stMv;
    p.pvcEvery = 97;
    return p;
}

TSynthParams horseParams()
{
    // A horse at rest: 25/min, PR 500 ms, QT 600 ms.
    TSynthParams p;
    p.seed = 25;
    p.durationSeconds = 60.0;
    p.heartRateStart = p.heartRateEnd = 25.0;
    p.prSeconds = 0.5;
    p.qtSeconds = 0.6;
    return p;
}

// True when the recording file holds what the synthesizer makes, so that its
// ground truth describes the file.
bool matchesRecording(const TEcgSynthesizer& synth, const TSignalBuffer& recording)
{
    const int frames = std::min(1000, recording.length());
    std::vector<qint16> codes(size_t(frames) * TEcgSynthesizer::LeadCount);
    synth.render(0, frames, codes.data());
    for (int f = 0; f < frames; ++f)
        for (int c = 0; c < TEcgSynthesizer::LeadCount; ++c)
            if (recording.sample(c, f) != codes[size_t(f) * TEcgSynthesizer::LeadCount + size_t(c)])
                return false;
    return frames > 0;
}

void hideExtraChestLeads(QSignalMonitorDisplay& display)
{
    display.setLeadVisible(TLeadTable::CM5, false);
    display.setLeadVisible(TLeadTable::CR5, false);
}

void hideExtraChestLeads(QSignalBrowseDisplay& display)
{
    display.setLeadVisible(TLeadTable::CM5, false);
    display.setLeadVisible(TLeadTable::CR5, false);
}

void sendMouse(QWidget& widget, QEvent::Type type, const QPoint& at, Qt::MouseButton button, Qt::MouseButtons held)
{
    QMouseEvent event(type, at, widget.mapToGlobal(at), button, held, Qt::NoModifier);
    QCoreApplication::sendEvent(&widget, &event);
}

// The live display mid-sweep: the second page, the previous page still right of
// the cursor, with the average-beat inset.
void renderMonitor(Output& out, const QString& name, const TSignalBuffer& signal, const StoredAverageBeats* beats,
                   TruthMarkProvider* marks)
{
    for (const QString& scheme : ColorSchemes::names()) {
        QSignalMonitorDisplay display;
        display.resize(SignalPicture);
        hideExtraChestLeads(display);
        display.setSignal(&signal);
        if (beats) {
            display.setAverageBeatSource(beats);
            display.setShowAverageBeat(true);
        }
        display.setMarkProvider(marks);
        ColorSchemes::apply(scheme, display);
        QImage image = newImage(SignalPicture);
        display.render(image);
        out.save(image, QStringLiteral("%1-%2.png").arg(name, scheme));
    }
}

void renderWaiting(Output& out)
{
    TIntSignalBuffer empty(4096, 5000, 7, 500);
    QSignalMonitorDisplay display;
    display.setSignal(&empty);
    QImage image = newImage(QSize(800, 450));
    display.render(image);
    out.save(image, QStringLiteral("monitor-waiting.png"));
}

// The browse display over the demo recording: beat ticks and RR intervals, a
// selected beat and a caliper being dragged across the QRS of lead II.
void renderBrowse(Output& out, const TSignalBuffer& signal, const TBeatStore& beats, const StoredAverageBeats& average,
                  double qrsOnset, double speed)
{
    for (const QString& scheme : ColorSchemes::names()) {
        QSignalBrowseDisplay display;
        display.resize(SignalPicture.width(), SignalPicture.height() + display.scrollBar()->sizeHint().height());
        display.show();
        hideExtraChestLeads(display);
        display.setSignal(&signal);
        display.setBeatList(&beats);
        display.setAverageBeatSource(&average);
        display.setShowAverageBeat(true);
        display.setSpeed(speed);
        display.setStartTime(20.0);
        ColorSchemes::apply(scheme, display);

        const int selected = beats.next(24.0);
        if (selected >= 0) {
            display.setMode(QSignalBrowseDisplay::SelectionMode);
            const QPoint at(display.xAtTime(beats.beat(selected).time()), 100);
            sendMouse(display, QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
            sendMouse(display, QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
        }
        const int measured = beats.next(27.0);
        if (measured >= 0) {
            display.setMode(QSignalBrowseDisplay::CaliperMode);
            // From the PR segment to the top of the R wave of lead II.
            const double r = beats.beat(measured).time();
            const int rate = signal.samplingRate();
            int peak = signal.index(r);
            for (int i = signal.index(r - 0.03); i <= signal.index(r + 0.03); ++i)
                if (signal.sample(TLeadTable::II, i) > signal.sample(TLeadTable::II, peak))
                    peak = i;
            const int rowHeight = display.canvas().height() / 12;
            const QPoint from(display.xAtTime(r + qrsOnset - 0.02), rowHeight + rowHeight / 2);
            const QPoint to(display.xAtTime(double(peak) / rate), rowHeight + rowHeight / 2);
            sendMouse(display, QEvent::MouseMove, from, Qt::NoButton, Qt::NoButton);
            sendMouse(display, QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
            sendMouse(display, QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
        }
        QImage image = newImage(SignalPicture);
        display.render(image);
        out.save(image, QStringLiteral("browse-%1mms-%2.png").arg(speed).arg(scheme));
    }
}

void renderBeat(Output& out, const StoredAverageBeats& average, const TruthBeats& truth, bool allCursors)
{
    QBeatDisplay display;
    const QSize size(640, 480);
    display.resize(size);
    display.show();
    display.setBeat(&average);
    display.setLead(TLeadTable::II);
    const double r = 0.3;
    const double pOnset = truth.meanPOnset(0.0, 20.0);
    const double qrsOnset = truth.meanQrsOnset(0.0, 20.0);
    const double qrsEnd = truth.meanQrsEnd(0.0, 20.0);
    const double tEnd = truth.meanTEnd(0.0, 20.0);
    display.setCursorPosition(QBeatDisplay::POn, r + pOnset);
    display.setCursorPosition(QBeatDisplay::QrsOn, r + qrsOnset);
    display.setCursorPosition(QBeatDisplay::QrsOff, r + qrsEnd);
    display.setCursorPosition(QBeatDisplay::TOff, r + tEnd);
    if (allCursors) {
        // The synthesized P lasts 40 ms; the T wave fills the second half of the QT.
        display.setCursorPosition(QBeatDisplay::POff, r + pOnset + 0.04);
        display.setCursorPosition(QBeatDisplay::PPeak, r + pOnset + 0.02);
        const double tOn = r + qrsOnset + (tEnd - qrsOnset) / 2.0;
        display.setCursorPosition(QBeatDisplay::TOn, tOn);
        display.setCursorPosition(QBeatDisplay::TPeak, tOn + 0.6 * (r + tEnd - tOn));
        for (int i = 0; i < QBeatDisplay::CursorCount; ++i)
            display.setCursorEnabled(i, true);
    }
    display.refresh();
    // The mouse over the QRS onset cursor: it turns red and shows its label.
    const int x = int(size.width() * (r + qrsOnset) / 0.8);
    QMouseEvent move(QEvent::MouseMove, QPoint(x + 1, size.height() / 2), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&display, &move);
    QImage image = newImage(size);
    display.render(image);
    out.save(image, allCursors ? QStringLiteral("beat-all-cursors.png") : QStringLiteral("beat-default-cursors.png"));
}

// The trends of the synthesized stress test, one plot under the other.
void renderTrends(Output& out, const TEcgSynthesizer& stress)
{
    PlotPointList heartRate;
    PlotPointList rr;
    PlotPointList stageRate;
    PlotPointList stLevel;
    const QVector<TSynthBeat>& beats = stress.beats();
    double windowStart = 0.0;
    double sum = 0.0;
    int n = 0;
    for (int i = 1; i < beats.size(); ++i) {
        const double t = beats[i].rTime;
        const double interval = t - beats[i - 1].rTime;
        if (beats[i].ventricular || beats[i - 1].ventricular)
            continue;
        rr.append(t, interval * 1000.0);
        sum += 60.0 / interval;
        ++n;
        if (t - windowStart >= 10.0) {
            heartRate.append(t, sum / n);
            stLevel.append(t, stress.stDeviationMv()[TLeadTable::V5] * 10.0);
            windowStart = t;
            sum = 0.0;
            n = 0;
        }
    }
    // Heart rate per 2-minute stage.
    for (double stage = 0.0; stage < stress.params().durationSeconds; stage += 120.0) {
        double s = 0.0;
        int k = 0;
        for (int i = 0; i < heartRate.count(); ++i)
            if (heartRate.x(i) >= stage && heartRate.x(i) < stage + 120.0) {
                s += heartRate.y(i);
                ++k;
            }
        if (k > 0)
            stageRate.append(stage + 60.0, s / k);
    }

    struct Plot
    {
        const PlotDataSource* source;
        QString title;
        int type;
        QString yFormat;
        QColor color;
    };
    const Plot plots[] = {{&heartRate, QStringLiteral("HR"), QPlotGraphic::Line, QStringLiteral("%g"), Qt::darkRed},
                          {&rr, QStringLiteral("RR [ms]"), QPlotGraphic::Points, QStringLiteral("%g"), Qt::darkBlue},
                          {&stageRate, QStringLiteral("HR per stage"), QPlotGraphic::Bars, QStringLiteral("%.0f"),
                           Qt::darkGreen},
                          {&stLevel, QStringLiteral("ST [V5]"), QPlotGraphic::Steps, QStringLiteral("%g"),
                           Qt::black}};
    const QSize plotSize(900, 200);
    QImage sheet = newImage(QSize(plotSize.width(), plotSize.height() * 4));
    sheet.fill(Qt::white);
    QPainter painter(&sheet);
    int row = 0;
    for (const Plot& p : plots) {
        QPlotGraphic plot;
        plot.resize(plotSize);
        plot.show();
        plot.setSource(p.source);
        plot.setTitle(p.title);
        plot.setPlotType(p.type);
        plot.setColor(p.color);
        plot.setXFormat(QStringLiteral("mm:ss"));
        plot.setYFormat(p.yFormat);
        plot.autoRange();
        plot.setSelectable(true);
        // Stage 3 highlighted, as the review window does when a stage is chosen.
        plot.setHighlight(0, 240.0, 360.0, QColor(0, 0, 0, 20));
        if (row == 1)
            plot.setMarkerMode(true);
        plot.setSelectedValue(300.0);
        QImage image = newImage(plotSize);
        plot.render(image);
        painter.drawImage(0, row * plotSize.height(), image);
        ++row;
    }
    painter.end();
    out.save(sheet, QStringLiteral("trends.png"));
}

} // namespace

int main(int argc, char** argv)
{
    // Pictures need no screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() != 1 || args[0].startsWith(QLatin1Char('-'))) {
        std::fprintf(stderr,
                     "Usage: render-displays OUTPUT_FOLDER\n\n"
                     "Renders the live monitor display, the browse display, the beat display and the trend\n"
                     "plots with the demo recording (ecg500.dat, looked up as the demo device does) and a\n"
                     "synthesized stress test, in every colour scheme, into PNG files at 96 dpi.\n");
        return 2;
    }
    if (!QDir().mkpath(args[0])) {
        std::fprintf(stderr, "render-displays: cannot create %s\n", qPrintable(args[0]));
        return 1;
    }
    Output out(args[0]);

    // The demo recording and its ground truth.
    const QString recordingPath = TDemoAcqDevice::resolveFileName(QString::fromLatin1(TDemoAcqDevice::DefaultFileName));
    const TEcgSynthesizer demoSynth(demoParams());
    QString error;
    const double liveSeconds = 25.0;
    auto live = RecordingLoader::fromFile(recordingPath, 0.0, liveSeconds, demoParams().gainMv, &error);
    if (!live) {
        std::fprintf(stderr, "render-displays: %s\n", qPrintable(error));
        return 1;
    }
    const bool truthKnown = matchesRecording(demoSynth, *live);
    if (!truthKnown)
        std::fprintf(stderr, "render-displays: %s is not the synthesized demo recording; no beats shown\n",
                     qPrintable(recordingPath));
    const TruthBeats demoTruth(demoSynth.beats(), 0.0);

    StoredAverageBeats demoAverage(400, 500, live->valueStep());
    demoTruth.average(*live, 0.0, 20.0, demoAverage, true);
    demoTruth.average(*live, liveSeconds - 20.0, liveSeconds, demoAverage, false);
    TruthMarkProvider demoMarks(demoAverage, demoTruth.meanQrsOnset(0.0, 20.0), demoTruth.meanQrsEnd(0.0, 20.0));
    renderMonitor(out, QStringLiteral("monitor"), *live, truthKnown ? &demoAverage : nullptr,
                  truthKnown ? &demoMarks : nullptr);
    renderWaiting(out);

    auto recorded = RecordingLoader::fromFile(recordingPath, 0.0, 60.0, demoParams().gainMv, &error);
    if (!recorded) {
        std::fprintf(stderr, "render-displays: %s\n", qPrintable(error));
        return 1;
    }
    TMemoryBeatStore demoBeats;
    if (truthKnown)
        demoTruth.fillStore(demoBeats, 0.0, 60.0);
    StoredAverageBeats recordedAverage(400, 500, recorded->valueStep());
    demoTruth.average(*recorded, 0.0, 20.0, recordedAverage, false);
    renderBrowse(out, *recorded, demoBeats, recordedAverage, demoTruth.meanQrsOnset(0.0, 20.0), 25.0);
    renderBrowse(out, *recorded, demoBeats, recordedAverage, demoTruth.meanQrsOnset(0.0, 20.0), 12.5);
    renderBeat(out, recordedAverage, demoTruth, false);
    renderBeat(out, recordedAverage, demoTruth, true);

    // The synthesized stress test: ST depression at peak exercise against the
    // rest-stage reference beat, and the trends of the whole test.
    const TEcgSynthesizer stress(stressParams(-0.15));
    const TEcgSynthesizer rest(stressParams(0.0));
    const double peakStart = 560.0;
    auto peak = RecordingLoader::fromSynthesizer(stress, peakStart, liveSeconds);
    auto resting = RecordingLoader::fromSynthesizer(rest, 0.0, 20.0);
    const TruthBeats peakTruth(stress.beats(), peakStart);
    const TruthBeats restTruth(rest.beats(), 0.0);
    StoredAverageBeats stressAverage(400, 500, peak->valueStep());
    restTruth.average(*resting, 0.0, 20.0, stressAverage, true);
    peakTruth.average(*peak, liveSeconds - 20.0, liveSeconds, stressAverage, false);
    TruthMarkProvider stressMarks(stressAverage, peakTruth.meanQrsOnset(5.0, 25.0), peakTruth.meanQrsEnd(5.0, 25.0));
    renderMonitor(out, QStringLiteral("monitor-stress"), *peak, &stressAverage, &stressMarks);

    // A horse at 25/min: the inset holds the whole cycle of its slow rate.
    const TEcgSynthesizer horse(horseParams());
    auto horseSignal = RecordingLoader::fromSynthesizer(horse, 0.0, liveSeconds);
    const TruthBeats horseTruth(horse.beats(), 0.0);
    const TBeatAverager::Template horseTemplate =
        TBeatAverager::templateFor(horseTruth.meanRR(5.0, liveSeconds), horseSignal->samplingRate());
    StoredAverageBeats horseAverage(horseTemplate.length, horseSignal->samplingRate(), horseSignal->valueStep(),
                                    horseTemplate.rIndex);
    horseTruth.average(*horseSignal, 5.0, liveSeconds, horseAverage, false);
    renderMonitor(out, QStringLiteral("monitor-horse"), *horseSignal, &horseAverage, nullptr);
    renderTrends(out, stress);

    return out.failed() ? 1 : 0;
}
