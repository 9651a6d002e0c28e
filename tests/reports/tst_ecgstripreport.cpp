// The strip of a resting ECG on the portable printer: the text column with
// each measurement where its own wave points exist, the trace layouts for 14,
// 7 and 6 leads, the footer, the bytes on the wire, the round trip through the
// printer simulator, and a printer that cannot be reached, runs out of paper,
// loses its link or is cancelled.

#include "../display/DisplayTestSupport.h"
#include "ReportTestSupport.h"
#include "StripTestSupport.h"

#include "ESCPPrinter.h"
#include "TECGStripReport.h"
#include "TException.h"
#include "TLeadTable.h"
#include "TLocalStudyStore.h"
#include "TPrinterSimulator.h"
#include "TPseudoTerminal.h"
#include "TQuickPatient.h"
#include "TReportOptions.h"
#include "TStripPrintJob.h"
#include "TStudy.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include <atomic>
#include <cmath>
#include <thread>

namespace {

using Measurement = QMap<QString, double>;

Measurement fullMeasurement()
{
    return {{"measurementChannel", 1}, {"POnset", 0.10}, {"POffset", 0.16}, {"QRSOnset", 0.21},
            {"QRSOffset", 0.27},       {"TOnset", 0.35}, {"TPeak", 0.40},   {"TOffset", 0.49},
            {"avgRRInterval", 0.64}};
}

// Waits, taking events, until done() or timeoutMs.
bool waitFor(const std::function<bool()>& done, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < timeoutMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return done();
}

} // namespace

