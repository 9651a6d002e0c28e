#include "TPrinterSimulator.h"

#include <QDir>
#include <QImageWriter>
#include <QSaveFile>
#include <cmath>
#include <utility>

namespace {

using Item = TPrinterCommandReader::Item;
using Kind = TPrinterCommandReader::Kind;

// Head time the printer may run ahead of the clock: reads come in pieces.
constexpr double PaceSlackUs = 10000;
// A run of garbage that nothing follows for this long is noted as it is.
constexpr qint64 SkippedQuietMs = 100;
constexpr size_t NotesKept = 10000;
constexpr size_t ReportKept = 100000;

QString deepCopy(const QString& text)
{
    return QString(text.constData(), text.size());
}

QString count(qint64 n, const char* one, const char* many)
{
    return QStringLiteral("%1 %2").arg(n).arg(QLatin1String(n == 1 ? one : many));
}

QString skippedText(const Item& item)
{
    QStringList hex;
    for (char c : item.bytes)
        hex.append(QStringLiteral("%1").arg(quint8(c), 2, 16, QLatin1Char('0')).toUpper());
    if (item.count > item.bytes.size())
        hex.append(QStringLiteral("..."));
    return QStringLiteral("skipped %1 not understood: %2").arg(count(item.count, "byte", "bytes"), hex.join(' '));
}

bool writePng(const QImage& image, const QString& path, QString* error)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    // Through a temporary file: a reader never sees half a picture.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        *error = file.errorString();
        return false;
    }
    QImageWriter writer(&file, "png");
    if (!writer.write(image)) {
        *error = writer.errorString();
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        *error = file.errorString();
        return false;
    }
    return true;
}

} // namespace

TPrinterSimulator::TPrinterSimulator(const QString& outputFolder, const QString& linkPath)
    : TSimulatedDevice(linkPath), m_outputFolder(deepCopy(outputFolder))
{
}

TPrinterSimulator::~TPrinterSimulator()
{
    stop();
}

QVector<TPrinterSimulator::Job> TPrinterSimulator::jobs() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    QVector<Job> jobs;
    jobs.reserve(int(m_jobs.size()));
    for (const FinishedJob& done : m_jobs)
        jobs.append({done.number, done.raster.image(), done.raster.bands(), deepCopy(done.filePath),
                     done.raster.startedMs(), done.finishedMs});
    return jobs;
}

QStringList TPrinterSimulator::notes() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    QStringList notes;
    for (const QString& text : m_notes)
        notes.append(deepCopy(text));
    return notes;
}

QStringList TPrinterSimulator::report(int from) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    QStringList lines;
    for (size_t k = size_t(qMax(0, from)); k < m_report.size(); ++k)
        lines.append(deepCopy(m_report[k]));
    return lines;
}

QString TPrinterSimulator::summary(const Job& job)
{
    const int width = job.image.width();
    const int height = job.image.height();
    return QStringLiteral("job %1: %2 x %3 dots (%4 x %5 mm), %6, %7 s %8")
        .arg(job.number)
        .arg(width)
        .arg(height)
        .arg(double(width) / DotsPerMm, 0, 'f', 1)
        .arg(double(height) / DotsPerMm, 0, 'f', 1)
        .arg(count(job.bands, "band", "bands"))
        .arg((job.finishedMs - job.startedMs) / 1000.0, 0, 'f', 1)
        .arg(job.filePath.isEmpty() ? QStringLiteral("(not written)") : QStringLiteral("-> ") + job.filePath);
}

void TPrinterSimulator::say(const QString& text)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_report.size() < ReportKept)
        m_report.push_back(text);
    else if (m_report.size() == ReportKept)
        m_report.push_back(QStringLiteral("(further lines left out)"));
}

void TPrinterSimulator::note(const QString& text)
{
    say(text);
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_notes.size() < NotesKept)
        m_notes.push_back(text);
    else if (m_notes.size() == NotesKept)
        m_notes.push_back(QStringLiteral("(further notes left out)"));
}

