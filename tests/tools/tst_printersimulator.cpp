#include "TPrinterCommandReader.h"
#include "TPrinterSimulator.h"
#include "TestWait.h"

#include <QtTest>
#include <iterator>
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace {

// A 1-bit picture of random dots, as the strip report renders one.
QImage randomDots(int bytesPerRow, int rows, quint32 seed)
{
    QImage image(bytesPerRow * 8, rows, QImage::Format_Mono);
    image.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    QRandomGenerator random(seed);
    for (int y = 0; y < rows; ++y)
        for (int x = 0; x < bytesPerRow; ++x)
            image.scanLine(y)[x] = uchar(random.generate());
    return image;
}

QByteArray bandHeader(int bytesPerRow, int rows, int mode = 0)
{
    const char header[] = {0x1D, 0x76, 0x30, char(mode), char(bytesPerRow & 0xFF), char(bytesPerRow >> 8),
                           char(rows & 0xFF), char(rows >> 8)};
    return QByteArray(header, sizeof header);
}

// Rows first..first+rows-1 of the picture as one GS v 0 band.
QByteArray band(const QImage& image, int first, int rows, int mode = 0)
{
    const int bytesPerRow = image.width() / 8;
    QByteArray bytes = bandHeader(bytesPerRow, rows, mode);
    for (int y = first; y < first + rows; ++y)
        bytes.append(reinterpret_cast<const char*>(image.constScanLine(y)), bytesPerRow);
    return bytes;
}

const QByteArray initialise("\x1B\x40", 2);
const QByteArray feed("\x1B\x64\x05", 3);

// A whole job as the host sends it: initialise, bands, feed.
QByteArray job(const QImage& image, int bandRows, int mode = 0)
{
    QByteArray bytes = initialise;
    for (int first = 0; first < image.height(); first += bandRows)
        bytes.append(band(image, first, qMin(bandRows, image.height() - first), mode));
    return bytes + feed;
}

bool isDot(const QImage& image, int x, int y)
{
    return qGray(image.pixel(x, y)) < 128;
}

// Empty when both show the same dots, else where they differ.
QString dotDifference(const QImage& printed, const QImage& sent)
{
    if (printed.size() != sent.size())
        return QStringLiteral("printed %1 x %2, sent %3 x %4")
            .arg(printed.width())
            .arg(printed.height())
            .arg(sent.width())
            .arg(sent.height());
    for (int y = 0; y < sent.height(); ++y)
        for (int x = 0; x < sent.width(); ++x)
            if (isDot(printed, x, y) != isDot(sent, x, y))
                return QStringLiteral("dot %1, %2 differs").arg(x).arg(y);
    return QString();
}

// The program's end of the port, non-blocking, as a serial port is opened.
class HostPort
{
public:
    explicit HostPort(const QString& path)
        : m_fd(::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC))
    {
        struct termios tio;
        if (m_fd >= 0 && tcgetattr(m_fd, &tio) == 0) {
            cfmakeraw(&tio);
            tcsetattr(m_fd, TCSANOW, &tio);
        }
    }
    ~HostPort()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    bool isOpen() const { return m_fd >= 0; }

    // Writes from byte `from` on until all is taken, the port takes nothing
    // for stuckMs, or fails; the bytes taken.
    int write(const QByteArray& bytes, int from = 0, int stuckMs = 300)
    {
        int done = from;
        while (done < bytes.size()) {
            const ssize_t n = ::write(m_fd, bytes.constData() + done, size_t(bytes.size() - done));
            if (n > 0)
                done += int(n);
            else if (n < 0 && errno != EAGAIN && errno != EINTR)
                break;
            else if (!waitWritable(stuckMs))
                break;
        }
        return done - from;
    }
    bool waitWritable(int timeoutMs)
    {
        struct pollfd p = {m_fd, POLLOUT, 0};
        return ::poll(&p, 1, timeoutMs) > 0 && (p.revents & POLLOUT) && !(p.revents & POLLHUP);
    }
    // The device end went away: poll says hang-up, a write fails with EIO.
    bool waitHangUp(int timeoutMs)
    {
        struct pollfd p = {m_fd, POLLOUT, 0};
        if (!waitFor([&] { return ::poll(&p, 1, 0) > 0 && (p.revents & POLLHUP); }, timeoutMs))
            return false;
        return ::write(m_fd, "x", 1) < 0 && errno == EIO;
    }

private:
    int m_fd;
};

