#include "TElectrodes.h"
#include "TLeadTable.h"
#include "TRecorderFrame.h"
#include "TRecorderFrameEncoder.h"
#include "TRecorderStatus.h"
#include "TRecorderStreamDecoder.h"

#include <QtTest>
#include <array>
#include <random>
#include <vector>

using Format = TRecorderProtocol::Format;
using Leads = std::array<qint16, 14>;

namespace {

TRecorderFrameEncoder::Electrodes noneOff()
{
    return TRecorderFrameEncoder::Electrodes{};
}

QByteArray encode(Format format, const Leads& leads, const TRecorderFrameEncoder::Electrodes& off = noneOff(),
                  quint8 battery = 200)
{
    return format == Format::HR ? TRecorderFrameEncoder::hrFrame(leads.data(), off, battery)
                                : TRecorderFrameEncoder::defaultFrame(leads.data(), off, battery);
}

// Measured leads that tell frames apart: V1 carries the frame number.
Leads numberedLeads(int frame)
{
    Leads leads{};
    for (int lead = 0; lead < 14; ++lead)
        leads[size_t(lead)] = qint16(100 * lead + 7);
    leads[TLeadTable::V1] = qint16(frame);
    return leads;
}

std::vector<qint16> decodeAll(TRecorderStreamDecoder& decoder, const QByteArray& bytes, int* frames = nullptr)
{
    std::vector<char> out;
    const int n = decoder.decode(bytes.constData(), bytes.size(), out);
    if (frames)
        *frames = n;
    std::vector<qint16> values(out.size() / 2);
    for (size_t k = 0; k < values.size(); ++k)
        values[k] = qint16(quint16(quint8(out[2 * k])) | quint16(quint8(out[2 * k + 1])) << 8);
    return values;
}

} // namespace

Q_DECLARE_METATYPE(Format)

class TestRecorderDecoder : public QObject
{
    Q_OBJECT

private slots:
    void augmentedLeads_data();
    void augmentedLeads();
    void electrodeStatusBits_data();
    void electrodeStatusBits();
    void lostElectrodeZeroesItsLeads_data();
    void lostElectrodeZeroesItsLeads();
    void maskSelectsLeadsInOrder();
    void batteryVoltage_data();
    void batteryVoltage();
    void saturationAfterHalfASecond();
    void hrProtocolAveragesPairs();
    void hrProtocolIgnoresSaturation();
    void midFrameStartLosesAtMostOneFrame_data();
    void midFrameStartLosesAtMostOneFrame();
    void markerLikeSignalDoesNotHideTheNextFrame();
    void garbageNeverBreaksTheDecoder_data();
    void garbageNeverBreaksTheDecoder();
};

void TestRecorderDecoder::augmentedLeads_data()
{
    QTest::addColumn<int>("i");
    QTest::addColumn<int>("ii");
    QTest::addColumn<int>("iii");
    QTest::addColumn<int>("aVR");
    QTest::addColumn<int>("aVL");
    QTest::addColumn<int>("aVF");
    QTest::newRow("typical") << 1000 << 3000 << 2000 << -2000 << -500 << 2500;
    QTest::newRow("odd sums truncate toward zero") << 3 << 0 << 0 << -1 << 1 << 0;
    QTest::newRow("negative odd sums too") << -3 << 0 << -4 << 1 << 0 << -2;
    QTest::newRow("aVR limited to 32767") << -32768 << -32768 << 0 << 32767 << -16384 << -16384;
    QTest::newRow("aVR lowest") << 32767 << 32767 << 0 << -32767 << 16383 << 16383;
    QTest::newRow("aVL at its ends") << 32767 << 0 << -32768 << -16383 << 32767 << -16384;
    QTest::newRow("aVF at its ends") << 0 << -32768 << -32768 << 16384 << 16384 << -32768;
}

