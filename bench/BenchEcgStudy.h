#pragma once

// A resting ECG study of a synthesized 12-lead recording at 110 per minute,
// with the synthesizer's beats as the detector would have stored them, for the
// report benchmarks.

#include "TBeat.h"
#include "TBeatStore.h"
#include "TEcgSynthesizer.h"
#include "TLeadTable.h"
#include "TRingSignalBuffer.h"
#include "TStudy.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace BenchEcgStudy {

// The command line of the report benchmarks: [RUNS] [FLAG], in either order.
struct Arguments
{
    int runs = 10;
    bool flag = false;
};

inline Arguments arguments(int argc, char** argv, const char* flag)
{
    Arguments out;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], flag) == 0)
            out.flag = true;
        else
            out.runs = std::max(1, std::atoi(argv[i]));
    }
    return out;
}

constexpr int Leads = 12;
constexpr int Rate = 500;

// seconds of recording; an event marked for printing at each of eventTimes.
inline std::unique_ptr<TStudy> synthetic(double seconds, const std::vector<double>& eventTimes)
{
    TSynthParams params;
    params.seed = 19;
    params.durationSeconds = seconds;
    params.heartRateStart = params.heartRateEnd = 110.0;
    const TEcgSynthesizer synth(params);

    auto signal = std::make_unique<TIntSignalBuffer>(4096, int(seconds) * Rate, Leads, Rate);
    signal->setResolution(16);
    signal->setGain(-params.gainMv, params.gainMv);
    for (int i = 0; i < Leads; ++i)
        signal->channel(i)->setName(TLeadTable::leadName(i));
    const int frames = int(seconds) * Rate;
    std::vector<qint16> all(size_t(frames) * TEcgSynthesizer::LeadCount);
    synth.render(0, frames, all.data());
    std::vector<qint16> twelve(size_t(frames) * Leads);
    for (int f = 0; f < frames; ++f)
        for (int c = 0; c < Leads; ++c)
            twelve[size_t(f) * Leads + size_t(c)] = all[size_t(f) * TEcgSynthesizer::LeadCount + size_t(c)];
    signal->append(twelve.data(), int(twelve.size() * 2));

    // The synthesizer's beats, as the detector would have stored them.
    auto beats = std::make_unique<TMemoryBeatStore>();
    double previous = 0.0;
    for (const TSynthBeat& b : synth.beats()) {
        TBeat beat(beats->count(), signal.get());
        beat.setValue(TBeat::Time, b.rTime);
        if (previous > 0.0) {
            beat.setValue(TBeat::RR, b.rTime - previous);
            beat.setValue(TBeat::MeanRR, 60.0 / 110.0);
        }
        for (int c = 0; c < Leads; ++c) {
            beat.setLeadValue(c, TBeat::Fiducial, b.rTime);
            beat.setLeadValue(c, TBeat::DetectionFlag, 1.0);
        }
        previous = b.rTime;
        beats->append(beat);
    }

    TStudyRecord record;
    record.setProperty(QStringLiteral("studyType"), QStringLiteral("ECG"));
    record.setProperty(QStringLiteral("studyDateTime"), QStringLiteral("20260314092653"));
    record.setPatientProperty(QStringLiteral("lastName"), QStringLiteral("Bench"));
    record.setPatientProperty(QStringLiteral("firstName"), QStringLiteral("Rex"));
    for (double at : eventTimes) {
        TStudyEvent event;
        event.description = QStringLiteral("Event at %1 s").arg(at);
        event.position = at;
        event.duration = 7.0;
        event.print = true;
        record.events.append(event);
    }
    return std::make_unique<TStudy>(record, std::move(signal), std::move(beats));
}

} // namespace BenchEcgStudy
