#include "EchoDialog.h"

#include "ui_EchoDialog.h"

#include "TStudyRecord.h"

#include <QComboBox>
#include <QLabel>

namespace {

constexpr TEchoScoring::Phase Phases[TEchoScoring::PhaseCount] = {TEchoScoring::Rest, TEchoScoring::Peak,
                                                                    TEchoScoring::Post};

// Only scores from 1 to 4 are kept: anything else is a segment not seen.
TEchoScoring seenScores(const std::optional<TEchoScoring>& scoring)
{
    TEchoScoring seen;
    if (!scoring)
        return seen;
    for (const TEchoScoring::Phase phase : Phases)
        for (int s = 1; s <= TEchoScoring::SegmentCount; ++s)
            if (TEchoScoring::isScore(scoring->score(phase, s)))
                seen.setScore(phase, s, scoring->score(phase, s));
    return seen;
}

} // namespace

EchoDialog::EchoDialog(TStudyRecord& record, QWidget* parent) : EchoDialog(&record, record.echoScoring, parent)
{
}

EchoDialog::EchoDialog(const std::optional<TEchoScoring>& scoring, QWidget* parent)
    : EchoDialog(nullptr, scoring, parent)
{
}

EchoDialog::EchoDialog(TStudyRecord* record, const std::optional<TEchoScoring>& scoring, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::EchoDialog>()), m_record(record), m_scoring(seenScores(scoring)),
      m_result(scoring)
{
    ui->setupUi(this);
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    ui->lblPhaseRest->setText(phaseText(TEchoScoring::Rest));
    ui->lblPhasePeak->setText(phaseText(TEchoScoring::Peak));
    ui->lblPhasePost->setText(phaseText(TEchoScoring::Post));
    buildChoosers();
    showScoreIndexes();
}

EchoDialog::~EchoDialog() = default;

// The phase as the user reads it (its name, untranslated, names the widgets).
QString EchoDialog::phaseText(TEchoScoring::Phase phase)
{
    switch (phase) {
    case TEchoScoring::Rest: return tr("Rest");
    case TEchoScoring::Peak: return tr("Peak");
    case TEchoScoring::Post: return tr("Post");
    }
    return QString();
}

void EchoDialog::buildChoosers()
{
    for (int s = 1; s <= TEchoScoring::SegmentCount; ++s) {
        auto* name = new QLabel(TEchoScoring::segmentDisplayName(s), this);
        name->setObjectName(QStringLiteral("lblSegment%1").arg(s));
        ui->layScores->addWidget(name, s, 0);
    }
    // Phase by phase, so that Tab goes down a phase's column: a phase is
    // scored from its own views, segment after segment.
    for (int p = 0; p < TEchoScoring::PhaseCount; ++p) {
        const TEchoScoring::Phase phase = Phases[p];
        for (int s = 1; s <= TEchoScoring::SegmentCount; ++s) {
            auto* box = new QComboBox(this);
            box->setObjectName(QStringLiteral("cbo%1%2").arg(TEchoScoring::phaseName(phase)).arg(s));
            box->setAccessibleName(QStringLiteral("%1, %2").arg(TEchoScoring::segmentDisplayName(s), phaseText(phase)));
            box->addItem(QString(), 0);
            for (int score = TEchoScoring::MinScore; score <= TEchoScoring::MaxScore; ++score)
                box->addItem(QStringLiteral("%1 - %2").arg(score).arg(TEchoScoring::scoreName(score)), score);
            box->setCurrentIndex(box->findData(m_scoring.score(phase, s)));
            connect(box, QOverload<int>::of(&QComboBox::currentIndexChanged), this, [this, box, phase, s](int) {
                onScoreChosen(phase, s, box->currentData().toInt());
            });
            ui->layScores->addWidget(box, s, p + 1);
            m_boxes[size_t(p)][size_t(s - 1)] = box;
        }
    }
}

QComboBox* EchoDialog::scoreBox(TEchoScoring::Phase phase, int segment) const
{
    const int p = int(phase);
    if (p < 0 || p >= TEchoScoring::PhaseCount || segment < 1 || segment > TEchoScoring::SegmentCount)
        return nullptr;
    return m_boxes[size_t(p)][size_t(segment - 1)];
}

QString EchoDialog::scoreIndexText(const TEchoScoring& scoring, TEchoScoring::Phase phase)
{
    const std::optional<double> index = scoring.scoreIndex(phase);
    return index ? QString::asprintf("%.2f", *index) : QStringLiteral("---");
}

void EchoDialog::onScoreChosen(TEchoScoring::Phase phase, int segment, int score)
{
    m_scoring.setScore(phase, segment, TEchoScoring::isScore(score) ? score : 0);
    showScoreIndexes();
}

void EchoDialog::showScoreIndexes()
{
    ui->lblIndexRest->setText(scoreIndexText(m_scoring, TEchoScoring::Rest));
    ui->lblIndexPeak->setText(scoreIndexText(m_scoring, TEchoScoring::Peak));
    ui->lblIndexPost->setText(scoreIndexText(m_scoring, TEchoScoring::Post));
}

void EchoDialog::accept()
{
    const std::optional<TEchoScoring> taken =
        m_scoring.isEmpty() ? std::nullopt : std::optional<TEchoScoring>(m_scoring);
    m_changed = taken != m_result;
    m_result = taken;
    if (m_record)
        m_record->echoScoring = taken;
    QDialog::accept();
}
