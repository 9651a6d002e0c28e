#include "TIirPageFilter.h"

#include "TSampleConversion.h"

#include <algorithm>

namespace {

// Forward pass over `span` inputs starting at x: y[j] = b0 x[j] + sum_k (bk x[j-k]
// + ak y[j-k]), with inputs and outputs before the start counting as zero. The
// order is a template argument so that the recursion is unrolled.
template <int N>
void forward(const double* b, const double* a, const double* x, int span, double* y)
{
    const int head = std::min(N, span);
    for (int j = 0; j < head; ++j) {
        double v = b[0] * x[j];
        for (int k = 1; k <= j; ++k)
            v += b[k] * x[j - k] + a[k - 1] * y[j - k];
        y[j] = v;
    }
    for (int j = head; j < span; ++j) {
        double v = b[0] * x[j];
        for (int k = 1; k <= N; ++k)
            v += b[k] * x[j - k] + a[k - 1] * y[j - k];
        y[j] = v;
    }
}

// Backward pass: z[j] = b0 y[j] + sum_k (bk y[j+k] + ak z[j+k]) from the end down
// to `stop`, with nothing beyond the end; z is written in place of y's copy.
template <int N>
void backward(const double* b, const double* a, const double* y, int span, int stop, double* z)
{
    const int tail = std::max(stop, span - N);
    for (int j = span - 1; j >= tail; --j) {
        double v = b[0] * y[j];
        for (int k = 1; j + k < span; ++k)
            v += b[k] * y[j + k] + a[k - 1] * z[j + k];
        z[j] = v;
    }
    for (int j = tail - 1; j >= stop; --j) {
        double v = b[0] * y[j];
        for (int k = 1; k <= N; ++k)
            v += b[k] * y[j + k] + a[k - 1] * z[j + k];
        z[j] = v;
    }
}

// The same passes over L signals side by side (sample j of signal l at j * L +
// l), each computed in the same order as alone.
template <int N, int L>
void forwardLanes(const double* b, const double* a, const double* x, int span, double* y)
{
    const int head = std::min(N, span);
    for (int j = 0; j < head; ++j)
        for (int l = 0; l < L; ++l) {
            double v = b[0] * x[j * L + l];
            for (int k = 1; k <= j; ++k)
                v += b[k] * x[(j - k) * L + l] + a[k - 1] * y[(j - k) * L + l];
            y[j * L + l] = v;
        }
    for (int j = head; j < span; ++j) {
        double v[L];
        for (int l = 0; l < L; ++l)
            v[l] = b[0] * x[j * L + l];
        for (int k = 1; k <= N; ++k)
            for (int l = 0; l < L; ++l)
                v[l] += b[k] * x[(j - k) * L + l] + a[k - 1] * y[(j - k) * L + l];
        for (int l = 0; l < L; ++l)
            y[j * L + l] = v[l];
    }
}

template <int N, int L>
void backwardLanes(const double* b, const double* a, const double* y, int span, int stop, double* z)
{
    const int tail = std::max(stop, span - N);
    for (int j = span - 1; j >= tail; --j)
        for (int l = 0; l < L; ++l) {
            double v = b[0] * y[j * L + l];
            for (int k = 1; j + k < span; ++k)
                v += b[k] * y[(j + k) * L + l] + a[k - 1] * z[(j + k) * L + l];
            z[j * L + l] = v;
        }
    for (int j = tail - 1; j >= stop; --j) {
        double v[L];
        for (int l = 0; l < L; ++l)
            v[l] = b[0] * y[j * L + l];
        for (int k = 1; k <= N; ++k)
            for (int l = 0; l < L; ++l)
                v[l] += b[k] * y[(j + k) * L + l] + a[k - 1] * z[(j + k) * L + l];
        for (int l = 0; l < L; ++l)
            z[j * L + l] = v[l];
    }
}

template <int N, int L>
void runLanes(const double* b, const double* a, const double* x, int span, int stop, double* y, double* z)
{
    forwardLanes<N, L>(b, a, x, span, y);
    backwardLanes<N, L>(b, a, y, span, stop, z);
}

void forwardAnyOrder(int order, const double* b, const double* a, const double* x, int span, double* y)
{
    for (int j = 0; j < span; ++j) {
        double v = b[0] * x[j];
        for (int k = 1; k <= order && j - k >= 0; ++k)
            v += b[k] * x[j - k] + a[k - 1] * y[j - k];
        y[j] = v;
    }
}

void backwardAnyOrder(int order, const double* b, const double* a, const double* y, int span, int stop, double* z)
{
    for (int j = span - 1; j >= stop; --j) {
        double v = b[0] * y[j];
        for (int k = 1; k <= order && j + k < span; ++k)
            v += b[k] * y[j + k] + a[k - 1] * z[j + k];
        z[j] = v;
    }
}

} // namespace