class TestEcgStripReport : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_home.isValid());
        ReportTest::usePrivateFolders(m_home);
    }

    void init()
    {
        QSettings().clear();
        m_dir = std::make_unique<QTemporaryDir>();
        m_store = std::make_unique<TLocalStudyStore>(m_dir->filePath(QStringLiteral("studies")));
    }

    void cleanup()
    {
        m_store.reset();
        m_dir.reset();
    }

    void measurementLines_data()
    {
        QTest::addColumn<Measurement>("measurement");
        QTest::addColumn<QStringList>("lines");
        const QStringList head = {"Name: P\u00e9rez, Rex", "Age: 7", "Date: 14/03/2026"};
        QTest::newRow("every point") << fullMeasurement()
                                     << head + QStringList{"PR: 110 ms", "QRS: 60 ms", "QT: 280 ms", "QTc: 350 ms (Bazett)",
                                                           "RR: 640 ms", "HR: 93 bpm", "Conclusion:"};
        QTest::newRow("never measured") << Measurement()
                                        << head + QStringList{"PR: ", "QRS: ", "QT: ", "QTc: ", "RR: ",
                                                              "Conclusion:"};
        Measurement fibrillation = fullMeasurement();
        fibrillation["POnset"] = 0.0;
        fibrillation["POffset"] = 0.0;
        // A value withheld or not found in a measured study: "--".
        QTest::newRow("no P wave") << fibrillation
                                   << head + QStringList{"PR: --", "QRS: 60 ms", "QT: 280 ms", "QTc: 350 ms (Bazett)",
                                                         "RR: 640 ms", "HR: 93 bpm", "Conclusion:"};
        Measurement noTEnd = fullMeasurement();
        noTEnd["TOffset"] = 0.0;
        QTest::newRow("no T end") << noTEnd
                                  << head + QStringList{"PR: 110 ms", "QRS: 60 ms", "QT: --", "QTc: --", "RR: 640 ms",
                                                        "HR: 93 bpm", "Conclusion:"};
        Measurement noRR = fullMeasurement();
        noRR["avgRRInterval"] = 0.0;
        QTest::newRow("no RR") << noRR
                               << head + QStringList{"PR: 110 ms", "QRS: 60 ms", "QT: 280 ms", "QTc: --", "RR: --",
                                                     "Conclusion:"};
    }

    void measurementLines()
    {
        QFETCH(Measurement, measurement);
        TStudy* study = newStudy(7, measurement);
        const TStripContent content = TECGStripReport::content(*study, TReportOptions());
        QStringList lines;
        for (const TECGStripReport::TextLine& line : TECGStripReport::textLines(content))
            lines.append(line.value.isNull() ? line.label : line.label + QLatin1Char(' ') + line.value);
        QTEST(lines, "lines");
        QCOMPARE(content.conclusion, QStringLiteral("Sinus rhythm, normal intervals."));
    }

    void footer_data()
    {
        QTest::addColumn<double>("speed");
        QTest::addColumn<double>("amplitude");
        QTest::addColumn<bool>("notch");
        QTest::addColumn<bool>("lowpass");
        QTest::addColumn<bool>("baseline");
        QTest::addColumn<QString>("footer");
        QTest::newRow("every filter") << 25.0 << 10.0 << true << true << true
                                      << "25 mm/sec - 10 mm/mV - Filters: notch 50hz, muscle noise, baseline fix";
        QTest::newRow("none") << 12.5 << 5.0 << false << false << false
                              << "12.5 mm/sec - 5 mm/mV - Filters: none";
        QTest::newRow("baseline only") << 50.0 << 20.0 << false << false << true
                                       << "50 mm/sec - 20 mm/mV - Filters: baseline fix";
    }

    void footer()
    {
        TReportOptions o;
        QFETCH(double, speed);
        QFETCH(double, amplitude);
        QFETCH(bool, notch);
        QFETCH(bool, lowpass);
        QFETCH(bool, baseline);
        o.speed = speed;
        o.amplitude = amplitude;
        o.notch = notch;
        o.lowpass = lowpass;
        o.baseline = baseline;
        QTEST(TECGStripReport::footerText(o), "footer");
    }

    // What a strip printed without the dialog uses: the speed, amplitude and
    // filters of the last report made; a stored value that is none of the
    // choices gives the default.
    void storedTraceOptions_data()
    {
        QTest::addColumn<QString>("speed");
        QTest::addColumn<QString>("amplitude");
        QTest::addColumn<double>("expectedSpeed");
        QTest::addColumn<double>("expectedAmplitude");
        QTest::newRow("as stored") << "50" << "5" << 50.0 << 5.0;
        QTest::newRow("nearest choice") << "13" << "19.5" << 12.5 << 20.0;
        QTest::newRow("not numbers") << "fast" << "" << 25.0 << 10.0;
        QTest::newRow("far off") << "1000" << "-10" << 25.0 << 10.0;
    }

    void storedTraceOptions()
    {
        QFETCH(QString, speed);
        QFETCH(QString, amplitude);
        QSettings settings;
        settings.setValue(QStringLiteral("ReportDialog/Speed"), speed);
        settings.setValue(QStringLiteral("ReportDialog/Amplitude"), amplitude);
        settings.setValue(QStringLiteral("ReportDialog/LowpassFilter"), false);
        const TReportOptions o = TReportOptions::fromSettings();
        QTEST(o.speed, "expectedSpeed");
        QTEST(o.amplitude, "expectedAmplitude");
        QVERIFY(o.notch && !o.lowpass && o.baseline);
        // And back as written.
        TReportOptions written = o;
        written.speed = 12.5;
        written.notch = false;
        written.writeSettings();
        QCOMPARE(TReportOptions::fromSettings().speed, 12.5);
        QVERIFY(!TReportOptions::fromSettings().notch);
    }

    // Sections of three leads side by side, each going on in time where the one
    // before ends, and the rhythm strip under them; no traces under 7 leads.
    void layouts_data()
    {
        QTest::addColumn<int>("leads");
        QTest::addColumn<double>("speed");
        QTest::addColumn<int>("sections");
        QTest::newRow("14 leads") << 14 << 25.0 << 4;
        QTest::newRow("12 leads at 50 mm/s") << 12 << 50.0 << 4;
        QTest::newRow("7 leads") << 7 << 25.0 << 2;
        QTest::newRow("11 leads at 12.5 mm/s") << 11 << 12.5 << 2;
        QTest::newRow("6 leads") << 6 << 25.0 << 0;
    }

    void layouts()
    {
        QFETCH(int, leads);
        QFETCH(double, speed);
        QFETCH(int, sections);
        TStudy* study = newStudy(leads, fullMeasurement());
        TReportOptions options;
        options.speed = speed;
        options.startTime = 2.0;
        options.rhythmLead = QStringLiteral("III");
        const TStripContent content = TECGStripReport::content(*study, options);
        const QImage strip = TECGStripReport::render(content);
        QCOMPARE(strip.size(), QSize(2500, 560));
        QCOMPARE(strip.format(), QImage::Format_Mono);
        QCOMPARE(strip.dotsPerMeterX(), 8000);
        QVERIFY(ReportTest::darkPixels(strip, QRect(0, 0, 500, 560)) > 500); // the text column

        const QVector<TECGStripReport::Section> all = TECGStripReport::sections(content, leads);
        if (sections == 0) {
            QVERIFY(all.isEmpty());
            QVERIFY(!content.signal);
            // Nothing right of the text but the footer.
            QCOMPARE(ReportTest::darkPixels(strip, QRect(500, 0, 2000, 525)), 0);
            QVERIFY(ReportTest::darkPixels(strip, QRect(500, 525, 2000, 35)) > 100);
            return;
        }
        QCOMPARE(all.size(), sections + 1);
        const int width = 2000 / sections;
        for (int k = 0; k < sections; ++k) {
            const TECGStripReport::Section& s = all[k];
            QCOMPARE(s.rect, QRect(500 + k * width, 0, width, 420));
            QCOMPARE(s.leads, (QVector<int>{3 * k, 3 * k + 1, 3 * k + 2}));
            // Every row of the section has its trace: the spikes of its lead.
            for (int row = 0; row < 3; ++row)
                QVERIFY2(ReportTest::darkPixels(strip, QRect(s.rect.x() + 100, row * 140, s.rect.width() - 100, 140)) >
                             100,
                         qPrintable(QStringLiteral("section %1 row %2").arg(k).arg(row)));
            if (k > 0)
                QVERIFY(s.startSeconds > all[k - 1].startSeconds);
        }
        // Equal steps of time: each section's trace takes up where the last ended.
        const double step = all[1].startSeconds - all[0].startSeconds;
        QVERIFY(std::abs(all[0].startSeconds + 0.0 - content.startSeconds) < 1e-9);
        QVERIFY(step > 0.5 * width / 8.0 / speed && step <= width / 8.0 / speed + 1e-9);
        const TECGStripReport::Section& rhythm = all.last();
        QCOMPARE(rhythm.rect, QRect(500, 420, 2000, 140));
        QCOMPARE(rhythm.leads, QVector<int>{2});
        QVERIFY(ReportTest::darkPixels(strip, QRect(700, 420, 1800, 100)) > 200);
    }

    // The bands as the printer takes them: GS v 0 with 70 bytes (46 00) by 100
    // rows (64 00), rows straight from the image, the last band padded.
    void bandsOnTheWire()
    {
        QImage image(560, 250, QImage::Format_Mono);
        image.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
        QRandomGenerator random(7);
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                image.setPixel(x, y, random.bounded(2));
        QCOMPARE(ESCPPrinter::bandCount(image), 3);
        for (int b = 0; b < 3; ++b) {
            const QByteArray band = ESCPPrinter::band(image, b * 100);
            QCOMPARE(band.size(), 8 + 70 * 100);
            QCOMPARE(band.left(8), QByteArray::fromHex("1d76300046006400"));
            for (int row = 0; row < 100; ++row) {
                const int y = b * 100 + row;
                const QByteArray expected =
                    y < 250 ? QByteArray(reinterpret_cast<const char*>(image.constScanLine(y)), 70) : QByteArray(70, '\0');
                QCOMPARE(band.mid(8 + row * 70, 70), expected);
            }
        }
        // A picture in colour prints its dark pixels.
        QImage grey(16, 1, QImage::Format_RGB32);
        grey.fill(Qt::white);
        grey.setPixel(0, 0, qRgb(20, 20, 20));
        grey.setPixel(9, 0, qRgb(90, 90, 90));
        QCOMPARE(ESCPPrinter::band(grey, 0).mid(8, 2), QByteArray::fromHex("8040"));
    }

    // The whole job of a strip on a pseudo-terminal: ESC @, 25 bands, ESC d 5,
    // the progress after each band.
    void wholeJobOnTheWire()
    {
        TStudy* study = newStudy(7, fullMeasurement());
        const QImage paper = TECGStripReport::forPrinter(TECGStripReport::render(
            TECGStripReport::content(*study, TReportOptions())));
        QCOMPARE(paper.size(), QSize(560, 2500));
        TPseudoTerminal pty;
        QVERIFY(pty.open());
        QByteArray received; // the reader's until it is stopped
        std::atomic<int> receivedSize{0};
        std::atomic<bool> stop{false};
        std::thread reader([&] {
            char buffer[4096];
            while (!stop.load()) {
                const int n = pty.read(buffer, sizeof buffer, 20);
                if (n > 0) {
                    received.append(buffer, n);
                    receivedSize.store(received.size());
                }
            }
        });
        ESCPPrinter printer;
        printer.setPace(StripTest::quickPace());
        QVector<int> progress;
        connect(&printer, &ESCPPrinter::progress, [&](int percent) { progress.append(percent); });
        QVERIFY(printer.open(pty.slavePath()));
        printer.printImage(paper);
        printer.close();
        const int expectedSize = 2 + 25 * (8 + 7000) + 3;
        QElapsedTimer timer;
        timer.start();
        while (receivedSize.load() < expectedSize && timer.elapsed() < 5000)
            QThread::msleep(10);
        QThread::msleep(50); // anything beyond the job would come now
        stop.store(true);
        reader.join();
        QCOMPARE(received.size(), expectedSize);
        QCOMPARE(received.left(2), QByteArray::fromHex("1b40"));
        QCOMPARE(received.right(3), QByteArray::fromHex("1b6405"));
        for (int b = 0; b < 25; ++b)
            QCOMPARE(received.mid(2 + b * 7008, 7008), ESCPPrinter::band(paper, b * 100));
        QCOMPARE(progress.size(), 25);
        QCOMPARE(progress.first(), 4);
        QCOMPARE(progress.last(), 100);
    }

    // The strip that comes out of the printer is the rendered one, turned.
    void roundTripThroughThePrinterSimulator()
    {
        TStudy* study = newStudy(14, fullMeasurement());
        TReportOptions options;
        options.startTime = 1.0;
        TStripContent content = TECGStripReport::content(*study, options);
        const QImage strip = TECGStripReport::render(content);
        const QImage paper = TECGStripReport::forPrinter(strip);
        // A quarter turn clockwise: the strip's left end (the text) comes out first,
        // its top edge on the paper's right.
        for (int y = 0; y < strip.height(); ++y)
            for (int x = 0; x < strip.width(); ++x)
                if (strip.pixelIndex(x, y) != paper.pixelIndex(559 - y, x))
                    QFAIL(qPrintable(QStringLiteral("dot %1, %2 moved").arg(x).arg(y)));
        TPrinterSimulator simulator;
        simulator.setDotsPerSecond(0);
        QVERIFY(simulator.start());
        TStripPrintJob job(std::move(content), simulator.portPath());
        job.setPace(StripTest::quickPace());
        QVector<int> progress;
        connect(&job, &TStripPrintJob::progress, [&](int percent) { progress.append(percent); });
        job.start();
        QVERIFY(waitFor([&] { return job.isFinished(); }, 20000));
        QCOMPARE(job.error(), QString());
        QVERIFY(waitFor([&] { return simulator.jobCount() == 1; }, 5000));
        const TPrinterSimulator::Job printed = simulator.jobs().value(0);
        QCOMPARE(printed.bands, 25);
        QCOMPARE(printed.image.size(), QSize(560, 2500));
        QCOMPARE(printed.image.convertToFormat(QImage::Format_RGB32), paper.convertToFormat(QImage::Format_RGB32));
        QCOMPARE(simulator.notes(), QStringList());
        QVERIFY(!progress.isEmpty() && progress.last() == 100);
    }

    // Each way a job fails ends it with its own text within a bounded time,
    // while the GUI thread goes on.
    void failures_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("error");
        QTest::newRow("not a serial device") << "file" << TECGStripReport::connectText();
        QTest::newRow("no such port") << "rfcomm97" << TECGStripReport::connectText();
        QTest::newRow("out of paper") << "stall" << ESCPPrinter::stoppedText();
        QTest::newRow("out of range") << "drop" << ESCPPrinter::lostText();
        QTest::newRow("cancelled") << "cancel" << ESCPPrinter::cancelledText();
    }

    void failures()
    {
        QFETCH(QString, how);
        TStudy* study = newStudy(7, fullMeasurement());
        TPrinterSimulator simulator;
        simulator.setDotsPerSecond(how == QLatin1String("cancel") ? 2000 : 0);
        simulator.setReconnectDelayMs(5000);
        if (how == QLatin1String("stall"))
            simulator.stallAfterBands(3);
        if (how == QLatin1String("drop"))
            simulator.dropAfterBands(3);
        QVERIFY(simulator.start());
        QString port = simulator.portPath();
        if (how == QLatin1String("file")) {
            port = m_dir->filePath(QStringLiteral("not-a-port"));
            QFile file(port);
            QVERIFY(file.open(QIODevice::WriteOnly));
        } else if (how.startsWith(QLatin1String("rfcomm"))) {
            port = how;
        }
        TStripPrintJob job(TECGStripReport::content(*study, TReportOptions()), port);
        job.setPace(StripTest::quickPace(400));
        int ticks = 0;
        QTimer gui;
        connect(&gui, &QTimer::timeout, [&] { ++ticks; });
        gui.start(10);
        if (how == QLatin1String("cancel"))
            connect(&job, &TStripPrintJob::progress, &job, [&job](int percent) {
                if (percent > 0)
                    job.cancel();
            });
        QElapsedTimer timer;
        timer.start();
        job.start();
        QVERIFY(waitFor([&] { return job.isFinished(); }, 10000));
        QTEST(job.error(), "error");
        QVERIFY2(timer.elapsed() < 5000, qPrintable(QString::number(timer.elapsed())));
        // The GUI thread was free all along: its timer kept ticking.
        QVERIFY2(ticks > timer.elapsed() / 40, qPrintable(QStringLiteral("%1 ticks").arg(ticks)));
        QCOMPARE(simulator.jobCount(), 0);
    }

    void oneJobAtATime()
    {
        TStudy* study = newStudy(7, fullMeasurement());
        TPrinterSimulator simulator;
        simulator.setDotsPerSecond(4000);
        QVERIFY(simulator.start());
        TStripPrintJob first(TECGStripReport::content(*study, TReportOptions()), simulator.portPath());
        first.setPace(StripTest::quickPace());
        TStripPrintJob second(TECGStripReport::content(*study, TReportOptions()), simulator.portPath());
        second.setPace(StripTest::quickPace());
        first.start();
        second.start();
        QVERIFY(waitFor([&] { return second.isFinished(); }, 5000));
        QCOMPARE(second.error(), TStripPrintJob::busyText());
        // The printer is slower than the host: its writes wait for it, which is no
        // stall, and the strip comes out whole.
        QVERIFY(waitFor([&] { return first.isFinished(); }, 20000));
        QCOMPARE(first.error(), QString());
        QVERIFY(waitFor([&] { return simulator.jobCount() == 1; }, 5000));
        QCOMPARE(simulator.jobs().value(0).bands, 25);
    }

