#pragma once

#include "TWavePoints.h"

#include <vector>

// The extent of the P wave, the QRS complex and the T wave over the leads of an
// average beat. A lead sees each wave as its projection: where the wave's first
// or last forces run across the lead, that part lies flat on the baseline and
// the wave reads short there (a T wave whose end is isoelectric in lead II, a
// QRS whose initial forces are). So the waves of the measurement lead are
// measured no shorter than in the median lead; the median, not the widest,
// because a single noisy or misread lead must not stretch them.
class TLeadSpread
{
public:
    // At least this many leads must show a point for its median to count. Two
    // are enough: of a Holter's pair, read together as a cardiologist reads
    // them, each wave begins at the earlier onset of the two (the lower median),
    // while the ends stay the lead's own.
    static constexpr int MinimumLeads = 2;

    // Adds the points found in one lead.
    void addLead(const TWavePoints& points);

    // The median over the leads of each onset and end (-1 where fewer than
    // MinimumLeads leads have it); peaks and the T onset stay -1.
    TWavePoints median() const;

    // points widened to the median lead: each onset no later, each end no
    // earlier than the median's. Only points the lead itself found move, and
    // the order P end <= QRS onset < QRS end < T end is kept.
    static TWavePoints widened(const TWavePoints& points, const TWavePoints& median);

    // The P wave the other leads of a beat show alike, for a lead that shows
    // none of its own: the median onset and end of the leads that show one,
    // when at least half of them do and their onsets and their ends each agree
    // within samples (of a Holter's pair, the other lead's own). Its peak is
    // the lead's own to find; -1 everywhere when the leads show no such wave.
    static TWavePoints sharedPWave(const std::vector<TWavePoints>& others, int samples);

    // Whether the other leads' points lie nearer reading than against: their
    // upper quartile (of a Holter's pair, the other lead's own) is closer to
    // it. The upper quartile, because a lead in which a wave's end is
    // isoelectric ends it early. False when no other lead has the point.
    static bool othersFavour(int reading, int against, std::vector<int> others);

    // Whether at least MinimumLeads points are given and the middle half of
    // them spans no more than samples.
    static bool agreeing(std::vector<int> points, int samples);

private:
    std::vector<int> m_pOnsets, m_pEnds, m_qrsOnsets, m_qrsEnds, m_tEnds;
};
