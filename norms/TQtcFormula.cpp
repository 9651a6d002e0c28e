#include "TQtcFormula.h"

#include "TSettingsKeys.h"

#include <QSettings>

#include <cmath>

namespace {

const char* const Names[TQtcFormula::KindCount] = {"Bazett", "Fridericia", "Framingham", "Hodges", "Van de Water"};
const char* const Words[TQtcFormula::KindCount] = {"bazett", "fridericia", "framingham", "hodges", "vandewater"};

} // namespace

QString TQtcFormula::name() const
{
    return QLatin1String(Names[m_kind]);
}

QString TQtcFormula::word() const
{
    return QLatin1String(Words[m_kind]);
}

std::optional<int> TQtcFormula::correct(double qtMs, double rrSeconds) const
{
    if (!(rrSeconds > 0.0) || !std::isfinite(rrSeconds) || !std::isfinite(qtMs))
        return std::nullopt;
    double qtc = qtMs;
    switch (m_kind) {
    case Bazett: qtc = qtMs / std::sqrt(rrSeconds); break;
    case Fridericia: qtc = qtMs / std::cbrt(rrSeconds); break;
    // Sagie et al.: QTc = QT + 0.154 (1 - RR), in seconds.
    case Framingham: qtc = qtMs + 154.0 * (1.0 - rrSeconds); break;
    // QTc = QT + 1.75 (HR - 60), in milliseconds.
    case Hodges: qtc = qtMs + 1.75 * (60.0 / rrSeconds - 60.0); break;
    // Van de Water et al., dogs: QTc = QT - 0.087 (RR - 1000), in milliseconds.
    case VanDeWater: qtc = qtMs - 0.087 * (rrSeconds * 1000.0 - 1000.0); break;
    }
    // The small guard keeps a quotient such as 400 / sqrt(0.64) from
    // truncating to 499.
    return int(std::trunc(qtc + (qtc >= 0 ? 1e-9 : -1e-9)));
}

TQtcFormula TQtcFormula::fromWord(const QString& word, bool* ok)
{
    const QString w = word.trimmed().toLower();
    for (int k = 0; k < KindCount; ++k) {
        if (w == QLatin1String(Words[k])) {
            if (ok)
                *ok = true;
            return TQtcFormula(Kind(k));
        }
    }
    if (ok)
        *ok = w.isEmpty();
    return TQtcFormula(Bazett);
}

TQtcFormula TQtcFormula::fromSettings()
{
    const QSettings settings;
    return fromWord(settings.value(QLatin1String(TSettingsKeys::QTcFormula), QString()).toString());
}

QStringList TQtcFormula::names()
{
    QStringList list;
    for (const char* n : Names)
        list.append(QLatin1String(n));
    return list;
}