void TPrinterSimulator::received(const char* data, int count)
{
    m_lastInputMs = elapsedMs();
    m_reader.append(data, count);
    process();
}

int TPrinterSimulator::bytesWanted() const
{
    if (m_dropping || m_stallWanted.load())
        return 0;
    return qMax(0, ReceiveBufferBytes - m_reader.buffered());
}

int TPrinterSimulator::tick()
{
    // A turn begins after the device followed the last plug request: a drop
    // asked for has happened (or was overridden by a plug-in).
    m_dropping = false;
    followStallRequest();
    process();
    if (m_reader.hasSkipped() && elapsedMs() - m_lastInputMs >= SkippedQuietMs)
        handle(m_reader.takeSkipped());
    if (m_reader.inBand() && m_reader.buffered() > 0 && !m_stallWanted.load())
        return msUntilDataAllowed();
    return 20;
}

void TPrinterSimulator::followStallRequest()
{
    const bool stalled = m_stallWanted.load();
    if (stalled == m_stalledShown)
        return;
    m_stalledShown = stalled;
    say(stalled ? QStringLiteral("paper out: reading stopped after %1").arg(count(bandsReceived(), "band", "bands"))
                : QStringLiteral("paper back in: reading again"));
}

void TPrinterSimulator::process()
{
    while (!m_dropping && !m_stallWanted.load()) {
        qint64 allowance = std::numeric_limits<qint64>::max();
        if (m_reader.inBand()) {
            allowance = dataAllowance();
            if (allowance == 0)
                break;
        }
        const Item item = m_reader.next(allowance);
        if (item.kind == Kind::NeedMore)
            break;
        handle(item);
    }
}

qint64 TPrinterSimulator::dataAllowance()
{
    const int dotsPerSecond = m_dotsPerSecond.load();
    if (dotsPerSecond <= 0)
        return std::numeric_limits<qint64>::max();
    const double now = double(elapsedUs());
    // An idle head saves up no time: after a pause it prints at its pace again.
    if (m_headFreeAtUs < now)
        m_headFreeAtUs = now;
    const double aheadUs = now + PaceSlackUs - m_headFreeAtUs;
    if (aheadUs <= 0)
        return 0;
    const double bytesPerUs = double(dotsPerSecond) * m_reader.bandBytesPerRow() / 1e6;
    return qMax<qint64>(1, qint64(aheadUs * bytesPerUs));
}

int TPrinterSimulator::msUntilDataAllowed() const
{
    if (m_dotsPerSecond.load() <= 0)
        return 20; // nothing held back
    const double waitUs = m_headFreeAtUs - PaceSlackUs - double(elapsedUs());
    return qBound(1, int(std::ceil(waitUs / 1000)), 20);
}

void TPrinterSimulator::handle(const Item& item)
{
    switch (item.kind) {
    case Kind::Skipped:
        note(skippedText(item));
        break;
    case Kind::Initialise:
        if (!m_job.isEmpty())
            cutShort(QStringLiteral("initialised again"));
        break;
    case Kind::Feed:
        // Feeding blank paper is no job.
        if (m_job.bands() > 0)
            finishJob();
        break;
    case Kind::BandHeader:
        beginBand(item.bytesPerRow, item.rows);
        break;
    case Kind::BandData:
        bandData(item);
        break;
    case Kind::NeedMore:
        break;
    }
}