void TestRecorderDecoder::augmentedLeads()
{
    QFETCH(int, i);
    QFETCH(int, ii);
    QFETCH(int, iii);
    QFETCH(int, aVR);
    QFETCH(int, aVL);
    QFETCH(int, aVF);
    for (Format format : {Format::Default, Format::HR}) {
        Leads leads{};
        leads[TLeadTable::I] = qint16(i);
        leads[TLeadTable::II] = qint16(ii);
        leads[TLeadTable::III] = qint16(iii);
        const QByteArray bytes = encode(format, leads);
        const TRecorderFrame frame = TRecorderFrame::decode(format, reinterpret_cast<const quint8*>(bytes.data()));
        QCOMPARE(int(frame.leads[TLeadTable::I]), i);
        QCOMPARE(int(frame.leads[TLeadTable::aVR]), aVR);
        QCOMPARE(int(frame.leads[TLeadTable::aVL]), aVL);
        QCOMPARE(int(frame.leads[TLeadTable::aVF]), aVF);
    }
}

void TestRecorderDecoder::electrodeStatusBits_data()
{
    QTest::addColumn<int>("a");
    QTest::addColumn<int>("b");
    QTest::addColumn<int>("c");
    QTest::addColumn<int>("d");
    QTest::addColumn<QString>("off"); // electrodes off, in LA..V6 order
    QTest::newRow("none") << 0 << 0 << 0 << 0 << "";
    QTest::newRow("LA: A bit 5") << 0x20 << 0 << 0 << 0 << "LA";
    QTest::newRow("LL: A bit 6") << 0x40 << 0 << 0 << 0 << "LL";
    QTest::newRow("LL: A bit 7") << 0x80 << 0 << 0 << 0 << "LL";
    QTest::newRow("RA: B bit 5") << 0 << 0x20 << 0 << 0 << "RA";
    QTest::newRow("RA: B bit 6") << 0 << 0x40 << 0 << 0 << "RA";
    QTest::newRow("V1..V4: C bits 4..7") << 0 << 0 << 0xF0 << 0 << "V1 V2 V3 V4";
    QTest::newRow("V5: A bit 4") << 0x10 << 0 << 0 << 0 << "V5";
    QTest::newRow("V6: D bit 4") << 0 << 0 << 0 << 0x10 << "V6";
    QTest::newRow("other bits mean nothing") << 0x0F << 0x9F << 0x0F << 0xEF << "";
    QTest::newRow("all") << 0xF0 << 0x60 << 0xF0 << 0x10 << "LA LL RA V1 V2 V3 V4 V5 V6";
}

void TestRecorderDecoder::electrodeStatusBits()
{
    QFETCH(int, a);
    QFETCH(int, b);
    QFETCH(int, c);
    QFETCH(int, d);
    QFETCH(QString, off);
    const TElectrodes::OffFlags flags = TElectrodes::fromStatusBytes(quint8(a), quint8(b), quint8(c), quint8(d));
    QStringList names;
    for (int e = 0; e < TElectrodes::Count; ++e)
        if (flags[size_t(e)])
            names.append(TElectrodes::name(e));
    QCOMPARE(names.join(' '), off);

    // The status reports them by name, through the decoder.
    TRecorderStatus status;
    TRecorderStreamDecoder decoder(Format::Default, -1, &status);
    QByteArray frame = encode(Format::Default, Leads{});
    frame[2] = char(a);
    frame[3] = char(b);
    frame[14] = char(c);
    frame[26] = char(d);
    decodeAll(decoder, frame);
    for (int e = 0; e < TElectrodes::Count; ++e)
        QCOMPARE(status.isElectrodeOff(TElectrodes::name(e)), names.contains(TElectrodes::name(e)));
    QVERIFY(!status.isElectrodeOff("XX"));
    QVERIFY(!status.isElectrodeOff(nullptr));
}

void TestRecorderDecoder::lostElectrodeZeroesItsLeads_data()
{
    QTest::addColumn<QString>("electrode");
    QTest::addColumn<QString>("zeroed");
    QTest::newRow("LA") << "LA" << "I III aVR aVL";
    QTest::newRow("LL") << "LL" << "II III aVR aVL";
    QTest::newRow("RA") << "RA" << "I II aVR aVL";
    QTest::newRow("V1") << "V1" << "V1";
    QTest::newRow("V4") << "V4" << "V4";
    QTest::newRow("V5") << "V5" << "V5";
    QTest::newRow("V6") << "V6" << "V6";
}

