#include "TProtocolEditor.h"

#include "TKipnetFrame.h"
#include "TStageTable.h"
#include "TTiltTestProtocol.h"

#include <QCoreApplication>
#include <QLocale>
#include <QRegularExpression>

#include <cmath>

namespace {

const QString SpeedKey = QStringLiteral("speed");
const QString InclineKey = QStringLiteral("incline");
const QString WorkloadKey = QStringLiteral("workload");
const QString DoseKey = QStringLiteral("dose");
const QString KmhUnit = QStringLiteral("km/h");
const QString PercentUnit = QStringLiteral("%");

bool within(double value, double low, double high)
{
    return std::isfinite(value) && value >= low && value <= high;
}

QString loadText(double value, const QString& unit)
{
    return QString::asprintf("%.1f %s", value, unit.toUtf8().constData());
}

} // namespace

const double TProtocolEditor::MaxSpeedKmh = TKipnetFrame::MaxSpeedTenths / 10.0;
const double TProtocolEditor::MaxInclinePercent = TKipnetFrame::MaxInclineTenths / 10.0;
const double TProtocolEditor::MaxWorkloadWatts = TKipnetFrame::MaxWorkloadWatts;

TProtocolEditor::TProtocolEditor(const TProtocol& protocol, const QString& workloadUnit)
    : m_protocol(protocol), m_workloadUnit(workloadUnit)
{
}

int TProtocolEditor::typeOfIndex(int comboIndex)
{
    switch (comboIndex) {
    case 0: return TProtocol::Treadmill;
    case 1: return TProtocol::Ergometer;
    case 2: return TProtocol::Pharmacologic;
    default: return -1;
    }
}

int TProtocolEditor::indexOfType(int protocolType)
{
    switch (protocolType) {
    case TProtocol::Treadmill: return 0;
    case TProtocol::Ergometer: return 1;
    case TProtocol::Pharmacologic: return 2;
    default: return -1;
    }
}

bool TProtocolEditor::setType(int protocolType)
{
    if (!typeChangeable() || indexOfType(protocolType) < 0)
        return false;
    m_protocol.setType(protocolType);
    return true;
}

QVector<TProtocolEditor::Column> TProtocolEditor::columns() const
{
    QVector<Column> c = {Column::Stage, Column::Duration};
    switch (m_protocol.type()) {
    case TProtocol::Treadmill: c << Column::Speed << Column::Incline; break;
    case TProtocol::Ergometer: c << Column::Workload; break;
    case TProtocol::Pharmacologic: c << Column::Dose; break;
    default: break;
    }
    c << Column::Blank;
    return c;
}

QStringList TProtocolEditor::headers() const
{
    QStringList h;
    for (Column c : columns()) {
        switch (c) {
        case Column::Stage: h << QCoreApplication::translate("TProtocolEditor", "Stage"); break;
        case Column::Duration: h << QCoreApplication::translate("TProtocolEditor", "Duration"); break;
        case Column::Speed: h << QCoreApplication::translate("TProtocolEditor", "Speed"); break;
        case Column::Incline: h << QCoreApplication::translate("TProtocolEditor", "Incline"); break;
        case Column::Workload: h << QCoreApplication::translate("TProtocolEditor", "Workload"); break;
        case Column::Dose: h << QCoreApplication::translate("TProtocolEditor", "Dose"); break;
        case Column::Blank: h << QString(); break;
        }
    }
    return h;
}

bool TProtocolEditor::isEditable(int column) const
{
    return column > 0 && column < columns().size() - 1;
}

QString TProtocolEditor::stageName(const TProtocol& protocol, int stage)
{
    // The stage words of every type but the tilt test, whose protocol is built in.
    return TStageTable::stageName(protocol, TProtocol::Treadmill, stage);
}

QString TProtocolEditor::durationText(double seconds)
{
    // Whole seconds, as the table file keeps them; a damaged negative one reads as 0.
    const qint64 whole = std::isfinite(seconds) && seconds > 0.0 ? qint64(std::min(seconds, 1e12)) : 0;
    return QString::asprintf("%02lld:%02lld", whole / 60, whole % 60);
}

