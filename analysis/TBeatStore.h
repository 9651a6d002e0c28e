#pragma once

#include "TBeat.h"

#include <vector>

// The beats of a recording in detection order (so in time order), with the
// searches the displays and review windows need. Variants keep them in memory or
// in a study's beats file.
class TBeatStore
{
public:
    virtual ~TBeatStore() = default;

    virtual int count() const = 0;
    // Beat i (0 <= i < count()); a default beat otherwise.
    virtual TBeat beat(int index) const = 0;
    // Appends a beat; throws TException when it cannot be stored.
    virtual void append(const TBeat& beat) = 0;
    // Replaces the first count beats (0 to count()) by beats, in time order and
    // all earlier than the beat after them. Throws TException when they cannot
    // be stored; the store is then as it was. A store that only appends
    // refuses with "Write error".
    virtual void replaceFirst(int count, const std::vector<TBeat>& beats);

    // Index of the beat whose time is nearest to seconds, or -1 when empty.
    int nearest(double seconds) const;
    // Index of the beat nearest to seconds if it lies within tolerance, else -1.
    int beatAt(double seconds, double tolerance) const;
    // First beat strictly after / last beat strictly before seconds, or -1.
    int next(double seconds) const;
    int previous(double seconds) const;
    int first() const { return count() > 0 ? 0 : -1; }
    int last() const { return count() - 1; }

protected:
    // Time of beat i; variants that can answer faster than beat(i).time() override it.
    virtual double timeOf(int index) const { return beat(index).time(); }

private:
    // First index whose time is >= seconds (count() when none).
    int lowerBound(double seconds) const;
};

// Beats held in memory.
class TMemoryBeatStore : public TBeatStore
{
public:
    int count() const override { return int(m_beats.size()); }
    TBeat beat(int index) const override;
    void append(const TBeat& beat) override { m_beats.push_back(beat); }
    void replaceFirst(int count, const std::vector<TBeat>& beats) override;
    void clear() { m_beats.clear(); }

private:
    std::vector<TBeat> m_beats;
};
