#pragma once

#include <QtGlobal>

class TSignalBuffer;

// An accepted beat: what the beat detector emits, the recording engine stores in
// the study's beat list and beats file, and the beat averager copies. Values carry
// presence flags; reading a value that does not exist gives 0.0 and no presence.
// All times are seconds of the signal buffer the beat belongs to.
class TBeat
{
public:
    static constexpr int MaxLeads = 16;
    static constexpr int BeatValueCount = 4;
    static constexpr int LeadValueCount = 12;

    // Per-beat values.
    enum BeatValue
    {
        Time = 0,   // beat time
        RR = 1,     // median of the detecting leads' own RR intervals
        MeanRR = 2, // running mean of normal RR intervals; 0.0 while not yet known
        Extra = 3   // a further interval of the detector
    };
    // Per-lead values.
    enum LeadValue
    {
        LeadRR = 0,       // this lead's fiducial time minus the previous beat's
        POnset = 1,
        QrsOnset = 2,
        Fiducial = 3,     // the time the averager aligns on
        WaveTime4 = 4,    // later wave times of the detector's delineation
        WaveTime5 = 5,
        DetectionFlag = 6, // 1.0 when the lead detected the beat
        Flag7 = 7,        // 1.0 when the lead's signal was fit to vote on the beat
        Flag8 = 8,        // 1.0 when the lead's signal was disturbed over the beat: no part of its average
        Interval9 = 9,    // interval estimates between the lead's wave points
        Interval10 = 10,
        Interval11 = 11
    };

    explicit TBeat(int number = 0, const TSignalBuffer* buffer = nullptr);

    int number() const { return m_number; }
    void setNumber(int number) { m_number = number; }
    const TSignalBuffer* buffer() const { return m_buffer; }
    void setBuffer(const TSignalBuffer* buffer) { m_buffer = buffer; }
    // Leads that can carry values: the buffer's channel count (all 16 without one).
    int leadCount() const;

    // The beat window: its start and its length, in seconds.
    double windowStart() const { return m_times[0]; }
    double windowLength() const { return m_times[1]; }
    void setWindowStart(double seconds) { m_times[0] = seconds; }
    void setWindowLength(double seconds) { m_times[1] = seconds; }
    double timeValue(int index) const { return index == 0 || index == 1 ? m_times[index] : 0.0; }
    void setTimeValue(int index, double value);

    double value(int index) const;
    bool hasValue(int index) const;
    void setValue(int index, double value);
    void clearValue(int index);

    double leadValue(int lead, int index) const;
    bool hasLeadValue(int lead, int index) const;
    void setLeadValue(int lead, int index, double value);
    void clearLeadValue(int lead, int index);

    double time() const { return value(Time); }

    int label() const { return m_label; }
    void setLabel(int label) { m_label = label; }
    int beatClass() const { return m_class; }
    void setBeatClass(int beatClass) { m_class = beatClass; }

private:
    bool validLead(int lead, int index) const
    {
        return lead >= 0 && lead < leadCount() && index >= 0 && index < LeadValueCount;
    }

    int m_number;
    const TSignalBuffer* m_buffer;
    double m_times[2] = {0.0, 0.0};
    double m_values[BeatValueCount];
    bool m_hasValue[BeatValueCount];
    double m_leadValues[MaxLeads][LeadValueCount];
    bool m_hasLeadValue[MaxLeads][LeadValueCount];
    int m_label = 0;
    int m_class = 1;
};
