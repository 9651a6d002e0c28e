// The EDF+ export read back by an independent reader (MNE-Python): samples,
// sampling rate, lead names, annotations; the header's patient fields with and
// without names; the command line's failures.

#include "TEdfExport.h"
#include "TEdfText.h"
#include "TException.h"
#include "TLocalStudyStore.h"
#include "TStudy.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <vector>

namespace {

// A code per lead and frame over the recorder's whole range, the extremes
// included, and a slower wave so that a shift of the samples shows.
qint16 codeOf(int channel, int frame, int resolution)
{
    const int span = 1 << std::min(resolution, 16);
    if (frame == 1)
        return qint16(span / 2 - 1);
    if (frame == 2)
        return qint16(-span / 2);
    const quint32 mixed = (quint32(frame) * 2654435761u) ^ (quint32(channel) * 40503u);
    const int noise = int(mixed % quint32(span / 8)) - span / 16;
    const int wave = int(std::lround((span / 4) * std::sin(frame * 0.05 + channel)));
    return qint16(std::clamp(wave + noise, -span / 2, span / 2 - 1));
}

struct StudyShape
{
    int frames = 3000;
    int resolution = 16;
    double gainMax = 300.0;
    QString leads = QStringLiteral("I,II,III,aVR,aVL,aVF,V5");
    bool stress = false;
    int extraEvents = 0; // more events, a tenth of a second apart
};

} // namespace

Q_DECLARE_METATYPE(StudyShape)

namespace {

TStudyRecord newRecord(const StudyShape& shape)
{
    TQuickPatient patient;
    patient.lastName = QStringLiteral("Peña Müller");
    patient.firstName = QStringLiteral("Ñico");
    patient.patientId = QStringLiteral("HC-0042");
    patient.sex = QStringLiteral("M");
    patient.birthDate = QStringLiteral("20190305");
    TStudyRecord record = shape.stress
        ? TStudyRecord::newStudy(TStudyRecord::StressTest, patient, QStringLiteral("Example"),
                                 QDateTime(QDate(2026, 12, 9), QTime(10, 15, 30)))
        : TStudyRecord::newStudy(TStudyRecord::Ecg, patient, QString(),
                                 QDateTime(QDate(2026, 12, 9), QTime(10, 15, 30)));
    record.setPatientProperty(QStringLiteral("animalSpecies"), QStringLiteral("Perro"));
    record.setPatientProperty(QStringLiteral("animalBreed"), QStringLiteral("Pastor alemán"));
    record.setProperty(QStringLiteral("technicianName"), QStringLiteral("Lucía Gómez"));
    record.acquisition = {shape.leads.split(',').size(), 500, shape.resolution, shape.gainMax, QStringLiteral("short"),
                          shape.leads};
    record.events = {{QStringLiteral("Extrasístole ventricular"), 1.25, 0.0, true},
                     {QStringLiteral("Artefacto de movimiento"), 3.5, 1.5, false}};
    for (int k = 0; k < shape.extraEvents; ++k)
        record.events.append({QStringLiteral("Evento %1").arg(k + 1), 0.1 * k, 0.0, false});
    if (shape.stress) {
        TProtocol protocol;
        protocol.setName("Example");
        protocol.setType(TProtocol::Treadmill);
        protocol.appendStage(TProtocolStage::Rest, 2.0, 0.0, 0.0);
        protocol.appendStage(TProtocolStage::Exercise, 2.0, 5.0, 10.0);
        protocol.appendStage(TProtocolStage::Exercise, 1.0, 6.0, 12.0);
        protocol.appendStage(TProtocolStage::Recovery, 1.0, 2.0, 0.0);
        record.protocol = protocol;
    }
    return record;
}

// A recorded study, closed; its id.
int savedStudy(TLocalStudyStore& store, const StudyShape& shape)
{
    TStudy* study = store.saveNewStudy(newRecord(shape));
    const int channels = study->recording()->channelCount();
    std::vector<qint16> frames;
    for (int i = 0; i < shape.frames; ++i)
        for (int c = 0; c < channels; ++c)
            frames.push_back(codeOf(c, i, shape.resolution));
    study->recording()->append(frames.data(), int(frames.size() * 2));
    const int id = study->id();
    store.closeStudy(id);
    return id;
}

// The interpreter that has MNE: Debian's first, then the one on the path.
QString mnePython()
{
    static const QString found = [] {
        for (const QString& candidate : {QStringLiteral("/usr/bin/python3"), QStringLiteral("python3")}) {
            QProcess p;
            p.start(candidate, {QStringLiteral("-c"), QStringLiteral("import mne")});
            if (p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0)
                return candidate;
        }
        return QString();
    }();
    return found;
}

QJsonObject readBack(const QString& path, QString* error)
{
    QProcess p;
    p.start(mnePython(), {QStringLiteral(EDF_READBACK_SCRIPT), path});
    if (!p.waitForFinished(60000) || p.exitCode() != 0) {
        *error = QString::fromUtf8(p.readAllStandardError());
        return QJsonObject();
    }
    return QJsonDocument::fromJson(p.readAllStandardOutput()).object();
}

QByteArray headerBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.read(256) : QByteArray();
}

