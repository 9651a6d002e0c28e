#include "AcquisitionTestWindow.h"
#include "AppTestEnvironment.h"
#include "TestWidgets.h"
#include "ElectrodeStatusWidget.h"
#include "QSignalMonitorDisplay.h"
#include "TAcquisitionTest.h"
#include "TDemoAcqDevice.h"
#include "TDeviceFactory.h"
#include "TException.h"
#include "THRSerialAcqDevice.h"
#include "TQtAcqDriver.h"
#include "TRecorderPortFinder.h"
#include "TRecorderSignalSource.h"
#include "TRecorderSimulator.h"
#include "TSerialAcqDevice.h"
#include "TSettingsKeys.h"
#include "TestWait.h"

#include <QDialog>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QWindow>
#include <QtTest>
#include <memory>

using Protocol = TRecorderSimulator::Protocol;
Q_DECLARE_METATYPE(Protocol)

namespace {

bool demoRecordingPresent()
{
    return QFile::exists(TDemoAcqDevice::resolveFileName(QString::fromLatin1(TDemoAcqDevice::DefaultFileName)));
}

std::unique_ptr<TRecorderSimulator> startRecorder(Protocol protocol)
{
    const double gain = protocol == Protocol::HR ? 300.0 : 450.0;
    auto recorder =
        std::make_unique<TRecorderSimulator>(protocol, std::make_unique<TSynthSignalSource>(72.0, 7, gain));
    if (!recorder->start())
        return nullptr;
    return recorder;
}

TDeviceSettings demoSettings()
{
    TDeviceSettings s;
    s.mode = QString::fromLatin1(TSettingsKeys::AcqModeDemo);
    return s;
}

TDeviceSettings bluetoothSettings(const QString& port, bool hr = false, double gain = 0.0)
{
    TDeviceSettings s;
    s.mode = QString::fromLatin1(TSettingsKeys::AcqModeBluetooth);
    s.bluetoothPort = port;
    s.hrProtocol = hr;
    s.signalGain = gain;
    return s;
}

// Pixels dark enough to be trace (the paper, its grid and the labels are light).
int tracePixels(const QImage& image)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 100)
                ++n;
    return n;
}


int openTestWindows()
{
    int n = 0;
    for (QWidget* w : QApplication::allWidgets())
        if (qobject_cast<AcquisitionTestWindow*>(w))
            ++n;
    return n;
}

// A click that goes the way of a user's: through the window system, where a
// modal dialog blocks the windows it does not own.
void clickThroughWindow(QWidget* button)
{
    QWindow* window = button->window()->windowHandle();
    QVERIFY(window);
    const QPoint at = button->mapTo(button->window(), button->rect().center());
    QTest::mouseClick(window, Qt::LeftButton, Qt::NoModifier, at);
}

// Whether a new device gets frames from the port within the time.
bool portStreams(const QString& port)
{
    TSerialAcqDevice device(port, TDeviceFactory::DefaultBaudRate, TDeviceFactory::ChannelMask);
    device.start();
    const bool streamed = waitFor([&] { return device.bytesAvailable() >= 100 * 14; }, 3000) && device.isOk();
    device.stop();
    return streamed;
}

} // namespace

class TestAcquisitionTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        qApp->setStyleSheet(QString());
    }

    void cleanup()
    {
        QCoreApplication::processEvents();
        QCOMPARE(openTestWindows(), 0);
    }

    // The device is the one a recording builds from the same settings: its
    // class, leads, HR protocol and signal gain; the buffer follows it.
    void buildsTheDeviceAsARecordingDoes_data()
    {
        QTest::addColumn<Protocol>("protocol");
        QTest::addColumn<bool>("hr");
        QTest::addColumn<double>("signalGain");
        QTest::addColumn<int>("channels");
        QTest::addColumn<double>("gain");
        QTest::newRow("default protocol") << Protocol::Default << false << 0.0 << 7 << 450.0;
        QTest::newRow("default protocol, signal gain") << Protocol::Default << false << 200.0 << 7 << 200.0;
        QTest::newRow("HR protocol") << Protocol::HR << true << 0.0 << 14 << 300.0;
        QTest::newRow("HR protocol, signal gain") << Protocol::HR << true << 250.0 << 14 << 250.0;
    }

    void buildsTheDeviceAsARecordingDoes()
    {
        QFETCH(Protocol, protocol);
        QFETCH(bool, hr);
        QFETCH(double, signalGain);
        QFETCH(int, channels);
        QFETCH(double, gain);
        auto recorder = startRecorder(protocol);
        QVERIFY(recorder);
        const TDeviceSettings settings = bluetoothSettings(recorder->portPath(), hr, signalGain);

        TAcquisitionTest test(settings);
        TAcqDevice* device = test.device();
        QCOMPARE(dynamic_cast<THRSerialAcqDevice*>(device) != nullptr, hr);
        QCOMPARE(device->channelCount(), channels);
        QCOMPARE(device->gainMin(), -gain);
        QCOMPARE(device->gainMax(), gain);
        QCOMPARE(test.buffer()->channelCount(), channels);
        QCOMPARE(test.buffer()->gainMax(), gain);
        QCOMPARE(test.buffer()->samplingRate(), 500);

        const auto recording = TDeviceFactory::create(settings);
        QCOMPARE(dynamic_cast<THRSerialAcqDevice*>(recording.get()) != nullptr, hr);
        QCOMPARE(recording->channelCount(), device->channelCount());
        QCOMPARE(recording->gainMax(), device->gainMax());
        for (int c = 0; c < channels; ++c)
            QCOMPARE(QByteArray(test.buffer()->channel(c)->name()), QByteArray(recording->channelName(c)));

        // And it streams what the recorder sends.
        test.start(0);
        QVERIFY(waitProcessingEvents([&] { return test.buffer()->length() >= 500; }, 5000));
        test.end();
        QVERIFY(!test.isRunning());
        QVERIFY(!test.device() && !test.buffer() && !test.driver());
    }

    // The window over each kind of device: samples reach the buffer and the
    // display draws them.
    void showsTheSignal_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<int>("channels");
        QTest::newRow("demo") << "demo" << 7;
        QTest::newRow("sim-recorder") << "default" << 7;
        QTest::newRow("sim-recorder, HR protocol") << "hr" << 14;
    }

    void showsTheSignal()
    {
        QFETCH(QString, source);
        QFETCH(int, channels);
        std::unique_ptr<TRecorderSimulator> recorder;
        TDeviceSettings settings = demoSettings();
        if (source == QLatin1String("demo")) {
            if (!demoRecordingPresent())
                QSKIP("the demo recording ecg500.dat is not built");
        } else {
            recorder = startRecorder(source == QLatin1String("hr") ? Protocol::HR : Protocol::Default);
            QVERIFY(recorder);
            settings = bluetoothSettings(recorder->portPath(), source == QLatin1String("hr"));
        }

        QPointer<AcquisitionTestWindow> window = AcquisitionTestWindow::open(settings, nullptr);
        QVERIFY(window);
        QVERIFY(window->isVisible());
        QVERIFY(window->testAttribute(Qt::WA_DeleteOnClose));
        auto* display = TestWidgets::child<QSignalMonitorDisplay>(window, "ecgDisplay");
        QCOMPARE(display->signal(), window->acquisition()->buffer());
        QCOMPARE(tracePixels(display->canvas()), 0);

        TIntSignalBuffer* buffer = window->acquisition()->buffer();
        QCOMPARE(buffer->channelCount(), channels);
        QVERIFY(waitProcessingEvents([&] { return buffer->length() >= 1000; }, 8000));
        QCOMPARE(display->rowLabel(0), QStringLiteral("I"));
        // Two seconds at 25 mm/s in every lead row.
        QVERIFY2(tracePixels(display->canvas()) > 100 * channels,
                 qPrintable(QString::number(tracePixels(display->canvas()))));
        QVERIFY(TestWidgets::child<QLabel>(window, "lblDevice")->text().contains(QStringLiteral("%1 leads").arg(channels)));
        QTRY_VERIFY(TestWidgets::child<QLabel>(window, "lblStatus")->text().startsWith(QStringLiteral("Receiving")));
        window->close();
        QTRY_VERIFY(!window);
    }

    // A port that cannot be opened is said at once, with the link's text, and
    // no window, device or thread stays behind.
    void aPortThatDoesNotOpenRaisesTheError_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<bool>("busy");
        QTest::addColumn<QString>("text");
        const QString openFailed = QStringLiteral("No se pudo abrir el puerto (CreateFile)");
        QTest::newRow("no such port") << TSettingsKeys::AcqModeBluetooth << false << openFailed;
        QTest::newRow("port held by another") << TSettingsKeys::AcqModeBluetooth << true << openFailed;
        QTest::newRow("no recorder on USB") << QString() << false << QStringLiteral("Device not found");
    }

    void aPortThatDoesNotOpenRaisesTheError()
    {
        QFETCH(QString, mode);
        QFETCH(bool, busy);
        QFETCH(QString, text);
        if (mode.isEmpty()) {
            try {
                TRecorderPortFinder::findUsbPort();
                QSKIP("a recorder is attached on USB");
            } catch (const TException&) {
            }
        }
        std::unique_ptr<TRecorderSimulator> recorder;
        std::unique_ptr<TSerialAcqDevice> holder;
        QString port = AppTest::privateFolder().path() + QStringLiteral("/no-such-port");
        if (busy) {
            recorder = startRecorder(Protocol::Default);
            QVERIFY(recorder);
            port = recorder->portPath();
            holder = std::make_unique<TSerialAcqDevice>(port, TDeviceFactory::DefaultBaudRate, -1);
            holder->start();
            QVERIFY(waitFor([&] { return holder->bytesAvailable() > 0; }, 3000));
        }
        TDeviceSettings settings = bluetoothSettings(port);
        settings.mode = mode;
        QDialog dialog;
        QString message;
        try {
            AcquisitionTestWindow::open(settings, &dialog);
        } catch (const TException& e) {
            message = e.message();
        }
        QCOMPARE(message, text);
        QCOMPARE(openTestWindows(), 0);
        QVERIFY(!dialog.findChild<AcquisitionTestWindow*>());
        if (busy) {
            // The program holding the port goes on undisturbed.
            const int before = holder->bytesAvailable();
            QVERIFY(waitFor([&] { return holder->bytesAvailable() > before; }, 3000));
            QVERIFY(holder->isOk());
            holder->stop();
        }
    }

    // Once the window is gone the port is free: a new device on it streams.
    void closingFreesThePort_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("free");
        QTest::newRow("close()") << "close" << true;
        QTest::newRow("Close button") << "button" << true;
        QTest::newRow("dialog finished") << "finished" << true;
        QTest::newRow("dialog deleted") << "deleted" << true;
        QTest::newRow("window left open") << "none" << false;
    }

    void closingFreesThePort()
    {
        QFETCH(QString, how);
        QFETCH(bool, free);
        auto recorder = startRecorder(Protocol::Default);
        QVERIFY(recorder);
        auto* dialog = new QDialog;
        dialog->show();
        QPointer<AcquisitionTestWindow> window =
            AcquisitionTestWindow::open(bluetoothSettings(recorder->portPath()), dialog);
        QVERIFY(waitProcessingEvents([&] { return window->acquisition()->buffer()->length() >= 200; }, 5000));

        if (how == QLatin1String("close"))
            QVERIFY(window->close());
        else if (how == QLatin1String("button"))
            TestWidgets::child<QPushButton>(window, "btnClose")->click();
        else if (how == QLatin1String("finished"))
            dialog->accept();
        else if (how == QLatin1String("deleted"))
            delete dialog;
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

        QCOMPARE(window.isNull(), free);
        QCOMPARE(portStreams(recorder->portPath()), free);
        if (window)
            window->close();
        if (how != QLatin1String("deleted"))
            delete dialog;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        // Whoever comes next has the port.
        QVERIFY(portStreams(recorder->portPath()));
    }

    // The configuration dialog is modal while the test runs: the test window
    // takes input all the same, where a window of no dialog does not.
    void usableUnderTheModalDialog()
    {
        auto recorder = startRecorder(Protocol::Default);
        QVERIFY(recorder);
        QDialog dialog;
        dialog.resize(300, 200);
        QWidget stranger;
        auto* strangerButton = new QPushButton(QStringLiteral("Elsewhere"), &stranger);
        bool strangerClicked = false;
        connect(strangerButton, &QPushButton::clicked, [&] { strangerClicked = true; });
        stranger.show();
        QVERIFY(QTest::qWaitForWindowExposed(&stranger));

        QPointer<AcquisitionTestWindow> window;
        bool wasModal = false;
        double speed = 0.0;
        bool closedByButton = false;
        QTimer::singleShot(0, &dialog, [&] {
            wasModal = QApplication::activeModalWidget() == &dialog;
            window = AcquisitionTestWindow::open(bluetoothSettings(recorder->portPath()), &dialog);
            if (!QTest::qWaitForWindowExposed(window)) {
                dialog.reject();
                return;
            }
            clickThroughWindow(TestWidgets::child<QPushButton>(window, "btnSpeed50"));
            speed = TestWidgets::child<QSignalMonitorDisplay>(window, "ecgDisplay")->speed();
            clickThroughWindow(strangerButton);
            clickThroughWindow(TestWidgets::child<QPushButton>(window, "btnClose"));
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            closedByButton = window.isNull();
            dialog.reject();
        });
        dialog.exec();

        QVERIFY(wasModal);
        QCOMPARE(speed, 50.0);
        QVERIFY(!strangerClicked);
        QVERIFY(closedByButton);
        QVERIFY(portStreams(recorder->portPath()));
    }

    // A loose electrode on the recorder shows in the panel over the signal,
    // red among the green ones; back in contact, the panel goes.
    void aLooseElectrodeShows()
    {
        qApp->setStyleSheet(TAppIdentity::styleSheet());
        auto recorder = startRecorder(Protocol::Default);
        QVERIFY(recorder);
        QVERIFY(recorder->setElectrodeOff(QStringLiteral("V1"), true));
        QPointer<AcquisitionTestWindow> window =
            AcquisitionTestWindow::open(bluetoothSettings(recorder->portPath()), nullptr);
        QVERIFY(QTest::qWaitForWindowExposed(window));
        ElectrodeStatusWidget* panel = nullptr;
        QVERIFY(waitProcessingEvents(
            [&] {
                panel = window->findChild<ElectrodeStatusWidget*>();
                return panel && panel->isVisible() && window->acquisition()->buffer()->length() >= 1500;
            },
            8000));
        QCOMPARE(panel->electrodeLabel(QStringLiteral("V1"))->styleSheet(), QStringLiteral("color: red"));
        QCOMPARE(panel->electrodeLabel(QStringLiteral("LA"))->styleSheet(), QStringLiteral("color: green"));
        QTRY_VERIFY(TestWidgets::child<QLabel>(window, "lblStatus")->text().contains(QStringLiteral("Battery")));
        QVERIFY(TestWidgets::shoot(window, "acquisition-test-recorder"));

        QVERIFY(recorder->setElectrodeOff(QStringLiteral("V1"), false));
        QVERIFY(waitProcessingEvents([&] { return !panel->isVisible(); }, 5000));
        window->close();
        QTRY_VERIFY(!window);
    }

    // A clinician's look at the demo signal under the program's style sheet.
    // VELMORA_TEST_SHOTS names a folder for the picture.
    void lookUnderTheStyleSheet()
    {
        if (!demoRecordingPresent())
            QSKIP("the demo recording ecg500.dat is not built");
        qApp->setStyleSheet(TAppIdentity::styleSheet());
        QVERIFY(!qApp->styleSheet().isEmpty());
        QPointer<AcquisitionTestWindow> window = AcquisitionTestWindow::open(demoSettings(), nullptr);
        QVERIFY(QTest::qWaitForWindowExposed(window));
        QVERIFY(waitProcessingEvents([&] { return window->acquisition()->buffer()->length() >= 2500; }, 10000));
        QTRY_VERIFY(TestWidgets::child<QLabel>(window, "lblStatus")->text().startsWith(QStringLiteral("Receiving")));
        auto* label = TestWidgets::child<QLabel>(window, "lblDevice");
        QVERIFY(label->width() >= label->fontMetrics().horizontalAdvance(label->text()));
        QVERIFY(TestWidgets::shoot(window, "acquisition-test"));
        window->close();
        QTRY_VERIFY(!window);
    }
};

VELMORA_APP_TEST_MAIN(TestAcquisitionTest)
#include "tst_acquisitiontest.moc"
