#pragma once

#include <QString>
#include <QtGlobal>
#include <functional>
#include <memory>
#include <vector>

class TEcgSynthesizer;

// Where the recorder simulator takes its signal from: the 14 lead-table leads
// as 16-bit codes on a full-scale range of gainMv.
class TRecorderSignalSource
{
public:
    virtual ~TRecorderSignalSource() = default;
    virtual double gainMv() const = 0;
    // The codes of frame index of a stream at frameRate frames per second.
    virtual void frame(qint64 index, int frameRate, qint16* leads) = 0;
};

// A source of 500 samples per second; a faster stream gets the samples in
// between by linear interpolation.
class TSampledSignalSource : public TRecorderSignalSource
{
public:
    static constexpr int SamplingRate = 500;
    void frame(qint64 index, int frameRate, qint16* leads) override;

protected:
    // The codes of sample k (k >= 0).
    virtual void sample(qint64 k, qint16* leads) = 0;
};

// Loops over a recording in the demo format (frames of 14 little-endian codes,
// no header), read in chunks: the file is never held whole in memory.
class TRecordingSignalSource : public TSampledSignalSource
{
public:
    // Throws TException("Cannot open file").
    TRecordingSignalSource(const QString& path, double gainMv = 300.0);
    ~TRecordingSignalSource() override;
    double gainMv() const override { return m_gain; }
    qint64 frameCount() const { return m_frames; }

protected:
    void sample(qint64 k, qint16* leads) override;

private:
    struct File;
    std::unique_ptr<File> m_file;
    double m_gain;
    qint64 m_frames = 0;
    qint64 m_chunkStart = -1;
    std::vector<qint16> m_chunk;
};

// A synthesized ECG (see ecg-synth), rendered in chunks.
class TSynthSignalSource : public TSampledSignalSource
{
public:
    // The synthesizer's parameters are forced to 500 per second and a loop.
    TSynthSignalSource(double heartRate, quint64 seed, double gainMv);
    ~TSynthSignalSource() override;
    double gainMv() const override;

protected:
    void sample(qint64 k, qint16* leads) override;

private:
    std::unique_ptr<TEcgSynthesizer> m_synth;
    qint64 m_chunkStart = -1;
    std::vector<qint16> m_chunk;
};

// Codes from a function, for tests that need to know every value.
class TFunctionSignalSource : public TRecorderSignalSource
{
public:
    using Function = std::function<void(qint64 index, int frameRate, qint16* leads)>;
    TFunctionSignalSource(double gainMv, Function function) : m_gain(gainMv), m_function(std::move(function)) {}
    double gainMv() const override { return m_gain; }
    void frame(qint64 index, int frameRate, qint16* leads) override { m_function(index, frameRate, leads); }

private:
    double m_gain;
    Function m_function;
};