QStringList TProtocolEditor::row(int stage) const
{
    QStringList cells;
    if (stage < 0 || stage >= m_protocol.stageCount())
        return cells;
    const TProtocolStage& s = m_protocol.stage(stage);
    for (Column c : columns()) {
        switch (c) {
        case Column::Stage: cells << stageName(m_protocol, stage); break;
        case Column::Duration: cells << durationText(s.duration()); break;
        case Column::Speed: cells << loadText(s.value(SpeedKey), KmhUnit); break;
        case Column::Incline: cells << loadText(s.value(InclineKey), PercentUnit); break;
        case Column::Workload: cells << loadText(s.value(WorkloadKey, m_workloadUnit), m_workloadUnit); break;
        case Column::Dose: cells << QString::asprintf("%.0f", s.value(DoseKey)); break;
        case Column::Blank: cells << QString(); break;
        }
    }
    return cells;
}

int TProtocolEditor::appendStage(int phase)
{
    const int row = m_protocol.stageCount();
    m_protocol.insertStage(row).setPhase(phase);
    return row;
}

int TProtocolEditor::insertStage(int row, int phase)
{
    const int at = std::clamp(row, 0, m_protocol.stageCount());
    m_protocol.insertStage(at).setPhase(phase);
    return at;
}

bool TProtocolEditor::removeStage(int row)
{
    if (row < 0 || row >= m_protocol.stageCount())
        return false;
    m_protocol.removeStage(row);
    return true;
}

std::optional<qint64> TProtocolEditor::durationSeconds(const QString& text)
{
    static const QRegularExpression minutesSeconds(QStringLiteral("^(\\d+):(\\d+)$"));
    const QString t = text.trimmed();
    const QRegularExpressionMatch m = minutesSeconds.match(t);
    qint64 minutes = 0;
    qint64 seconds = 0;
    bool ok = false;
    if (m.hasMatch()) {
        bool secondsOk = false;
        minutes = m.captured(1).toLongLong(&ok);
        seconds = m.captured(2).toLongLong(&secondsOk);
        ok = ok && secondsOk;
        if (seconds > 59)
            minutes = seconds = 0;
    } else {
        minutes = t.toLongLong(&ok);
    }
    // Beyond a few years of minutes the text is a typo, and would overflow below.
    if (!ok || std::llabs(minutes) > 1000000000LL || (minutes == 0 && seconds == 0))
        return std::nullopt;
    return minutes * 60 + seconds;
}

std::optional<double> TProtocolEditor::number(const QString& text, const QString& unit)
{
    return TStageTable::readNumber(text, unit);
}

QString TProtocolEditor::apply(int stage, int column, const QString& text)
{
    if (stage < 0 || stage >= m_protocol.stageCount() || !isEditable(column))
        return QString();
    TProtocolStage& s = m_protocol.stage(stage);
    switch (columns().at(column)) {
    case Column::Duration: {
        const std::optional<qint64> seconds = durationSeconds(text);
        if (!seconds || *seconds < MinDurationSeconds || *seconds > MaxDurationSeconds)
            return QStringLiteral("Duration \"%1\" not taken: type minutes:seconds from %2 to %3.")
                .arg(text, durationText(MinDurationSeconds), durationText(MaxDurationSeconds));
        s.setDuration(double(*seconds));
        return QString();
    }
    case Column::Speed: {
        const std::optional<double> v = number(text, KmhUnit);
        if (!v || !within(*v, 0.0, MaxSpeedKmh))
            return QStringLiteral("Speed \"%1\" not taken: the treadmill runs at 0.0 to %2.")
                .arg(text, loadText(MaxSpeedKmh, KmhUnit));
        s.setValue(SpeedKey, *v);
        return QString();
    }
    case Column::Incline: {
        const std::optional<double> v = number(text, PercentUnit);
        if (!v || !within(*v, 0.0, MaxInclinePercent))
            return QStringLiteral("Incline \"%1\" not taken: the treadmill inclines 0.0 to %2.")
                .arg(text, loadText(MaxInclinePercent, PercentUnit));
        s.setValue(InclineKey, *v);
        return QString();
    }
    case Column::Workload: {
        const std::optional<double> v = number(text, m_workloadUnit);
        TProtocolStage limit;
        limit.setValue(WorkloadKey, MaxWorkloadWatts);
        const double max = limit.value(WorkloadKey, m_workloadUnit);
        if (!v || !within(*v, 0.0, max))
            return QStringLiteral("Workload \"%1\" not taken: the ergometer takes 0 to %2 %3.")
                .arg(text)
                .arg(max, 0, 'f', 0)
                .arg(m_workloadUnit);
        s.setValue(WorkloadKey, *v, m_workloadUnit);
        return QString();
    }
    case Column::Dose: {
        const std::optional<double> v = number(text);
        if (!v || !within(*v, 0.0, MaxDose))
            return QStringLiteral("Dose \"%1\" not taken: type 0 to %2.").arg(text).arg(MaxDose, 0, 'f', 0);
        s.setValue(DoseKey, *v);
        return QString();
    }
    case Column::Stage:
    case Column::Blank: break;
    }
    return QString();
}

