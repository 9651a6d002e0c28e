#include "TBeatStore.h"

#include "TException.h"

#include <algorithm>
#include <cmath>

int TBeatStore::lowerBound(double seconds) const
{
    int low = 0;
    int high = count();
    while (low < high) {
        const int mid = low + (high - low) / 2;
        if (timeOf(mid) < seconds)
            low = mid + 1;
        else
            high = mid;
    }
    return low;
}

int TBeatStore::nearest(double seconds) const
{
    const int n = count();
    if (n == 0)
        return -1;
    const int i = lowerBound(seconds);
    if (i == 0)
        return 0;
    if (i == n)
        return n - 1;
    return seconds - timeOf(i - 1) <= timeOf(i) - seconds ? i - 1 : i;
}

int TBeatStore::beatAt(double seconds, double tolerance) const
{
    const int i = nearest(seconds);
    return i >= 0 && std::abs(timeOf(i) - seconds) <= tolerance ? i : -1;
}

int TBeatStore::next(double seconds) const
{
    int i = lowerBound(seconds);
    while (i < count() && timeOf(i) <= seconds)
        ++i;
    return i < count() ? i : -1;
}

int TBeatStore::previous(double seconds) const
{
    return lowerBound(seconds) - 1;
}

TBeat TMemoryBeatStore::beat(int index) const
{
    return index >= 0 && index < count() ? m_beats[size_t(index)] : TBeat();
}

void TBeatStore::replaceFirst(int, const std::vector<TBeat>&)
{
    throw TException("Write error");
}

void TMemoryBeatStore::replaceFirst(int count, const std::vector<TBeat>& beats)
{
    const auto end = m_beats.begin() + std::clamp(count, 0, this->count());
    m_beats.insert(m_beats.erase(m_beats.begin(), end), beats.begin(), beats.end());
}