void TestRecorderDecoder::lostElectrodeZeroesItsLeads()
{
    QFETCH(QString, electrode);
    QFETCH(QString, zeroed);
    TRecorderFrameEncoder::Electrodes off{};
    off[size_t(TElectrodes::index(qPrintable(electrode)))] = true;
    Leads leads{};
    for (int lead = 0; lead < 14; ++lead)
        leads[size_t(lead)] = qint16(1000 + 10 * lead); // every derived lead non-zero too
    TRecorderStatus status;
    TRecorderStreamDecoder decoder(Format::Default, -1, &status);
    const std::vector<qint16> values = decodeAll(decoder, encode(Format::Default, leads, off));
    QCOMPARE(int(values.size()), 14);
    for (int lead = 0; lead < 14; ++lead) {
        const bool shouldBeZero = zeroed.split(' ').contains(TLeadTable::leadName(lead));
        if (shouldBeZero != (values[size_t(lead)] == 0))
            QFAIL(qPrintable(QString("lead %1 is %2").arg(TLeadTable::leadName(lead)).arg(values[size_t(lead)])));
    }
    QVERIFY(status.isElectrodeOff(qPrintable(electrode)));
}

void TestRecorderDecoder::maskSelectsLeadsInOrder()
{
    Leads leads{};
    leads[TLeadTable::I] = 1000;
    leads[TLeadTable::II] = 3000;
    leads[TLeadTable::III] = 2000;
    leads[TLeadTable::V5] = -1234;
    leads[TLeadTable::V1] = 555; // not selected
    TRecorderStreamDecoder decoder(Format::Default, TLeadTable::DefaultChannelMask, nullptr);
    QCOMPARE(decoder.deliveredFrameBytes(), 14);
    std::vector<char> out;
    const QByteArray frames = encode(Format::Default, leads) + encode(Format::Default, leads);
    QCOMPARE(decoder.decode(frames.constData(), frames.size(), out), 2);
    QCOMPARE(int(out.size()), 28);
    const std::vector<qint16> values = decodeAll(decoder, encode(Format::Default, leads));
    const std::vector<qint16> expected = {1000, 3000, 2000, -2000, -500, 2500, -1234};
    QCOMPARE(values, expected);
    // Little-endian on the wire to the driver: I = 1000 = 0x03E8.
    QCOMPARE(quint8(out[0]), quint8(0xE8));
    QCOMPARE(quint8(out[1]), quint8(0x03));
}

void TestRecorderDecoder::batteryVoltage_data()
{
    QTest::addColumn<int>("byte");
    QTest::addColumn<double>("volts");
    QTest::newRow("200") << 200 << 2.6;
    QTest::newRow("0") << 0 << 0.0;
    QTest::newRow("255") << 255 << 3.315;
}

void TestRecorderDecoder::batteryVoltage()
{
    QFETCH(int, byte);
    QFETCH(double, volts);
    for (Format format : {Format::Default, Format::HR}) {
        TRecorderStatus status;
        TRecorderStreamDecoder decoder(format, -1, &status);
        decodeAll(decoder, encode(format, Leads{}, noneOff(), quint8(byte)));
        QVERIFY2(qAbs(status.batteryVolts() - volts) < 1e-9, qPrintable(QString::number(status.batteryVolts())));
    }
}

void TestRecorderDecoder::saturationAfterHalfASecond()
{
    TRecorderStatus status;
    TRecorderStreamDecoder decoder(Format::Default, TLeadTable::DefaultChannelMask, &status);
    Leads stuck{};
    stuck[TLeadTable::II] = 32767;
    stuck[TLeadTable::V3] = -32001; // below -32000 counts too, delivered or not
    const QByteArray frame = encode(Format::Default, stuck);
    for (int k = 0; k < 249; ++k)
        decodeAll(decoder, frame);
    QVERIFY(!status.isSaturated(TLeadTable::II));
    decodeAll(decoder, frame);
    QVERIFY(status.isSaturated(TLeadTable::II));
    QVERIFY(status.isSaturated(TLeadTable::V3));
    QVERIFY(!status.isSaturated(TLeadTable::aVF)); // (32767 + 0) / 2 is within the limit
    QVERIFY(!status.isSaturated(TLeadTable::I));
    QVERIFY(!status.isSaturated(14));
    QVERIFY(!status.isSaturated(-1));
    // One value within +-32000 clears it at once.
    Leads back = stuck;
    back[TLeadTable::II] = 32000;
    decodeAll(decoder, encode(Format::Default, back));
    QVERIFY(!status.isSaturated(TLeadTable::II));
    QVERIFY(status.isSaturated(TLeadTable::V3));
}

