#pragma once

#include "TSerialReaderThread.h"

// The HR-protocol recorder's reader: the same commands and line as the default
// protocol, 34-byte frames at twice the output rate, delivered as the mean of
// each pair, always all 14 leads; a keep-alive every 60 000 frames.
class THRSerialReaderThread : public TSerialReaderThread
{
    Q_OBJECT

public:
    THRSerialReaderThread(TByteQueue* queue, const QString& portName, int baudRate, QObject* parent = nullptr);
};
