#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// The formula that corrects a QT interval for heart rate. Bazett's divides by
// the square root of RR and over-corrects at the fast rates of small animals;
// Fridericia's cube root less so; Framingham and Hodges are linear in RR and
// in heart rate; Van de Water's was fitted to dogs. The choice is the setting
// "Config/QTcFormula" (Bazett while it is not set).
class TQtcFormula
{
public:
    enum Kind { Bazett, Fridericia, Framingham, Hodges, VanDeWater };
    static constexpr int KindCount = 5;

    TQtcFormula(Kind kind = Bazett) : m_kind(kind) {}

    Kind kind() const { return m_kind; }
    // "Bazett", "Fridericia", "Framingham", "Hodges", "Van de Water".
    QString name() const;
    // The settings word: "bazett", "fridericia", "framingham", "hodges", "vandewater".
    QString word() const;

    // QTc in whole milliseconds (truncated) from the QT in milliseconds and the
    // mean RR in seconds; none without a positive, finite RR.
    std::optional<int> correct(double qtMs, double rrSeconds) const;

    // The formula a settings word names, in any letter case; Bazett for an
    // empty or unknown word (ok, when given, tells which).
    static TQtcFormula fromWord(const QString& word, bool* ok = nullptr);
    // The formula "Config/QTcFormula" names.
    static TQtcFormula fromSettings();
    static QStringList names();

    bool operator==(const TQtcFormula& o) const { return m_kind == o.m_kind; }
    bool operator!=(const TQtcFormula& o) const { return m_kind != o.m_kind; }

private:
    Kind m_kind;
};