void TestRecorderDecoder::hrProtocolAveragesPairs()
{
    TRecorderStatus status;
    TRecorderStreamDecoder decoder(Format::HR, TLeadTable::DefaultChannelMask, &status);
    QCOMPARE(decoder.deliveredFrameBytes(), 28); // always all 14 leads
    Leads first{}, second{};
    for (int lead = 0; lead < 14; ++lead) {
        first[size_t(lead)] = qint16(10 * lead + 1);
        second[size_t(lead)] = qint16(10 * lead + 4);
    }
    first[TLeadTable::V2] = -3;
    second[TLeadTable::V2] = -4;
    int frames = 0;
    QVERIFY(decodeAll(decoder, encode(Format::HR, first), &frames).empty());
    QCOMPARE(frames, 1);
    const std::vector<qint16> mean = decodeAll(decoder, encode(Format::HR, second), &frames);
    QCOMPARE(frames, 1);
    QCOMPARE(int(mean.size()), 14);
    QCOMPARE(int(mean[TLeadTable::I]), (1 + 4) >> 1);
    QCOMPARE(int(mean[TLeadTable::V2]), -4); // (-3 + -4) >> 1 rounds down
    QCOMPARE(int(mean[TLeadTable::CR5]), (131 + 134) >> 1);
    // The derived leads are averaged as derived, per frame.
    const int aVR1 = -(1 + 11) / 2, aVR2 = -(4 + 14) / 2;
    QCOMPARE(int(mean[TLeadTable::aVR]), (aVR1 + aVR2) >> 1);
    // Three more frames give one more output frame, a fourth another.
    QCOMPARE(int(decodeAll(decoder, encode(Format::HR, first) + encode(Format::HR, second) +
                                        encode(Format::HR, first))
                     .size()),
             14);
    QCOMPARE(int(decodeAll(decoder, encode(Format::HR, second)).size()), 14);
}

void TestRecorderDecoder::hrProtocolIgnoresSaturation()
{
    TRecorderStatus status;
    TRecorderStreamDecoder decoder(Format::HR, -1, &status);
    Leads stuck{};
    stuck[TLeadTable::I] = 32767;
    const QByteArray frame = encode(Format::HR, stuck);
    for (int k = 0; k < 600; ++k)
        decodeAll(decoder, frame);
    QVERIFY(!status.isSaturated(TLeadTable::I));
}

void TestRecorderDecoder::midFrameStartLosesAtMostOneFrame_data()
{
    QTest::addColumn<Format>("format");
    QTest::addColumn<int>("offset");
    for (Format format : {Format::Default, Format::HR}) {
        const int size = TRecorderProtocol::frameSize(format);
        for (int offset = 0; offset < size; ++offset)
            QTest::addRow("%s at byte %d", format == Format::HR ? "HR" : "default", offset) << format << offset;
    }
}

void TestRecorderDecoder::midFrameStartLosesAtMostOneFrame()
{
    QFETCH(Format, format);
    QFETCH(int, offset);
    QByteArray stream;
    for (int f = 0; f < 20; ++f) {
        Leads leads = numberedLeads(f);
        // Marker-like bytes inside the signal, where they could fool a search.
        leads[TLeadTable::V2] = qint16(0x01C0);
        leads[TLeadTable::CM5] = qint16(quint16(0xC001));
        stream += encode(format, leads);
    }
    stream.remove(0, offset);
    TRecorderStreamDecoder decoder(format, -1, nullptr);
    int frames = 0;
    const std::vector<qint16> values = decodeAll(decoder, stream, &frames);
    const int lost = 20 - frames;
    QVERIFY2(lost <= (offset > 0 ? 1 : 0), qPrintable(QString("%1 frames lost").arg(lost)));
    // What came is the real frames, in order, from the first whole one.
    QVERIFY(!values.empty());
    const int first = 20 - frames;
    const int leads = 14;
    const int delivered = int(values.size()) / leads;
    QCOMPARE(delivered, format == Format::Default ? frames : frames / 2);
    for (int k = 0; k < delivered; ++k) {
        const int v1 = values[size_t(k * leads + TLeadTable::V1)];
        if (format == Format::Default)
            QCOMPARE(v1, first + k);
        else
            QCOMPARE(v1, ((first + 2 * k) + (first + 2 * k + 1)) >> 1);
    }
}

