#include "TEchoScoring.h"

#include <QCoreApplication>
#include <QJsonArray>

#include <cmath>
#include <limits>

namespace {

const char* const names[TEchoScoring::SegmentCount] = {
    "BasalAnteroSeptum", "MidAnteroSeptum", "BasalSeptum", "MidSeptum", "ApicalSeptum",
    "BasalInferior", "MidInferior", "ApicalInferior", "BasalPosterior", "MidPosterior",
    "BasalLateral", "MidLateral", "ApicalLateral", "BasalAnterior", "MidAnterior", "ApicalAnterior",
};

// The coronary territory is the suffix; the names are shown translated.
const char* const displayNames[TEchoScoring::SegmentCount] = {
    QT_TRANSLATE_NOOP("TEchoScoring", "Septum Anterior Basal - LAD"),
    QT_TRANSLATE_NOOP("TEchoScoring", "Septum Anterior Medio - LAD"),
    QT_TRANSLATE_NOOP("TEchoScoring", "Septum Basal - RAD"),
    QT_TRANSLATE_NOOP("TEchoScoring", "Septum Medio - RAD"),
    QT_TRANSLATE_NOOP("TEchoScoring", "Septum Apical - LAD"),
    QT_TRANSLATE_NOOP("TEchoScoring", "Inferior Basal - RAD"),
    QT_TRANSLATE_NOOP("TEchoScoring", "Inferior Medio - RAD"),
    QT_TRANSLATE_NOOP("TEchoScoring", "Inferior Apical - LAD"),
    QT_TRANSLATE_NOOP("TEchoScoring", "Posterior Basal - CRX"),
    QT_TRANSLATE_NOOP("TEchoScoring", "Posterior Medio - CRX"),
    QT_TRANSLATE_NOOP("TEchoScoring", "Lateral Basal - CRX"),
    QT_TRANSLATE_NOOP("TEchoScoring", "Lateral Medio - CRX"),
    QT_TRANSLATE_NOOP("TEchoScoring", "Lateral Apical - LAD"),
    QT_TRANSLATE_NOOP("TEchoScoring", "Anterior Basal - LAD"),
    QT_TRANSLATE_NOOP("TEchoScoring", "Anterior Medio - LAD"),
    QT_TRANSLATE_NOOP("TEchoScoring", "Anterior Apical - LAD"),
};

int scoreOf(const QJsonValue& v)
{
    if (!v.isDouble())
        return 0;
    const double d = v.toDouble();
    if (!std::isfinite(d) || d != std::trunc(d) || d < double(std::numeric_limits<int>::min())
        || d > double(std::numeric_limits<int>::max()))
        return 0;
    return int(d);
}

} // namespace

QString TEchoScoring::segmentName(int segment)
{
    return valid(segment) ? QString::fromLatin1(names[segment - 1]) : QString();
}

QString TEchoScoring::segmentDisplayName(int segment)
{
    return valid(segment) ? QCoreApplication::translate("TEchoScoring", displayNames[segment - 1]) : QString();
}

QString TEchoScoring::scoreName(int score)
{
    static const char* const scoreNames[] = {
        QT_TRANSLATE_NOOP("TEchoScoring", "Normal"), QT_TRANSLATE_NOOP("TEchoScoring", "Hypokinetic"),
        QT_TRANSLATE_NOOP("TEchoScoring", "Akinetic"), QT_TRANSLATE_NOOP("TEchoScoring", "Dyskinetic")};
    return isScore(score) ? QCoreApplication::translate("TEchoScoring", scoreNames[score - MinScore]) : QString();
}

QString TEchoScoring::phaseName(Phase phase)
{
    switch (phase) {
    case Rest:
        return QStringLiteral("Rest");
    case Peak:
        return QStringLiteral("Peak");
    case Post:
        return QStringLiteral("Post");
    }
    return QString();
}

std::optional<double> TEchoScoring::scoreIndex(Phase phase) const
{
    int sum = 0, seen = 0;
    for (const int s : scores(phase)) {
        if (isScore(s)) {
            sum += s;
            ++seen;
        }
    }
    if (seen == 0)
        return std::nullopt;
    return double(sum) / seen;
}

bool TEchoScoring::isEmpty() const
{
    for (const Phase phase : {Rest, Peak, Post}) {
        if (scoreIndex(phase))
            return false;
    }
    return true;
}

QJsonObject TEchoScoring::toJson(const TEchoScoring& scoring)
{
    QJsonArray segments, rest, peak, post;
    for (int s = 1; s <= SegmentCount; ++s) {
        segments.append(segmentName(s));
        rest.append(scoring.scoreRest(s));
        peak.append(scoring.scorePeak(s));
        post.append(scoring.scorePost(s));
    }
    QJsonObject o;
    o.insert(QStringLiteral("segments"), segments);
    o.insert(QStringLiteral("scoreRest"), rest);
    o.insert(QStringLiteral("scorePeak"), peak);
    o.insert(QStringLiteral("scorePost"), post);
    return o;
}

TEchoScoring TEchoScoring::fromJson(const QJsonObject& object)
{
    TEchoScoring scoring;
    const QJsonArray rest = object.value(QStringLiteral("scoreRest")).toArray();
    const QJsonArray peak = object.value(QStringLiteral("scorePeak")).toArray();
    const QJsonArray post = object.value(QStringLiteral("scorePost")).toArray();
    for (int s = 1; s <= SegmentCount; ++s) {
        // QJsonArray::at gives an undefined value past the end.
        scoring.setScoreRest(s, scoreOf(rest.at(s - 1)));
        scoring.setScorePeak(s, scoreOf(peak.at(s - 1)));
        scoring.setScorePost(s, scoreOf(post.at(s - 1)));
    }
    return scoring;
}
