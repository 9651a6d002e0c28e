#include "TConfigForm.h"

#include "TQtcFormula.h"

#include "TSettingsKeys.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QSettings>
#include <QTemporaryFile>
#include <QtMath>

#include <algorithm>
#include <functional>

namespace K = TSettingsKeys;

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("TConfigForm", text);
}

// One settings key and how the form's values give what is written to it.
struct Field
{
    const char* key;
    std::function<QVariant(const TConfigForm::Values&)> value;
};

double roundedBattery(double volts)
{
    const double scale = qPow(10.0, TConfigForm::LowBatteryDecimals);
    return qRound(volts * scale) / scale;
}

const QVector<Field>& fields()
{
    using V = TConfigForm::Values;
    static const QVector<Field> table = {
        {K::HeaderLogoFilename, [](const V& v) { return QVariant(v.logoFile); }},
        {K::HeaderTitle, [](const V& v) { return QVariant(v.headerTitle); }},
        {K::HeaderInfo, [](const V& v) { return QVariant(v.headerInfo); }},
        {K::SignatureFilename, [](const V& v) { return QVariant(v.signatureFile); }},
        {K::SignatureName, [](const V& v) { return QVariant(v.signatureName); }},
        {K::SignatureLicense, [](const V& v) { return QVariant(v.signatureLicense); }},
        {K::AcqMode, [](const V& v) { return QVariant(TConfigForm::modeText(v.acqMode)); }},
        {K::AcqBluetoothPort, [](const V& v) { return QVariant(v.bluetoothPort); }},
        {K::ErgometerWorkloadUnits,
         [](const V& v) { return QVariant(v.workloadWatts ? QStringLiteral("watts") : QString()); }},
        {K::ErgometerEquipment, [](const V& v) { return QVariant(v.ergometerEquipment); }},
        {K::ErgometerPort, [](const V& v) { return QVariant(v.ergometerPort); }},
        {K::TreadmillEquipment, [](const V& v) { return QVariant(v.treadmillEquipment); }},
        {K::TreadmillPort, [](const V& v) { return QVariant(v.treadmillPort); }},
        {K::AutoExportReports, [](const V& v) { return QVariant(v.autoExportReports); }},
        {K::ExportEcgReportFolder, [](const V& v) { return QVariant(v.exportEcgReportFolder); }},
        {K::ExportStressReportFolder, [](const V& v) { return QVariant(v.exportStressReportFolder); }},
        {K::AutoExportStudies, [](const V& v) { return QVariant(v.autoExportStudies); }},
        {K::ExportEcgStudyFolder, [](const V& v) { return QVariant(v.exportEcgStudyFolder); }},
        {K::ExportStressStudyFolder, [](const V& v) { return QVariant(v.exportStressStudyFolder); }},
        {K::EdfAnonymous, [](const V& v) { return QVariant(v.edfAnonymous); }},
        {K::LowBatteryLevel, [](const V& v) { return QVariant(roundedBattery(v.lowBatteryLevel)); }},
        {K::SignalGain, [](const V& v) { return QVariant(v.signalGain); }},
        {K::HRProtocol, [](const V& v) { return QVariant(v.hrProtocol); }},
        {K::QTcFormula, [](const V& v) { return QVariant(v.qtcFormula); }},
    };
    return table;
}

QString text(const QSettings& s, const char* key)
{
    return s.value(QLatin1String(key), QString()).toString();
}

bool flag(const QSettings& s, const char* key)
{
    return s.value(QLatin1String(key), false).toBool();
}

bool imageLoads(const QString& file)
{
    return !QImage(file).isNull();
}

// Empty when a file can be created in the folder.
QString folderProblem(const QString& label, const QString& folder)
{
    if (folder.trimmed().isEmpty())
        return QCoreApplication::translate("TConfigForm", "%1: no folder chosen").arg(label);
    const QFileInfo info(folder);
    if (!info.exists() || !info.isDir())
        return QCoreApplication::translate("TConfigForm", "%1 does not exist: %2").arg(label, folder);
    // Permission bits do not tell about shares and read-only media: try it.
    QTemporaryFile probe(QDir(folder).filePath(QStringLiteral(".velmora-write-XXXXXX")));
    if (!probe.open())
        return QCoreApplication::translate("TConfigForm", "%1 cannot be written to: %2").arg(label, folder);
    return QString();
}

} // namespace

const QVector<TEquipmentChoice>& TConfigForm::ergometerChoices()
{
    static const QVector<TEquipmentChoice> choices = {{tr("<Manual>"), QString()},
                                                      {tr("OLMO bicycle"), QStringLiteral("olmo")},
                                                      {tr("Kip Machines"), QStringLiteral("kipmachines")}};
    return choices;
}

const QVector<TEquipmentChoice>& TConfigForm::treadmillChoices()
{
    static const QVector<TEquipmentChoice> choices = {{tr("<Manual>"), QString()},
                                                      {tr("Kip Machines"), QStringLiteral("kipmachines")}};
    return choices;
}

int TConfigForm::choiceRow(const QVector<TEquipmentChoice>& choices, const QString& key)
{
    for (int row = 0; row < choices.size(); ++row)
        if (choices[row].key == key)
            return row;
    return 0;
}

QString TConfigForm::modeText(AcqMode mode)
{
    switch (mode) {
    case AcqMode::Demo:
        return QLatin1String(K::AcqModeDemo);
    case AcqMode::Bluetooth:
        return QLatin1String(K::AcqModeBluetooth);
    case AcqMode::Usb:
        break;
    }
    return QString();
}

