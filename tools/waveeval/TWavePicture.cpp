#include "TWavePicture.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

namespace {

constexpr int Width = 1100;
constexpr int MainHeight = 420;
constexpr int SmallHeight = 70;
constexpr int Margin = 40;

struct Mark
{
    const char* name;
    QColor colour;
    const char* key; // the measurement's value
    std::optional<double> TWaveEvaluation::Averages::*annotated;
};

const Mark marks[] = {
    {"P on", QColor(0, 120, 0), "POnset", &TWaveEvaluation::Averages::pOnset},
    {"P peak", QColor(120, 160, 0), "PPeak", nullptr},
    {"P end", QColor(0, 170, 90), "POffset", &TWaveEvaluation::Averages::pEnd},
    {"QRS on", QColor(200, 0, 0), "QRSOnset", &TWaveEvaluation::Averages::qrsOnset},
    {"QRS end", QColor(230, 110, 0), "QRSOffset", &TWaveEvaluation::Averages::qrsEnd},
    {"T end", QColor(0, 60, 220), "TOffset", &TWaveEvaluation::Averages::tEnd},
    {"T peak", QColor(140, 0, 200), "TPeak", nullptr},
};

QString error(const std::optional<int>& m, const std::optional<double>& r)
{
    if (m && r)
        return QString::asprintf("%+.0f", *m - *r);
    if (r)
        return QStringLiteral("missing");
    return m ? QStringLiteral("extra") : QStringLiteral("-");
}

// Draws lead into rect: x in seconds from R over [t0, t1].
void drawLead(QPainter& p, const std::vector<double>& lead, const TWaveEvaluation::Averages& a, QRectF rect,
              double t0, double t1, QColor colour, double width)
{
    if (lead.empty())
        return;
    const auto mm = std::minmax_element(lead.begin(), lead.end());
    const double span = std::max(1.0, *mm.second - *mm.first);
    QPainterPath path;
    for (size_t i = 0; i < lead.size(); ++i) {
        const double t = double(int(i) - a.rIndex) / a.rate;
        const double x = rect.left() + (t - t0) / (t1 - t0) * rect.width();
        const double y = rect.bottom() - (lead[i] - *mm.first) / span * rect.height();
        if (i == 0)
            path.moveTo(x, y);
        else
            path.lineTo(x, y);
    }
    p.setPen(QPen(colour, width));
    p.drawPath(path);
}

} // namespace

int TWavePicture::worstStretch(const TWaveEvaluation::Result& result)
{
    int worst = -1;
    double worstScore = -1.0;
    for (int i = 0; i < result.stretches.size(); ++i) {
        const TWaveEvaluation::Stretch& s = result.stretches[i];
        if (s.averages.leads.empty())
            continue;
        double score = 0.0;
        auto weigh = [&](const std::optional<int>& m, const std::optional<double>& r, double tolerance) {
            if (r)
                score = std::max(score, m ? std::fabs(*m - *r) / tolerance : 10.0);
        };
        weigh(s.measured.pr, s.reference.pr, 25.0);
        weigh(s.measured.p, s.reference.p, 25.0);
        weigh(s.measured.qrs, s.reference.qrs, 25.0);
        weigh(s.measured.qt, s.reference.qt, 40.0);
        if (score > worstScore) {
            worstScore = score;
            worst = i;
        }
    }
    return worst;
}

