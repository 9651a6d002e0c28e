// velmora-cli: the study folder from the command line, for scripted clinic
// work and checks. `velmora-cli --help` lists the commands.

#include "ESCPPrinter.h"
#include "TAppIdentity.h"
#include "TCliRecorder.h"
#include "TCommandLine.h"
#include "TDemoAcqDevice.h"
#include "TDeviceFactory.h"
#include "TECGStripReport.h"
#include "TEdfExport.h"
#include "TEquipmentFactory.h"
#include "TException.h"
#include "TExerciseEquipment.h"
#include "TLocalStudyStore.h"
#include "TSpeciesTable.h"
#include "TReportOptions.h"
#include "TStudy.h"
#include "TStudyReport.h"
#include "TStageTable.h"
#include "TStudyShow.h"
#include "TStudySummary.h"
#include "TInterruptedRecording.h"
#include "TTiltTestProtocol.h"
#include "TResourceFolders.h"
#include "TTranslations.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QSettings>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <algorithm>
#include <cstdio>
#include <memory>

namespace {

void print(const QString& text)
{
    std::fputs(text.toLocal8Bit().constData(), stdout);
    std::fputc('\n', stdout);
}

int failed(const QString& text)
{
    std::fprintf(stderr, "velmora-cli: %s\n", text.toLocal8Bit().constData());
    return 1;
}

QString shownDate(const QString& stamp)
{
    const QDateTime time = QDateTime::fromString(stamp, QStringLiteral("yyyyMMddHHmmss"));
    return time.isValid() ? time.toString(QStringLiteral("d/M/yyyy HH:mm:ss")) : stamp;
}

// What the report dialog opens with when a review window opens it on a study
// just opened: the dialog's stored settings, the traces from the start with every
// filter on at 25 mm/s and 10 mm/mV, the review window's hexaxial order and, for
// a stress or tilt test, its ST lead (the stage table's own choice, V5 where
// there is one, while the review window has stored none).
TReportOptions storedReportOptions(const TStudy& study)
{
    TReportOptions options = TReportOptions::fromSettings();
    options.startTime = 0.0;
    options.notch = options.lowpass = options.baseline = true;
    options.speed = 25.0;
    options.amplitude = 10.0;
    QSettings settings;
    const bool ecg = study.record().property(QStringLiteral("studyType")) == QLatin1String("ECG");
    options.hexaxialOrder =
        settings.value(ecg ? QStringLiteral("EcgReviewWindow/HexaxialOrder") : QStringLiteral("ReviewWindow/HexaxialOrder"),
                       false)
            .toBool();
    options.stLead = settings.value(QStringLiteral("ReviewWindow/STLeadName"), QString()).toString();
    if (options.stLead.isEmpty()) {
        QStringList leads;
        for (int i = 0; i < study.recording()->channelCount(); ++i)
            leads.append(QString::fromUtf8(study.recording()->channel(i)->name()));
        options.stLead = leads.value(TStageTable::findStLead(leads));
    }
    return options;
}

int writeReport(TLocalStudyStore& store, int id, const QString& output)
{
    TStudy* study = store.openStudy(id);
    if (!study)
        return failed(QCoreApplication::translate("velmora-cli", "no study with id %1").arg(id));
    try {
        if (TInterruptedRecording::finish(*study))
            store.updateStudy(study->record());
        TStudyReport report(*study, storedReportOptions(*study));
        report.writePdf(output);
    } catch (...) {
        store.closeStudy(id);
        throw;
    }
    store.closeStudy(id);
    return 0;
}

// Prints the study's strip as the report dialog would, with its stored
// options, and tells how far it got on standard error.
int printStrip(TLocalStudyStore& store, int id, const QString& port, double start)
{
    TStudy* study = store.openStudy(id);
    if (!study)
        return failed(QCoreApplication::translate("velmora-cli", "no study with id %1").arg(id));
    QString error;
    try {
        if (study->record().property(QStringLiteral("studyType")) != QLatin1String("ECG")) {
            error = QCoreApplication::translate("velmora-cli",
                                                "Please select another print destination for stress report.");
        } else {
            TReportOptions options = TReportOptions::fromSettings();
            options.startTime = std::max(0.0, start);
            const double duration = study->recording()->durationSeconds();
            if (options.startTime > 0.0 && options.startTime >= duration) {
                error = QCoreApplication::translate("velmora-cli",
                                                    "The start time must lie within the recording (0 to %1 seconds).")
                            .arg(TReportOptions::formatStartTime(duration));
            } else {
                const TStripContent content = TECGStripReport::content(*study, options);
                ESCPPrinter printer;
                printer.setPace(ESCPPrinter::Pace::fromSettings());
                int shown = -10;
                QObject::connect(&printer, &ESCPPrinter::progress, [&shown](int percent) {
                    if (percent / 10 != shown / 10)
                        std::fprintf(stderr, "%s\n",
                                     QCoreApplication::translate("velmora-cli", "Printing... %1%")
                                         .arg(percent)
                                         .toLocal8Bit()
                                         .constData());
                    shown = percent;
                });
                TECGStripReport::print(content, port, printer);
            }
        }
    } catch (const TException& e) {
        error = e.message();
    }
    store.closeStudy(id);
    return error.isEmpty() ? 0 : failed(error);
}

// A stress or tilt test by its protocol, with the configured equipment (none
// for a tilt test, or when the settings name no machine).
int recordStressTest(TLocalStudyStore& store, TAcqDevice& device, const TQuickPatient& patient,
                     const TCommandLine& line)
{
    const QString name = line.protocol.trimmed();
    TProtocol protocol;
    if (TTiltTestProtocol::isNamed(name))
        protocol = TTiltTestProtocol::build();
    else if (!store.getProtocol(name.toUtf8(), protocol))
        return failed(QCoreApplication::translate("velmora-cli", "no protocol named %1 (the stored ones: %2)")
                          .arg(name, QString::fromUtf8(store.protocolNames().join(", "))));
    if (protocol.stageCount() == 0)
        return failed(QCoreApplication::translate("velmora-cli", "the protocol %1 has no stages").arg(name));
    const double seconds = line.seconds > 0.0 ? line.seconds : protocol.totalDuration();
    std::unique_ptr<TExerciseEquipment> equipment(TEquipmentFactory::create(protocol.type()));
    TStudyRecord record = TStudyRecord::newStudy(TStudyRecord::StressTest, patient, name);
    if (!line.species.trimmed().isEmpty())
        record.setPatientProperty(QStringLiteral("animalSpecies"), line.species.trimmed());
    const TCliRecorder::Result result =
        TCliRecorder::record(store, device, record, seconds, &protocol, equipment.get());
    equipment.reset(); // its worker stops before the device goes
    print(QString::number(result.id));
    if (result.seconds + 0.05 < seconds)
        return failed(QCoreApplication::translate("velmora-cli", "recording ended after %1 s: %2")
                          .arg(result.seconds, 0, 'f', 1)
                          .arg(result.warning));
    return 0;
}

// The translators velmora-cli installed for the user's locale.
const std::vector<std::unique_ptr<QTranslator>>* installedTranslators = nullptr;

// The study's recording as an EDF+ file, named as the configuration says.
int exportEdf(TLocalStudyStore& store, int id, const QString& path)
{
    if (QFileInfo(path).isDir())
        return failed(QCoreApplication::translate("velmora-cli", "%1 is a folder: name the EDF+ file").arg(path));
    TStudy* study = store.openStudy(id);
    if (!study)
        return failed(QCoreApplication::translate("velmora-cli", "no study with id %1").arg(id));
    QString error;
    try {
        if (TInterruptedRecording::finish(*study))
            store.updateStudy(study->record());
        TEdfExport::write(*study, path, TEdfExport::anonymousFromSettings());
    } catch (const TException& e) {
        error = e.message();
    }
    store.closeStudy(id);
    return error.isEmpty() ? 0 : failed(error);
}

int showStudy(TLocalStudyStore& store, int id, bool json)
{
    TStudy* study = store.openStudy(id);
    if (!study)
        return failed(QCoreApplication::translate("velmora-cli", "no study with id %1").arg(id));
    QString text;
    {
        // What show prints is read by scripts: the same in every locale.
        TTranslations::Suspended english(*installedTranslators);
        text = json ? QString::fromUtf8(QJsonDocument(TStudyShow::json(*study)).toJson(QJsonDocument::Indented))
                    : TStudyShow::text(*study);
    }
    store.closeStudy(id);
    std::fputs(text.toUtf8().constData(), stdout);
    return 0;
}

int run(const TCommandLine& line)
{
    TLocalStudyStore store(line.dataFolder.isEmpty() ? TLocalStudyStore::defaultRoot() : line.dataFolder);
    // A faulty reference range file is said, and the shipped ranges are used.
    const QString ranges = TSpeciesTable::activate(store.rootPath());
    if (!ranges.isEmpty())
        std::fprintf(stderr, "velmora-cli: %s\n", ranges.toLocal8Bit().constData());
    switch (line.command) {
    case TCommandLine::List:
        for (const TStudySummary& s : store.listStudies())
            print(QStringLiteral("%1\t%2\t%3\t%4, %5")
                      .arg(s.id)
                      .arg(shownDate(s.studyDateTime), s.studyType, s.patientLastName, s.patientFirstName));
        return 0;
    case TCommandLine::Record: {
        std::unique_ptr<TAcqDevice> device;
        if (line.demo)
            device = std::make_unique<TDemoAcqDevice>(QString::fromLatin1(TDemoAcqDevice::DefaultFileName), 14, 500,
                                                      2, 16, 300.0, 0, TDeviceFactory::ChannelMask);
        else
            device = TDeviceFactory::create();
        TQuickPatient patient;
        patient.lastName = line.lastName.trimmed();
        patient.firstName = line.firstName.trimmed();
        if (!line.protocol.isEmpty())
            return recordStressTest(store, *device, patient, line);
        TStudyRecord record = TStudyRecord::newStudy(TStudyRecord::Ecg, patient);
        if (!line.species.trimmed().isEmpty())
            record.setPatientProperty(QStringLiteral("animalSpecies"), line.species.trimmed());
        const TCliRecorder::Result result = TCliRecorder::record(store, *device, record, line.seconds);
        print(QString::number(result.id));
        if (result.seconds + 0.05 < line.seconds)
            return failed(QCoreApplication::translate("velmora-cli", "recording ended after %1 s: %2")
                              .arg(result.seconds, 0, 'f', 1)
                              .arg(result.warning));
        return 0;
    }
    case TCommandLine::Export: {
        if (line.edf)
            return exportEdf(store, line.id, line.folder);
        if (!QFileInfo(line.folder).isDir())
            return failed(QCoreApplication::translate("velmora-cli", "%1 is not a folder").arg(line.folder));
        bool known = false;
        for (const TStudySummary& s : store.listStudies())
            known = known || s.id == line.id;
        if (!known)
            return failed(QCoreApplication::translate("velmora-cli", "no study with id %1").arg(line.id));
        store.exportStudy(line.id, line.folder);
        return 0;
    }
    case TCommandLine::Import:
        if (!QFileInfo(line.archive).isFile())
            return failed(QCoreApplication::translate("velmora-cli", "%1 is not a file").arg(line.archive));
        print(QString::number(store.importStudy(line.archive)));
        return 0;
    case TCommandLine::Report:
        return writeReport(store, line.id, line.output);
    case TCommandLine::Strip:
        return printStrip(store, line.id, line.port, line.start);
    case TCommandLine::Show:
        return showStudy(store, line.id, line.json);
    default:
        return 2;
    }
}

} // namespace

