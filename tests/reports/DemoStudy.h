#pragma once

// A resting ECG recorded in the test from the demo recording through the
// recording engine, into a new study of a study store, with its beats and the
// measurement of its average beat stored as the monitor window stores it at Stop.

#include "../stress/RecorderTestRig.h"

#include "TAcquisitionFields.h"
#include "TDemoAcqDevice.h"
#include "TLocalStudyStore.h"
#include "TQuickPatient.h"
#include "TRestingMeasurement.h"
#include "TStudy.h"

#include <QDateTime>
#include <QFile>
#include <QtEndian>

namespace DemoStudy {

// The demo recording's frames of the launcher's seven leads; empty when the file
// is not there.
inline std::vector<std::vector<qint16>> demoLeads(double seconds)
{
    QFile file(TDemoAcqDevice::resolveFileName(QString::fromLatin1(TDemoAcqDevice::DefaultFileName)));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const int fileChannels = 14;
    const QByteArray bytes = file.read(qint64(seconds * 500) * fileChannels * 2);
    const QList<int> leads = TLeadTable::selectedLeads(TLeadTable::DefaultChannelMask);
    const int frames = bytes.size() / (fileChannels * 2);
    std::vector<std::vector<qint16>> out(size_t(leads.size()), std::vector<qint16>(size_t(frames)));
    const qint16* values = reinterpret_cast<const qint16*>(bytes.constData());
    for (int f = 0; f < frames; ++f)
        for (int c = 0; c < leads.size(); ++c)
            out[size_t(c)][size_t(f)] = qFromLittleEndian(values[f * fileChannels + leads[c]]);
    return out;
}

// Records seconds of the demo recording into a new study of store; null when
// the demo recording is missing or the engine did not take the frames.
inline TStudy* record(TLocalStudyStore& store, double seconds, const TQuickPatient& patient)
{
    const std::vector<std::vector<qint16>> leads = demoLeads(seconds);
    if (leads.empty() || leads[0].size() < size_t(seconds * 500))
        return nullptr;
    RecorderTest::ScriptedDevice device;
    TStudyRecord newStudy =
        TStudyRecord::newStudy(TStudyRecord::Ecg, patient, QString(), QDateTime(QDate(2026, 3, 14), QTime(9, 26, 53)));
    newStudy.acquisition = TAcquisitionFields::fromDevice(device);
    TStudy* study = store.saveNewStudy(newStudy);
    {
        TStudyRecorder recorder(&device, study, nullptr, nullptr);
        recorder.startAcquisition();
        recorder.start(QStringLiteral("20260314092653"));
        const int total = int(leads[0].size());
        for (int done = 0; done < total;) {
            const int n = std::min(250, total - done);
            if (!RecorderTest::pushTaken(device, recorder,
                                         RecorderTest::frames(device.channelCount(), done, n, [&](int c, int f) {
                                             return int(leads[size_t(c)][size_t(f)]);
                                         })))
                return nullptr;
            done += n;
        }
        TRestingMeasurement::endRecording(recorder, *study);
    }
    store.updateStudy(study->record());
    return study;
}

} // namespace DemoStudy
