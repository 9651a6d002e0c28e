#pragma once

#include "TDeviceFactory.h"
#include "TSettingsKeys.h"

#include <QPair>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

class QSettings;

// One row of an equipment combo: what the user reads and what the settings hold.
struct TEquipmentChoice
{
    QString text;
    QString key;
};

// The values of the configuration dialog without the window: what is read from
// the settings, the rules that enable fields, the checks before saving, and
// what is written. Only what the user changed is written, so a key never set
// stays unset and each reader's own default keeps holding (a gain the dialog
// merely shows must not reach a recorder whose range differs).
class TConfigForm
{
public:
    enum class AcqMode { Usb, Bluetooth, Demo };

    struct Values
    {
        QString logoFile;
        QString headerTitle;
        QString headerInfo;
        QString signatureFile;
        QString signatureName;
        QString signatureLicense;

        AcqMode acqMode = AcqMode::Usb;
        QString bluetoothPort;

        bool workloadWatts = false;
        QString ergometerEquipment;
        QString ergometerPort;
        QString treadmillEquipment;
        QString treadmillPort;

        bool autoExportReports = false;
        QString exportEcgReportFolder;
        QString exportStressReportFolder;
        bool autoExportStudies = false;
        QString exportEcgStudyFolder;
        QString exportStressStudyFolder;
        bool edfAnonymous = TSettingsKeys::DefaultEdfAnonymous;

        double lowBatteryLevel = 0.0;
        int signalGain = 0;
        bool hrProtocol = false;

        // The QTc formula's settings word (TQtcFormula).
        QString qtcFormula = QStringLiteral("bazett");
    };

    // What the hardware page shows while its keys are not set.
    static constexpr int DefaultSignalGain = 450;
    static constexpr double DefaultLowBatteryLevel = TSettingsKeys::DefaultLowBatteryLevel;
    // The ranges of the hardware fields; values outside are shown clamped.
    static constexpr int MinSignalGain = 1;
    static constexpr int MaxSignalGain = 10000;
    static constexpr double MinLowBatteryLevel = 0.0;
    static constexpr double MaxLowBatteryLevel = 5.0;
    static constexpr int LowBatteryDecimals = 2;

    static const QVector<TEquipmentChoice>& ergometerChoices();
    static const QVector<TEquipmentChoice>& treadmillChoices();
    // The row carrying the key; the first ("<Manual>") when none does.
    static int choiceRow(const QVector<TEquipmentChoice>& choices, const QString& key);

    TConfigForm();

    // Reads every key; the form then holds the values as loaded.
    void load(const QSettings& settings);

    // The values on the form: the window keeps them up to date.
    Values values;
    const Values& loaded() const { return m_loaded; }

    // The hardware page's defaults (saved only on OK, and only where they
    // differ from what is stored).
    void restoreHardwareDefaults();

    // Enabling rules.
    bool bluetoothPortEnabled() const { return values.acqMode == AcqMode::Bluetooth; }
    bool ergometerPortEnabled() const { return choiceRow(ergometerChoices(), values.ergometerEquipment) > 0; }
    bool treadmillPortEnabled() const { return choiceRow(treadmillChoices(), values.treadmillEquipment) > 0; }
    bool reportFoldersEnabled() const { return values.autoExportReports; }
    bool studyFoldersEnabled() const { return values.autoExportStudies; }

    // What would fail later: an image that does not load, an export folder in
    // use that cannot be written to. Empty when the values may be saved.
    QStringList problems() const;

    // The keys to write and their values, in the order of the pages: every
    // value that differs from what was loaded.
    QVector<QPair<QString, QVariant>> changes() const;
    void save(QSettings& settings) const;

    // The device the settings on the form describe, as the launcher would
    // build it after saving: the gain only where the store will hold one.
    TDeviceSettings deviceSettings() const;

    // The settings value of a mode: "demo", "bluetooth-com" or empty (USB).
    static QString modeText(AcqMode mode);

private:
    Values m_loaded;
    double m_storedGain = 0.0;
};