int main(int argc, char* argv[])
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    TCommandLine line = TCommandLine::parse(arguments);
    // A report lays out text and pictures, which takes a GUI application (without
    // a screen); the other commands do with less.
    std::unique_ptr<QCoreApplication> app;
    if ((line.command == TCommandLine::Report || line.command == TCommandLine::Strip) && line.error.isEmpty()) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    TAppIdentity::apply();
    const auto translators = TTranslations::install(TResourceFolders::ofProgram().translationFolders());
    installedTranslators = &translators;
    // Read again, now that the messages can be translated.
    line = TCommandLine::parse(arguments);
    if (line.command == TCommandLine::Help) {
        std::fputs(TCommandLine::usage().toLocal8Bit().constData(), stdout);
        return 0;
    }
    if (line.command == TCommandLine::Version) {
        std::printf("velmora-cli (%s) %s\n", TAppIdentity::ApplicationName, TAppIdentity::ApplicationVersion);
        return 0;
    }
    if (!line.error.isEmpty()) {
        std::fprintf(stderr, "velmora-cli: %s\n\n%s", line.error.toLocal8Bit().constData(),
                     TCommandLine::usage().toLocal8Bit().constData());
        return 2;
    }
    try {
        return run(line);
    } catch (const std::exception& e) {
        return failed(QString::fromLocal8Bit(e.what()));
    }
}
