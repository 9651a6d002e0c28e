#pragma once

#include "TestWait.h"

// A recording engine over a scripted device, an in-memory study and listeners
// that log what they are told: the tests feed blocks through the driver's
// worker and the event loop as a recorder would.

#include "TBeat.h"
#include "TBeatAverager.h"
#include "TBeatStore.h"
#include "TException.h"
#include "TExerciseEquipment.h"
#include "TLeadTable.h"
#include "TProtocol.h"
#include "TQtAcqDriver.h"
#include "TQueuedAcqDevice.h"
#include "TRecorderListener.h"
#include "TRingSignalBuffer.h"
#include "TStudy.h"
#include "TStudyRecorder.h"

#include <QStringList>
#include <atomic>
#include <deque>
#include <functional>
#include <initializer_list>
#include <memory>
#include <mutex>
#include <vector>

namespace RecorderTest {

// Delivers exactly the frames the test pushes, named after the lead table's
// first leads (or the launcher's seven).
class ScriptedDevice : public TQueuedAcqDevice
{
public:
    explicit ScriptedDevice(QList<int> leads = TLeadTable::selectedLeads(TLeadTable::DefaultChannelMask))
        : m_leads(leads)
    {
    }

    void start() override {}
    bool isOk() override { return true; }
    void stop() override {}
    int nextPacemakerPulse() override
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_pulses.empty())
            return 0;
        const int p = m_pulses.front();
        m_pulses.pop_front();
        return p;
    }
    bool isChannelSaturated(int lead) override { return lead == saturatedLead.load(); }
    bool isElectrodeOff(const char* electrode) override
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        electrodesAsked.append(QString::fromLatin1(electrode));
        return offElectrodes.contains(QString::fromLatin1(electrode));
    }
    const char* errorString() override { return ""; }
    double batteryLevel() override { return battery.load(); }
    int channelCount() override { return m_leads.size(); }
    const char* channelName(int channel) override { return TLeadTable::leadName(m_leads.value(channel, -1)); }
    int samplingRate() override { return 500; }
    int sampleSize() override { return 2; }
    int resolution() override { return 16; }
    double gainMin() override { return -300.0; }
    double gainMax() override { return 300.0; }

    void push(const std::vector<qint16>& frames)
    {
        m_queue.append(reinterpret_cast<const char*>(frames.data()), int(frames.size() * sizeof(qint16)));
    }
    void addPulse(int offset)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_pulses.push_back(offset);
    }

    std::atomic<double> battery{0.0};
    std::atomic<int> saturatedLead{-1};
    QStringList offElectrodes;  // set before the driver runs
    QStringList electrodesAsked;

private:
    QList<int> m_leads;
    std::mutex m_mutex;
    std::deque<int> m_pulses;
};

// Every call in order, as "name" or "name=value", with failures on demand.
class FakeEquipment : public TExerciseEquipment
{
public:
    bool isOk() override { return ok.load(); }
    bool start() override { return log("start", failStart); }
    bool stop() override { return log("stop", failStop); }
    bool apply() override { return log("apply", false); }
    bool setValue(const QString& name, double value) override
    {
        return log(QStringLiteral("%1=%2").arg(name).arg(value), failSetValue);
    }

    QStringList calls;
    std::atomic<bool> ok{true}; // what isOk() answers
    bool failStart = false;
    bool failStop = false;
    bool failSetValue = false;

private:
    bool log(const QString& call, bool fail)
    {
        calls.append(call);
        return !fail;
    }
};

// A recording whose appends throw while told to, like a full disk.
class FailingRecording : public TIntSignalBuffer
{
public:
    FailingRecording(int channels) : TIntSignalBuffer(4096, 1 << 21, channels, 500) {}
    void appendChannels(const qint16* const* channels, int count) override
    {
        if (failing)
            throw TException("Write error");
        TIntSignalBuffer::appendChannels(channels, count);
    }
    bool failing = false;
};

class FailingBeatStore : public TMemoryBeatStore
{
public:
    void append(const TBeat& beat) override
    {
        if (failing)
            throw TException("Write error");
        TMemoryBeatStore::append(beat);
    }
    bool failing = false;
};

// Logs every notification as "<id>:<what>".
class LogListener : public TRecorderListener
{
public:
    LogListener(QString id, QStringList* log) : m_id(std::move(id)), m_log(log) {}

    void update(TStudyRecorder*) override { add(QStringLiteral("update")); }
    void beat(TStudyRecorder* r, const TBeat& b, const TBeatRecord*, int) override
    {
        beats.push_back(b);
        heartRates.push_back(r->heartRate());
        add(QStringLiteral("beat"));
    }
    void started(TStudyRecorder*) override { add(QStringLiteral("started")); }
    void stageChanged(TStudyRecorder* r) override
    {
        stageTimes.push_back(r->recordingTime());
        add(QStringLiteral("stageChanged"));
    }
    void stopped(TStudyRecorder*) override { add(QStringLiteral("stopped")); }
    void message(TStudyRecorder*, const QString& text) override
    {
        messages.append(text);
        add(QStringLiteral("message"));
    }

    std::vector<TBeat> beats;
    std::vector<double> heartRates;
    std::vector<double> stageTimes;
    QStringList messages;

private:
    void add(const QString& what)
    {
        if (m_log)
            m_log->append(m_id + QLatin1Char(':') + what);
    }

