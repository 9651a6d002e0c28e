// The configuration dialog over a private settings store: every key loaded,
// only what the user changed written, the enabling rules, the checks on OK,
// "Restore defaults", the acquisition test hook with the form's values and the
// search for a paired recorder against simulated recorders. The pages as they
// look under the program's style sheet.

#include "AppTestEnvironment.h"
#include "TestWidgets.h"
#include "ConfigDialog.h"
#include "TAppIdentity.h"
#include "TConfigForm.h"
#include "TException.h"
#include "TRecorderSignalSource.h"
#include "TRecorderSimulator.h"
#include "TSettingsKeys.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QToolButton>

#include <functional>
#include <memory>

namespace K = TSettingsKeys;

namespace {

QPushButton* okOf(QWidget* w) { return TestWidgets::okButton(w); }

QStringList storedKeys()
{
    return QSettings().allKeys();
}

void store(const QVariantMap& values)
{
    QSettings settings;
    settings.clear();
    for (auto it = values.begin(); it != values.end(); ++it)
        settings.setValue(it.key(), it.value());
    settings.sync();
}

std::unique_ptr<TRecorderSimulator> startRecorder()
{
    auto recorder = std::make_unique<TRecorderSimulator>(
        TRecorderSimulator::Protocol::Default,
        std::make_unique<TFunctionSignalSource>(450.0, [](qint64, int, qint16* leads) {
            for (int lead = 0; lead < 14; ++lead)
                leads[lead] = 0;
        }));
    if (!recorder->start())
        return nullptr;
    return recorder;
}

// A small image as a clinic's logo or a scanned signature.
QString makeImage(const QString& path, const QString& text, QColor colour)
{
    QImage image(360, 120, QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setPen(QPen(colour, 6));
    p.drawEllipse(12, 12, 96, 96);
    QFont font = p.font();
    font.setPixelSize(36);
    p.setFont(font);
    p.drawText(QRect(120, 0, 240, 120), Qt::AlignVCenter, text);
    p.end();
    return image.save(path) ? path : QString();
}

// The settings of a clinic that fills in every page.
QVariantMap clinicSettings(const QString& logo, const QString& signature)
{
    return {{K::HeaderLogoFilename, logo},
            {K::HeaderTitle, "Northgate Veterinary Cardiology"},
            {K::HeaderInfo, "12 Mill Lane, Riverside\nTel. 555 0199 - cardio@northgate-vet.example"},
            {K::SignatureFilename, signature},
            {K::SignatureName, "Dr. Ana Moreno, DVM, Dipl. ECVIM-CA (Cardiology)"},
            {K::SignatureLicense, "Lic. MV-4471"},
            {K::AcqMode, "bluetooth-com"},
            {K::AcqBluetoothPort, "COM12"},
            {K::ErgometerWorkloadUnits, "watts"},
            {K::ErgometerEquipment, "olmo"},
            {K::ErgometerPort, "COM3"},
            {K::TreadmillEquipment, "kipmachines"},
            {K::TreadmillPort, "COM4"},
            {K::AutoExportReports, true},
            {K::ExportEcgReportFolder, "\\\\fileserver\\cardiology\\reports\\ecg"},
            {K::ExportStressReportFolder, "\\\\fileserver\\cardiology\\reports\\stress"},
            {K::AutoExportStudies, true},
            {K::ExportEcgStudyFolder, "D:\\Velmora\\Export\\ECG studies"},
            {K::ExportStressStudyFolder, "D:\\Velmora\\Export\\Stress studies"},
            {K::LowBatteryLevel, 2.45},
            {K::SignalGain, 300},
            {K::HRProtocol, true},
            {K::QTcFormula, "vandewater"}};
}

using Setter = std::function<void(ConfigDialog*)>;

} // namespace

Q_DECLARE_METATYPE(Setter)

class TestConfigDialog : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QSettings().clear();
        QSettings().sync();
    }

    // Every key as the store holds it reaches its field.
    void loadsEveryKey()
    {
        const QVariantMap stored =
            clinicSettings(makeImage(m_dir.filePath("logo.png"), "Clinic", Qt::darkCyan), "/nonexistent/sign.png");
        store(stored);
        ConfigDialog d;
        QVERIFY(TestWidgets::child<QLabel>(&d, "logoImage")->text().isEmpty());
        QVERIFY(!TestWidgets::child<QLabel>(&d, "logoImage")->pixmap(Qt::ReturnByValue).isNull());
        QCOMPARE(TestWidgets::child<QLabel>(&d, "signatureImage")->text(), QString("[none]"));
        const QList<QPair<const char*, QString>> texts = {
            {"txtHeaderTitle", K::HeaderTitle}, {"txtSignatureName", K::SignatureName},
            {"txtSignatureLicense", K::SignatureLicense}, {"txtBluetoothPort", K::AcqBluetoothPort},
            {"txtErgometerPort", K::ErgometerPort}, {"txtTreadmillPort", K::TreadmillPort},
            {"txtExportEcgReportFolder", K::ExportEcgReportFolder},
            {"txtExportStressReportFolder", K::ExportStressReportFolder},
            {"txtExportEcgStudyFolder", K::ExportEcgStudyFolder},
            {"txtExportStressStudyFolder", K::ExportStressStudyFolder}};
        for (const auto& field : texts)
            QCOMPARE(TestWidgets::child<QLineEdit>(&d, field.first)->text(), stored[field.second].toString());
        QCOMPARE(TestWidgets::child<QPlainTextEdit>(&d, "txtHeaderInfo")->toPlainText(), stored[K::HeaderInfo].toString());
        for (const char* name : {"rbtAcqDeviceBT", "rbtWorkloadWatts", "chkAutoExportReports", "chkAutoExportStudies",
                                 "chkHRProtocol"})
            QVERIFY2(TestWidgets::child<QAbstractButton>(&d, name)->isChecked(), name);
        QCOMPARE(TestWidgets::child<QComboBox>(&d, "cboErgometerEquipment")->currentText(), QString("OLMO bicycle"));
        QCOMPARE(TestWidgets::child<QComboBox>(&d, "cboTreadmillEquipment")->currentData().toString(), QString("kipmachines"));
        QCOMPARE(TestWidgets::child<QDoubleSpinBox>(&d, "numLowBatteryLevel")->value(), 2.45);
        QCOMPARE(TestWidgets::child<QSpinBox>(&d, "numSignalGain")->value(), 300);
        QCOMPARE(TestWidgets::child<QComboBox>(&d, "cboQTcFormula")->currentText(), QString("Van de Water"));
        // Nothing touched: nothing to write.
        QVERIFY(d.form().changes().isEmpty());
    }

    void loadsModesAndUnits_data()
    {
        QTest::addColumn<QVariant>("mode");
        QTest::addColumn<QString>("checked");
        QTest::addColumn<QVariant>("units");
        QTest::addColumn<bool>("watts");
        QTest::newRow("absent") << QVariant() << "rbtAcqDevice" << QVariant() << false;
        QTest::newRow("demo, watts") << QVariant("demo") << "rbtAcqDemo" << QVariant("watts") << true;
        QTest::newRow("bluetooth, kgm") << QVariant("bluetooth-com") << "rbtAcqDeviceBT" << QVariant("kgm") << false;
        QTest::newRow("unknown mode: USB") << QVariant("usb2") << "rbtAcqDevice" << QVariant("Watts") << false;
    }
    void loadsModesAndUnits()
    {
        QFETCH(QVariant, mode);
        QFETCH(QString, checked);
        QFETCH(QVariant, units);
        QFETCH(bool, watts);
        QVariantMap values;
        if (mode.isValid())
            values[K::AcqMode] = mode;
        if (units.isValid())
            values[K::ErgometerWorkloadUnits] = units;
        store(values);
        ConfigDialog d;
        QVERIFY(TestWidgets::child<QRadioButton>(&d, qPrintable(checked))->isChecked());
        QCOMPARE(TestWidgets::child<QRadioButton>(&d, "rbtWorkloadWatts")->isChecked(), watts);
        QCOMPARE(TestWidgets::child<QRadioButton>(&d, "rbtWorkloadKgm")->isChecked(), !watts);
        // Shown, not rewritten: an unknown mode stays as stored.
        QVERIFY(d.form().changes().isEmpty());
    }

    // The form alone, over a settings file: what it takes from the store, the
    // order and values of what it writes, and the checks, without a window.
    void formWithoutAWindow()
    {
        const QString path = m_dir.filePath("form.ini");
        QFile::remove(path);
        {
            QSettings file(path, QSettings::IniFormat);
            file.setValue(K::AcqMode, "demo");
            file.setValue(K::LowBatteryLevel, "2.456");
            file.setValue(K::SignalGain, "abc");
            file.setValue(K::AutoExportStudies, true);
            file.setValue(K::ExportEcgStudyFolder, m_dir.path());
        }
        QSettings file(path, QSettings::IniFormat);
        TConfigForm form;
        form.load(file);
        QCOMPARE(form.values.acqMode, TConfigForm::AcqMode::Demo);
        QCOMPARE(form.values.lowBatteryLevel, 2.46);           // as the field shows it
        QCOMPARE(form.values.signalGain, TConfigForm::DefaultSignalGain); // unreadable: the default
        QVERIFY(form.changes().isEmpty());
        QCOMPARE(form.problems(), QStringList{"Stress studies folder: no folder chosen"});
        QVERIFY(form.studyFoldersEnabled());
        QVERIFY(!form.reportFoldersEnabled());
        QVERIFY(!form.bluetoothPortEnabled());

        form.values.exportStressStudyFolder = m_dir.path();
        form.values.acqMode = TConfigForm::AcqMode::Bluetooth;
        form.values.signalGain = 300;
        form.values.treadmillEquipment = "kipmachines";
        QVERIFY(form.problems().isEmpty());
        QVERIFY(form.bluetoothPortEnabled());
        QVERIFY(form.treadmillPortEnabled());
        const auto changes = form.changes();
        QStringList keys;
        for (const auto& change : changes)
            keys << change.first;
        QCOMPARE(keys, (QStringList{K::AcqMode, K::TreadmillEquipment, K::ExportStressStudyFolder, K::SignalGain}));
        form.save(file);
        file.sync();
        QCOMPARE(file.value(K::AcqMode).toString(), QString("bluetooth-com"));
        QCOMPARE(file.value(K::SignalGain).toInt(), 300);
        QCOMPARE(file.value(K::LowBatteryLevel).toString(), QString("2.456")); // untouched
        QCOMPARE(form.deviceSettings().signalGain, 300.0);
        QCOMPARE(form.deviceSettings().mode, QString("bluetooth-com"));
    }

    // A key never set stays unset: the hardware page only shows its defaults
    // (a gain of 450 mV would enlarge every value of the 300 mV recorder).
    void acceptingOnAnEmptyStoreWritesNothing()
    {
        ConfigDialog d;
        QCOMPARE(TestWidgets::child<QSpinBox>(&d, "numSignalGain")->value(), 450);
        QCOMPARE(TestWidgets::child<QDoubleSpinBox>(&d, "numLowBatteryLevel")->value(), 2.3);
        QCOMPARE(TestWidgets::child<QComboBox>(&d, "cboErgometerEquipment")->currentText(), QString("<Manual>"));
        QVERIFY(TestWidgets::child<QRadioButton>(&d, "rbtAcqDevice")->isChecked());
        okOf(&d)->click();
        QCOMPARE(d.result(), int(QDialog::Accepted));
        QCOMPARE(storedKeys(), QStringList());
    }

    void changedFieldWritesOnlyItsKey_data()
    {
        QTest::addColumn<Setter>("change");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QVariant>("written");
        auto text = [](const char* name, const char* value) {
            return Setter([=](ConfigDialog* d) { TestWidgets::child<QLineEdit>(d, name)->setText(value); });
        };
        auto click = [](const char* name) {
            return Setter([=](ConfigDialog* d) { TestWidgets::child<QAbstractButton>(d, name)->click(); });
        };
        QTest::newRow("title") << text("txtHeaderTitle", "Clinic") << K::HeaderTitle << QVariant("Clinic");
        QTest::newRow("info") << Setter([](ConfigDialog* d) {
            TestWidgets::child<QPlainTextEdit>(d, "txtHeaderInfo")->setPlainText("Line 1\nLine 2");
        }) << K::HeaderInfo << QVariant("Line 1\nLine 2");
        QTest::newRow("signature name") << text("txtSignatureName", "Dr. B") << K::SignatureName << QVariant("Dr. B");
        QTest::newRow("license") << text("txtSignatureLicense", "77") << K::SignatureLicense << QVariant("77");
        QTest::newRow("demo") << click("rbtAcqDemo") << K::AcqMode << QVariant("demo");
        QTest::newRow("bluetooth") << click("rbtAcqDeviceBT") << K::AcqMode << QVariant("bluetooth-com");
        QTest::newRow("bt port") << text("txtBluetoothPort", "COM7") << K::AcqBluetoothPort << QVariant("COM7");
        QTest::newRow("watts") << click("rbtWorkloadWatts") << K::ErgometerWorkloadUnits << QVariant("watts");
        QTest::newRow("ergometer") << Setter([](ConfigDialog* d) {
            TestWidgets::child<QComboBox>(d, "cboErgometerEquipment")->setCurrentIndex(2);
        }) << K::ErgometerEquipment << QVariant("kipmachines");
        QTest::newRow("treadmill") << Setter([](ConfigDialog* d) {
            TestWidgets::child<QComboBox>(d, "cboTreadmillEquipment")->setCurrentIndex(1);
        }) << K::TreadmillEquipment << QVariant("kipmachines");
        QTest::newRow("ergometer port") << text("txtErgometerPort", "COM3") << K::ErgometerPort << QVariant("COM3");
        QTest::newRow("treadmill port") << text("txtTreadmillPort", "COM4") << K::TreadmillPort << QVariant("COM4");
        QTest::newRow("ecg report folder") << text("txtExportEcgReportFolder", "/x") << K::ExportEcgReportFolder
                                           << QVariant("/x");
        QTest::newRow("stress study folder") << text("txtExportStressStudyFolder", "/y") << K::ExportStressStudyFolder
                                             << QVariant("/y");
        QTest::newRow("battery") << Setter([](ConfigDialog* d) {
            TestWidgets::child<QDoubleSpinBox>(d, "numLowBatteryLevel")->setValue(2.55);
        }) << K::LowBatteryLevel << QVariant(2.55);
        QTest::newRow("gain") << Setter([](ConfigDialog* d) { TestWidgets::child<QSpinBox>(d, "numSignalGain")->setValue(300); })
                              << K::SignalGain << QVariant(300);
        QTest::newRow("hr protocol") << click("chkHRProtocol") << K::HRProtocol << QVariant(true);
        // Names in EDF+ files: left out until the clinic unticks the box.
        QTest::newRow("edf names") << click("chkEdfAnonymous") << K::EdfAnonymous << QVariant(false);
        QTest::newRow("qtc formula") << Setter([](ConfigDialog* d) {
            auto* combo = TestWidgets::child<QComboBox>(d, "cboQTcFormula");
            combo->setCurrentIndex(combo->findText("Van de Water"));
        }) << K::QTcFormula << QVariant("vandewater");
    }
    void changedFieldWritesOnlyItsKey()
    {
        QFETCH(Setter, change);
        QFETCH(QString, key);
        QFETCH(QVariant, written);
        ConfigDialog d;
        change(&d);
        okOf(&d)->click();
        QCOMPARE(d.result(), int(QDialog::Accepted));
        QCOMPARE(storedKeys(), QStringList{key});
        const QVariant stored = QSettings().value(key);
        if (written.type() == QVariant::Double)
            QCOMPARE(stored.toDouble(), written.toDouble());
        else
            QCOMPARE(stored.toString(), written.toString());
    }

    // A changed value back to what was stored is no change; a stored key the
    // user changed is overwritten, the others stay as they were.
    void changesAgainstAStoredValue()
    {
        store({{K::SignalGain, 300}, {K::HRProtocol, true}, {K::AcqMode, "demo"}});
        ConfigDialog d;
        TestWidgets::child<QSpinBox>(&d, "numSignalGain")->setValue(500);
        TestWidgets::child<QSpinBox>(&d, "numSignalGain")->setValue(300);
        TestWidgets::child<QRadioButton>(&d, "rbtAcqDevice")->click();
        okOf(&d)->click();
        QSettings s;
        QCOMPARE(s.value(K::SignalGain).toInt(), 300);
        QCOMPARE(s.value(K::HRProtocol).toBool(), true);
        QCOMPARE(s.value(K::AcqMode).toString(), QString());
        QCOMPARE(s.allKeys().size(), 3);
    }

    // The QTc formula: the five offered by name, the stored one chosen; a word
    // no formula carries shows Bazett (as every reader takes it) and stays
    // stored until the user chooses.
    void qtcFormula()
    {
        {
            ConfigDialog d;
            auto* combo = TestWidgets::child<QComboBox>(&d, "cboQTcFormula");
            QStringList texts;
            for (int i = 0; i < combo->count(); ++i)
                texts << combo->itemText(i);
            QCOMPARE(texts, (QStringList{"Bazett", "Fridericia", "Framingham", "Hodges", "Van de Water"}));
            QCOMPARE(combo->currentText(), QString("Bazett"));
        }
        store({{K::QTcFormula, "HODGES"}});
        {
            ConfigDialog d;
            QCOMPARE(TestWidgets::child<QComboBox>(&d, "cboQTcFormula")->currentText(), QString("Hodges"));
        }
        store({{K::QTcFormula, "fridercia"}});
        ConfigDialog d;
        QCOMPARE(TestWidgets::child<QComboBox>(&d, "cboQTcFormula")->currentText(), QString("Bazett"));
        okOf(&d)->click();
        QCOMPARE(QSettings().value(K::QTcFormula).toString(), QString("fridercia"));
    }

    // A stored equipment name no row carries shows "<Manual>" (the launcher
    // runs manual for it too); it is replaced only when the user chooses.
    void unknownEquipment()
    {
        store({{K::ErgometerEquipment, "monark"}, {K::ErgometerPort, "COM9"}, {K::TreadmillEquipment, "trackmaster"}});
        {
            ConfigDialog d;
            QCOMPARE(TestWidgets::child<QComboBox>(&d, "cboErgometerEquipment")->currentText(), QString("<Manual>"));
            QCOMPARE(TestWidgets::child<QComboBox>(&d, "cboTreadmillEquipment")->currentText(), QString("<Manual>"));
            QVERIFY(!TestWidgets::child<QLineEdit>(&d, "txtErgometerPort")->isEnabled());
            QVERIFY(!TestWidgets::child<QLabel>(&d, "lblErgometerPort")->isEnabled());
            okOf(&d)->click();
            QCOMPARE(QSettings().value(K::ErgometerEquipment).toString(), QString("monark"));
        }
        ConfigDialog d;
        auto* combo = TestWidgets::child<QComboBox>(&d, "cboErgometerEquipment");
        combo->setCurrentIndex(1);
        QVERIFY(TestWidgets::child<QLineEdit>(&d, "txtErgometerPort")->isEnabled());
        combo->setCurrentIndex(0);
        okOf(&d)->click();
        QSettings s;
        QCOMPARE(s.value(K::ErgometerEquipment, "unset").toString(), QString());
        QCOMPARE(s.value(K::TreadmillEquipment).toString(), QString("trackmaster"));
        QCOMPARE(s.value(K::ErgometerPort).toString(), QString("COM9"));
    }

    // The enabling rules follow the form as the user changes it.
    void enablingRules_data()
    {
        QTest::addColumn<Setter>("change");
        QTest::addColumn<QStringList>("enabled");
        QTest::addColumn<QStringList>("disabled");
        const QStringList bt = {"txtBluetoothPort", "btnBluetoothDetect", "lblBluetoothPort"};
        const QStringList ergo = {"txtErgometerPort", "lblErgometerPort"};
        const QStringList tread = {"txtTreadmillPort", "lblTreadmillPort"};
        const QStringList reports = {"txtExportEcgReportFolder", "btnExportEcgReportFolder",
                                     "txtExportStressReportFolder", "btnExportStressReportFolder"};
        const QStringList studies = {"txtExportEcgStudyFolder", "btnExportEcgStudyFolder", "txtExportStressStudyFolder",
                                     "btnExportStressStudyFolder"};
        QTest::newRow("as opened") << Setter([](ConfigDialog*) {}) << QStringList()
                                   << bt + ergo + tread + reports + studies;
        QTest::newRow("bluetooth") << Setter([](ConfigDialog* d) { TestWidgets::child<QRadioButton>(d, "rbtAcqDeviceBT")->click(); })
                                   << bt << ergo + tread;
        QTest::newRow("bluetooth then demo") << Setter([](ConfigDialog* d) {
            TestWidgets::child<QRadioButton>(d, "rbtAcqDeviceBT")->click();
            TestWidgets::child<QRadioButton>(d, "rbtAcqDemo")->click();
        }) << QStringList() << bt;
        QTest::newRow("ergometer") << Setter([](ConfigDialog* d) {
            TestWidgets::child<QComboBox>(d, "cboErgometerEquipment")->setCurrentIndex(1);
        }) << ergo << tread + bt;
        QTest::newRow("treadmill") << Setter([](ConfigDialog* d) {
            TestWidgets::child<QComboBox>(d, "cboTreadmillEquipment")->setCurrentIndex(1);
        }) << tread << ergo;
        QTest::newRow("reports") << Setter([](ConfigDialog* d) { TestWidgets::child<QCheckBox>(d, "chkAutoExportReports")->click(); })
                                 << reports << studies;
        QTest::newRow("studies") << Setter([](ConfigDialog* d) { TestWidgets::child<QCheckBox>(d, "chkAutoExportStudies")->click(); })
                                 << studies << reports;
        QTest::newRow("studies on and off") << Setter([](ConfigDialog* d) {
            TestWidgets::child<QCheckBox>(d, "chkAutoExportStudies")->click();
            TestWidgets::child<QCheckBox>(d, "chkAutoExportStudies")->click();
        }) << QStringList() << studies;
    }
    void enablingRules()
    {
        QFETCH(Setter, change);
        QFETCH(QStringList, enabled);
        QFETCH(QStringList, disabled);
        ConfigDialog d;
        change(&d);
        for (const QString& name : enabled)
            QVERIFY2(TestWidgets::child<QWidget>(&d, qPrintable(name))->isEnabled(), qPrintable(name));
        for (const QString& name : disabled)
            QVERIFY2(!TestWidgets::child<QWidget>(&d, qPrintable(name))->isEnabled(), qPrintable(name));
    }

    void enablingRulesFromTheStore()
    {
        store({{K::AcqMode, "bluetooth-com"}, {K::TreadmillEquipment, "kipmachines"}, {K::AutoExportReports, true}});
        ConfigDialog d;
        QVERIFY(TestWidgets::child<QLineEdit>(&d, "txtBluetoothPort")->isEnabled());
        QVERIFY(TestWidgets::child<QLineEdit>(&d, "txtTreadmillPort")->isEnabled());
        QVERIFY(!TestWidgets::child<QLineEdit>(&d, "txtErgometerPort")->isEnabled());
        QVERIFY(TestWidgets::child<QToolButton>(&d, "btnExportStressReportFolder")->isEnabled());
        QVERIFY(!TestWidgets::child<QToolButton>(&d, "btnExportStressStudyFolder")->isEnabled());
    }

    // Choosing, failing and removing the images; a broken image held on the
    // form is named on OK and nothing is saved.
    void images()
    {
        const QString logo = makeImage(m_dir.filePath("logo2.png"), "Vet", Qt::darkGreen);
        const QString notImage = m_dir.filePath("notes.png");
        {
            QFile f(notImage);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("this is not a picture");
        }
        ConfigDialog d;
        QStringList asked;
        QString next = notImage;
        d.setFileChooser([&](QWidget*, const QString& title, const QString& filter) {
            asked << title << filter;
            return next;
        });
        auto* preview = TestWidgets::child<QLabel>(&d, "logoImage");
        {
            AppTest::BoxClicker boxes;
            TestWidgets::child<QPushButton>(&d, "btnSelectLogo")->click();
            QCOMPARE(boxes.texts, QStringList{"Logo image could not be loaded from file: " + notImage});
            QCOMPARE(boxes.titles, QStringList{"Warning"});
        }
        QCOMPARE(asked, (QStringList{"Open Image", "Image Files (*.png *.jpg *.bmp)"}));
        QCOMPARE(preview->text(), QString("[none]"));
        {
            AppTest::BoxClicker boxes;
            okOf(&d)->click();
            QCOMPARE(boxes.texts.size(), 1);
            QVERIFY(boxes.texts[0].contains("Logo image could not be loaded from file: " + notImage));
        }
        QVERIFY(d.result() != QDialog::Accepted);
        QCOMPARE(storedKeys(), QStringList());

        next = logo;
        TestWidgets::child<QPushButton>(&d, "btnSelectLogo")->click();
        QVERIFY(preview->text().isEmpty());
        QVERIFY(!preview->pixmap(Qt::ReturnByValue).isNull());
        QVERIFY(preview->pixmap(Qt::ReturnByValue).width() <= preview->width());

        // Chooser cancelled: the logo stays.
        next.clear();
        TestWidgets::child<QPushButton>(&d, "btnSelectLogo")->click();
        QCOMPARE(d.form().values.logoFile, logo);

        next = notImage;
        {
            AppTest::BoxClicker boxes;
            TestWidgets::child<QPushButton>(&d, "btnSelectSignature")->click();
            QCOMPARE(boxes.texts, QStringList{"Signature image could not be loaded from file: " + notImage});
        }
        TestWidgets::child<QPushButton>(&d, "btnRemoveSignature")->click();
        QCOMPARE(TestWidgets::child<QLabel>(&d, "signatureImage")->text(), QString("[none]"));
        okOf(&d)->click();
        QCOMPARE(d.result(), int(QDialog::Accepted));
        QCOMPARE(storedKeys(), QStringList{K::HeaderLogoFilename});
        QCOMPARE(QSettings().value(K::HeaderLogoFilename).toString(), logo);

        ConfigDialog again;
        TestWidgets::child<QPushButton>(&again, "btnRemoveLogo")->click();
        QCOMPARE(TestWidgets::child<QLabel>(&again, "logoImage")->text(), QString("[none]"));
        okOf(&again)->click();
        QCOMPARE(QSettings().value(K::HeaderLogoFilename, "unset").toString(), QString());
    }

    // An export folder in use that cannot take a file is named on OK.
    void exportFolderChecks_data()
    {
        QTest::addColumn<QString>("checkBox");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("problem");
        QTest::newRow("empty") << "chkAutoExportReports" << "txtExportEcgReportFolder" << ""
                               << "ECG reports folder: no folder chosen";
        QTest::newRow("missing") << "chkAutoExportReports" << "txtExportStressReportFolder" << "/nonexistent/reports"
                                 << "Stress reports folder does not exist: /nonexistent/reports";
        QTest::newRow("read-only") << "chkAutoExportStudies" << "txtExportEcgStudyFolder" << "/proc"
                                   << "ECG studies folder cannot be written to: /proc";
        const QString file = QCoreApplication::applicationFilePath();
        QTest::newRow("a file") << "chkAutoExportStudies" << "txtExportStressStudyFolder" << file
                                << "Stress studies folder does not exist: " + file;
    }
    void exportFolderChecks()
    {
        QFETCH(QString, checkBox);
        QFETCH(QString, field);
        QFETCH(QString, folder);
        QFETCH(QString, problem);
        ConfigDialog d;
        TestWidgets::child<QCheckBox>(&d, qPrintable(checkBox))->click();
        for (const char* name : {"txtExportEcgReportFolder", "txtExportStressReportFolder", "txtExportEcgStudyFolder",
                                 "txtExportStressStudyFolder"})
            TestWidgets::child<QLineEdit>(&d, name)->setText(m_dir.path());
        TestWidgets::child<QLineEdit>(&d, qPrintable(field))->setText(folder);
        {
            AppTest::BoxClicker boxes;
            okOf(&d)->click();
            QCOMPARE(boxes.texts.size(), 1);
            QCOMPARE(boxes.texts[0].count('\n'), 2); // the heading, a blank line, one problem
            QVERIFY2(boxes.texts[0].endsWith(problem), qPrintable(boxes.texts[0]));
        }
        QVERIFY(d.result() != QDialog::Accepted);
        QCOMPARE(storedKeys(), QStringList());
        // Fixed, it saves; a folder no box uses is not checked.
        TestWidgets::child<QLineEdit>(&d, qPrintable(field))->setText(m_dir.path());
        TestWidgets::child<QLineEdit>(&d, "txtExportEcgReportFolder")->setText(
            checkBox == "chkAutoExportReports" ? m_dir.path() : "/nonexistent");
        okOf(&d)->click();
        QCOMPARE(d.result(), int(QDialog::Accepted));
        QVERIFY(QSettings().value(checkBox == "chkAutoExportReports" ? K::AutoExportReports : K::AutoExportStudies)
                    .toBool());
        // The probe file is gone.
        QCOMPARE(QDir(m_dir.path()).entryList(QStringList{".velmora*"}, QDir::Files | QDir::Hidden), QStringList());
    }

    void folderButtons()
    {
        ConfigDialog d;
        QStringList titles;
        d.setFolderChooser([&](QWidget*, const QString& title, const QString& current) {
            titles << title;
            return current.isEmpty() ? m_dir.path() : QString();
        });
        TestWidgets::child<QCheckBox>(&d, "chkAutoExportReports")->click();
        TestWidgets::child<QCheckBox>(&d, "chkAutoExportStudies")->click();
        for (const char* name : {"btnExportEcgReportFolder", "btnExportStressReportFolder", "btnExportEcgStudyFolder",
                                 "btnExportStressStudyFolder"})
            TestWidgets::child<QToolButton>(&d, name)->click();
        QCOMPARE(titles, (QStringList{"Select shared folder", "Select shared folder", "Select shared folder",
                                        "Select shared folder"}));
        for (const char* name : {"txtExportEcgReportFolder", "txtExportStressReportFolder", "txtExportEcgStudyFolder",
                                 "txtExportStressStudyFolder"})
            QCOMPARE(TestWidgets::child<QLineEdit>(&d, name)->text(), QDir::toNativeSeparators(m_dir.path()));
        // Cancelled: the field keeps its folder.
        TestWidgets::child<QToolButton>(&d, "btnExportEcgReportFolder")->click();
        QCOMPARE(TestWidgets::child<QLineEdit>(&d, "txtExportEcgReportFolder")->text(), QDir::toNativeSeparators(m_dir.path()));
        QCOMPARE(TestWidgets::child<QToolButton>(&d, "btnExportEcgReportFolder")->icon().isNull(), false);
    }

    // "Restore defaults" writes nothing until OK, and then only what differs.
    void restoreDefaults()
    {
        store({{K::LowBatteryLevel, 2.8}, {K::SignalGain, 450}, {K::HRProtocol, true}});
        {
            ConfigDialog d;
            TestWidgets::child<QPushButton>(&d, "btnHardwareDefaults")->click();
            QCOMPARE(TestWidgets::child<QDoubleSpinBox>(&d, "numLowBatteryLevel")->value(), 2.3);
            QVERIFY(!TestWidgets::child<QCheckBox>(&d, "chkHRProtocol")->isChecked());
            d.reject();
            QSettings s;
            QCOMPARE(s.value(K::LowBatteryLevel).toDouble(), 2.8);
            QCOMPARE(s.value(K::HRProtocol).toBool(), true);
        }
        ConfigDialog d;
        TestWidgets::child<QPushButton>(&d, "btnHardwareDefaults")->click();
        QCOMPARE(d.form().changes().size(), 2);
        okOf(&d)->click();
        QSettings s;
        QCOMPARE(s.value(K::LowBatteryLevel).toDouble(), 2.3);
        QCOMPARE(s.value(K::HRProtocol).toBool(), false);
        QCOMPARE(s.value(K::SignalGain).toInt(), 450);
        // On an empty store the defaults are what is shown: nothing to write.
        QSettings().clear();
        ConfigDialog empty;
        TestWidgets::child<QSpinBox>(&empty, "numSignalGain")->setValue(320);
        TestWidgets::child<QPushButton>(&empty, "btnHardwareDefaults")->click();
        okOf(&empty)->click();
        QCOMPARE(storedKeys(), QStringList());
    }

    // "Test" hands the device the form describes, unsaved, to the hook.
    void testHookGetsTheFormsValues_data()
    {
        QTest::addColumn<QVariantMap>("stored");
        QTest::addColumn<Setter>("change");
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QString>("port");
        QTest::addColumn<bool>("hr");
        QTest::addColumn<double>("gain");
        QTest::newRow("empty store: the device's own range")
            << QVariantMap() << Setter([](ConfigDialog*) {}) << "" << "" << false << 0.0;
        QTest::newRow("hr, bluetooth, gain typed") << QVariantMap() << Setter([](ConfigDialog* d) {
            TestWidgets::child<QRadioButton>(d, "rbtAcqDeviceBT")->click();
            TestWidgets::child<QLineEdit>(d, "txtBluetoothPort")->setText("/dev/rfcomm1");
            TestWidgets::child<QCheckBox>(d, "chkHRProtocol")->click();
            TestWidgets::child<QSpinBox>(d, "numSignalGain")->setValue(300);
        }) << "bluetooth-com" << "/dev/rfcomm1" << true << 300.0;
        QTest::newRow("stored, demo chosen")
            << QVariantMap{{K::SignalGain, 250}, {K::AcqMode, "bluetooth-com"}, {K::AcqBluetoothPort, "COM8"}}
            << Setter([](ConfigDialog* d) { TestWidgets::child<QRadioButton>(d, "rbtAcqDemo")->click(); }) << "demo" << "COM8"
            << false << 250.0;
        QTest::newRow("stored gain out of range stays the store's")
            << QVariantMap{{K::SignalGain, -5}} << Setter([](ConfigDialog*) {}) << "" << "" << false << -5.0;
    }
    void testHookGetsTheFormsValues()
    {
        QFETCH(QVariantMap, stored);
        QFETCH(Setter, change);
        QFETCH(QString, mode);
        QFETCH(QString, port);
        QFETCH(bool, hr);
        QFETCH(double, gain);
        store(stored);
        ConfigDialog d;
        auto* test = TestWidgets::child<QPushButton>(&d, "btnAcqTest");
        QVERIFY(!test->isEnabled());
        QVector<TDeviceSettings> runs;
        QWidget* owner = nullptr;
        d.setAcquisitionTest([&](const TDeviceSettings& s, QWidget* dialog) {
            runs << s;
            owner = dialog;
        });
        QVERIFY(test->isEnabled());
        change(&d);
        test->click();
        QCOMPARE(runs.size(), 1);
        QCOMPARE(owner, static_cast<QWidget*>(&d));
        QCOMPARE(runs[0].mode, mode);
        QCOMPARE(runs[0].bluetoothPort, port);
        QCOMPARE(runs[0].hrProtocol, hr);
        QCOMPARE(runs[0].signalGain, gain);
        // The launcher builds the same device from what OK leaves in the store.
        okOf(&d)->click();
        const TDeviceSettings saved = TDeviceSettings::fromSettings(QSettings());
        QCOMPARE(saved.mode, mode);
        QCOMPARE(saved.hrProtocol, hr);
        QCOMPARE(saved.signalGain, gain);
    }

    void testHookFailureIsShown()
    {
        ConfigDialog d;
        d.setAcquisitionTest([](const TDeviceSettings&, QWidget*) { throw TException("Device not found"); });
        AppTest::BoxClicker boxes;
        TestWidgets::child<QPushButton>(&d, "btnAcqTest")->click();
        QCOMPARE(boxes.texts, QStringList{"Device not found"});
        d.setAcquisitionTest(nullptr);
        QVERIFY(!TestWidgets::child<QPushButton>(&d, "btnAcqTest")->isEnabled());
    }

    // "Detect" against simulated recorders and ports that are no recorder.
    void detect_data()
    {
        QTest::addColumn<int>("recorders");
        QTest::addColumn<QStringList>("boxes");
        const QString ask = "Make sure that the device has been paired and is turned on.\nPress <OK> to continue.";
        QTest::newRow("one") << 1 << QStringList{ask};
        QTest::newRow("none") << 0
                              << QStringList{ask,
                                             "No device found.\nPlease make sure that the device is paired and turned on."};
        QTest::newRow("two") << 2
                             << QStringList{ask, "There is more than one device in range.\nPlease make sure that only "
                                                 "one device is turned on and try again."};
    }
    void detect()
    {
        QFETCH(int, recorders);
        QFETCH(QStringList, boxes);
        std::vector<std::unique_ptr<TRecorderSimulator>> sims;
        QStringList candidates = {"/nonexistent/rfcomm7", "/dev/null"};
        for (int i = 0; i < recorders; ++i) {
            sims.push_back(startRecorder());
            QVERIFY(sims.back());
            candidates.insert(1, sims.back()->portPath());
        }
        store({{K::AcqMode, "bluetooth-com"}, {K::AcqBluetoothPort, "COM1"}});
        ConfigDialog d;
        d.setBluetoothCandidates(candidates);
        d.show();
        QVERIFY(QTest::qWaitForWindowExposed(&d));
        AppTest::BoxClicker clicker;
        TestWidgets::child<QPushButton>(&d, "btnBluetoothDetect")->click();
        QCOMPARE(clicker.texts, boxes);
        for (const QString& title : clicker.titles)
            QCOMPARE(title, QString("Information"));
        QCOMPARE(clicker.titles.size(), boxes.size());
        QCOMPARE(TestWidgets::child<QLineEdit>(&d, "txtBluetoothPort")->text(),
                 recorders == 1 ? sims[0]->portPath() : QString("COM1"));
        QVERIFY(!QApplication::overrideCursor());
        QVERIFY(!d.findChild<QProgressDialog*>() || !d.findChild<QProgressDialog*>()->isVisible());
    }

    void detectCancelled()
    {
        auto sim = startRecorder();
        QVERIFY(sim);
        store({{K::AcqMode, "bluetooth-com"}});
        ConfigDialog d;
        d.setBluetoothCandidates({sim->portPath()});
        AppTest::BoxClicker clicker({QMessageBox::Cancel});
        TestWidgets::child<QPushButton>(&d, "btnBluetoothDetect")->click();
        QCOMPARE(clicker.texts.size(), 1);
        QCOMPARE(TestWidgets::child<QLineEdit>(&d, "txtBluetoothPort")->text(), QString());
        QVERIFY(sim->commands().isEmpty()); // the port was never asked
    }

    // The eight pages, filled as a clinic fills them, under the style sheet.
    // VELMORA_TEST_SHOTS names a folder for the pictures.
    void pagesUnderTheStyleSheet()
    {
        qApp->setStyleSheet(TAppIdentity::styleSheet());
        QVERIFY(!qApp->styleSheet().isEmpty());
        store(clinicSettings(makeImage(m_dir.filePath("clinic.png"), "Northgate", QColor(43, 179, 163)),
                             makeImage(m_dir.filePath("sign.png"), "A. Moreno", Qt::darkBlue)));
        ConfigDialog d;
        d.setAcquisitionTest([](const TDeviceSettings&, QWidget*) {});
        TestWidgets::child<QLineEdit>(&d, "txtDicomPeerHost")->setText("pacs.northgate-vet.example");
        TestWidgets::child<QLineEdit>(&d, "txtDicomPeerTitle")->setText("NGPACS");
        TestWidgets::child<QLineEdit>(&d, "txtDicomClientTitle")->setText("VELMORA1");
        d.show();
        QVERIFY(QTest::qWaitForWindowExposed(&d));
        auto* list = TestWidgets::child<QListWidget>(&d, "listCategory");
        QCOMPARE(list->count(), 9);
        const char* names[] = {"header", "signature", "acquisition", "stress", "export-reports",
                               "export-studies", "dicom", "hardware", "measurements"};
        for (int i = 0; i < list->count(); ++i) {
            list->setCurrentRow(i);
            QCOMPARE(TestWidgets::child<QStackedWidget>(&d, "stackedPages")->currentIndex(), i);
            QApplication::processEvents();
            QVERIFY(TestWidgets::shoot(&d, QString("config-") + names[i]));
            // Every item of the side list reads whole.
            const QRect rect = list->visualItemRect(list->item(i));
            QVERIFY2(QFontMetrics(list->font()).horizontalAdvance(list->item(i)->text()) + list->iconSize().width()
                         <= rect.width(),
                     qPrintable(list->item(i)->text()));
            // Every label and button shows its text uncut.
            for (QLabel* label : TestWidgets::child<QStackedWidget>(&d, "stackedPages")->currentWidget()->findChildren<QLabel*>())
                if (!label->wordWrap() && !label->text().isEmpty() && label->isVisible())
                    QVERIFY2(label->width() >= label->sizeHint().width(), qPrintable(label->text()));
            for (QAbstractButton* b : TestWidgets::child<QStackedWidget>(&d, "stackedPages")->currentWidget()->findChildren<QAbstractButton*>())
                if (b->isVisible())
                    QVERIFY2(b->width() >= b->sizeHint().width(), qPrintable(b->objectName()));
        }
        // The disabled fields look it.
        list->setCurrentRow(2);
        TestWidgets::child<QRadioButton>(&d, "rbtAcqDevice")->click();
        QVERIFY(!TestWidgets::child<QLineEdit>(&d, "txtBluetoothPort")->isEnabled());
        QVERIFY(TestWidgets::shoot(&d, "config-acquisition-usb"));
        list->setCurrentRow(4);
        TestWidgets::child<QCheckBox>(&d, "chkAutoExportReports")->click();
        QVERIFY(!TestWidgets::child<QLineEdit>(&d, "txtExportEcgReportFolder")->isEnabled());
        QVERIFY(TestWidgets::shoot(&d, "config-export-reports-off"));
        d.reject();
        qApp->setStyleSheet(QString());
    }

private:
    QTemporaryDir m_dir;
};

VELMORA_APP_TEST_MAIN(TestConfigDialog)
#include "tst_configdialog.moc"
