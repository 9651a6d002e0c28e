#include "TStudyDeletion.h"

#include "TException.h"
#include "TStudyRowTexts.h"
#include "TStudyStore.h"

#include <QFile>
#include <QSet>

QString TStudyDeletion::Outcome::message() const
{
    QStringList lines;
    if (!open.isEmpty()) {
        lines << tr("These studies are open for review and were not deleted:");
        for (const QString& label : open)
            lines << QStringLiteral("  ") + label;
    }
    if (!failed.isEmpty()) {
        if (!lines.isEmpty())
            lines << QString();
        lines << tr("These could not be deleted:");
        for (const auto& failure : failed)
            lines << QStringLiteral("  %1: %2").arg(failure.first, failure.second);
    }
    return lines.join(QLatin1Char('\n'));
}

TStudyDeletion::Outcome TStudyDeletion::deleteLocal(TStudyStore& store, const QVector<TStudySummary>& studies)
{
    Outcome outcome;
    QVector<TStudySummary> tried;
    for (const TStudySummary& study : studies) {
        if (store.isStudyOpen(study.id)) {
            outcome.open << TStudyRowTexts::label(study);
            continue;
        }
        try {
            store.deleteStudy(study.id);
            tried << study;
        } catch (const TException& e) {
            outcome.failed.append({TStudyRowTexts::label(study), e.message()});
        }
    }
    if (tried.isEmpty())
        return outcome;
    QSet<int> remaining;
    try {
        for (const TStudySummary& listed : store.listStudies())
            remaining.insert(listed.id);
    } catch (const TException& e) {
        // Without the list nothing can be said to be gone.
        for (const TStudySummary& study : tried)
            outcome.failed.append({TStudyRowTexts::label(study), e.message()});
        return outcome;
    }
    for (const TStudySummary& study : tried) {
        if (remaining.contains(study.id))
            outcome.failed.append({TStudyRowTexts::label(study), tr("the study is still in the study list")});
        else
            outcome.deleted << study.id;
    }
    return outcome;
}

TStudyDeletion::Outcome TStudyDeletion::deleteShared(const QString& folder, const QStringList& fileNames)
{
    Outcome outcome;
    for (const QString& name : fileNames) {
        QFile file(QStringLiteral("%1/%2").arg(folder, name));
        if (!file.remove() && file.exists())
            outcome.failed.append({name, file.errorString()});
    }
    return outcome;
}
