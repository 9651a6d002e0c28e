#include "TDominantMorphology.h"

#include "TMedian.h"

#include <algorithm>
#include <cmath>

namespace {

// One minus the correlation of two complexes at an offset of lag samples (b
// later), each lead with its own mean removed: 0 for the same shape at any
// size and offset (the complexes wax and wane with breathing), up to 2 for a
// shape turned over; 1 when either is flat.
double distanceAt(const TDominantMorphology::Complex& a, const TDominantMorphology::Complex& b, int from, int to,
                  int step, int lag)
{
    double ab = 0.0, aa = 0.0, bb = 0.0;
    const size_t leads = std::min(a.size(), b.size());
    for (size_t c = 0; c < leads; ++c) {
        double meanA = 0.0, meanB = 0.0;
        int n = 0;
        for (int i = from; i < to; i += step, ++n) {
            meanA += a[c][i];
            meanB += b[c][i + lag];
        }
        if (n == 0)
            continue;
        meanA /= n;
        meanB /= n;
        for (int i = from; i < to; i += step) {
            const double x = a[c][i] - meanA, y = b[c][i + lag] - meanB;
            ab += x * y;
            aa += x * x;
            bb += y * y;
        }
    }
    if (!(aa > 0.0 && bb > 0.0))
        return 1.0;
    return 1.0 - ab / std::sqrt(aa * bb);
}

// The least distance over offsets up to lag samples either way, in steps of
// step samples: the beats are
// aligned on their detected fiducials, which scatter by a few milliseconds,
// and a narrow complex shifted by a few milliseconds is another curve.
double distance(const TDominantMorphology::Complex& a, const TDominantMorphology::Complex& b, int from, int to,
                int step, int lag)
{
    double least = 2.0;
    for (int l = -lag; l <= lag; l += step)
        least = std::min(least, distanceAt(a, b, from, to, step, l));
    return least;
}

} // namespace

std::vector<size_t> TDominantMorphology::select(const std::vector<Complex>& beats, int from, int to, int step, int lag)
{
    const size_t leads = beats.empty() ? 0 : beats[0].size();
    return select(
        beats.size(), leads, [&beats](size_t beat, size_t lead) { return beats[beat][lead]; }, from, to, step, lag);
}

std::vector<size_t> TDominantMorphology::select(size_t count, size_t leads, const Segment& segment, int from, int to,
                                                int step, int lag)
{
    const size_t n = count;
    std::vector<size_t> all(n);
    for (size_t k = 0; k < n; ++k)
        all[k] = k;
    if (n < 3 || to <= from || step <= 0 || lag < 0 || leads == 0)
        return all;

    // The leads where the complex is largest tell its shape: their energy over
    // a few beats spread over the stretch.
    std::vector<double> energy(leads, 0.0);
    for (size_t s = 0; s < std::min(n, EnergyBeats); ++s) {
        const size_t beat = s * n / std::min(n, EnergyBeats);
        for (size_t c = 0; c < leads; ++c) {
            const double* x = segment(beat, c);
            double mean = 0.0, sum = 0.0;
            int points = 0;
            for (int i = from; i < to; i += step, ++points)
                mean += x[i];
            mean /= std::max(1, points);
            for (int i = from; i < to; i += step)
                sum += (x[i] - mean) * (x[i] - mean);
            energy[c] += sum;
        }
    }
    std::vector<size_t> order(leads);
    for (size_t c = 0; c < leads; ++c)
        order[c] = c;
    std::sort(order.begin(), order.end(), [&](size_t a, size_t b) { return energy[a] > energy[b]; });
    order.resize(std::min(leads, ShapeLeads));

    // The dominant complex: the median of the beats, point by point. Where most
    // beats share a shape, the median at every point is one of theirs.
    std::vector<std::vector<double>> dominant(order.size(), std::vector<double>(size_t(to), 0.0));
    Complex reference;
    Complex lead(n);
    for (size_t k = 0; k < order.size(); ++k) {
        for (size_t j = 0; j < n; ++j)
            lead[j] = segment(j, order[k]);
        medianBeat(lead, MedianBeats, from, to, step, dominant[k]);
        reference.push_back(dominant[k].data());
    }

    std::vector<double> distances(n);
    Complex complex;
    for (size_t j = 0; j < n; ++j) {
        complex.clear();
        for (size_t c : order)
            complex.push_back(segment(j, c));
        distances[j] = distance(reference, complex, from, to, step, lag);
    }
    std::vector<double> sorted = distances;
    std::sort(sorted.begin(), sorted.end());
    const double spread = sorted[n / 4];
    const double limit = std::max(OtherShape, NoiseRatio * spread);
    std::vector<size_t> kept;
    for (size_t j = 0; j < n; ++j)
        if (distances[j] <= limit)
            kept.push_back(j);
    return kept;
}
