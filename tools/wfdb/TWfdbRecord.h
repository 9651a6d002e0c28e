#pragma once

#include <QString>
#include <QStringList>
#include <QVector>
#include <QtGlobal>

// One signal of a WFDB record, as its header line describes it.
struct TWfdbSignal
{
    QString fileName;
    int format = 0;         // 212 or 16
    double gain = 200.0;    // ADC units per millivolt
    int baseline = 0;       // ADC value of 0 mV
    int adcZero = 0;
    int initialValue = 0;
    int resolution = 12;    // ADC bits
    QString description;    // lead name
};

// A WFDB record (header and signal file) of a PhysioNet database, read whole
// into ADC units. Only signal formats 212 and 16 in one shared signal file are
// read; anything else is refused with a message.
class TWfdbRecord
{
public:
    // Reads RECORD.hea and its signal file; RECORD is a path without extension.
    // Returns false with a message in error on any failure.
    bool read(const QString& recordPath, QString* error);
    // Reads RECORD.hea only: everything but the samples.
    bool readHeaderOnly(const QString& recordPath, QString* error);

    QString name() const { return m_name; }
    int signalCount() const { return m_signals.size(); }
    double samplingRate() const { return m_rate; }
    qint64 sampleCount() const { return m_sampleCount; }
    const TWfdbSignal& signal(int i) const { return m_signals[i]; }
    // Sample of signal s at index i, in ADC units.
    int adc(int s, qint64 i) const { return m_samples[int(i * m_signals.size() + s)]; }
    // The same in millivolts.
    double millivolts(int s, qint64 i) const
    {
        return (adc(s, i) - m_signals[s].baseline) / m_signals[s].gain;
    }
    // The smaller distance from 0 mV to either end of signal s's ADC range.
    double railMillivolts(int s) const;

private:
    bool readHeader(const QString& path, QString* error);
    bool readSignals(const QString& path, QString* error);

    QString m_name;
    double m_rate = 250.0;
    qint64 m_sampleCount = 0;
    QVector<TWfdbSignal> m_signals;
    QVector<int> m_samples; // interleaved frames
};
