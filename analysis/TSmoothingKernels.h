#pragma once

#include <vector>

// The short symmetric low-pass kernels of the wave measurement, for beats at
// 250 samples per second. Both have unit gain at 0 Hz.
namespace TSmoothingKernels {

// Binomial 1-2-1 / 4: -3 dB at about 45 Hz, zero at 125 Hz. Takes the residual
// muscle noise off the QRS end and the T wave. A wider kernel spreads the end of
// the S wave over the flat ST segment, and the QRS end, the first flat point, is
// found one or two samples late.
const std::vector<double>& waveKernel();

// Nine-tap Hann window (sin^2, normalised): -3 dB at about 13 Hz. The P wave
// (40 to 60 ms, 0.1 to 0.4 mV) is slow and small; this keeps its slopes and
// flattens what is left of the noise in the PR segment.
const std::vector<double>& pWaveKernel();

// x convolved with a symmetric odd-length kernel, centred (no delay); the ends
// repeat the first and last sample.
std::vector<double> smooth(const double* x, int length, const std::vector<double>& kernel);

} // namespace TSmoothingKernels