struct CliRun
{
    int code = -1;
    QString err;
};

CliRun cli(const QString& data, const QStringList& arguments)
{
    QProcess p;
    p.setProgram(QCoreApplication::applicationDirPath() + QStringLiteral("/velmora-cli"));
    p.setArguments(QStringList{QStringLiteral("--data"), data} + arguments);
    p.start();
    CliRun run;
    if (p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit)
        run.code = p.exitCode();
    run.err = QString::fromLocal8Bit(p.readAllStandardError());
    return run;
}

} // namespace

class TestEdfExport : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void readsBackWithAnIndependentReader_data();
    void readsBackWithAnIndependentReader();
    void privacySettingDecidesTheNames_data();
    void privacySettingDecidesTheNames();
    void headerTexts_data();
    void headerTexts();
    void annotationTextsEndOnWholeCharacters();
    void commandLineFailures();
    void failedExportKeepsTheOldFile();

private:
    QTemporaryDir m_home;
};

void TestEdfExport::initTestCase()
{
    QVERIFY(m_home.isValid());
    qputenv("XDG_CONFIG_HOME", m_home.filePath("config").toLocal8Bit());
    qputenv("XDG_DATA_HOME", m_home.filePath("data").toLocal8Bit());
    QCoreApplication::setOrganizationName("Cardivex");
    QCoreApplication::setApplicationName("Velmora");
}

void TestEdfExport::readsBackWithAnIndependentReader_data()
{
    QTest::addColumn<StudyShape>("shape");
    QTest::newRow("resting, whole seconds") << StudyShape{3000, 16, 300.0, "I,II,III,aVR,aVL,aVF,V5", false};
    QTest::newRow("resting, last second short") << StudyShape{2750, 16, 300.0, "I,II,III,aVR,aVL,aVF,V5", false};
    QTest::newRow("stress test with stages") << StudyShape{3100, 16, 300.0, "I,II,III,aVR,aVL,aVF,V5", true};
    // More annotations than data records: more annotation signals.
    QTest::newRow("many events, two seconds") << StudyShape{1000, 16, 300.0, "I,II", false, 25};
    QTest::newRow("12-bit recorder, 5 mV") << StudyShape{1000, 12, 5.0, "I,II,V1,V2,V3,V4,V5,V6,CM5,CR5", false};
}