// A printer on a pseudo-terminal behind a link, writing into a folder of its own.
struct Rig
{
    QTemporaryDir folder;
    TPrinterSimulator printer{folder.filePath("out"), folder.filePath("printer")};

    explicit Rig(int dotsPerSecond = 0) { printer.setDotsPerSecond(dotsPerSecond); }
    bool start() { return folder.isValid() && printer.start(); }
};

} // namespace

class TestPrinterSimulator : public QObject
{
    Q_OBJECT

private slots:
    void jobsRoundTrip_data();
    void jobsRoundTrip();
    void badInput_data();
    void badInput();
    void jobKeptWhenItCannotBeWritten();
    void commandReaderAccountsForEveryByte();
    void stallAndResume();
    void dropAndLinkBack();
    void readsAtThePrintersPace();
};

void TestPrinterSimulator::jobsRoundTrip_data()
{
    QTest::addColumn<int>("bytesPerRow");
    QTest::addColumn<int>("bandRows");
    QTest::addColumn<int>("bands");
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("chunk"); // bytes per write, 0: all at once
    QTest::newRow("strip width, bands of 100 rows") << 70 << 100 << 3 << 0 << 0;
    QTest::newRow("odd sizes, mode as a digit") << 3 << 7 << 5 << int('0') << 0;
    QTest::newRow("written byte by byte") << 2 << 3 << 4 << 1 << 1;
    QTest::newRow("over 256 bytes per row, mode 51") << 300 << 10 << 2 << 51 << 0;
}

void TestPrinterSimulator::jobsRoundTrip()
{
    QFETCH(int, bytesPerRow);
    QFETCH(int, bandRows);
    QFETCH(int, bands);
    QFETCH(int, mode);
    QFETCH(int, chunk);
    Rig rig;
    QVERIFY(rig.start());
    HostPort host(rig.printer.portPath());
    QVERIFY(host.isOpen());
    // Two jobs of one run: numbered 1 and 2.
    const QImage sent[2] = {randomDots(bytesPerRow, bandRows * bands, 1),
                            randomDots(bytesPerRow, bandRows * bands - 1, 2)};
    const QByteArray bytes = job(sent[0], bandRows, mode) + job(sent[1], bandRows, mode);
    const int step = chunk > 0 ? chunk : bytes.size();
    for (int at = 0; at < bytes.size(); at += step)
        QCOMPARE(host.write(bytes.mid(at, step)), qMin(step, bytes.size() - at));
    QVERIFY(waitFor([&] { return rig.printer.jobCount() == 2; }, 5000));
    const QVector<TPrinterSimulator::Job> jobs = rig.printer.jobs();
    QCOMPARE(jobs.size(), 2);
    for (int k = 0; k < 2; ++k) {
        const TPrinterSimulator::Job& printed = jobs[k];
        QCOMPARE(printed.number, k + 1);
        QCOMPARE(printed.bands, bands);
        QCOMPARE(printed.filePath, rig.folder.filePath(QStringLiteral("out/job-%1.png").arg(k + 1)));
        QCOMPARE(printed.image.format(), QImage::Format_Mono);
        QCOMPARE(dotDifference(printed.image, sent[k]), QString());
        const QImage file(printed.filePath, "PNG");
        QCOMPARE(file.depth(), 1);
        QCOMPARE(dotDifference(file, sent[k]), QString());
        QVERIFY(printed.finishedMs >= printed.startedMs);
    }
    QCOMPARE(rig.printer.bandsReceived(), 2 * bands);
    QCOMPARE(rig.printer.notes(), QStringList());
}