    QString m_id;
    QStringList* m_log;
};

// Every lead of the table, as the synthesizer delivers them.
inline QList<int> allLeads()
{
    return TLeadTable::selectedLeads(TLeadTable::AllLeadsMask);
}

struct Stage
{
    int phase;
    double duration;
    double speed;   // or the workload of an ergometer stage
    double incline;
};

inline TProtocol protocolOf(int type, std::initializer_list<Stage> stages)
{
    TProtocol p;
    p.setName("Test");
    p.setType(type);
    for (const Stage& s : stages) {
        if (type == TProtocol::Ergometer) {
            TProtocolStage& st = p.insertStage(p.stageCount());
            st = TProtocolStage();
            st.setPhase(s.phase);
            st.setDuration(s.duration);
            st.setValue(QStringLiteral("workload"), s.speed);
        } else {
            p.appendStage(s.phase, s.duration, s.speed, s.incline);
        }
    }
    return p;
}

// Treadmill exercise stages of the given durations.
inline TProtocol exercise(std::initializer_list<double> durations)
{
    TProtocol p;
    p.setName("Test");
    p.setType(TProtocol::Treadmill);
    for (double d : durations)
        p.appendStage(TProtocolStage::Exercise, d, 3.0, 5.0);
    return p;
}

// frames frames whose value at channel c of frame f is value(c, first + f).
inline std::vector<qint16> frames(int channels, int first, int count, const std::function<int(int, int)>& value)
{
    std::vector<qint16> data(size_t(count) * size_t(channels));
    for (int f = 0; f < count; ++f)
        for (int c = 0; c < channels; ++c)
            data[size_t(f) * size_t(channels) + size_t(c)] = qint16(value(c, first + f));
    return data;
}

// Pushes whole frames through the device and waits until the recorder has
// taken them; false after 20 s without.
inline bool pushTaken(ScriptedDevice& device, TStudyRecorder& recorder, const std::vector<qint16>& data)
{
    const int target = recorder.rawSignal()->length() + int(data.size()) / device.channelCount();
    device.push(data);
    return waitProcessingEvents([&] { return recorder.rawSignal()->length() >= target; }, 20000);
}

// A distinct value for every frame and channel, wrapping in 16 bits.
inline int pattern(int channel, int frame)
{
    return int(qint16((frame * 7 + channel * 1000) & 0x7fff)) - 16384;
}

struct Rig
{
    explicit Rig(const TProtocol* protocol, TExerciseEquipment* equipment = nullptr,
                 std::unique_ptr<TSignalBuffer> recording = nullptr, std::unique_ptr<TBeatStore> beats = nullptr,
                 QList<int> leads = TLeadTable::selectedLeads(TLeadTable::DefaultChannelMask))
        : device(leads)
    {
        const int channels = leads.size();
        if (!recording)
            recording = std::make_unique<TIntSignalBuffer>(4096, 1 << 21, channels, 500);
        if (!beats)
            beats = std::make_unique<TMemoryBeatStore>();
        study = std::make_unique<TStudy>(TStudyRecord(), std::move(recording), std::move(beats));
        recorder = std::make_unique<TStudyRecorder>(&device, study.get(), protocol, equipment);
        recorder->addListener(&listener);
        recorder->startAcquisition();
    }
    ~Rig() { recorder->stopAcquisition(); }

    int channels() { return device.channelCount(); }
    int delivered() const { return recorder->rawSignal()->length(); }

    // Pushes count frames (at most 2500, at least 51: one block) of value and
    // waits until the driver has delivered them.
    bool feed(int count, const std::function<int(int, int)>& value = [](int, int) { return 0; })
    {
        return push(frames(channels(), delivered(), count, value));
    }
    // Pushes whole frames and waits until the driver has delivered them.
    bool push(const std::vector<qint16>& data)
    {
        const int target = delivered() + int(data.size()) / channels();
        device.push(data);
        return waitProcessingEvents([&] { return delivered() >= target; }, 30000) && delivered() == target;
    }
    // Frames [first, end) of a synthesizer in blocks of blockFrames; a last
    // block shorter than the driver's 51 frames is left out.
    template <typename Synth>
    bool play(const Synth& synth, qint64 first, qint64 end, int blockFrames = 2500)
    {
        std::vector<qint16> block;
        for (; first + 51 <= end; first += blockFrames) {
            const int n = int(std::min<qint64>(blockFrames, end - first));
            block.resize(size_t(n) * size_t(channels()));
            synth.render(first, n, block.data());
            if (!push(block))
                return false;
        }
        return true;
    }
    // seconds of signal in blocks of blockFrames.
    bool feedSeconds(double seconds, int blockFrames = 250,
                     const std::function<int(int, int)>& value = [](int, int) { return 0; })
    {
        int left = int(seconds * 500 + 0.5);
        while (left > 0) {
            const int n = std::min(left, blockFrames);
            if (!feed(n, value))
                return false;
            left -= n;
        }
        return true;
    }

    ScriptedDevice device;
    std::unique_ptr<TStudy> study;
    std::unique_ptr<TStudyRecorder> recorder;
    LogListener listener{QStringLiteral("w"), nullptr};
};

} // namespace RecorderTest
