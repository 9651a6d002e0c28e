// The Spanish translations: every text of the code has a finished translation
// that keeps its placeholders, and the program loads them only for a Spanish
// locale.

#include "TTranslations.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtTest>

#include <algorithm>

namespace
{

struct Message {
    QString context;
    QString source;
    QString comment;
    QString type;             // "unfinished", "obsolete", "vanished" or empty
    QStringList translations; // one, or one per plural form
};

// The messages of a .ts file; an unreadable file fails the test.
QVector<Message> readTs(const QString& path, QString* error)
{
    QVector<Message> out;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot open %1").arg(path);
        return out;
    }
    QXmlStreamReader xml(&file);
    QString context;
    Message m;
    bool numerus = false;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            const QStringRef name = xml.name();
            if (name == QLatin1String("context")) {
                context.clear();
            } else if (name == QLatin1String("name")) {
                context = xml.readElementText();
            } else if (name == QLatin1String("message")) {
                m = Message();
                m.context = context;
                numerus = xml.attributes().value(QStringLiteral("numerus")) == QLatin1String("yes");
            } else if (name == QLatin1String("source")) {
                m.source = xml.readElementText();
            } else if (name == QLatin1String("comment")) {
                m.comment = xml.readElementText();
            } else if (name == QLatin1String("translation")) {
                m.type = xml.attributes().value(QStringLiteral("type")).toString();
                // A plural's forms follow as <numerusform> elements.
                if (!numerus)
                    m.translations << xml.readElementText();
            } else if (name == QLatin1String("numerusform")) {
                m.translations << xml.readElementText();
            }
        } else if (xml.isEndElement() && xml.name() == QLatin1String("message")) {
            out.append(m);
        }
    }
    if (xml.hasError())
        *error = QStringLiteral("%1: line %2: %3").arg(path).arg(xml.lineNumber()).arg(xml.errorString());
    return out;
}

QString sourceDir()
{
    return QStringLiteral(VELMORA_SOURCE_DIR);
}

QString tsPath(const QString& base)
{
    return sourceDir() + QStringLiteral("/translations/") + base + QStringLiteral(".ts");
}

// The matches of pattern's group in text, sorted.
QStringList sortedMatches(const QRegularExpression& pattern, int group, const QString& text)
{
    QStringList found;
    QRegularExpressionMatchIterator it = pattern.globalMatch(text);
    while (it.hasNext())
        found << it.next().captured(group);
    std::sort(found.begin(), found.end());
    return found;
}

// The placeholders of a text, sorted: %1 ... %99 (also %L1) and a plural's %n.
QStringList placeholders(const QString& text)
{
    static const QRegularExpression arg(QStringLiteral("%L?(\\d{1,2}|n)"));
    return sortedMatches(arg, 1, text);
}

// The [fields] of a report template's label, which the report fills in (other
// texts may hold words in brackets: "[none]").
QStringList fields(const QString& text)
{
    static const QRegularExpression field(QStringLiteral("\\[[A-Za-z0-9_/#]+\\]"));
    return sortedMatches(field, 0, text);
}

// What is wrong with one message, or nothing.
QString fault(const Message& m)
{
    if (m.type == QLatin1String("unfinished"))
        return QStringLiteral("not translated");
    if (m.type == QLatin1String("obsolete") || m.type == QLatin1String("vanished"))
        return QStringLiteral("no longer in the code (%1)").arg(m.type);
    if (m.translations.isEmpty() || std::any_of(m.translations.begin(), m.translations.end(),
                                                [](const QString& t) { return t.trimmed().isEmpty(); }))
        return QStringLiteral("empty translation");
    for (const QString& t : m.translations) {
        if (placeholders(t) != placeholders(m.source))
            return QStringLiteral("placeholders %1 become %2 in \"%3\"")
                .arg(placeholders(m.source).join(QLatin1Char(' ')), placeholders(t).join(QLatin1Char(' ')), t);
        if (m.context == QLatin1String("ReportTemplate") && fields(t) != fields(m.source))
            return QStringLiteral("fields %1 become %2 in \"%3\"")
                .arg(fields(m.source).join(QLatin1Char(' ')), fields(t).join(QLatin1Char(' ')), t);
    }
    return QString();
}

