#include "TPrinterCommandReader.h"

#include <algorithm>

namespace {

constexpr char Esc = 0x1B;
constexpr char Gs = 0x1D;

// ESC/POS takes the raster mode as a number or as its digit.
bool isRasterMode(quint8 m)
{
    return m <= 3 || (m >= '0' && m <= '3');
}

} // namespace

void TPrinterCommandReader::append(const char* data, int count)
{
    if (count > 0)
        m_buffer.append(data, count);
}

void TPrinterCommandReader::reset()
{
    m_buffer.clear();
    m_bandLeft = 0;
    m_bandBytesPerRow = 0;
    m_skippedCount = 0;
    m_skippedHead.clear();
}

void TPrinterCommandReader::skip(char byte)
{
    if (m_skippedHead.size() < SkippedBytesShown)
        m_skippedHead.append(byte);
    ++m_skippedCount;
}

TPrinterCommandReader::Item TPrinterCommandReader::takeSkipped()
{
    Item item;
    if (m_skippedCount == 0)
        return item;
    item.kind = Kind::Skipped;
    item.count = m_skippedCount;
    item.bytes = m_skippedHead;
    m_skippedCount = 0;
    m_skippedHead.clear();
    return item;
}

TPrinterCommandReader::Match TPrinterCommandReader::match(int at, Item* item, int* length) const
{
    const int available = m_buffer.size() - at;
    auto byte = [&](int k) { return quint8(m_buffer[at + k]); };
    if (m_buffer[at] == Esc) {
        if (available < 2)
            return Match::Partial;
        if (byte(1) == 0x40) {
            item->kind = Kind::Initialise;
            *length = 2;
            return Match::Complete;
        }
        if (byte(1) != 0x64)
            return Match::None;
        if (available < 3)
            return Match::Partial;
        item->kind = Kind::Feed;
        item->lines = byte(2);
        *length = 3;
        return Match::Complete;
    }
    if (m_buffer[at] != Gs)
        return Match::None;
    // 1D 76 30 m xL xH yL yH: each byte that is there must fit.
    if (available >= 2 && byte(1) != 0x76)
        return Match::None;
    if (available >= 3 && byte(2) != 0x30)
        return Match::None;
    if (available >= 4 && !isRasterMode(byte(3)))
        return Match::None;
    if (available < 8)
        return Match::Partial;
    item->kind = Kind::BandHeader;
    item->mode = byte(3);
    item->bytesPerRow = byte(4) + 256 * byte(5);
    item->rows = byte(6) + 256 * byte(7);
    *length = 8;
    return Match::Complete;
}

TPrinterCommandReader::Item TPrinterCommandReader::next(qint64 maxDataBytes)
{
    Item item;
    if (m_bandLeft > 0) {
        const qint64 n = std::min({m_bandLeft, qint64(m_buffer.size()), maxDataBytes});
        if (n <= 0)
            return item;
        item.kind = Kind::BandData;
        item.bytes = m_buffer.left(int(n));
        item.count = n;
        m_buffer.remove(0, int(n));
        m_bandLeft -= n;
        item.bandComplete = m_bandLeft == 0;
        return item;
    }
    int at = 0;
    while (at < m_buffer.size()) {
        int length = 0;
        const Match found = match(at, &item, &length);
        if (found == Match::Partial)
            break;
        if (found == Match::None) {
            skip(m_buffer[at]);
            ++at;
            continue;
        }
        // The garbage before a command is its own item, the command the next.
        if (m_skippedCount > 0) {
            m_buffer.remove(0, at);
            return takeSkipped();
        }
        m_buffer.remove(0, length);
        if (item.kind == Kind::BandHeader) {
            m_bandLeft = qint64(item.bytesPerRow) * item.rows;
            m_bandBytesPerRow = item.bytesPerRow;
        }
        return item;
    }
    // What was skipped waits for the rest of its run; a command's beginning
    // waits for the command's end.
    m_buffer.remove(0, at);
    return Item();
}