QImage TWavePicture::draw(const TWaveEvaluation::Result& result, const TWaveEvaluation::Stretch& s)
{
    const TWaveEvaluation::Averages& a = s.averages;
    const int others = std::max(0, int(a.leads.size()) - 1);
    const int rows = (others + 3) / 4;
    QImage image(Width, Margin + MainHeight + 30 + rows * SmallHeight + Margin, QImage::Format_RGB32);
    image.fill(Qt::white);
    if (a.leads.empty() || a.rate <= 0)
        return image;
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const double t0 = -double(a.rIndex) / a.rate;
    const double t1 = double(int(a.leads.front().size()) - a.rIndex) / a.rate;

    const QRectF main(Margin, Margin, Width - 2 * Margin, MainHeight);
    auto xOf = [&](const QRectF& r, double t) { return r.left() + (t - t0) / (t1 - t0) * r.width(); };
    // A grid of 40 ms and 200 ms, as on paper.
    for (int ms = int(std::ceil(t0 * 25.0)); ms <= int(std::floor(t1 * 25.0)); ++ms) {
        p.setPen(QPen(ms % 5 == 0 ? QColor(240, 180, 180) : QColor(250, 225, 225), 1));
        p.drawLine(QPointF(xOf(main, ms / 25.0), main.top()), QPointF(xOf(main, ms / 25.0), main.bottom()));
    }
    const int channel = a.channel >= 0 && a.channel < int(a.leads.size()) ? a.channel : 0;
    drawLead(p, a.leads[size_t(channel)], a, main, t0, t1, Qt::black, 1.6);

    QFont font = p.font();
    font.setPixelSize(13);
    p.setFont(font);
    int legend = 0;
    for (const Mark& m : marks) {
        const double ours = a.measured.value(QLatin1String(m.key));
        // A point is drawn where it was found (0: not), the annotation's dashed.
        const bool found = ours != 0.0;
        const bool annotated = m.annotated && (a.*(m.annotated)).has_value();
        const double theirs = annotated ? *(a.*(m.annotated)) : 0.0;
        p.setPen(QPen(m.colour, 2, Qt::SolidLine));
        if (found)
            p.drawLine(QPointF(xOf(main, ours), main.top()), QPointF(xOf(main, ours), main.bottom()));
        p.setPen(QPen(m.colour, 2, Qt::DashLine));
        if (annotated)
            p.drawLine(QPointF(xOf(main, theirs), main.top() + 20), QPointF(xOf(main, theirs), main.bottom()));
        QString state = QStringLiteral("-");
        if (found && annotated)
            state = QString::asprintf("%+.0f ms", (ours - theirs) * 1000.0);
        else if (found)
            state = QStringLiteral("(ours)");
        else if (annotated)
            state = QStringLiteral("missing");
        p.setPen(m.colour);
        p.drawText(QPointF(Margin + legend * 125, main.bottom() + 20),
                   QStringLiteral("%1 %2").arg(QLatin1String(m.name), state));
        ++legend;
    }
    p.setPen(Qt::black);
    p.drawText(QPointF(Margin, 24),
               QStringLiteral("%1  lead %2  %3-%4 s, %5 annotated beats   PR %6  P %7  QRS %8  QT %9   "
                              "(solid: measured, dashed: annotated)")
                   .arg(result.name, a.names.value(channel))
                   .arg(s.from, 0, 'f', 0)
                   .arg(s.to, 0, 'f', 0)
                   .arg(s.reference.beats)
                   .arg(error(s.measured.pr, s.reference.pr), error(s.measured.p, s.reference.p),
                        error(s.measured.qrs, s.reference.qrs), error(s.measured.qt, s.reference.qt)));

    // The other leads, small, with the measurement's points.
    int k = 0;
    const double smallWidth = (Width - 2 * Margin) / 4.0;
    for (int c = 0; c < int(a.leads.size()); ++c) {
        if (c == channel)
            continue;
        const QRectF r(Margin + (k % 4) * smallWidth, main.bottom() + 30 + (k / 4) * SmallHeight, smallWidth - 10,
                       SmallHeight - 16);
        drawLead(p, a.leads[size_t(c)], a, r, t0, t1, QColor(60, 60, 60), 1.0);
        for (const Mark& m : marks) {
            const double ours = a.measured.value(QLatin1String(m.key));
            if (ours != 0.0) {
                p.setPen(QPen(m.colour, 1));
                p.drawLine(QPointF(xOf(r, ours), r.top()), QPointF(xOf(r, ours), r.bottom()));
            }
        }
        p.setPen(Qt::black);
        p.drawText(QPointF(r.left(), r.bottom() + 13), a.names.value(c));
        ++k;
    }
    return image;
}

QString TWavePicture::table(const TWaveEvaluation::Result& result, const TWaveEvaluation::Stretch& s)
{
    const TWaveEvaluation::Averages& a = s.averages;
    if (a.leads.empty() || a.rate <= 0)
        return QString();
    const int channel = a.channel >= 0 && a.channel < int(a.leads.size()) ? a.channel : 0;
    QString text = QStringLiteral("# %1 lead %2, %3-%4 s, %5 annotated beats\n")
                       .arg(result.name, a.names.value(channel))
                       .arg(s.from, 0, 'f', 0)
                       .arg(s.to, 0, 'f', 0)
                       .arg(s.reference.beats);
    QString measured = QStringLiteral("# measured:");
    QString annotated = QStringLiteral("# annotated:");
    for (const Mark& m : marks) {
        const double ours = a.measured.value(QLatin1String(m.key));
        measured += QStringLiteral(" %1 %2").arg(QLatin1String(m.key),
                                                 ours != 0.0 ? QString::number(ours * 1000.0, 'f', 0) : QStringLiteral("-"));
        if (m.annotated)
            annotated += QStringLiteral(" %1 %2").arg(QLatin1String(m.key),
                                                      (a.*(m.annotated)) ? QString::number(*(a.*(m.annotated)) * 1000.0, 'f', 0)
                                                                         : QStringLiteral("-"));
    }
    text += measured + QLatin1Char('\n') + annotated + QLatin1Char('\n');
    text += QStringLiteral("ms");
    for (int c = 0; c < int(a.leads.size()); ++c)
        text += QLatin1Char(',') + TWaveEvaluation::leadField(a.names.value(c));
    text += QLatin1Char('\n');
    for (size_t i = 0; i < a.leads.front().size(); ++i) {
        text += QString::number(double(int(i) - a.rIndex) * 1000.0 / a.rate, 'f', 0);
        for (const std::vector<double>& lead : a.leads)
            text += QLatin1Char(',') + (i < lead.size() ? QString::number(lead[i] * a.mvPerCode, 'f', 4) : QString());
        text += QLatin1Char('\n');
    }
    return text;
}
