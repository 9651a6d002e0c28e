// The recorder link's cost: decoding recorder frames (default protocol with
// the launcher's mask and with all leads, HR protocol) straight from memory,
// and the whole link through a pseudo-terminal, the simulated recorder
// streaming as fast as the reader takes it. Prints seconds of signal per CPU
// second, a multiple of the live rate.

#include "BenchClock.h"
#include "TLeadTable.h"
#include "TRecorderFrameEncoder.h"
#include "TRecorderSignalSource.h"
#include "TRecorderSimulator.h"
#include "TRecorderStatus.h"
#include "TRecorderStreamDecoder.h"
#include "TSerialAcqDevice.h"
#include "TSerialReaderThread.h"
#include "THRSerialAcqDevice.h"

#include <QByteArray>
#include <QThread>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

using Format = TRecorderProtocol::Format;

// One minute of recorder frames of a synthesized ECG.
QByteArray minuteOfFrames(Format format)
{
    const int rate = format == Format::HR ? 1000 : 500;
    TSynthSignalSource source(90.0, 7, format == Format::HR ? 300.0 : 450.0);
    QByteArray stream;
    qint16 leads[14];
    const TRecorderFrameEncoder::Electrodes off{};
    for (int f = 0; f < 60 * rate; ++f) {
        source.frame(f, rate, leads);
        stream += format == Format::HR ? TRecorderFrameEncoder::hrFrame(leads, off, 200)
                                       : TRecorderFrameEncoder::defaultFrame(leads, off, 200);
    }
    return stream;
}

void benchDecoder(const char* name, Format format, int mask, int minutes)
{
    const QByteArray stream = minuteOfFrames(format);
    TRecorderStatus status;
    TRecorderStreamDecoder decoder(format, mask, &status);
    std::vector<char> out;
    out.reserve(size_t(stream.size()));
    quint64 checksum = 0;
    const double start = BenchClock::cpuSeconds();
    for (int m = 0; m < minutes; ++m) {
        // In the reader's chunks of up to 4096 bytes.
        for (int at = 0; at < stream.size(); at += 4096) {
            decoder.decode(stream.constData() + at, qMin(4096, stream.size() - at), out);
            checksum += out.size();
            out.clear();
        }
    }
    const double cpu = BenchClock::cpuSeconds() - start;
    const double signal = 60.0 * minutes;
    std::printf("  decoder, %-22s %5.0f s of signal in %.3f CPU s = %.0fx live (%llu bytes out)\n", name, signal,
                cpu, signal / cpu, static_cast<unsigned long long>(checksum));
}

void benchLink(const char* name, TRecorderSimulator::Protocol protocol, int seconds)
{
    const double gain = protocol == TRecorderSimulator::Protocol::HR ? 300.0 : 450.0;
    TRecorderSimulator recorder(protocol, std::make_unique<TSynthSignalSource>(90.0, 7, gain));
    if (!recorder.start()) {
        std::printf("  link: no pseudo-terminal\n");
        return;
    }
    recorder.setPaced(false);
    std::unique_ptr<TSerialAcqDevice> device;
    if (protocol == TRecorderSimulator::Protocol::HR)
        device = std::make_unique<THRSerialAcqDevice>(recorder.portPath(), TRecorderProtocol::HRBaudRate);
    else
        device = std::make_unique<TSerialAcqDevice>(recorder.portPath(), TRecorderProtocol::DefaultBaudRate,
                                                    TLeadTable::DefaultChannelMask);
    std::vector<char> sink(1 << 20);
    const double cpuStart = BenchClock::cpuSeconds();
    const double wallStart = BenchClock::wallSeconds();
    device->start();
    while (BenchClock::wallSeconds() - wallStart < seconds) {
        QThread::msleep(20);
        while (device->bytesAvailable() > 0)
            device->read(sink.data(), int(sink.size()));
    }
    device->stop();
    const double cpu = BenchClock::cpuSeconds() - cpuStart;
    const double frames = double(device->reader()->framesDecoded());
    const double signal = frames / (protocol == TRecorderSimulator::Protocol::HR ? 1000.0 : 500.0);
    recorder.stop();
    std::printf("  link through a pseudo-terminal, %-8s %5.0f s of signal in %.2f CPU s (simulator included) = "
                "%.0fx live\n",
                name, signal, cpu, signal / cpu);
}

} // namespace

int main(int argc, char** argv)
{
    const int minutes = argc > 1 ? std::max(1, std::atoi(argv[1])) : 30;
    const int linkSeconds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    std::printf("recorder link: decoder over %d minutes of frames, link for %d s\n", minutes, linkSeconds);
    benchDecoder("default, mask 1087:", Format::Default, TLeadTable::DefaultChannelMask, minutes);
    benchDecoder("default, all leads:", Format::Default, TLeadTable::AllLeadsMask, minutes);
    benchDecoder("HR (pairs averaged):", Format::HR, TLeadTable::AllLeadsMask, minutes);
    benchLink("default", TRecorderSimulator::Protocol::Default, linkSeconds);
    benchLink("HR", TRecorderSimulator::Protocol::HR, linkSeconds);
    return 0;
}
