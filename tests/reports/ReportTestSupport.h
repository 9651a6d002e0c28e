#pragma once

// What the report tests share: message boxes and file dialogs answered from the
// test, poppler's view of a PDF, and the ink of rendered pages.

#include <QApplication>
#include <QImage>
#include <QMessageBox>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QVector>

#include <functional>

namespace ReportTest {

// Settings and data folders of the test's own, under home, and the program's
// identity, before anything reads a setting: never the user's own.
inline void usePrivateFolders(const QTemporaryDir& home)
{
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.filePath(QStringLiteral("config"))));
    qputenv("XDG_DATA_HOME", QFile::encodeName(home.filePath(QStringLiteral("data"))));
    QCoreApplication::setOrganizationName(QStringLiteral("Cardivex"));
    QCoreApplication::setApplicationName(QStringLiteral("Velmora"));
}

// While it lives, closes every message box that appears and keeps its title and
// text, so a test can go through a flow that warns.
class MessageBoxes : public QObject
{
public:
    MessageBoxes()
    {
        connect(&m_timer, &QTimer::timeout, this, [this] {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                auto* box = qobject_cast<QMessageBox*>(w);
                if (!box || !box->isVisible())
                    continue;
                titles.append(box->windowTitle());
                texts.append(box->text());
                box->done(QMessageBox::Ok);
            }
        });
        m_timer.start(10);
    }
    QStringList titles;
    QStringList texts;

private:
    QTimer m_timer;
};

inline bool havePoppler()
{
    return !QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty() &&
           !QStandardPaths::findExecutable(QStringLiteral("pdfinfo")).isEmpty() &&
           !QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty();
}

// Standard output of a poppler tool.
inline QString poppler(const QString& tool, const QStringList& arguments)
{
    QProcess process;
    process.start(tool, arguments);
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return QString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

// The fonts of a PDF as pdffonts lists them: each font's name and whether it
// is embedded. Empty when pdffonts is missing or fails.
struct PdfFont
{
    QString name;
    bool embedded = false;
};

inline QVector<PdfFont> pdfFonts(const QString& pdf)
{
    QVector<PdfFont> fonts;
    // name, type (one or two words), encoding, emb, sub, uni, object, ID; under
    // a header of two lines.
    const QStringList lines = poppler(QStringLiteral("pdffonts"), {pdf}).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (const QString& line : lines.mid(2)) {
        const QStringList columns = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (columns.size() >= 7)
            fonts.append({columns.first(), columns[columns.size() - 5] == QLatin1String("yes")});
    }
    return fonts;
}

// The value printed under a caption in a table of pdftotext -layout output: the
// word on the next line with text that overlaps the caption's columns.
inline QString valueUnder(const QString& text, const QString& caption)
{
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (int i = 0; i + 1 < lines.size(); ++i) {
        const int column = lines[i].indexOf(caption);
        if (column < 0)
            continue;
        int next = i + 1;
        while (next + 1 < lines.size() && lines[next].trimmed().isEmpty())
            ++next;
        const QString& below = lines[next];
        // The word of the next line that starts within the caption or just before it.
        int start = -1;
        for (int c = std::max(0, column - 2); c < std::min(below.size(), column + caption.size()); ++c)
            if (!below[c].isSpace() && (c == 0 || below[c - 1].isSpace())) {
                start = c;
                break;
            }
        if (start < 0)
            return QString();
        int end = start;
        while (end < below.size() && !below[end].isSpace())
            ++end;
        return below.mid(start, end - start);
    }
    return QString();
}

// Pixels of area darker than mid-grey: the ink of a drawing on white.
inline int darkPixels(const QImage& image, const QRect& area)
{
    int n = 0;
    const QRect r = area & image.rect();
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            n += qGray(image.pixel(x, y)) < 128 ? 1 : 0;
    return n;
}

// Ink of a rendered report: darker than the grid and the paper.
inline bool isDark(const QImage& image, int x, int y)
{
    return image.rect().contains(x, y) && qGray(image.pixel(x, y)) < 100;
}

// First and last dark row of a column within [from, to], or -1.
inline QPair<int, int> darkSpan(const QImage& image, int x, int from, int to)
{
    int first = -1;
    int last = -1;
    for (int y = from; y <= to; ++y)
        if (isDark(image, x, y)) {
            if (first < 0)
                first = y;
            last = y;
        }
    return {first, last};
}

// First dark column of a row from `from` towards `to`, or -1.
inline int firstDarkColumn(const QImage& image, int y, int from, int to)
{
    const int step = to >= from ? 1 : -1;
    for (int x = from; x != to + step; x += step)
        if (isDark(image, x, y))
            return x;
    return -1;
}

} // namespace ReportTest