TConfigForm::TConfigForm()
{
    values.signalGain = DefaultSignalGain;
    restoreHardwareDefaults();
    m_loaded = values;
}

void TConfigForm::load(const QSettings& s)
{
    Values v;
    v.logoFile = text(s, K::HeaderLogoFilename);
    v.headerTitle = text(s, K::HeaderTitle);
    v.headerInfo = text(s, K::HeaderInfo);
    v.signatureFile = text(s, K::SignatureFilename);
    v.signatureName = text(s, K::SignatureName);
    v.signatureLicense = text(s, K::SignatureLicense);

    const QString mode = text(s, K::AcqMode);
    v.acqMode = mode == QLatin1String(K::AcqModeDemo)        ? AcqMode::Demo
                : mode == QLatin1String(K::AcqModeBluetooth) ? AcqMode::Bluetooth
                                                             : AcqMode::Usb;
    v.bluetoothPort = text(s, K::AcqBluetoothPort);

    v.workloadWatts = text(s, K::ErgometerWorkloadUnits) == QLatin1String("watts");
    // An equipment name no row carries is kept as it stands: the launcher
    // treats it as manual already, and it is replaced only by the user's choice.
    v.ergometerEquipment = text(s, K::ErgometerEquipment);
    v.ergometerPort = text(s, K::ErgometerPort);
    v.treadmillEquipment = text(s, K::TreadmillEquipment);
    v.treadmillPort = text(s, K::TreadmillPort);

    v.autoExportReports = flag(s, K::AutoExportReports);
    v.exportEcgReportFolder = text(s, K::ExportEcgReportFolder);
    v.exportStressReportFolder = text(s, K::ExportStressReportFolder);
    v.autoExportStudies = flag(s, K::AutoExportStudies);
    v.exportEcgStudyFolder = text(s, K::ExportEcgStudyFolder);
    v.exportStressStudyFolder = text(s, K::ExportStressStudyFolder);
    v.edfAnonymous = s.value(QLatin1String(K::EdfAnonymous), K::DefaultEdfAnonymous).toBool();

    // Held as the fields show them, so that an untouched field compares equal.
    bool ok = false;
    const double volts = s.value(QLatin1String(K::LowBatteryLevel), DefaultLowBatteryLevel).toDouble(&ok);
    v.lowBatteryLevel =
        roundedBattery(std::clamp(ok ? volts : DefaultLowBatteryLevel, MinLowBatteryLevel, MaxLowBatteryLevel));
    const double gain = s.value(QLatin1String(K::SignalGain), DefaultSignalGain).toDouble(&ok);
    v.signalGain = std::clamp(ok ? qRound(gain) : DefaultSignalGain, MinSignalGain, MaxSignalGain);
    v.hrProtocol = flag(s, K::HRProtocol);
    // A word no formula carries reads as Bazett, as every reader takes it.
    v.qtcFormula = TQtcFormula::fromWord(text(s, K::QTcFormula)).word();

    m_storedGain = s.value(QLatin1String(K::SignalGain), 0.0).toDouble();
    values = v;
    m_loaded = v;
}

void TConfigForm::restoreHardwareDefaults()
{
    values.lowBatteryLevel = DefaultLowBatteryLevel;
    values.signalGain = DefaultSignalGain;
    values.hrProtocol = false;
}

QStringList TConfigForm::problems() const
{
    QStringList found;
    if (!values.logoFile.isEmpty() && !imageLoads(values.logoFile))
        found << tr("Logo image could not be loaded from file: %1").arg(values.logoFile);
    if (!values.signatureFile.isEmpty() && !imageLoads(values.signatureFile))
        found << tr("Signature image could not be loaded from file: %1").arg(values.signatureFile);
    QVector<QPair<QString, QString>> folders;
    if (values.autoExportReports)
        folders << qMakePair(tr("ECG reports folder"), values.exportEcgReportFolder)
                << qMakePair(tr("Stress reports folder"), values.exportStressReportFolder);
    if (values.autoExportStudies)
        folders << qMakePair(tr("ECG studies folder"), values.exportEcgStudyFolder)
                << qMakePair(tr("Stress studies folder"), values.exportStressStudyFolder);
    for (const auto& folder : folders) {
        const QString problem = folderProblem(folder.first, folder.second);
        if (!problem.isEmpty())
            found << problem;
    }
    return found;
}

QVector<QPair<QString, QVariant>> TConfigForm::changes() const
{
    QVector<QPair<QString, QVariant>> changed;
    for (const Field& f : fields()) {
        const QVariant now = f.value(values);
        if (now != f.value(m_loaded))
            changed << qMakePair(QString::fromLatin1(f.key), now);
    }
    return changed;
}

void TConfigForm::save(QSettings& settings) const
{
    for (const auto& change : changes())
        settings.setValue(change.first, change.second);
}

TDeviceSettings TConfigForm::deviceSettings() const
{
    TDeviceSettings device;
    device.mode = modeText(values.acqMode);
    device.bluetoothPort = values.bluetoothPort;
    device.hrProtocol = values.hrProtocol;
    // Untouched, the gain stays what the store holds (none: the device's own).
    device.signalGain = values.signalGain != m_loaded.signalGain ? double(values.signalGain) : m_storedGain;
    return device;
}
