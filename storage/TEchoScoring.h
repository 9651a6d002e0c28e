#pragma once

#include <QJsonObject>
#include <QString>

#include <array>
#include <cstddef>
#include <optional>

// Wall-motion scores of the 16 heart-wall segments at rest, at peak and after
// the test. Segments are numbered 1..16 in the order of segmentName().
class TEchoScoring
{
public:
    static constexpr int SegmentCount = 16;

    // "BasalAnteroSeptum" ... "ApicalAnterior"; "" outside 1..16.
    static QString segmentName(int segment);
    // "Septum Anterior Basal - LAD" ...; "" outside 1..16.
    static QString segmentDisplayName(int segment);

    // 0 outside 1..16; setting outside 1..16 is ignored.
    int scoreRest(int segment) const { return get(m_rest, segment); }
    int scorePeak(int segment) const { return get(m_peak, segment); }
    int scorePost(int segment) const { return get(m_post, segment); }
    void setScoreRest(int segment, int score) { set(m_rest, segment, score); }
    void setScorePeak(int segment, int score) { set(m_peak, segment, score); }
    void setScorePost(int segment, int score) { set(m_post, segment, score); }

    // The phases of the test, and a segment's score in one of them.
    enum Phase { Rest, Peak, Post };
    static constexpr int PhaseCount = 3;
    int score(Phase phase, int segment) const { return get(scores(phase), segment); }
    void setScore(Phase phase, int segment, int score) { set(scores(phase), segment, score); }

    // A score from 1 (normal) to 4 (dyskinetic); 0, or anything else, is a
    // segment not seen.
    static constexpr int MinScore = 1;
    static constexpr int MaxScore = 4;
    static bool isScore(int score) { return score >= MinScore && score <= MaxScore; }
    // "Normal", "Hypokinetic", "Akinetic", "Dyskinetic"; "" for a segment not seen.
    static QString scoreName(int score);
    // "Rest", "Peak", "Post".
    static QString phaseName(Phase phase);

    // The wall motion score index of a phase: the mean score of the segments
    // seen; none when no segment was seen.
    std::optional<double> scoreIndex(Phase phase) const;
    // Whether no segment of any phase was seen.
    bool isEmpty() const;

    // {"segments": [16 names], "scoreRest": [16], "scorePeak": [16], "scorePost": [16]}
    static QJsonObject toJson(const TEchoScoring& scoring);
    // Scores by array position; missing or non-integer entries give 0.
    static TEchoScoring fromJson(const QJsonObject& object);

    bool operator==(const TEchoScoring& o) const
    {
        return m_rest == o.m_rest && m_peak == o.m_peak && m_post == o.m_post;
    }
    bool operator!=(const TEchoScoring& o) const { return !(*this == o); }

private:
    using Scores = std::array<int, SegmentCount>;
    static bool valid(int segment) { return segment >= 1 && segment <= SegmentCount; }
    static int get(const Scores& s, int segment) { return valid(segment) ? s[std::size_t(segment - 1)] : 0; }
    static void set(Scores& s, int segment, int score)
    {
        if (valid(segment))
            s[std::size_t(segment - 1)] = score;
    }

    Scores& scores(Phase phase) { return phase == Rest ? m_rest : phase == Peak ? m_peak : m_post; }
    const Scores& scores(Phase phase) const { return phase == Rest ? m_rest : phase == Peak ? m_peak : m_post; }

    Scores m_rest{};
    Scores m_peak{};
    Scores m_post{};
};
