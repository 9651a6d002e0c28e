#pragma once

#include <QByteArray>
#include <QString>

// Asks a serial port whether an ECG recorder answers on it: the identify byte
// is sent and the reply of up to 7 bytes must name the recorder ("ECG" or
// "ERGO" in any case). Opening, writing or reading failures all mean no.
class TRecorderPortProbe
{
public:
    static constexpr int ReplyBytes = 7;
    // How long the first byte of the reply may take; the rest follows at once.
    static constexpr int DefaultReplyTimeoutMs = 10000;
    static constexpr int ReplyGapMs = 100;

    static bool probe(const QString& portName, int replyTimeoutMs = DefaultReplyTimeoutMs);
    // Whether an identify reply names the recorder.
    static bool isRecorderReply(const QByteArray& reply);
};