void TestEdfExport::readsBackWithAnIndependentReader()
{
    QFETCH(StudyShape, shape);
    if (mnePython().isEmpty())
        QSKIP("python3 with MNE (python3-mne) is not installed");
    QTemporaryDir dir;
    TLocalStudyStore store(dir.filePath("studies"));
    const int id = savedStudy(store, shape);
    TStudy* study = store.openStudy(id);
    QVERIFY(study);
    const QString path = dir.filePath("out.edf");
    TEdfExport::write(*study, path, true);
    const QVector<TEdfExport::Annotation> expected = TEdfExport::annotations(*study);
    const double step = study->recording()->valueStep() * 1000.0; // microvolts per code
    store.closeStudy(id);

    QString error;
    const QJsonObject back = readBack(path, &error);
    QVERIFY2(!back.isEmpty(), qPrintable(error));
    QCOMPARE(back["sfreq"].toDouble(), 500.0);
    QStringList channels;
    for (const QJsonValue& v : back["channels"].toArray())
        channels << v.toString();
    QCOMPARE(channels, shape.leads.split(','));

    // Every sample within one step of its code; the filled-up end repeats the last.
    const QJsonArray samples = back["samples"].toArray();
    QCOMPARE(samples.size(), channels.size());
    const int records = (shape.frames + 499) / 500;
    for (int c = 0; c < channels.size(); ++c) {
        const QJsonArray row = samples[c].toArray();
        QCOMPARE(row.size(), records * 500);
        for (int i = 0; i < row.size(); ++i) {
            const double want = codeOf(c, std::min(i, shape.frames - 1), shape.resolution) * step;
            // Half a step: a code off by one is caught.
            if (std::abs(row[i].toDouble() - want) > step / 2)
                QFAIL(qPrintable(QString("lead %1 sample %2: %3 uV, the code gives %4 uV")
                                     .arg(channels[c]).arg(i).arg(row[i].toDouble()).arg(want)));
        }
    }

    // The study's events, the stage changes and, after a short last second, the end.
    QVector<TEdfExport::Annotation> want = expected;
    if (shape.frames % 500)
        want.append({shape.frames / 500.0, 0.0, "Recording ends"});
    const QJsonArray notes = back["annotations"].toArray();
    QStringList got, wanted;
    for (const QJsonValue& v : notes)
        got << QString("%1 %2 %3").arg(v["onset"].toDouble(), 0, 'f', 3).arg(v["duration"].toDouble(), 0, 'f', 3)
                   .arg(v["text"].toString());
    // An event past the file's end is written, but the reader leaves it out.
    for (const TEdfExport::Annotation& a : want)
        if (a.onset <= records)
            wanted << QString("%1 %2 %3").arg(a.onset, 0, 'f', 3).arg(std::max(0.0, a.duration), 0, 'f', 3).arg(a.text);
    std::sort(got.begin(), got.end());
    std::sort(wanted.begin(), wanted.end());
    for (const QString& w : wanted)
        QVERIFY2(got.contains(w), qPrintable("missing: " + w));
    for (const QString& g : got)
        QVERIFY2(wanted.contains(g), qPrintable("extra: " + g));
    QCOMPARE(got.join(" / "), wanted.join(" / "));
    if (shape.stress) {
        QVERIFY(wanted.contains("0.000 0.000 Rest 1"));
        QVERIFY(wanted.contains("2.000 0.000 Exercise 1"));
        QVERIFY(wanted.contains("4.000 0.000 Exercise 2"));
        QVERIFY(wanted.contains("5.000 0.000 Recovery 1"));
    }
    QVERIFY(wanted.contains("1.250 0.000 Extrasístole ventricular"));
    QCOMPARE(wanted.contains("3.500 1.500 Artefacto de movimiento"), shape.frames > 1750);
    QCOMPARE(back["start"].toString(), QString("20261209101530"));
}

void TestEdfExport::privacySettingDecidesTheNames_data()
{
    QTest::addColumn<QVariant>("setting");
    QTest::addColumn<bool>("names");
    QTest::newRow("not set: anonymous") << QVariant() << false;
    QTest::newRow("anonymous") << QVariant(true) << false;
    QTest::newRow("with names") << QVariant(false) << true;
    QTest::newRow("malformed: anonymous") << QVariant("perhaps") << false;
}

void TestEdfExport::privacySettingDecidesTheNames()
{
    QFETCH(QVariant, setting);
    QFETCH(bool, names);
    QSettings settings;
    if (setting.isValid())
        settings.setValue("Config/EdfAnonymous", setting);
    else
        settings.remove("Config/EdfAnonymous");
    settings.sync();

    QTemporaryDir dir;
    const QString data = dir.filePath("studies");
    int id = 0;
    {
        TLocalStudyStore store(data);
        id = savedStudy(store, StudyShape{600, 16, 300.0, "I,II,V1", false});
    }
    const QString path = dir.filePath("privacy.edf");
    const CliRun run = cli(data, {"export", "--edf", "--id", QString::number(id), "--to", path});
    QVERIFY2(run.code == 0, qPrintable(run.err));
    settings.remove("Config/EdfAnonymous");

    const QByteArray header = headerBytes(path);
    QCOMPARE(header.size(), 256);
    for (char c : header)
        QVERIFY2(uchar(c) >= 32 && uchar(c) <= 126, "a header byte outside printable ASCII");
    const QByteArray patient = header.mid(8, 80);
    const QByteArray recording = header.mid(88, 80);
    QVERIFY2(patient.startsWith("HC-0042 M 05-MAR-2019 "), patient.constData());
    QVERIFY(patient.contains("Perro_Pastor_aleman"));
    QVERIFY2(recording.startsWith(QByteArray("Startdate 09-DEC-2026 ") + QByteArray::number(id) + ' '),
             recording.constData());
    QCOMPARE(patient.contains("Pena_Muller,_Nico"), names);
    QCOMPARE(recording.contains("Lucia_Gomez"), names);
    QVERIFY(!patient.contains("Pena") || names);
}

