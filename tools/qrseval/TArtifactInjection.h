#pragma once

#include "TSignalDisturbance.h"

#include <QString>
#include <QVector>

// The disturbances of a recording beside an animal: bursts of saturated or
// large random values (a cable tug), an electrode that pops (a step to the
// rails and an exponential return), an electrode off (a flat line) and its
// return, a baseline jump there and back, strong muscle noise. Placed at
// seeded times on one lead, some or all, each followed by clean signal.
class TArtifactInjection : public TSignalDisturbance
{
public:
    enum Kind
    {
        Burst,
        Pop,
        Flat,
        Jump,
        Muscle,
        KindCount
    };

    struct Event
    {
        Kind kind = Burst;
        double start = 0.0; // seconds
        double end = 0.0;
        quint32 channels = 0; // bit c: channel c is disturbed
        int sign = 1;         // of a pop or a jump
    };

    // Events over a record of the given length and channel count: the first
    // after firstSeconds, each next one a seeded 25 to 45 s after the last ends.
    // rails: the record's full scale, millivolts either side of 0.
    TArtifactInjection(quint64 seed, double rate, double seconds, int channels, double railMv,
                       double firstSeconds = 60.0);
    // These events, no others.
    TArtifactInjection(quint64 seed, double rate, int channels, double railMv, QVector<Event> events);

    const QVector<Event>& events() const { return m_events; }
    bool disturbsAll(const Event& e) const;

    void apply(int channel, qint64 first, int count, double* mv) const override;

    static QString kindName(Kind kind);
    // Durations the events take in turn, 0.2 s to 30 s.
    static const QVector<double>& durations();

private:
    double noise(const Event& e, int channel, qint64 index) const;
    double gaussian(const Event& e, int channel, qint64 index) const;

    quint64 m_seed;
    double m_rate;
    int m_channels;
    double m_rail;
    QVector<Event> m_events;
};
