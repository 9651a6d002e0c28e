#pragma once

// A stress or tilt test recorded in the test from the demo recording through
// the recording engine, into a new study of a study store: its stages run by
// their durations, blood pressure entered in every stage, a stage event at the
// end of every stage as the stress monitor window adds them, and the study
// stopped and stored as the window stores it.

#include "../stress/RecorderTestRig.h"

#include "TAcquisitionFields.h"
#include "TDemoAcqDevice.h"
#include "TLocalStudyStore.h"
#include "TQuickPatient.h"
#include "TStudy.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QtEndian>

#include <functional>

namespace StressDemoStudy {

// The demo recording's frames of the given lead-table leads, repeated from its
// start where it is shorter than seconds; empty when the file is not there.
inline std::vector<std::vector<qint16>> demoLeads(double seconds, const QList<int>& leads)
{
    QFile file(TDemoAcqDevice::resolveFileName(QString::fromLatin1(TDemoAcqDevice::DefaultFileName)));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const int fileChannels = 14;
    const QByteArray bytes = file.readAll();
    const int fileFrames = bytes.size() / (fileChannels * 2);
    const int frames = int(seconds * 500);
    if (fileFrames == 0)
        return {};
    std::vector<std::vector<qint16>> out(size_t(leads.size()), std::vector<qint16>(size_t(frames)));
    const qint16* values = reinterpret_cast<const qint16*>(bytes.constData());
    for (int f = 0; f < frames; ++f)
        for (int c = 0; c < leads.size(); ++c)
            out[size_t(c)][size_t(f)] = qFromLittleEndian(values[(f % fileFrames) * fileChannels + leads[c]]);
    return out;
}

// A protocol of short stages: rest, exercise stages of rising speed, recovery.
inline TProtocol shortTreadmill(int exerciseStages = 3, double stageSeconds = 12.0)
{
    TProtocol p;
    p.setName("Short");
    p.setType(TProtocol::Treadmill);
    p.appendStage(TProtocolStage::Rest, stageSeconds, 0.0, 0.0);
    for (int i = 0; i < exerciseStages; ++i)
        p.appendStage(TProtocolStage::Exercise, stageSeconds, 4.0 + 2.0 * i, 5.0 * i);
    p.appendStage(TProtocolStage::Recovery, stageSeconds, 2.0, 0.0);
    return p;
}

// The tilt test's shape in short: basal, then control stages.
inline TProtocol shortTilt(int controlStages = 3, double stageSeconds = 12.0)
{
    TProtocol p;
    p.setName("Tilt test");
    p.setType(TProtocol::TiltTest);
    TProtocolStage& basal = p.insertStage(0);
    basal.setPhase(TProtocolStage::Rest);
    basal.setDuration(stageSeconds);
    for (int i = 0; i < controlStages; ++i) {
        TProtocolStage& stage = p.insertStage(p.stageCount());
        stage.setPhase(TProtocolStage::Recovery);
        stage.setDuration(stageSeconds);
    }
    return p;
}

// The blood pressure entered in stage k (systolic 0: none).
using PressureOfStage = std::function<QPair<int, int>(int)>;

inline QPair<int, int> risingPressure(int k)
{
    return QPair<int, int>(120 + 10 * k, 80 + 2 * k);
}

// Records the whole protocol from these samples (one vector per lead of leads, at
// 500 per second, a second longer than the protocol) into a new study of store;
// null when the engine did not take the frames. bp gives the pressure entered in
// stage k.
inline TStudy* recordSamples(TLocalStudyStore& store, const TProtocol& protocol, const TQuickPatient& patient,
                             const std::vector<std::vector<qint16>>& samples, const QList<int>& leads,
                             const PressureOfStage& bp = risingPressure)
{
    const double seconds = protocol.totalDuration();
    if (samples.size() != size_t(leads.size()) || samples.empty() || samples[0].size() < size_t(seconds * 500) + 250)
        return nullptr;
    RecorderTest::ScriptedDevice device(leads);
    TStudyRecord newStudy = TStudyRecord::newStudy(TStudyRecord::StressTest, patient,
                                                   QString::fromUtf8(protocol.name()),
                                                   QDateTime(QDate(2026, 3, 14), QTime(10, 5, 0)));
    newStudy.acquisition = TAcquisitionFields::fromDevice(device);
    TStudy* study = store.saveNewStudy(newStudy);
    {
        TStudyRecorder recorder(&device, study, &protocol, nullptr);
        recorder.startAcquisition();
        recorder.start(QStringLiteral("20260314100500"));
        const int total = int(seconds * 500) + 250;
        int bpStage = -1;
        for (int done = 0; done < total;) {
            const int n = std::min(250, total - done);
            if (!RecorderTest::pushTaken(device, recorder,
                                         RecorderTest::frames(device.channelCount(), done, n, [&](int c, int f) {
                                             return int(samples[size_t(c)][size_t(f)]);
                                         })))
                return nullptr;
            done += n;
            // A reading two thirds into every stage.
            const int k = recorder.stageIndex();
            const double t = recorder.recordingTime();
            if (k != bpStage && t - recorder.stageStart() >= protocol.stage(k).duration() * 2.0 / 3.0) {
                const QPair<int, int> pressure = bp(k);
                if (pressure.first > 0)
                    recorder.addBP(pressure.first, pressure.second, t - 1.0);
                bpStage = k;
            }
        }
        recorder.stop();
        recorder.stopAcquisition();
    }
    // The stage events the monitor window adds: the last 11 s of every stage.
    const TProtocol& executed = *study->protocol();
    const bool tilt = executed.type() == TProtocol::TiltTest;
    for (int k = 0; k < executed.stageCount(); ++k) {
        TStudyEvent event;
        event.description = QStringLiteral("Stage %1 end").arg(k + 1);
        event.position = std::max(0.0, executed.stageEndTime(k) - 11.0);
        event.duration = 11.0;
        event.print = !tilt;
        study->record().events.append(event);
    }
    store.updateStudy(study->record());
    return study;
}

// The same from the demo recording (leads of the lead table; the launcher's seven
// by default); null also when the demo recording is missing.
inline TStudy* record(TLocalStudyStore& store, const TProtocol& protocol, const TQuickPatient& patient,
                      const QList<int>& leads = TLeadTable::selectedLeads(TLeadTable::DefaultChannelMask),
                      const PressureOfStage& bp = risingPressure)
{
    const std::vector<std::vector<qint16>> samples = demoLeads(protocol.totalDuration() + 1.0, leads);
    if (samples.empty())
        return nullptr;
    return recordSamples(store, protocol, patient, samples, leads, bp);
}

} // namespace StressDemoStudy
