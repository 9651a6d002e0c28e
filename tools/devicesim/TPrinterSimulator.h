#pragma once

#include "TPrinterCommandReader.h"
#include "TRasterJob.h"
#include "TSimulatedDevice.h"

#include <QImage>
#include <QStringList>
#include <QVector>
#include <atomic>
#include <mutex>
#include <vector>

// A simulated portable thermal strip printer on a pseudo-terminal. It takes
// ESC/POS-style raster jobs: ESC @ starts a job, GS v 0 bands bring its rows,
// ESC d n feeds the paper and ends the job, which is written as a 1-bit PNG
// ("job-1.png", "job-2.png", ... in the output folder). It reads band data no
// faster than its head prints, so the host's writes block as with a real
// printer; it can run out of paper (stop reading) and lose its link.
//
// What it could not make sense of is noted, never fatal: bytes that start no
// command, jobs cut short, bands it cannot print, files it could not write.
//
// Scriptable and readable from any thread.
class TPrinterSimulator : public TSimulatedDevice
{
public:
    struct Job
    {
        int number = 0;    // 1, 2, ... in this run
        QImage image;      // QImage::Format_Mono, rows as the paper came out, black = printed dot
        int bands = 0;
        QString filePath;  // the PNG; empty when none was written
        qint64 startedMs = 0;  // its first band began (since the simulator started)
        qint64 finishedMs = 0; // the feed that ended it came
    };

    static constexpr int DotsPerMm = 8;
    static constexpr int DefaultDotsPerSecond = 400; // 50 mm/s
    // What it takes from the link ahead of printing, as a real printer's buffer.
    static constexpr int ReceiveBufferBytes = 4096;
    // Wider bands are skipped (their data read and dropped): 8192 dots.
    static constexpr int MaxBytesPerRow = 1024;
    // A job without a feed is printed once it is this large.
    static constexpr qint64 MaxJobBytes = 64 * 1024 * 1024;
    static constexpr int DefaultReconnectMs = 2000;
    static constexpr int MinReconnectMs = 50;
    // The last jobs kept for jobs(); jobCount() counts them all.
    static constexpr int JobsKept = 64;

    // No output folder: the jobs are kept, not written.
    explicit TPrinterSimulator(const QString& outputFolder = QString(), const QString& linkPath = QString());
    ~TPrinterSimulator() override;

    // Dot rows printed per second (8 to the millimetre); 0: as fast as they come.
    void setDotsPerSecond(int dotsPerSecond) { m_dotsPerSecond.store(qMax(0, dotsPerSecond)); }
    int dotsPerSecond() const { return m_dotsPerSecond.load(); }
    // After count more complete bands it stops reading (paper out) until
    // resume(); 0 disarms.
    void stallAfterBands(int count) { m_stallCountdown.store(qMax(0, count)); }
    // After count more complete bands it drops the link and is back after the
    // reconnect delay; 0 disarms. A drop loses what was on its way and the job
    // in progress.
    void dropAfterBands(int count) { m_dropCountdown.store(qMax(0, count)); }
    // At least MinReconnectMs, so that the port does go away.
    void setReconnectDelayMs(int ms) { m_reconnectDelayMs.store(qMax(MinReconnectMs, ms)); }
    int reconnectDelayMs() const { return m_reconnectDelayMs.load(); }
    void stall() { m_stallWanted.store(true); }
    void resume() { m_stallWanted.store(false); }
    void drop() { unplugFor(m_reconnectDelayMs.load()); }
    bool isStalled() const { return m_stallWanted.load(); }

    // Deep copies, the last JobsKept.
    QVector<Job> jobs() const;
    int jobCount() const { return m_jobCount.load(); }
    // Complete bands taken into jobs so far.
    int bandsReceived() const { return m_bandsReceived.load(); }
    // Bytes not understood, jobs cut short, bands not printed, files not written.
    QStringList notes() const;
    // Everything it has to say in order, from line `from` on: a line per job
    // (summary()), the notes, paper out and back, link drops.
    QStringList report(int from = 0) const;

    // "job 1: 560 x 2500 dots (70.0 x 312.5 mm), 25 bands, 4.2 s -> /tmp/x/job-1.png"
    static QString summary(const Job& job);

protected:
    void received(const char* data, int count) override;
    int tick() override;
    int bytesWanted() const override;
    void pluggedIn() override;
    void unplugged() override;

private:
    struct FinishedJob
    {
        int number;
        TRasterJob raster;
        QString filePath;
        qint64 finishedMs;
    };

    void process();
    void handle(const TPrinterCommandReader::Item& item);
    void beginBand(int bytesPerRow, int rows);
    void bandData(const TPrinterCommandReader::Item& item);
    void finishJob();
    void cutShort(const QString& reason);
    qint64 dataAllowance();
    int msUntilDataAllowed() const;
    void followStallRequest();
    bool countDown(std::atomic<int>& counter);
    void note(const QString& text);
    void say(const QString& text);

    const QString m_outputFolder;
    std::atomic<int> m_dotsPerSecond{DefaultDotsPerSecond};
    std::atomic<int> m_stallCountdown{0};
    std::atomic<int> m_dropCountdown{0};
    std::atomic<int> m_reconnectDelayMs{DefaultReconnectMs};
    std::atomic<bool> m_stallWanted{false};
    std::atomic<int> m_bandsReceived{0};
    std::atomic<int> m_jobCount{0};
    // Guards the logs. Handed out as deep copies: implicitly shared Qt data
    // must not cross threads.
    mutable std::mutex m_mutex;
    std::vector<FinishedJob> m_jobs;
    std::vector<QString> m_notes;
    std::vector<QString> m_report;

    // Device thread only.
    TPrinterCommandReader m_reader;
    TRasterJob m_job;
    bool m_skippingBand = false; // a band too wide to print
    bool m_stalledShown = false;
    bool m_dropping = false;     // asked to unplug, not yet unplugged
    double m_headFreeAtUs = 0;   // when the head has printed what was taken
    qint64 m_lastInputMs = 0;
};
