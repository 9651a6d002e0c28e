#include "TRRAverager.h"

double TRRAverager::push(double rr)
{
    m_lastMean = mean();
    m_overwritten = m_slots[m_writeIndex];
    m_canUndo = true;
    m_slots[m_writeIndex] = rr;
    m_writeIndex = (m_writeIndex + 1) % SlotCount;
    return m_lastMean;
}

double TRRAverager::mean() const
{
    double sum = 0.0;
    int n = 0;
    for (double v : m_slots) {
        if (v > 0.0) {
            sum += v;
            ++n;
        }
    }
    return n > 0 ? sum / n : 0.0;
}

int TRRAverager::filledSlots() const
{
    int n = 0;
    for (double v : m_slots)
        n += v > 0.0;
    return n;
}

void TRRAverager::clear()
{
    for (double& v : m_slots)
        v = 0.0;
    m_writeIndex = 0;
    m_lastMean = 0.0;
    m_canUndo = false;
}

void TRRAverager::undoLast()
{
    if (!m_canUndo)
        return;
    m_writeIndex = (m_writeIndex + SlotCount - 1) % SlotCount;
    m_slots[m_writeIndex] = m_overwritten;
    m_canUndo = false;
}
