#include "TEchoScoring.h"

#include <QJsonArray>

#include <cmath>
#include <limits>

namespace {

const char* const names[TEchoScoring::SegmentCount] = {
    "BasalAnteroSeptum", "MidAnteroSeptum", "BasalSeptum", "MidSeptum", "ApicalSeptum",
    "BasalInferior", "MidInferior", "ApicalInferior", "BasalPosterior", "MidPosterior",
    "BasalLateral", "MidLateral", "ApicalLateral", "BasalAnterior", "MidAnterior", "ApicalAnterior",
};

// The coronary territory is the suffix.
const char* const displayNames[TEchoScoring::SegmentCount] = {
    "Septum Anterior Basal - LAD", "Septum Anterior Medio - LAD", "Septum Basal - RAD",
    "Septum Medio - RAD", "Septum Apical - LAD", "Inferior Basal - RAD", "Inferior Medio - RAD",
    "Inferior Apical - LAD", "Posterior Basal - CRX", "Posterior Medio - CRX", "Lateral Basal - CRX",
    "Lateral Medio - CRX", "Lateral Apical - LAD", "Anterior Basal - LAD", "Anterior Medio - LAD",
    "Anterior Apical - LAD",
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
    return valid(segment) ? QString::fromLatin1(displayNames[segment - 1]) : QString();
}

QString TEchoScoring::scoreName(int score)
{
    static const char* const scoreNames[] = {"Normal", "Hypokinetic", "Akinetic", "Dyskinetic"};
    return isScore(score) ? QString::fromLatin1(scoreNames[score - MinScore]) : QString();
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
