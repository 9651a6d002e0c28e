#pragma once

#include <cstddef>
#include <functional>
#include <vector>

// The beats of a stretch that share its dominant QRS shape. Regular intervals
// alone do not make a beat the rhythm's own: a run of ventricular or paced
// beats, or fusion beats, can come at the same rate as the conducted ones, and
// averaged together the two shapes make a complex that neither has.
class TDominantMorphology
{
public:
    // A beat's complex over its leads: one pointer per lead, each to a segment
    // of the same length and alignment.
    using Complex = std::vector<const double*>;

    // A beat is of another shape when its complex's correlation with the
    // dominant one falls short of 1 by more than this, and by more than this
    // many times the shortfall of the closest quarter of the beats, so that
    // noise alone never splits one shape into two.
    static constexpr double OtherShape = 0.15;
    static constexpr double NoiseRatio = 3.0;
    // The dominant complex is the median of at most this many beats, and its
    // shape that in at most this many leads, those where the complex is
    // largest in this many beats.
    static constexpr size_t MedianBeats = 15;
    static constexpr size_t ShapeLeads = 4;
    static constexpr size_t EnergyBeats = 3;

    // Indices into beats of those of the dominant shape, in order. The complex
    // spans samples [from, to) of every segment, compared every step samples
    // at the best offset up to lag samples either way (the segments must hold
    // [from - lag, to + lag)). With fewer than three beats, all are kept.
    static std::vector<size_t> select(const std::vector<Complex>& beats, int from, int to, int step, int lag);
    // The same over count beats of leads leads each, whose segments are asked
    // for as they are needed: all the beats in the leads that tell the shape,
    // but only a few in the others.
    using Segment = std::function<const double*(size_t beat, size_t lead)>;
    static std::vector<size_t> select(size_t count, size_t leads, const Segment& segment, int from, int to, int step,
                                      int lag);
};
