#pragma once

#include "AverageBeatSource.h"

#include <QByteArray>
#include <array>
#include <vector>

// Average beats held as values: set from outside (a single selected beat, beats
// read from a study, pictures for a report) rather than averaged live.
class StoredAverageBeats : public AverageBeatSource
{
public:
    static constexpr int MaxLeads = 16;

    // Beats of length samples at rate, in units of millivoltsPerUnit, with R at
    // rIndex (negative: three eighths into the beat, as in the shortest template).
    StoredAverageBeats(int length = 0, int rate = 500, double millivoltsPerUnit = 1.0, int rIndex = -1);

    int beatLength() const override { return m_length; }
    int rIndex() const override { return m_rIndex; }
    int samplingRate() const override { return m_rate; }
    double millivoltsPerUnit() const override { return m_millivoltsPerUnit; }
    bool hasAverage() const override { return m_hasAverage; }
    std::vector<double> averageBeat(int lead) const override;
    bool hasReferenceBeat() const override { return m_hasReference; }
    std::vector<double> referenceBeat(int lead) const override;
    int referenceRIndex() const override { return m_referenceRIndex; }
    double meanRRInterval() const override { return m_meanRR; }
    QByteArray leadName(int lead) const override;

    // A beat of another length is cut or padded with zeros to the beat length.
    void setAverageBeat(int lead, const std::vector<double>& beat);
    void setReferenceBeat(int lead, const std::vector<double>& beat);
    // A reference beat taken in another template keeps its length, with R at rIndex.
    void setReferenceBeat(int lead, const std::vector<double>& beat, int rIndex);
    void clearReference() { m_hasReference = false; }
    void clear();
    void setMeanRRInterval(double seconds) { m_meanRR = seconds > 0.0 ? seconds : 0.0; }
    void setLeadName(int lead, const QByteArray& name);

private:
    std::vector<double> fitted(const std::vector<double>& beat) const;
    static bool validLead(int lead) { return lead >= 0 && lead < MaxLeads; }

    int m_length;
    int m_rate;
    int m_rIndex;
    int m_referenceRIndex;
    double m_millivoltsPerUnit;
    bool m_hasAverage = false;
    bool m_hasReference = false;
    double m_meanRR = 0.0;
    std::array<std::vector<double>, MaxLeads> m_average;
    std::array<std::vector<double>, MaxLeads> m_reference;
    std::array<QByteArray, MaxLeads> m_names;
};
