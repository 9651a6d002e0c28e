#pragma once

#include <vector>

// The convolution at the heart of every FIR stage, paged or streaming, so that
// both compute exactly the same sums. Symmetric tables (all but one) fold the
// two halves together and do half the multiplications.
class TFirKernel
{
public:
    explicit TFirKernel(std::vector<double> taps = {});

    int taps() const { return int(m_taps.size()); }
    bool isSymmetric() const { return m_symmetric; }
    const std::vector<double>& coefficients() const { return m_taps; }

    // y[j] = sum over k of c[k] * x[j + T - 1 - k] for j in [0, count): x holds
    // count + T - 1 contiguous inputs, the oldest first. The sum is taken in the
    // same order for every j, however the outputs are grouped.
    void apply(const double* x, int count, double* y) const;
    // The same for every step-th output only: y[j] uses x[j * step + T - 1 - k];
    // x holds (count - 1) * step + T values.
    void applyStrided(const double* x, int count, int step, double* y) const;

private:
    double output(const double* x) const;
    void applySymmetricBlock(const double* x, double* y) const;
    void applyGeneralBlock(const double* x, double* y) const;

    std::vector<double> m_taps;
    std::vector<double> m_reversed; // m_reversed[i] = c[T - 1 - i]: x and taps run the same way
    bool m_symmetric = false;
};
