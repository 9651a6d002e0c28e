#pragma once

#include <QCoreApplication>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>

// Copies a batch of studies one by one and keeps what became of each. A
// failed copy does not stop the batch: the failures seen here belong to one
// study (a damaged archive, a study file gone missing), so the others are
// still copied, and the outcome names each study that was not with its
// reason.
class TStudyCopyBatch
{
    Q_DECLARE_TR_FUNCTIONS(TStudyCopyBatch)

public:
    struct Item
    {
        QString label;               // how the outcome names the study
        std::function<void()> copy;  // throws TException on failure
    };

    struct Outcome
    {
        QStringList copied;
        QVector<QPair<QString, QString>> notCopied; // label, error text

        bool complete() const { return notCopied.isEmpty(); }
        // Empty for a complete batch; otherwise the studies copied and those
        // not copied, each of the latter with its error text.
        QString message() const;
    };

    // afterEach(n) is called once n studies have been tried (to move a
    // progress bar and let pending events run).
    static Outcome run(const QVector<Item>& items, const std::function<void(int)>& afterEach = {});
};