TIirPageFilter::TIirPageFilter(TIirDesign design) : m_design(std::move(design))
{
    // Numerator and feedback of different lengths are padded to one order, so
    // neither is read past its end.
    const size_t order = std::max(m_design.a.size(), m_design.b.empty() ? 0 : m_design.b.size() - 1);
    m_design.a.resize(order, 0.0);
    m_design.b.resize(order + 1, 0.0);
    m_design.margin = std::max(0, m_design.margin);
}

void TIirPageFilter::filterPage(const TPageWindow& window, qint16* output) const
{
    const int n = window.length;
    if (n <= 0)
        return;
    // The window reaches one page to either side; a longer margin is cut to it.
    const int m = std::min(m_design.margin, n);
    const int span = n + 2 * m;
    const double* b = m_design.b.data();
    const double* a = m_design.a.data();
    const double* x = window.values - m; // x[0] is sample -m of the page

    m_forward.resize(size_t(span));
    m_backward.resize(size_t(span));
    double* y = m_forward.data();
    double* z = m_backward.data();
    switch (m_design.order()) {
    case 2:
        forward<2>(b, a, x, span, y);
        backward<2>(b, a, y, span, m, z);
        break;
    case 3:
        forward<3>(b, a, x, span, y);
        backward<3>(b, a, y, span, m, z);
        break;
    case 4:
        forward<4>(b, a, x, span, y);
        backward<4>(b, a, y, span, m, z);
        break;
    default:
        forwardAnyOrder(m_design.order(), b, a, x, span, y);
        backwardAnyOrder(m_design.order(), b, a, y, span, m, z);
        break;
    }
    for (int i = 0; i < n; ++i)
        output[i] = saturatingCode(z[m + i]);
}

void TIirPageFilter::filterPages(const TPageWindow* windows, qint16* const* outputs, int count) const
{
    const int order = m_design.order();
    int done = 0;
    while (done < count) {
        const int n = windows[done].length;
        int lanes = count - done >= 4 ? 4 : count - done >= 2 ? 2 : 1;
        for (int l = 1; l < lanes; ++l)
            if (windows[done + l].length != n)
                lanes = 1;
        if (lanes == 1 || n <= 0 || order < 2 || order > 4) {
            filterPage(windows[done], outputs[done]);
            ++done;
            continue;
        }
        const int m = std::min(m_design.margin, n);
        const int span = n + 2 * m;
        const size_t size = size_t(span) * size_t(lanes);
        m_lanes.resize(3 * size);
        double* x = m_lanes.data();
        double* y = x + size;
        double* z = y + size;
        for (int l = 0; l < lanes; ++l) {
            const double* v = windows[done + l].values - m;
            for (int j = 0; j < span; ++j)
                x[size_t(j) * size_t(lanes) + size_t(l)] = v[j];
        }
        const double* b = m_design.b.data();
        const double* a = m_design.a.data();
        if (lanes == 4) {
            switch (order) {
            case 2: runLanes<2, 4>(b, a, x, span, m, y, z); break;
            case 3: runLanes<3, 4>(b, a, x, span, m, y, z); break;
            default: runLanes<4, 4>(b, a, x, span, m, y, z); break;
            }
        } else {
            switch (order) {
            case 2: runLanes<2, 2>(b, a, x, span, m, y, z); break;
            case 3: runLanes<3, 2>(b, a, x, span, m, y, z); break;
            default: runLanes<4, 2>(b, a, x, span, m, y, z); break;
            }
        }
        for (int l = 0; l < lanes; ++l) {
            qint16* out = outputs[done + l];
            for (int i = 0; i < n; ++i)
                out[i] = saturatingCode(z[size_t(m + i) * size_t(lanes) + size_t(l)]);
        }
        done += lanes;
    }
}
