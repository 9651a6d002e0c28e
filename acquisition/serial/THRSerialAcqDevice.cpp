#include "THRSerialAcqDevice.h"

#include "TLeadTable.h"
#include "TRecorderPortFinder.h"

THRSerialAcqDevice::THRSerialAcqDevice(const QString& portName, int baudRate)
    : TSerialAcqDevice(TRecorderProtocol::Format::HR, portName, baudRate, TLeadTable::AllLeadsMask)
{
}

THRSerialAcqDevice::THRSerialAcqDevice()
    : TSerialAcqDevice(TRecorderProtocol::Format::HR, TRecorderPortFinder::findUsbPort(),
                       TRecorderProtocol::HRBaudRate, TLeadTable::AllLeadsMask)
{
}
