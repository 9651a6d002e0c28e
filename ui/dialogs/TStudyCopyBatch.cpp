#include "TStudyCopyBatch.h"

#include "TException.h"

#include <exception>

QString TStudyCopyBatch::Outcome::message() const
{
    if (complete())
        return QString();
    QStringList lines;
    lines << tr("Not every study was copied.") << QString() << tr("Copied:");
    if (copied.isEmpty())
        lines << tr("  none");
    for (const QString& label : copied)
        lines << QStringLiteral("  ") + label;
    lines << QString() << tr("Not copied:");
    for (const auto& failure : notCopied)
        lines << QStringLiteral("  %1: %2").arg(failure.first, failure.second);
    return lines.join(QLatin1Char('\n'));
}

TStudyCopyBatch::Outcome TStudyCopyBatch::run(const QVector<Item>& items, const std::function<void(int)>& afterEach)
{
    Outcome outcome;
    int done = 0;
    for (const Item& item : items) {
        try {
            item.copy();
            outcome.copied << item.label;
        } catch (const TException& e) {
            outcome.notCopied.append({item.label, e.message()});
        } catch (const std::exception& e) {
            outcome.notCopied.append({item.label, QString::fromLocal8Bit(e.what())});
        }
        if (afterEach)
            afterEach(++done);
    }
    return outcome;
}
