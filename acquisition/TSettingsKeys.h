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

// "Config/AcqMode" values; any other value means the recorder on USB.
constexpr const char* AcqModeDemo = "demo";
constexpr const char* AcqModeBluetooth = "bluetooth-com";

constexpr const char* RecentStudyList = "MainWindow/RecentStudyList";
constexpr const char* LastProtocol = "StudyDialog/LastProtocol";

} // namespace TSettingsKeys