void TestRecorderDecoder::markerLikeSignalDoesNotHideTheNextFrame()
{
    // A false start whose checked bytes match until the real next frame begins:
    // V6 holding 0x01C0 puts "01 C0" at offset 28, so a naive search would read
    // offsets 28..39 as a packet and meet the real frame start at offset 40,
    // where it expects 0x02, and lose that frame too.
    Leads leads = numberedLeads(0);
    leads[TLeadTable::V6] = qint16(0x01C0);
    QByteArray stream;
    for (int f = 0; f < 5; ++f) {
        leads[TLeadTable::V1] = qint16(f);
        stream += encode(Format::Default, leads);
    }
    stream.remove(0, 20); // start past the first frame's start
    TRecorderStreamDecoder decoder(Format::Default, -1, nullptr);
    int frames = 0;
    const std::vector<qint16> values = decodeAll(decoder, stream, &frames);
    QCOMPARE(frames, 4);
    QCOMPARE(int(values[TLeadTable::V1]), 1);
    QCOMPARE(decoder.droppedFrames(), quint64(1)); // the false start
}

void TestRecorderDecoder::garbageNeverBreaksTheDecoder_data()
{
    QTest::addColumn<Format>("format");
    QTest::addColumn<int>("mask");
    QTest::newRow("default, launcher mask") << Format::Default << TLeadTable::DefaultChannelMask;
    QTest::newRow("default, all leads") << Format::Default << -1;
    QTest::newRow("default, no lead") << Format::Default << 0;
    QTest::newRow("default, bits beyond the table") << Format::Default << int(0xFFFFC000);
    QTest::newRow("HR") << Format::HR << TLeadTable::DefaultChannelMask;
}

void TestRecorderDecoder::garbageNeverBreaksTheDecoder()
{
    // Random bytes, random bytes with marker bytes sprinkled in, and real
    // frames between the bursts: the decoder keeps its state sound throughout
    // and finds the real frames again after every burst.
    QFETCH(Format, format);
    QFETCH(int, mask);
    std::mt19937 random(4711);
    TRecorderStatus status;
    TRecorderStreamDecoder decoder(format, mask, &status);
    const int outBytes = decoder.deliveredFrameBytes();
    std::vector<char> out;
    quint64 produced = 0;
    for (int round = 0; round < 400; ++round) {
        QByteArray garbage(int(random() % 20000), '\0');
        const bool markers = round % 2 == 1;
        for (char& c : garbage) {
            const quint32 r = random();
            c = markers && r % 7 == 0 ? char(r % 3 == 0 ? 0xC0 : (r >> 8) % 4) : char(r & 0xFF);
        }
        int frames = decoder.decode(garbage.constData(), garbage.size(), out);
        produced += quint64(frames);
        // A frame start at a random phase of the burst's end, then real frames.
        QByteArray real;
        for (int f = 0; f < 6; ++f)
            real += encode(format, numberedLeads(f));
        frames = decoder.decode(real.constData(), real.size(), out);
        produced += quint64(frames);
        // At most one real frame is lost to a partial one left by the garbage
        // (a garbage prefix may match a frame start), plus in HR a pair.
        QVERIFY2(frames >= 4, qPrintable(QString("round %1: %2 frames").arg(round).arg(frames)));
    }
    QCOMPARE(decoder.framesDecoded(), produced);
    if (outBytes > 0)
        QVERIFY(out.size() % size_t(outBytes) == 0);
    const double battery = status.batteryVolts();
    QVERIFY(battery >= 0.0 && battery <= 255 * 0.013 + 1e-9);
}

QTEST_APPLESS_MAIN(TestRecorderDecoder)
#include "tst_recorderdecoder.moc"