void TestPrinterSimulator::badInput_data()
{
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<QVector<QImage>>("printed");
    QTest::addColumn<QStringList>("notes");
    const QImage a = randomDots(4, 10, 3);
    const QImage b = randomDots(4, 6, 4);
    const QImage c = randomDots(3, 5, 5);
    QTest::newRow("letters between jobs")
        << job(a, 4) + "ABC" + job(b, 4) << QVector<QImage>{a, b}
        << QStringList{"skipped 3 bytes not understood: 41 42 43"};
    QTest::newRow("unknown escape command")
        << QByteArray("\x1B\x74\x11") + job(a, 4) << QVector<QImage>{a}
        << QStringList{"skipped 3 bytes not understood: 1B 74 11"};
    QTest::newRow("raster mode out of range")
        << bandHeader(1, 1, 7) + job(a, 4) << QVector<QImage>{a}
        << QStringList{"skipped 8 bytes not understood: 1D 76 30 07 01 00 01 00"};
    QTest::newRow("a command's start, then another command")
        << QByteArray("\x1D\x76") + job(a, 4) << QVector<QImage>{a}
        << QStringList{"skipped 2 bytes not understood: 1D 76"};
    QTest::newRow("a long run shows its start")
        << QByteArray(40, 'Z') + job(a, 10) << QVector<QImage>{a}
        << QStringList{"skipped 40 bytes not understood: " + QString("5A ").repeated(16) + "..."};
    QTest::newRow("garbage that nothing follows")
        << job(a, 4) + "\xFF" << QVector<QImage>{a} << QStringList{"skipped 1 byte not understood: FF"};
    QTest::newRow("initialised in the middle of a job")
        << initialise + band(a, 0, 5) + band(a, 5, 5) + job(b, 3) << QVector<QImage>{b}
        << QStringList{"job cut short after 2 bands (10 rows): initialised again"};
    QTest::newRow("band width changes within a job")
        << initialise + band(a, 0, 10) + band(c, 0, 5) + feed << QVector<QImage>{c}
        << QStringList{"job cut short after 1 band (10 rows): a band 3 bytes wide came after bands 4 bytes wide"};
    QTest::newRow("empty band") << initialise + bandHeader(4, 0) + band(a, 0, 10) + feed << QVector<QImage>{a}
                                << QStringList{"empty raster band (4 bytes x 0 rows) ignored"};
    QTest::newRow("feed without a job") << feed + job(a, 4) << QVector<QImage>{a} << QStringList();
    // Its data is taken as data, commands in it too: the printer stays in step.
    QByteArray wide = bandHeader(1025, 2);
    while (wide.size() < 8 + 2050)
        wide.append(initialise);
    QTest::newRow("band wider than any head")
        << wide.left(8 + 2050) + job(a, 4) << QVector<QImage>{a}
        << QStringList{"raster band of 8200 dots is wider than 8192: its 2 rows skipped"};
}

void TestPrinterSimulator::badInput()
{
    QFETCH(QByteArray, stream);
    QFETCH(QVector<QImage>, printed);
    QFETCH(QStringList, notes);
    Rig rig;
    QVERIFY(rig.start());
    HostPort host(rig.printer.portPath());
    QVERIFY(host.isOpen());
    QCOMPARE(host.write(stream), stream.size());
    QVERIFY2(waitFor([&] {
                 return rig.printer.jobCount() >= printed.size() && rig.printer.notes().size() >= notes.size();
             }, 3000),
             qPrintable(rig.printer.report().join('\n')));
    // Longer than a run of garbage may wait for its end: nothing more comes.
    QThread::msleep(250);
    QCOMPARE(rig.printer.notes(), notes);
    const QVector<TPrinterSimulator::Job> jobs = rig.printer.jobs();
    QCOMPARE(jobs.size(), printed.size());
    for (int k = 0; k < jobs.size(); ++k)
        QCOMPARE(dotDifference(jobs[k].image, printed[k]), QString());
}

