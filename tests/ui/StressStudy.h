#pragma once

// A stress test recorded in the test through the recording engine, faster than
// real time: synthesized ECG at a set rate into a new study of a study store,
// stages advancing by their durations, blood pressures given at set times.

#include "RecorderTestRig.h"

#include "TAcquisitionFields.h"
#include "TEcgSynthesizer.h"
#include "TLocalStudyStore.h"
#include "TQuickPatient.h"
#include "TStudy.h"
#include "TStudyRecorder.h"

#include <QDateTime>

#include <vector>

namespace StressStudy {

struct Pressure
{
    double time;
    int systolic;
    int diastolic;
};

// Null when the engine did not take the frames.
inline TStudy* record(TLocalStudyStore& store, const TProtocol& planned, double seconds, double rate,
                      const std::vector<Pressure>& pressures = {})
{
    RecorderTest::ScriptedDevice device;
    TQuickPatient patient;
    patient.lastName = QStringLiteral("Rex");
    patient.firstName = QStringLiteral("Fido");
    patient.age = QStringLiteral("6");
    patient.sex = QStringLiteral("M");
    TStudyRecord newStudy = TStudyRecord::newStudy(TStudyRecord::StressTest, patient,
                                                   QString::fromUtf8(planned.name()),
                                                   QDateTime(QDate(2026, 11, 2), QTime(10, 15, 0)));
    newStudy.acquisition = TAcquisitionFields::fromDevice(device);
    newStudy.setPatientProperty(QStringLiteral("weight"), QStringLiteral("30"));
    TStudy* study = store.saveNewStudy(newStudy);

    TSynthParams params;
    params.seed = 5;
    params.durationSeconds = seconds + 1.0;
    params.heartRateStart = params.heartRateEnd = rate;
    const TEcgSynthesizer synth(params);
    const int channels = device.channelCount();
    {
        TStudyRecorder recorder(&device, study, &planned, nullptr);
        recorder.startAcquisition();
        recorder.start(QStringLiteral("20261102101500"));
        const int total = int(seconds * 500);
        std::vector<qint16> all(size_t(250) * TEcgSynthesizer::LeadCount);
        size_t nextPressure = 0;
        for (int done = 0; done < total;) {
            const int n = std::min(250, total - done);
            synth.render(done, n, all.data());
            device.push(RecorderTest::frames(channels, 0, n, [&](int c, int f) {
                return int(all[size_t(f * TEcgSynthesizer::LeadCount + c)]);
            }));
            const int target = recorder.rawSignal()->length() + n;
            if (!waitProcessingEvents([&] { return recorder.rawSignal()->length() >= target; }, 20000))
                return nullptr;
            done += n;
            while (nextPressure < pressures.size() && pressures[nextPressure].time <= recorder.recordingTime()) {
                const Pressure& p = pressures[nextPressure++];
                recorder.addBP(p.systolic, p.diastolic, p.time);
            }
        }
        recorder.stop();
        recorder.stopAcquisition();
    }
    store.updateStudy(study->record());
    return study;
}

} // namespace StressStudy
