#pragma once

// The settings vocabulary: every key is "Group/Key"; each reader names its own
// default where it reads. The "Config" keys are written by the configuration
// dialog and read across the program.
namespace TSettingsKeys {

constexpr const char* AcqMode = "Config/AcqMode";
constexpr const char* AcqBluetoothPort = "Config/AcqBluetoothPort";
constexpr const char* SignalGain = "Config/SignalGain";
constexpr const char* HRProtocol = "Config/HRProtocol";
constexpr const char* LowBatteryLevel = "Config/LowBatteryLevel";
constexpr const char* ErgometerWorkloadUnits = "Config/ErgometerWorkloadUnits";
constexpr const char* ErgometerEquipment = "Config/ErgometerEquipment";
constexpr const char* ErgometerPort = "Config/ErgometerPort";
constexpr const char* TreadmillEquipment = "Config/TreadmillEquipment";
constexpr const char* TreadmillPort = "Config/TreadmillPort";
constexpr const char* AutoExportReports = "Config/AutoExportReports";
constexpr const char* ExportEcgReportFolder = "Config/ExportEcgReportFolder";
constexpr const char* ExportStressReportFolder = "Config/ExportStressReportFolder";
constexpr const char* AutoExportStudies = "Config/AutoExportStudies";
constexpr const char* ExportEcgStudyFolder = "Config/ExportEcgStudyFolder";
constexpr const char* ExportStressStudyFolder = "Config/ExportStressStudyFolder";
// The QTc formula's settings word (TQtcFormula); Bazett while it is not set.
constexpr const char* QTcFormula = "Config/QTcFormula";
// Whether an EDF+ export leaves the names out (the study's identifiers stand
// in for them); on while it is not set.
constexpr const char* EdfAnonymous = "Config/EdfAnonymous";
constexpr bool DefaultEdfAnonymous = true;

// "Config/AcqMode" values; any other value means the recorder on USB.
constexpr const char* AcqModeDemo = "demo";
constexpr const char* AcqModeBluetooth = "bluetooth-com";

// The battery voltage below which the monitor windows warn while
// "Config/LowBatteryLevel" is not set; the configuration dialog shows it then.
constexpr double DefaultLowBatteryLevel = 2.3;

// The report header and signature, read by the report dialog; the
// configuration dialog edits them too.
constexpr const char* HeaderLogoFilename = "ReportDialog/HeaderLogoFilename";
constexpr const char* HeaderTitle = "ReportDialog/HeaderTitle";
constexpr const char* HeaderInfo = "ReportDialog/HeaderInfo";
constexpr const char* SignatureFilename = "ReportDialog/SignatureFilename";
constexpr const char* SignatureName = "ReportDialog/SignatureName";
constexpr const char* SignatureLicense = "ReportDialog/SignatureLicense";

constexpr const char* RecentStudyList = "MainWindow/RecentStudyList";
constexpr const char* LastProtocol = "StudyDialog/LastProtocol";

} // namespace TSettingsKeys