void TestPrinterSimulator::jobKeptWhenItCannotBeWritten()
{
    // The output folder is a file: the job is reported, kept and not lost.
    QTemporaryDir folder;
    const QString out = folder.filePath("taken");
    QFile file(out);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    TPrinterSimulator printer(out);
    printer.setDotsPerSecond(0);
    QVERIFY(printer.start());
    HostPort host(printer.portPath());
    const QImage sent = randomDots(2, 4, 10);
    QCOMPARE(host.write(job(sent, 4)), job(sent, 4).size());
    QVERIFY(waitFor([&] { return printer.jobCount() == 1; }, 3000));
    const TPrinterSimulator::Job printed = printer.jobs().value(0);
    QCOMPARE(printed.filePath, QString());
    QCOMPARE(dotDifference(printed.image, sent), QString());
    const QStringList notes = printer.notes();
    QCOMPARE(notes.size(), 1);
    QVERIFY2(notes[0].startsWith("job 1 not written to " + out + "/job-1.png: "), qPrintable(notes[0]));
    QVERIFY2(printer.report().last().endsWith(" (not written)"), qPrintable(printer.report().join('\n')));
}

void TestPrinterSimulator::commandReaderAccountsForEveryByte()
{
    // Random mixtures of commands, band data and noise, in random pieces and
    // with random data allowances: every byte is handed out once, as what it is.
    const QByteArray pieces[] = {initialise, feed, bandHeader(3, 2), bandHeader(0, 4, 49), QByteArray("\x1B"),
                                 QByteArray("\x1D\x76\x30"), QByteArray("\x00\xFF\x1B\x64", 4)};
    for (quint32 seed = 1; seed <= 20; ++seed) {
        QRandomGenerator random(seed);
        QByteArray stream;
        while (stream.size() < 5000) {
            if (random.bounded(3) == 0)
                stream.append(char(random.bounded(256)));
            else
                stream.append(pieces[random.bounded(int(std::size(pieces)))]);
        }
        TPrinterCommandReader reader;
        qint64 handedOut = 0;
        qint64 bandLeft = 0;
        for (int at = 0; at < stream.size();) {
            const int n = qMin(int(random.bounded(1, 64)), stream.size() - at);
            reader.append(stream.constData() + at, n);
            at += n;
            for (;;) {
                const qint64 allowance = random.bounded(1, 8);
                const TPrinterCommandReader::Item item = reader.next(allowance);
                if (item.kind == TPrinterCommandReader::Kind::NeedMore)
                    break;
                switch (item.kind) {
                case TPrinterCommandReader::Kind::Initialise: handedOut += 2; break;
                case TPrinterCommandReader::Kind::Feed: handedOut += 3; break;
                case TPrinterCommandReader::Kind::BandHeader:
                    QCOMPARE(bandLeft, 0);
                    bandLeft = qint64(item.bytesPerRow) * item.rows;
                    handedOut += 8;
                    break;
                case TPrinterCommandReader::Kind::BandData:
                    QVERIFY(item.count <= allowance && item.count == item.bytes.size());
                    bandLeft -= item.count;
                    QCOMPARE(item.bandComplete, bandLeft == 0);
                    handedOut += item.count;
                    break;
                default:
                    QVERIFY(item.count > 0);
                    handedOut += item.count;
                    break;
                }
            }
        }
        handedOut += reader.takeSkipped().count;
        QCOMPARE(handedOut + reader.buffered(), qint64(stream.size()));
    }
}

