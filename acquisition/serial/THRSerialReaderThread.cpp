#include "THRSerialReaderThread.h"

#include "TLeadTable.h"

THRSerialReaderThread::THRSerialReaderThread(TByteQueue* queue, const QString& portName, int baudRate,
                                             QObject* parent)
    : TSerialReaderThread(TRecorderProtocol::Format::HR, queue, portName, baudRate, TLeadTable::AllLeadsMask,
                          parent)
{
}