void TPrinterSimulator::beginBand(int bytesPerRow, int rows)
{
    if (bytesPerRow == 0 || rows == 0) {
        note(QStringLiteral("empty raster band (%1 bytes x %2 rows) ignored").arg(bytesPerRow).arg(rows));
        return;
    }
    if (bytesPerRow > MaxBytesPerRow) {
        note(QStringLiteral("raster band of %1 dots is wider than %2: its %3 skipped")
                 .arg(bytesPerRow * 8)
                 .arg(MaxBytesPerRow * 8)
                 .arg(count(rows, "row", "rows")));
        m_skippingBand = true;
        return;
    }
    if (!m_job.isEmpty() && m_job.bytesPerRow() != bytesPerRow) {
        cutShort(QStringLiteral("a band %1 bytes wide came after bands %2 bytes wide")
                     .arg(bytesPerRow)
                     .arg(m_job.bytesPerRow()));
    } else if (m_job.bytes() + qint64(bytesPerRow) * rows > MaxJobBytes) {
        note(QStringLiteral("job of %1 rows without a feed printed as it is: the next bands start a new job")
                 .arg(m_job.rows()));
        finishJob();
    }
    m_job.beginBand(bytesPerRow, elapsedMs());
}

void TPrinterSimulator::bandData(const Item& item)
{
    if (m_dotsPerSecond.load() > 0)
        m_headFreeAtUs += double(item.count) * 1e6 / (double(m_dotsPerSecond.load()) * m_reader.bandBytesPerRow());
    if (m_skippingBand) {
        m_skippingBand = !item.bandComplete;
        return;
    }
    m_job.addData(item.bytes.constData(), item.bytes.size());
    if (!item.bandComplete)
        return;
    m_job.completeBand();
    const int bands = m_bandsReceived.fetch_add(1) + 1;
    if (countDown(m_stallCountdown))
        m_stallWanted.store(true);
    if (countDown(m_dropCountdown)) {
        const int delayMs = m_reconnectDelayMs.load();
        say(QStringLiteral("link dropped after %1: back in %2 s")
                .arg(count(bands, "band", "bands"))
                .arg(delayMs / 1000.0, 0, 'f', 1));
        m_dropping = true;
        unplugFor(delayMs);
    }
}

bool TPrinterSimulator::countDown(std::atomic<int>& counter)
{
    int left = counter.load();
    while (left > 0) {
        if (counter.compare_exchange_weak(left, left - 1))
            return left == 1;
    }
    return false;
}

void TPrinterSimulator::cutShort(const QString& reason)
{
    note(QStringLiteral("job cut short after %1 (%2)%3: %4")
             .arg(count(m_job.bands(), "band", "bands"), count(m_job.rows(), "row", "rows"),
                  m_job.hasUnfinishedBand() ? QStringLiteral(" and part of a band") : QString(), reason));
    m_job = TRasterJob();
}

void TPrinterSimulator::finishJob()
{
    FinishedJob done{m_jobCount.load() + 1, std::exchange(m_job, TRasterJob()), QString(), elapsedMs()};
    Job job{done.number, done.raster.image(), done.raster.bands(), QString(), done.raster.startedMs(),
            done.finishedMs};
    if (job.image.isNull()) {
        note(QStringLiteral("job %1 of %2 x %3 dots is too large for an image: not printed")
                 .arg(done.number)
                 .arg(done.raster.widthDots())
                 .arg(done.raster.rows()));
        return;
    }
    if (!m_outputFolder.isEmpty()) {
        const QString path = QDir(m_outputFolder).absoluteFilePath(QStringLiteral("job-%1.png").arg(done.number));
        QString error;
        if (writePng(job.image, path, &error))
            done.filePath = job.filePath = path;
        else
            note(QStringLiteral("job %1 not written to %2: %3").arg(done.number).arg(path, error));
    }
    say(summary(job));
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_jobs.push_back(std::move(done));
        if (m_jobs.size() > size_t(JobsKept))
            m_jobs.erase(m_jobs.begin());
    }
    m_jobCount.fetch_add(1);
}

void TPrinterSimulator::pluggedIn()
{
    m_headFreeAtUs = 0;
}

void TPrinterSimulator::unplugged()
{
    // What was on its way is lost with the link, and with it the rest of the
    // job: the job cannot end well.
    if (m_reader.hasSkipped())
        handle(m_reader.takeSkipped());
    m_reader.reset();
    m_skippingBand = false;
    if (!m_job.isEmpty())
        cutShort(QStringLiteral("the link dropped"));
    m_dropping = false;
}