void TestPrinterSimulator::stallAndResume()
{
    Rig rig;
    rig.printer.stallAfterBands(2);
    QVERIFY(rig.start());
    HostPort host(rig.printer.portPath());
    QVERIFY(host.isOpen());
    // 70 KB: more than the printer and the pseudo-terminal hold between them;
    // bands smaller than the printer's buffer, which must hold them back.
    const QImage sent = randomDots(70, 1000, 6);
    const QByteArray bytes = job(sent, 10);
    const int taken = host.write(bytes);
    QVERIFY2(taken < bytes.size(), "the writes should stop completing");
    QVERIFY(rig.printer.isStalled());
    QCOMPARE(rig.printer.bandsReceived(), 2);
    QVERIFY(!host.waitWritable(200));
    QCOMPARE(rig.printer.jobCount(), 0);

    rig.printer.resume();
    QVERIFY(host.waitWritable(2000));
    QCOMPARE(host.write(bytes, taken, 2000), bytes.size() - taken);
    QVERIFY(waitFor([&] { return rig.printer.jobCount() == 1; }, 3000));
    // Nothing was lost while the paper was out.
    QCOMPARE(dotDifference(rig.printer.jobs().value(0).image, sent), QString());
    QCOMPARE(rig.printer.notes(), QStringList());
    const QStringList report = rig.printer.report();
    QVERIFY2(report.contains("paper out: reading stopped after 2 bands"), qPrintable(report.join('\n')));
}

void TestPrinterSimulator::dropAndLinkBack()
{
    Rig rig;
    rig.printer.dropAfterBands(2);
    rig.printer.setReconnectDelayMs(300);
    QVERIFY(rig.start());
    const QString link = rig.printer.portPath();
    const QImage first = randomDots(70, 1000, 7);
    {
        HostPort host(link);
        QVERIFY(host.isOpen());
        const QByteArray bytes = job(first, 100);
        QVERIFY(host.write(bytes) < bytes.size());
        QVERIFY(host.waitHangUp(2000));
    }
    QCOMPARE(rig.printer.bandsReceived(), 2);
    // Out for 300 ms, then back.
    QVERIFY(waitFor([&] { return !rig.printer.isPluggedIn(); }, 1000));
    QVERIFY(waitFor([&] { return rig.printer.isPluggedIn(); }, 3000));
    QCOMPARE(rig.printer.portPath(), link);
    // The job in progress went with the link; the next one prints.
    QCOMPARE(rig.printer.notes(), QStringList{"job cut short after 2 bands (200 rows): the link dropped"});
    const QImage second = randomDots(70, 300, 8);
    HostPort host(link);
    QVERIFY(host.isOpen());
    QCOMPARE(host.write(job(second, 100)), job(second, 100).size());
    QVERIFY(waitFor([&] { return rig.printer.jobCount() == 1; }, 3000));
    QCOMPARE(dotDifference(rig.printer.jobs().value(0).image, second), QString());
    QVERIFY(rig.printer.report().contains("link dropped after 2 bands: back in 0.3 s"));
}

void TestPrinterSimulator::readsAtThePrintersPace()
{
    // 1000 rows at 2000 rows per second: half a second of printing.
    Rig rig(2000);
    QVERIFY(rig.start());
    HostPort host(rig.printer.portPath());
    QVERIFY(host.isOpen());
    const QImage sent = randomDots(70, 1000, 9);
    const QByteArray bytes = job(sent, 100);
    QElapsedTimer timer;
    timer.start();
    QCOMPARE(host.write(bytes, 0, 2000), bytes.size());
    QVERIFY(waitFor([&] { return rig.printer.jobCount() == 1; }, 5000));
    QVERIFY2(timer.elapsed() >= 400, qPrintable(QString::number(timer.elapsed())));
    const TPrinterSimulator::Job printed = rig.printer.jobs().value(0);
    QVERIFY(printed.finishedMs - printed.startedMs >= 400);
    QCOMPARE(dotDifference(printed.image, sent), QString());
}

QTEST_GUILESS_MAIN(TestPrinterSimulator)
#include "tst_printersimulator.moc"
