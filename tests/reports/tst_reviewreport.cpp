// The review window's Print button: the report dialog opens preset with what
// the window shows (start time, filters, speed, gain, hexaxial order), and the
// PDF carries the measurement as the beat display shows it after the user moved
// a cursor.

#include "DemoStudy.h"
#include "EcgReviewWindow.h"
#include "QBeatDisplay.h"
#include "QSignalBrowseDisplay.h"
#include "ReportDialog.h"
#include "ReportTestSupport.h"
#include "TReportCreator.h"

#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

class TestReviewReport : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_home.isValid());
        ReportTest::usePrivateFolders(m_home);
        if (!ReportTest::havePoppler())
            QSKIP("poppler-utils are not installed");
        QSettings().setValue(QStringLiteral("EcgReviewWindow/HexaxialOrder"), true);
        m_store = std::make_unique<TLocalStudyStore>(m_home.filePath(QStringLiteral("studies")));
        TQuickPatient patient;
        patient.lastName = QStringLiteral("Lopez");
        patient.firstName = QStringLiteral("Kira");
        m_study = DemoStudy::record(*m_store, 80.0, patient);
        if (!m_study)
            QSKIP("the demo recording ecg500.dat is not beside the tests");
        TStudyStore::setInstance(m_store.get());
    }

    void cleanupTestCase() { TStudyStore::setInstance(nullptr); }

    void reportFromTheReviewWindow()
    {
        EcgReviewWindow window(m_study);
        window.show();
        auto* report = window.findChild<QPushButton*>(QStringLiteral("btnReport"));
        QVERIFY(report && report->isEnabled());
        window.findChild<QPushButton*>(QStringLiteral("btnSpeed50"))->click();
        window.findChild<QPushButton*>(QStringLiteral("btnAmp20"))->click();
        window.findChild<QPushButton*>(QStringLiteral("btnFilterLowpass"))->click(); // off
        auto* browse = window.findChild<QSignalBrowseDisplay*>(QStringLiteral("ecgDisplay1"));
        browse->setStartTime(75.4);

        // The user widens the QRS by 10 ms on the beat display.
        auto* beat = window.findChild<QBeatDisplay*>(QStringLiteral("beatDisplay"));
        const double qrsEnd = beat->cursorPosition(QBeatDisplay::QrsOff);
        const double qrsOn = beat->cursorPosition(QBeatDisplay::QrsOn);
        QVERIFY(qrsEnd > qrsOn);
        beat->setCursorPosition(QBeatDisplay::QrsOff, qrsEnd + 0.010);
        QMetaObject::invokeMethod(beat, "cursorChanged");

        TReportOptions seen;
        QString startText;
        ReportTest::MessageBoxes boxes;
        QTimer answer;
        connect(&answer, &QTimer::timeout, this, [&] {
            auto* dialog = qobject_cast<ReportDialog*>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            answer.stop();
            seen = dialog->options();
            startText = dialog->findChild<QLineEdit*>(QStringLiteral("txtStartTime"))->text();
            dialog->findChild<QPushButton*>(QStringLiteral("btnCreate"))->click();
        });
        answer.start(20);
        report->click();
        QCOMPARE(boxes.texts, QStringList());

        QCOMPARE(startText, QStringLiteral("01:15.4"));
        QCOMPARE(seen.startTime, 75.4);
        QVERIFY(seen.notch && !seen.lowpass && seen.baseline);
        QCOMPARE(seen.speed, 50.0);
        QCOMPARE(seen.amplitude, 20.0);
        QVERIFY(seen.hexaxialOrder);

        // The edited measurement went to the study, and to the PDF.
        const TMeasurementRecord stored = TRestingMeasurement::load(m_study->results());
        const int qrs = *stored.qrsMs();
        QVERIFY2(std::abs(qrs - int(std::lround((qrsEnd + 0.010 - qrsOn) * 1000.0))) <= 1,
                 qPrintable(QString::number(qrs)));
        QVERIFY(m_study->record().isReported());
        const QString pdf = TReportCreator::pdfPath(m_store->rootPath(), m_study->record().baseFilename());
        const QString text =
            ReportTest::poppler(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
        QCOMPARE(ReportTest::valueUnder(text, QStringLiteral("QRS (ms)")), QString::number(qrs));
        QCOMPARE(ReportTest::valueUnder(text, QStringLiteral("PR (ms)")), QString::number(*stored.prMs()));
        QVERIFY(text.contains(QStringLiteral("50 mm/s - 20 mm/mV - Filters: notch 50hz, baseline fix")));
        // Hexaxial rows: aVR upside down.
        QVERIFY(text.contains(QStringLiteral("-aVR")));
    }

private:
    QTemporaryDir m_home;
    std::unique_ptr<TLocalStudyStore> m_store;
    TStudy* m_study = nullptr;
};

QTEST_MAIN(TestReviewReport)
#include "tst_reviewreport.moc"
