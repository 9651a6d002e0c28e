#pragma once

#include <vector>

// The heart-rate axis of the live trend: 50 to 200 per minute, grown in steps
// of 20 to take in every rate shown (a cat at 240, a dog at 280 in exercise),
// never below 0.
namespace THeartRateScale {

constexpr double Low = 50.0;
constexpr double High = 200.0;
constexpr double Step = 20.0;

struct Range
{
    double low = Low;
    double high = High;
};

// rates: the values shown (times between from and to of the trend).
Range forRates(const std::vector<double>& times, const std::vector<double>& rates, double from, double to);

} // namespace THeartRateScale
