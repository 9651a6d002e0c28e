#include "TReportOptions.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <QSettings>
#include <QStringList>

#include <cmath>
#include <initializer_list>

namespace {

const QString Group = QStringLiteral("ReportDialog/");

QString key(const char* name)
{
    return Group + QLatin1String(name);
}

// The one of choices nearest to value; fallback for a value that is no number
// (toDouble gives 0) or lies beyond every choice by more than half.
double nearestOf(double value, std::initializer_list<double> choices, double fallback)
{
    if (!std::isfinite(value) || value <= 0.0)
        return fallback;
    double best = fallback;
    double distance = 1e300;
    for (double c : choices)
        if (std::abs(std::log(value / c)) < distance) {
            distance = std::abs(std::log(value / c));
            best = c;
        }
    return distance < std::log(2.0) ? best : fallback;
}

} // namespace

TReportOptions TReportOptions::fromSettings()
{
    QSettings settings;
    TReportOptions o;
    o.headerLogoFile = settings.value(key("HeaderLogoFilename"), QString()).toString();
    o.headerTitle = settings.value(key("HeaderTitle"), QString()).toString();
    o.headerInfo = settings.value(key("HeaderInfo"), QString()).toString();
    o.signatureFile = settings.value(key("SignatureFilename"), QString()).toString();
    o.signatureName = settings.value(key("SignatureName"), QString()).toString();
    o.signatureLicense = settings.value(key("SignatureLicense"), QString()).toString();
    o.layout = normalLayout(settings.value(key("EcgGraphicLayout"), QStringLiteral("12by1")).toString());
    o.rhythmLead = settings.value(key("EcgGraphicRhythmLead"), QStringLiteral("II")).toString();
    o.showAverage = settings.value(key("EcgShowAverage"), false).toBool();
    o.printStressGraphics = settings.value(key("PrintStressGraphics"), true).toBool();
    o.showExpectedStageDuration = settings.value(key("ShowExpectedStageDuration"), false).toBool();
    o.tracesOnly = settings.value(key("EcgReportModel"), QString()).toString() == QLatin1String("TracesOnly");
    o.destination = destinationFromName(settings.value(key("PrintDestination"), QStringLiteral("pdf")).toString());
    o.printerName = settings.value(key("PrinterName"), QString()).toString();
    // The traces as last made: what a strip printed without the dialog uses.
    o.speed = nearestOf(settings.value(key("Speed"), o.speed).toDouble(), {12.5, 25.0, 50.0}, o.speed);
    o.amplitude = nearestOf(settings.value(key("Amplitude"), o.amplitude).toDouble(), {5.0, 10.0, 20.0}, o.amplitude);
    o.notch = settings.value(key("NotchFilter"), o.notch).toBool();
    o.lowpass = settings.value(key("LowpassFilter"), o.lowpass).toBool();
    o.baseline = settings.value(key("BaselineFilter"), o.baseline).toBool();
    return o;
}

void TReportOptions::writeSettings() const
{
    QSettings settings;
    settings.setValue(key("HeaderLogoFilename"), headerLogoFile);
    settings.setValue(key("HeaderTitle"), headerTitle);
    settings.setValue(key("HeaderInfo"), headerInfo);
    settings.setValue(key("SignatureFilename"), signatureFile);
    settings.setValue(key("SignatureName"), signatureName);
    settings.setValue(key("SignatureLicense"), signatureLicense);
    settings.setValue(key("EcgGraphicLayout"), normalLayout(layout));
    settings.setValue(key("EcgGraphicRhythmLead"), rhythmLead);
    settings.setValue(key("EcgShowAverage"), showAverage);
    settings.setValue(key("PrintStressGraphics"), printStressGraphics);
    settings.setValue(key("ShowExpectedStageDuration"), showExpectedStageDuration);
    settings.setValue(key("EcgReportModel"), tracesOnly ? QStringLiteral("TracesOnly") : QString());
    settings.setValue(key("PrintDestination"), destinationName(destination));
    settings.setValue(key("PrinterName"), printerName);
    settings.setValue(key("Speed"), speed);
    settings.setValue(key("Amplitude"), amplitude);
    settings.setValue(key("NotchFilter"), notch);
    settings.setValue(key("LowpassFilter"), lowpass);
    settings.setValue(key("BaselineFilter"), baseline);
}

QString TReportOptions::normalLayout(const QString& layout)
{
    if (layout == QLatin1String("6by2") || layout == QLatin1String("4by3"))
        return layout;
    return QStringLiteral("12by1");
}

QString TReportOptions::destinationName(Destination destination)
{
    switch (destination) {
    case Destination::Printer:
        return QStringLiteral("printer");
    case Destination::StripPrinter:
        return QStringLiteral("stripPrinter");
    case Destination::Pdf:
        break;
    }
    return QStringLiteral("pdf");
}

TReportOptions::Destination TReportOptions::destinationFromName(const QString& name)
{
    if (name == QLatin1String("printer"))
        return Destination::Printer;
    if (name == QLatin1String("stripPrinter"))
        return Destination::StripPrinter;
    return Destination::Pdf;
}

QString TReportOptions::formatStartTime(double seconds)
{
    if (!(std::isfinite(seconds) && seconds > 0.0))
        seconds = 0.0;
    // Whole tenths, so that 75.4 s does not come out as 75.39999.
    const long long tenths = std::llround(std::floor(seconds * 10.0 + 1e-6));
    return QString::asprintf("%02lld:%02lld.%lld", tenths / 600, (tenths / 10) % 60, tenths % 10);
}

std::optional<double> TReportOptions::parseStartTime(const QString& text)
{
    static const QRegularExpression clock(QStringLiteral("^\\s*(\\d+):(\\d{1,2}(?:\\.\\d*)?)\\s*$"));
    const QRegularExpressionMatch m = clock.match(text);
    double seconds = 0.0;
    if (m.hasMatch()) {
        const double s = m.captured(2).toDouble();
        if (s >= 60.0)
            return std::nullopt;
        seconds = m.captured(1).toDouble() * 60.0 + s;
    } else {
        bool ok = false;
        seconds = text.trimmed().toDouble(&ok);
        if (!ok)
            return std::nullopt;
    }
    if (!std::isfinite(seconds) || seconds < 0.0)
        return std::nullopt;
    return seconds;
}

QString TReportOptions::filterText() const
{
    QStringList on;
    if (notch)
        on << QCoreApplication::translate("TReportOptions", "notch 50hz");
    if (lowpass)
        on << QCoreApplication::translate("TReportOptions", "muscle noise");
    if (baseline)
        on << QCoreApplication::translate("TReportOptions", "baseline fix");
    return on.isEmpty() ? QCoreApplication::translate("TReportOptions", "none") : on.join(QStringLiteral(", "));
}
