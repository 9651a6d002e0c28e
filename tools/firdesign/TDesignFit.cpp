#include "TDesignFit.h"

#include "TMagnitudeResponse.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

// Points per hertz at which band tolerances are checked during the search.
double bandStep(const TResponseBand& band)
{
    return std::max(0.01, (band.toHz - band.fromHz) / 60.0);
}

} // namespace

TWindowedSincParams TDesignFit::withParameters(const TFirDesignTarget& target, double cutoffHz, double beta)
{
    TWindowedSincParams p = target.start;
    p.cutoffHz = cutoffHz;
    p.beta = beta;
    return p;
}

double TDesignFit::cost(const TFirDesignTarget& target, const TWindowedSincParams& params)
{
    const std::vector<double> taps = TWindowedSincDesign::coefficients(params);
    double total = 0.0;
    for (const TResponsePoint& point : target.points) {
        const double miss = TMagnitudeResponse::at(taps, params.samplingRate, point.hz) - point.value;
        total += point.weight * miss * miss;
    }
    for (const TResponseBand& band : target.bands) {
        const double step = bandStep(band);
        for (double f = band.fromHz; f <= band.toHz + 1e-9; f += step) {
            const double excess =
                std::fabs(TMagnitudeResponse::at(taps, params.samplingRate, f) - band.value) - band.tolerance;
            if (excess > 0.0)
                total += band.weight * excess * excess;
        }
    }
    return total;
}

double TDesignFit::costAt(const TFirDesignTarget& target, double cutoffHz, double beta)
{
    const double nyquist = target.start.samplingRate / 2.0;
    if (cutoffHz <= 0.0 || cutoffHz >= nyquist || beta < 0.0 || beta > 30.0)
        return 1e30;
    return cost(target, withParameters(target, cutoffHz, beta));
}

TWindowedSincParams TDesignFit::fit(const TFirDesignTarget& target)
{
    using Vertex = std::array<double, 2>;
    const Vertex start = {target.start.cutoffHz, target.start.beta};
    Vertex best = start;
    double bestCost = costAt(target, start[0], start[1]);

    // A few restarts from the best point so far, with shrinking steps, get the
    // simplex out of shallow local dips.
    double scale = 0.3;
    for (int restart = 0; restart < 6; ++restart, scale *= 0.5) {
        std::array<Vertex, 3> simplex = {best, Vertex{best[0] * (1.0 + scale), best[1]},
                                         Vertex{best[0], best[1] + 2.0 * scale + 0.05}};
        std::array<double, 3> costs{};
        for (int i = 0; i < 3; ++i)
            costs[size_t(i)] = costAt(target, simplex[size_t(i)][0], simplex[size_t(i)][1]);

        for (int iteration = 0; iteration < 400; ++iteration) {
            std::array<int, 3> order = {0, 1, 2};
            std::sort(order.begin(), order.end(), [&](int a, int b) { return costs[size_t(a)] < costs[size_t(b)]; });
            const Vertex lo = simplex[size_t(order[0])];
            const Vertex mid = simplex[size_t(order[1])];
            const Vertex hi = simplex[size_t(order[2])];
            const double spread = std::fabs(costs[size_t(order[2])] - costs[size_t(order[0])]);
            if (spread <= 1e-14 * (1.0 + costs[size_t(order[0])]) && iteration > 20)
                break;
            const Vertex centroid = {(lo[0] + mid[0]) / 2.0, (lo[1] + mid[1]) / 2.0};
            auto along = [&](double t) {
                return Vertex{centroid[0] + t * (hi[0] - centroid[0]), centroid[1] + t * (hi[1] - centroid[1])};
            };
            const Vertex reflected = along(-1.0);
            const double reflectedCost = costAt(target, reflected[0], reflected[1]);
            Vertex replacement = reflected;
            double replacementCost = reflectedCost;
            if (reflectedCost < costs[size_t(order[0])]) {
                const Vertex expanded = along(-2.0);
                const double expandedCost = costAt(target, expanded[0], expanded[1]);
                if (expandedCost < reflectedCost) {
                    replacement = expanded;
                    replacementCost = expandedCost;
                }
            } else if (reflectedCost >= costs[size_t(order[1])]) {
                const Vertex contracted = along(0.5);
                const double contractedCost = costAt(target, contracted[0], contracted[1]);
                if (contractedCost < costs[size_t(order[2])]) {
                    replacement = contracted;
                    replacementCost = contractedCost;
                } else {
                    // Shrink towards the best vertex.
                    for (int k = 1; k < 3; ++k) {
                        Vertex& v = simplex[size_t(order[size_t(k)])];
                        v = {(v[0] + lo[0]) / 2.0, (v[1] + lo[1]) / 2.0};
                        costs[size_t(order[size_t(k)])] = costAt(target, v[0], v[1]);
                    }
                    continue;
                }
            }
            simplex[size_t(order[2])] = replacement;
            costs[size_t(order[2])] = replacementCost;
        }
        for (int i = 0; i < 3; ++i) {
            if (costs[size_t(i)] < bestCost) {
                bestCost = costs[size_t(i)];
                best = simplex[size_t(i)];
            }
        }
    }
    return withParameters(target, best[0], best[1]);
}