QSet<QString> keys(const QVector<Message>& messages)
{
    QSet<QString> out;
    for (const Message& m : messages)
        if (m.type != QLatin1String("obsolete") && m.type != QLatin1String("vanished"))
            out.insert(m.context + QStringLiteral(" | ") + m.source + QStringLiteral(" | ") + m.comment);
    return out;
}

QString listed(QSet<QString> set)
{
    QStringList items = set.values();
    items.sort();
    if (items.size() > 20)
        items = items.mid(0, 20) << QStringLiteral("...");
    return items.join(QLatin1Char('\n'));
}

} // namespace

class TestTranslations : public QObject
{
    Q_OBJECT

private slots:
    void everyMessageTranslated_data();
    void everyMessageTranslated();
    void faultsAreFound_data();
    void faultsAreFound();
    void contextsInOneFile();
    void sourcesMatchTheCode_data();
    void sourcesMatchTheCode();
    void spanishOnlyForSpanishLocales_data();
    void spanishOnlyForSpanishLocales();
    void installedTranslationsTranslate();
    void cliFollowsTheLocale();
};

void TestTranslations::everyMessageTranslated_data()
{
    QTest::addColumn<QString>("base");
    QTest::newRow("application") << QStringLiteral("CardivexStressECG_es");
    QTest::newRow("reports") << QStringLiteral("report_es");
}

void TestTranslations::everyMessageTranslated()
{
    QFETCH(QString, base);
    QString error;
    const QVector<Message> messages = readTs(tsPath(base), &error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QVERIFY(messages.size() > 50);
    QStringList faults;
    for (const Message& m : messages) {
        const QString f = fault(m);
        if (!f.isEmpty())
            faults << QStringLiteral("%1: \"%2\": %3").arg(m.context, m.source, f);
    }
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QLatin1Char('\n'))));
}

// The check itself: each kind of fault is told, a sound message passes.
void TestTranslations::faultsAreFound_data()
{
    QTest::addColumn<QString>("context");
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("type");
    QTest::addColumn<QStringList>("translations");
    QTest::addColumn<bool>("faulty");
    QTest::newRow("sound") << "ReportTemplate"
                           << "Unknown option %1"
                           << "" << QStringList{"Opción desconocida %1"} << false;
    QTest::newRow("reordered") << "ReportTemplate"
                               << "%1 of %2"
                               << "" << QStringList{"%2: %1"} << false;
    QTest::newRow("unfinished") << "ReportTemplate"
                                << "Close"
                                << "unfinished" << QStringList{"Cerrar"} << true;
    QTest::newRow("vanished") << "ReportTemplate"
                              << "Close"
                              << "vanished" << QStringList{"Cerrar"} << true;
    QTest::newRow("obsolete") << "ReportTemplate"
                              << "Close"
                              << "obsolete" << QStringList{"Cerrar"} << true;
    QTest::newRow("empty") << "ReportTemplate"
                           << "Close"
                           << "" << QStringList{""} << true;
    QTest::newRow("none") << "ReportTemplate"
                          << "Close"
                          << "" << QStringList{} << true;
    QTest::newRow("placeholder dropped") << "ReportTemplate"
                                         << "%1 is not a folder"
                                         << "" << QStringList{"no es una carpeta"} << true;
    QTest::newRow("placeholder added") << "ReportTemplate"
                                       << "Close"
                                       << "" << QStringList{"Cerrar %1"} << true;
    QTest::newRow("placeholder changed") << "ReportTemplate"
                                         << "%1 of %2"
                                         << "" << QStringList{"%1 de %3"} << true;
    QTest::newRow("plural form without %n") << "ReportTemplate"
                                            << "%n studies"
                                            << "" << QStringList{"%n estudio", "estudios"} << true;
    QTest::newRow("field dropped") << "ReportTemplate"
                                   << "Page [#page] of [#pages]"
                                   << "" << QStringList{"Página [#page]"} << true;
    QTest::newRow("words in brackets elsewhere") << "ReportDialog"
                                                 << "[none]"
                                                 << "" << QStringList{"[ninguno]"} << false;
    QTest::newRow("field renamed") << "ReportTemplate"
                                   << "Page [#page] of [#pages]"
                                   << "" << QStringList{"Página [#pagina] de [#pages]"} << true;
}

