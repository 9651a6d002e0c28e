#pragma once

// Mean of the last eight RR intervals pushed. The mean returned by push is that
// of the slots filled before the new value goes in.
class TRRAverager
{
public:
    static constexpr int SlotCount = 8;

    // Returns the mean of the slots holding a value > 0 before rr is written
    // (0.0 when none), then writes rr.
    double push(double rr);
    // Mean of the slots holding a value > 0 now.
    double mean() const;
    int filledSlots() const;
    double lastMean() const { return m_lastMean; }
    void clear();
    // Takes the last push back (once): its slot gets its old value again.
    void undoLast();

private:
    double m_slots[SlotCount] = {};
    int m_writeIndex = 0;
    double m_lastMean = 0.0;
    double m_overwritten = 0.0;
    bool m_canUndo = false;
};