private:
    // An ECG study of leads leads (the lead table's first names), 12 s with a
    // spike every second in every lead, and the given measurement.
    TStudy* newStudy(int leads, const Measurement& measurement)
    {
        TQuickPatient patient;
        patient.lastName = QStringLiteral("P\u00e9rez");
        patient.firstName = QStringLiteral("Rex");
        TStudyRecord record = TStudyRecord::newStudy(TStudyRecord::Ecg, patient, QString(),
                                                     QDateTime(QDate(2026, 3, 14), QTime(9, 0)));
        record.setPatientProperty(QStringLiteral("age"), QStringLiteral("7"));
        record.setProperty(QStringLiteral("conclusion"), QStringLiteral("Sinus rhythm, normal intervals."));
        record.acquisition.channelCount = leads;
        record.acquisition.samplingRate = 500;
        record.acquisition.resolution = 16;
        record.acquisition.gainMax = 32.768;
        QStringList names;
        for (int i = 0; i < leads; ++i)
            names.append(QString::fromLatin1(TLeadTable::leadName(i)));
        record.acquisition.channelNames = names.join(QLatin1Char(','));
        TStudy* study = m_store->saveNewStudy(record);
        DisplayTest::append(*study->recording(), 6000, [](int, int i) { return i % 500 < 10 ? 1000 : 0; });
        for (auto it = measurement.begin(); it != measurement.end(); ++it)
            *study->results().value(it.key()) = it.value();
        m_store->updateStudy(study->record());
        return study;
    }

    QTemporaryDir m_home;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TLocalStudyStore> m_store;
};

QTEST_MAIN(TestEcgStripReport)
#include "tst_ecgstripreport.moc"