void TestTranslations::faultsAreFound()
{
    QFETCH(QString, context);
    QFETCH(QString, source);
    QFETCH(QString, type);
    QFETCH(QStringList, translations);
    QFETCH(bool, faulty);
    const Message m{context, source, QString(), type, translations};
    QCOMPARE(!fault(m).isEmpty(), faulty);
}

// A context belongs to one of the two files, so that each loads on its own.
void TestTranslations::contextsInOneFile()
{
    QString error;
    QSet<QString> application, reports;
    for (const Message& m : readTs(tsPath(QStringLiteral("CardivexStressECG_es")), &error))
        application.insert(m.context);
    for (const Message& m : readTs(tsPath(QStringLiteral("report_es")), &error))
        reports.insert(m.context);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QVERIFY(reports.contains(QStringLiteral("ReportTemplate")));
    QVERIFY(application.contains(QStringLiteral("MainWindow")));
    QVERIFY2(!application.intersects(reports), qPrintable(listed(application & reports)));
}

void TestTranslations::sourcesMatchTheCode_data()
{
    everyMessageTranslated_data();
}

// lupdate's view of the code: a text of the code missing from the .ts, or one
// the code no longer has, fails.
void TestTranslations::sourcesMatchTheCode()
{
    QFETCH(QString, base);
    const QString script = sourceDir() + QStringLiteral("/scripts/update-translations");
    if (QStandardPaths::findExecutable(QStringLiteral("lupdate")).isEmpty() &&
        !QFileInfo(QStringLiteral("/usr/lib/qt5/bin/lupdate")).isExecutable())
        QSKIP("lupdate is not installed (Debian: qttools5-dev-tools)");
    if (QStandardPaths::findExecutable(QStringLiteral("python3")).isEmpty())
        QSKIP("python3 is not installed");
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QProcess update;
    update.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    update.start(script, {QStringLiteral("--into"), dir.path()});
    QVERIFY(update.waitForFinished(60000));
    QCOMPARE(update.exitCode(), 0);

    QString error;
    const QSet<QString> fresh = keys(readTs(dir.filePath(base + QStringLiteral(".ts")), &error));
    const QSet<QString> stored = keys(readTs(tsPath(base), &error));
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QVERIFY2((fresh - stored).isEmpty(),
             qPrintable(QStringLiteral("in the code, not in %1.ts (run scripts/update-translations):\n%2")
                            .arg(base, listed(fresh - stored))));
    QVERIFY2((stored - fresh).isEmpty(),
             qPrintable(QStringLiteral("in %1.ts, no longer in the code:\n%2").arg(base, listed(stored - fresh))));
}

void TestTranslations::spanishOnlyForSpanishLocales_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<bool>("spanish");
    QTest::newRow("es_ES") << "es_ES" << true;
    QTest::newRow("es_MX") << "es_MX" << true;
    QTest::newRow("es_AR") << "es_AR" << true;
    QTest::newRow("C") << "C" << false;
    QTest::newRow("en_US") << "en_US" << false;
    QTest::newRow("en_GB") << "en_GB" << false;
    QTest::newRow("ca_ES") << "ca_ES" << false;
    QTest::newRow("pt_BR") << "pt_BR" << false;
}

void TestTranslations::spanishOnlyForSpanishLocales()
{
    QFETCH(QString, locale);
    QFETCH(bool, spanish);
    QCOMPARE(TTranslations::wanted(QLocale(locale)), spanish);
    const auto installed = TTranslations::install({QCoreApplication::applicationDirPath()}, QLocale(locale));
    QCOMPARE(!installed.empty(), spanish);
    const QString patient = QCoreApplication::translate("ReportTemplate", "Patient");
    QCOMPARE(patient, spanish ? QStringLiteral("Paciente") : QStringLiteral("Patient"));
}

