#include "TAppIdentity.h"

#include <QCoreApplication>
#include <QFile>

namespace TAppIdentity {

const char* const ApplicationVersion = VELMORA_VERSION;

void apply()
{
    QCoreApplication::setOrganizationName(QString::fromLatin1(OrganisationName));
    QCoreApplication::setApplicationName(QString::fromLatin1(ApplicationName));
    QCoreApplication::setApplicationVersion(QString::fromLatin1(ApplicationVersion));
}

QString instanceKey()
{
    return QStringLiteral("%1 %2").arg(QString::fromLatin1(OrganisationName), QString::fromLatin1(ApplicationName));
}

QString styleSheet()
{
    QFile file(QString::fromLatin1(StyleSheetResource));
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.readAll());
}

} // namespace TAppIdentity