bool TProtocolEditor::stageOrderValid(const TProtocol& protocol)
{
    const int n = protocol.stageCount();
    if (n < 3 || protocol.stage(0).phase() != TProtocolStage::Rest)
        return false;
    int i = 1;
    while (i < n && protocol.stage(i).phase() == TProtocolStage::Exercise)
        ++i;
    if (i == 1)
        return false;
    const int firstRecovery = i;
    while (i < n && protocol.stage(i).phase() == TProtocolStage::Recovery)
        ++i;
    return i == n && i > firstRecovery;
}

bool TProtocolEditor::isReservedName(const QString& name)
{
    return name.trimmed().compare(QLatin1String(TTiltTestProtocol::Name), Qt::CaseInsensitive) == 0;
}

QString TProtocolEditor::loadProblem(int stage) const
{
    // Stages read from the table file were never checked by this editor.
    const TProtocolStage& s = m_protocol.stage(stage);
    const QString name = stageName(m_protocol, stage);
    const double seconds = s.duration();
    if (!(seconds >= MinDurationSeconds && seconds <= MaxDurationSeconds))
        return QStringLiteral("%1: the duration must be %2 to %3.")
            .arg(name, durationText(MinDurationSeconds), durationText(MaxDurationSeconds));
    switch (m_protocol.type()) {
    case TProtocol::Treadmill:
        if (!within(s.value(SpeedKey), 0.0, MaxSpeedKmh))
            return QStringLiteral("%1: the speed must be 0.0 to %2.").arg(name, loadText(MaxSpeedKmh, KmhUnit));
        if (!within(s.value(InclineKey), 0.0, MaxInclinePercent))
            return QStringLiteral("%1: the incline must be 0.0 to %2.")
                .arg(name, loadText(MaxInclinePercent, PercentUnit));
        break;
    case TProtocol::Ergometer:
        if (!within(s.value(WorkloadKey), 0.0, MaxWorkloadWatts))
            return QStringLiteral("%1: the workload must be 0 to %2 watts.").arg(name).arg(MaxWorkloadWatts);
        break;
    case TProtocol::Pharmacologic:
        if (!within(s.value(DoseKey), 0.0, MaxDose))
            return QStringLiteral("%1: the dose must be 0 to %2.").arg(name).arg(MaxDose);
        break;
    default: break;
    }
    return QString();
}

QString TProtocolEditor::problem(const QString& name) const
{
    if (name.trimmed().isEmpty())
        return QStringLiteral("Type the protocol's name.");
    if (isReservedName(name))
        return QStringLiteral("\"%1\" is the built-in tilt test: give this protocol another name.")
            .arg(QLatin1String(TTiltTestProtocol::Name));
    if (m_protocol.stageCount() == 0)
        return QStringLiteral("Add the stages: one rest stage, then exercise stages, then recovery stages.");
    if (!stageOrderValid(m_protocol))
        return QStringLiteral("The stages must be one rest stage, then one or more exercise stages, then one or "
                              "more recovery stages.");
    for (int i = 0; i < m_protocol.stageCount(); ++i) {
        const QString p = loadProblem(i);
        if (!p.isEmpty())
            return p;
    }
    return QString();
}

bool TProtocolEditor::replacesAnother(const QString& originalName, const QString& newName,
                                      const QByteArrayList& names)
{
    return newName != originalName && names.contains(newName.toUtf8());
}