void TestEdfExport::headerTexts_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("field");
    QTest::newRow("plain") << "Rex" << QByteArray("Rex");
    QTest::newRow("blanks") << "Pastor  alemán" << QByteArray("Pastor__aleman");
    QTest::newRow("accents") << "Peña Müller Çelik" << QByteArray("Pena_Muller_Celik");
    QTest::newRow("letters of their own") << "Straße Ærø Łódź" << QByteArray("Strasse_AEro_Lodz");
    QTest::newRow("no latin letters") << "Шарик" << QByteArray("_____");
    QTest::newRow("control characters") << "a\tb\nc\x01" << QByteArray("a_b_c");
    QTest::newRow("empty") << "" << QByteArray();
}

void TestEdfExport::headerTexts()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, field);
    QCOMPARE(TEdfText::headerField(text), field);
}

void TestEdfExport::annotationTextsEndOnWholeCharacters()
{
    const QString text = QString(39, 'a') + QStringLiteral("ñandú");
    const QByteArray cut = TEdfText::annotation(text, 40);
    QCOMPARE(cut, QByteArray(39, 'a'));
    QCOMPARE(TEdfText::annotation(QStringLiteral(" Taquicardia\n sinusal "), 40), QByteArray("Taquicardia  sinusal"));
    QCOMPARE(TEdfText::annotation(QStringLiteral("ñandú"), 40), QStringLiteral("ñandú").toUtf8());
}

void TestEdfExport::commandLineFailures()
{
    QTemporaryDir dir;
    const QString data = dir.filePath("studies");
    int id = 0;
    QString samplePath;
    {
        TLocalStudyStore store(data);
        id = savedStudy(store, StudyShape{600, 16, 300.0, "I,II", false});
        TStudy* study = store.openStudy(id);
        samplePath = store.studyFilePath(study->record().baseFilename(), "cxecg");
        store.closeStudy(id);
    }
    const QString sid = QString::number(id);

    CliRun run = cli(data, {"export", "--edf", "--id", "12345", "--to", dir.filePath("x.edf")});
    QCOMPARE(run.code, 1);
    QVERIFY2(run.err.contains("no study with id 12345"), qPrintable(run.err));

    run = cli(data, {"export", "--edf", "--id", sid, "--to", dir.filePath("missing/folder/x.edf")});
    QCOMPARE(run.code, 1);
    QVERIFY2(run.err.contains("Cannot create file"), qPrintable(run.err));
    QVERIFY(!QFileInfo::exists(dir.filePath("missing")));

    run = cli(data, {"export", "--edf", "--id", sid, "--to", dir.path()});
    QCOMPARE(run.code, 1);
    QVERIFY2(run.err.contains("is a folder"), qPrintable(run.err));

    run = cli(data, {"export", "--edf", "--id", sid});
    QCOMPARE(run.code, 2);
    QVERIFY2(run.err.contains("export --edf needs --to FILE.edf"), qPrintable(run.err));

    run = cli(data, {"list", "--edf"});
    QCOMPARE(run.code, 2);

    // The archive export still takes a folder.
    run = cli(data, {"export", "--id", sid, "--to", dir.path()});
    QVERIFY2(run.code == 0, qPrintable(run.err));

    // A sample file whose header was overwritten.
    QFile sample(samplePath);
    QVERIFY(sample.open(QIODevice::ReadWrite));
    sample.write(QByteArray(64, 'Z'));
    sample.close();
    run = cli(data, {"export", "--edf", "--id", sid, "--to", dir.filePath("damaged.edf")});
    QCOMPARE(run.code, 1);
    QVERIFY2(run.err.contains("The recording of this study cannot be read"), qPrintable(run.err));
    QVERIFY(!QFileInfo::exists(dir.filePath("damaged.edf")));
}

void TestEdfExport::failedExportKeepsTheOldFile()
{
    QTemporaryDir dir;
    TLocalStudyStore store(dir.filePath("studies"));
    const int id = savedStudy(store, StudyShape{600, 16, 300.0, "I,II", false});
    TStudy* study = store.openStudy(id);
    const QString path = dir.filePath("kept.edf");
    TEdfExport::write(*study, path, true);
    const QByteArray before = [&] { QFile f(path); f.open(QIODevice::ReadOnly); return f.readAll(); }();
    QVERIFY(before.size() > 256);
    // No samples: nothing to write, and the file already there stays.
    study->setRecording(nullptr);
    QString message;
    try {
        TEdfExport::write(*study, path, true);
    } catch (const TException& e) {
        message = e.message();
    }
    QCOMPARE(message, QString("The recording of this study cannot be read"));
    QFile after(path);
    QVERIFY(after.open(QIODevice::ReadOnly));
    QCOMPARE(after.readAll(), before);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"kept.edf"});
    store.closeStudy(id);
}

QTEST_GUILESS_MAIN(TestEdfExport)
#include "tst_edfexport.moc"