// Built beside the test (the programs' folder), the files translate; Qt's own
// texts come from Qt's translation folder.
void TestTranslations::installedTranslationsTranslate()
{
    const QString bin = QCoreApplication::applicationDirPath();
    for (const char* name : {"CardivexStressECG_es.qm", "report_es.qm"})
        QVERIFY2(QFileInfo::exists(QDir(bin).filePath(QLatin1String(name))), name);
    const auto installed = TTranslations::install({bin}, QLocale(QStringLiteral("es_ES")));
    QCOMPARE(QCoreApplication::translate("TCommandLine", "No command given"),
             QStringLiteral("No se indicó ninguna orden"));
    QCOMPARE(QCoreApplication::translate("ReportTemplate", "Page [#page] of [#pages]"),
             QStringLiteral("Página [#page] de [#pages]"));
    if (!QFileInfo::exists(QLibraryInfo::location(QLibraryInfo::TranslationsPath) + QStringLiteral("/qt_es.qm")))
        QSKIP("Qt's translations are not installed (Debian: qttranslations5-l10n)");
    QCOMPARE(int(installed.size()), 3);
    QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Cancelar"));
}

namespace
{

struct CliRun {
    int code = -1;
    QString out;
    QString err;
};

CliRun cli(const QString& lang, const QString& data, const QStringList& arguments)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LANG"), lang);
    env.insert(QStringLiteral("LC_ALL"), lang);
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), data + QStringLiteral("/config"));
    p.setProcessEnvironment(env);
    p.start(QCoreApplication::applicationDirPath() + QStringLiteral("/velmora-cli"),
            QStringList{QStringLiteral("--data"), data + QStringLiteral("/studies")} + arguments);
    CliRun run;
    if (!p.waitForFinished(60000))
        return run;
    run.code = p.exitCode();
    run.out = QString::fromUtf8(p.readAllStandardOutput());
    run.err = QString::fromUtf8(p.readAllStandardError());
    return run;
}

} // namespace

// velmora-cli speaks Spanish under a Spanish locale and English otherwise;
// what "show" prints for scripts is the same in both.
void TestTranslations::cliFollowsTheLocale()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const CliRun spanish = cli(QStringLiteral("es_ES.UTF-8"), dir.path(), {QStringLiteral("bogus")});
    QCOMPARE(spanish.code, 2);
    QVERIFY2(spanish.err.contains(QStringLiteral("Orden desconocida bogus")), qPrintable(spanish.err));
    QVERIFY2(spanish.err.contains(QStringLiteral("Uso: velmora-cli")), qPrintable(spanish.err));
    const CliRun english = cli(QStringLiteral("C.UTF-8"), dir.path(), {QStringLiteral("bogus")});
    QCOMPARE(english.code, 2);
    QVERIFY2(english.err.contains(QStringLiteral("Unknown command bogus")), qPrintable(english.err));

    const CliRun recorded =
        cli(QStringLiteral("es_ES.UTF-8"), dir.path(),
            {QStringLiteral("record"), QStringLiteral("--demo"), QStringLiteral("--seconds"), QStringLiteral("3"),
             QStringLiteral("--last"), QStringLiteral("Rex"), QStringLiteral("--first"), QStringLiteral("Fido"),
             QStringLiteral("--species"), QStringLiteral("Perro")});
    QVERIFY2(recorded.code == 0, qPrintable(recorded.err));
    const QString id = recorded.out.trimmed();
    const QStringList show = {QStringLiteral("show"), QStringLiteral("--id"), id};
    const CliRun shownSpanish = cli(QStringLiteral("es_ES.UTF-8"), dir.path(), show);
    const CliRun shownEnglish = cli(QStringLiteral("C.UTF-8"), dir.path(), show);
    QCOMPARE(shownSpanish.code, 0);
    QVERIFY(shownSpanish.out.contains(QStringLiteral("Ranges for Dog")));
    QCOMPARE(shownSpanish.out, shownEnglish.out);
    const CliRun missing = cli(QStringLiteral("es_ES.UTF-8"), dir.path(),
                               {QStringLiteral("show"), QStringLiteral("--id"), QStringLiteral("5")});
    QCOMPARE(missing.code, 1);
    QVERIFY2(missing.err.contains(QStringLiteral("no hay ningún estudio con id 5")), qPrintable(missing.err));
}

QTEST_GUILESS_MAIN(TestTranslations)
#include "tst_translations.moc"
