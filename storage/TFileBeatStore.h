#pragma once

#include "TBeatStore.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <memory>
#include <vector>

// TBeatStore over a study's beats file: fixed-size records after a header area.
// Each append writes one record straight to the file (no buffering inside the
// process, so a killed process keeps every beat appended before); beats are
// read from the file when asked for, through a small block of records, so a
// long recording's beats are never held whole in memory. Only the beat times
// (8 bytes a beat) are kept, for the searches.
//
// The count is the number of whole records in the file when it was opened plus
// what was appended since; a trailing partial record (left by a crash) is not a
// beat and is overwritten by the next append.
class TFileBeatStore : public TBeatStore
{
public:
    // The file opened read-write (read-only when it may not be written, so that
    // a study on read-only media can still be reviewed; appends then fail with
    // "Write error"), with records of channelCount leads whose beats belong to
    // buffer; null when it cannot be opened, is shorter than the header area or
    // channelCount is outside 1..16. The magic is not checked here.
    static std::unique_ptr<TFileBeatStore> open(const QString& path, int channelCount, const TSignalBuffer* buffer);

    int count() const override { return int(m_times.size()); }
    // Beat index, numbered index; a default beat when it is out of range or can
    // no longer be read.
    TBeat beat(int index) const override;
    // Writes the beat as the next record. Throws TException "Write error" when
    // the file is read-only or the record does not reach it whole; the count
    // then stays as it was.
    void append(const TBeat& beat) override;
    // Rewrites the file with the beats in place of its first count records:
    // the new file is written beside it and takes its place whole, so a
    // failure or a crash leaves the old file as it was. Throws TException
    // "Write error" when the file is read-only or cannot be replaced; the store
    // then stays as it was.
    void replaceFirst(int count, const std::vector<TBeat>& beats) override;

    QString path() const { return m_file.fileName(); }
    bool isWritable() const { return m_file.isWritable(); }
    int channelCount() const { return m_channelCount; }

protected:
    double timeOf(int index) const override;

private:
    TFileBeatStore(int channelCount, const TSignalBuffer* buffer);

    qint64 offsetOf(int index) const;
    // Reads the times of the first records; stops at what cannot be read.
    void loadTimes(qint64 records);
    // The block of records holding index, read when needed; null when unreadable.
    const char* record(int index) const;

    // Reopens the file after it was replaced; false when it cannot be.
    bool reopen();

    mutable QFile m_file;
    int m_channelCount;
    int m_recordSize;
    const TSignalBuffer* m_buffer;
    std::vector<double> m_times;
    mutable QByteArray m_block;
    mutable int m_blockFirst = -1;
    mutable int m_blockRecords = 0;
};
