#pragma once

// How a serial port is set up when it is opened: always 8 data bits, no parity,
// one stop bit and no flow control; the rest differs between the devices.
struct TSerialSetup
{
    int baudRate = 9600;
    // Requested driver queue sizes; the Linux tty layer has fixed queues, so
    // these are only checked for sense there.
    int inputBufferSize = 4096;
    int outputBufferSize = 4096;
    // Total time-outs of one read or write call, whatever its length.
    int readTimeoutMs = 1000;
    int writeTimeoutMs = 1000;
    // Lower DTR and RTS after opening (devices that must not see the host's
    // modem lines); ignored by ports without modem lines.
    bool lowerModemLines = false;
};
