#pragma once

#include <QString>

#include <optional>

// The choices a report is made with: those the report dialog keeps in the
// settings (group "ReportDialog") and those the window that opens it presets
// (start time, filters, speed, amplitude, hexaxial order).
struct TReportOptions
{
    enum class Destination
    {
        Pdf,
        Printer,
        StripPrinter
    };

    // Traces.
    bool notch = true;
    bool lowpass = true;
    bool baseline = true;
    bool showAverage = false;
    QString rhythmLead = QStringLiteral("II");
    double speed = 25.0;                      // mm/s
    double amplitude = 10.0;                  // mm/mV
    QString layout = QStringLiteral("12by1"); // "12by1", "6by2" or "4by3"
    bool hexaxialOrder = false;

    // Resting ECG.
    double startTime = 0.0; // seconds into the recording
    bool tracesOnly = false;

    // Stress test.
    bool printStressGraphics = true;
    bool showExpectedStageDuration = false;
    QString stLead;

    // Header and signature.
    QString headerTitle;
    QString headerInfo;
    QString headerLogoFile;
    QString signatureFile;
    QString signatureName;
    QString signatureLicense;

    Destination destination = Destination::Pdf;
    QString printerName; // serial port of the strip printer

    // The settings' values over the defaults above; what the settings do not
    // hold (start time, hexaxial order, ST lead) keeps its default. Speed,
    // amplitude and filters are those of the last report made (a window that
    // opens the dialog presets its own); a stored value that is none of the
    // choices gives the default.
    static TReportOptions fromSettings();
    // Writes every value the settings hold.
    void writeSettings() const;

    // "6by2" and "4by3" stand; anything else is "12by1".
    static QString normalLayout(const QString& layout);
    static QString destinationName(Destination destination);
    // "printer", "stripPrinter"; anything else is the PDF file.
    static Destination destinationFromName(const QString& name);

    // "%02d:%02d.%d": minutes, seconds and tenths (75.4 s is "01:15.4").
    static QString formatStartTime(double seconds);
    // Reads "mm:ss.t", "mm:ss" or plain seconds ("75.4"); none for anything else
    // or a negative time.
    static std::optional<double> parseStartTime(const QString& text);

    // "notch 50hz, muscle noise, baseline fix" as switched on, "none" for none.
    QString filterText() const;
};
