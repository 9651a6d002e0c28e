#pragma once

#include <QByteArray>
#include <limits>

// Splits the byte stream a thermal strip printer receives into its commands:
// ESC @ (initialise), ESC d n (feed n lines) and GS v 0 raster bands with
// their data. Bytes that start no known command are gathered into runs of
// skipped bytes, handed out once a known command follows (or when asked), so
// that a burst of garbage makes one note; reading resumes at the next command.
//
// Band data is handed out in pieces no larger than the caller allows, which is
// how the printer paces its reading. No threads, no clock.
class TPrinterCommandReader
{
public:
    enum class Kind
    {
        NeedMore,   // nothing complete in what was appended (or no data allowed)
        Initialise, // 1B 40
        Feed,       // 1B 64 n: lines = n
        BandHeader, // 1D 76 30 m xL xH yL yH: the band's data follows
        BandData,   // a piece of the current band's data
        Skipped     // a run of bytes that start no known command
    };

    struct Item
    {
        Kind kind = Kind::NeedMore;
        int lines = 0;       // Feed
        int mode = 0;        // BandHeader: 0..3 or 48..51 (the same data)
        int bytesPerRow = 0; // BandHeader
        int rows = 0;        // BandHeader
        QByteArray bytes;    // BandData; Skipped: its first bytes only
        qint64 count = 0;    // BandData, Skipped: bytes taken
        bool bandComplete = false; // BandData: the band's last byte was in it
    };

    // Skipped runs keep this many of their first bytes, to show them.
    static constexpr int SkippedBytesShown = 16;

    void append(const char* data, int count);
    // The next item; band data at most maxDataBytes at a time.
    Item next(qint64 maxDataBytes = std::numeric_limits<qint64>::max());
    // The run of skipped bytes gathered so far, as a Skipped item (NeedMore when
    // there is none): for garbage that no command follows.
    Item takeSkipped();
    bool hasSkipped() const { return m_skippedCount > 0; }

    // Bytes appended and not yet handed out.
    int buffered() const { return m_buffer.size(); }
    bool inBand() const { return m_bandLeft > 0; }
    int bandBytesPerRow() const { return m_bandBytesPerRow; }
    // Forgets everything appended (the link was lost).
    void reset();

private:
    enum class Match { None, Partial, Complete };
    Match match(int at, Item* item, int* length) const;
    void skip(char byte);

    QByteArray m_buffer;
    qint64 m_bandLeft = 0;
    int m_bandBytesPerRow = 0;
    qint64 m_skippedCount = 0;
    QByteArray m_skippedHead;
};
