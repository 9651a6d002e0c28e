#pragma once

#include <QIODevice>

// Passes writes on to another device and remembers any that did not go through
// whole. A disk that fills up may take part of a write without reporting an
// error, and a writer that streams into a device (the PDF writer does) stops at
// the first short write without saying so: this is where the loss shows.
class TCheckedWriteDevice : public QIODevice
{
public:
    // The target is not owned and must be open for writing.
    explicit TCheckedWriteDevice(QIODevice* target);

    bool isSequential() const override { return true; }
    // True once any write fell short.
    bool failed() const { return m_failed; }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 length) override;

private:
    QIODevice* m_target;
    bool m_failed = false;
};
