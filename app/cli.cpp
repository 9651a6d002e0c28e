// velmora-cli: the study folder from the command line, for scripted clinic
// work and checks. `velmora-cli --help` lists the commands.

#include "TAppIdentity.h"
#include "TCliRecorder.h"
#include "TCommandLine.h"
#include "TDemoAcqDevice.h"
#include "TDeviceFactory.h"
#include "TException.h"
#include "TLocalStudyStore.h"
#include "TStudySummary.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
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

int run(const TCommandLine& line)
{
    TLocalStudyStore store(line.dataFolder.isEmpty() ? TLocalStudyStore::defaultRoot() : line.dataFolder);
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
        const TCliRecorder::Result result =
            TCliRecorder::record(store, *device, TStudyRecord::newStudy(TStudyRecord::Ecg, patient), line.seconds);
        print(QString::number(result.id));
        if (result.seconds + 0.05 < line.seconds)
            return failed(QStringLiteral("recording ended after %1 s: %2").arg(result.seconds, 0, 'f', 1).arg(result.warning));
        return 0;
    }
    case TCommandLine::Export: {
        if (!QFileInfo(line.folder).isDir())
            return failed(QStringLiteral("%1 is not a folder").arg(line.folder));
        bool known = false;
        for (const TStudySummary& s : store.listStudies())
            known = known || s.id == line.id;
        if (!known)
            return failed(QStringLiteral("no study with id %1").arg(line.id));
        store.exportStudy(line.id, line.folder);
        return 0;
    }
    case TCommandLine::Import:
        if (!QFileInfo(line.archive).isFile())
            return failed(QStringLiteral("%1 is not a file").arg(line.archive));
        print(QString::number(store.importStudy(line.archive)));
        return 0;
    default:
        return 2;
    }
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    TAppIdentity::apply();
    const TCommandLine line = TCommandLine::parse(app.arguments().mid(1));
    if (line.command == TCommandLine::Help) {
        std::fputs(TCommandLine::usage().toLocal8Bit().constData(), stdout);
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
