#include "TStudyStore.h"

#include "TException.h"
#include "TStudy.h"

#include <atomic>

namespace {
std::atomic<TStudyStore*> theStore{nullptr};
}

TStudyStore::TStudyStore() = default;

TStudyStore::~TStudyStore()
{
    TStudyStore* self = this;
    theStore.compare_exchange_strong(self, nullptr);
}

TStudyStore* TStudyStore::instance()
{
    return theStore.load();
}

void TStudyStore::setInstance(TStudyStore* store)
{
    theStore.store(store);
}

void TStudyStore::unimplemented()
{
    throw TException("unimplemented");
}

QStringList TStudyStore::defaultRiskFactorNames()
{
    return {QStringLiteral("Hipertensión"),
            QStringLiteral("Tabaquismo actual"),
            QStringLiteral("Ex-tabaquismo"),
            QStringLiteral("Sedentarismo"),
            QStringLiteral("Obesidad"),
            QStringLiteral("Diabetes"),
            QStringLiteral("Dislipemia"),
            QStringLiteral("Stress"),
            QStringLiteral("Angor"),
            QStringLiteral("Infarto agudo de miocardio"),
            QStringLiteral("Gota")};
}

std::unique_ptr<TStudy> TStudyStore::loadStudyFile(const QString&) { unimplemented(); }
void TStudyStore::writeRecordFile(const TStudyRecord&, const QString&) { unimplemented(); }
QVector<TStudySummary> TStudyStore::listStudies() { unimplemented(); }
TStudy* TStudyStore::saveNewStudy(const TStudyRecord&) { unimplemented(); }
TStudy* TStudyStore::openStudy(int) { unimplemented(); }
void TStudyStore::updateStudy(const TStudyRecord&) { unimplemented(); }
void TStudyStore::closeStudy(int) { unimplemented(); }
void TStudyStore::deleteStudy(int) { unimplemented(); }
bool TStudyStore::isStudyOpen(int) const { unimplemented(); }
TStudyInfo TStudyStore::recordToInfo(const TStudyRecord& record) const { return TStudyRecord::toInfo(record); }
TStudyRecord TStudyStore::infoToRecord(const TStudyInfo& info) const { return TStudyRecord::fromInfo(info); }
QByteArrayList TStudyStore::protocolNames() const { unimplemented(); }
bool TStudyStore::getProtocol(const QByteArray&, TProtocol&) const { unimplemented(); }
void TStudyStore::setProtocol(const QByteArray&, const TProtocol&) { unimplemented(); }
void TStudyStore::deleteProtocol(const QByteArray&) { unimplemented(); }
void TStudyStore::exportStudy(int, const QString&) { unimplemented(); }
int TStudyStore::importStudy(const QString&) { unimplemented(); }
bool TStudyStore::readArchiveInfo(const QString&, TStudySummary&) { unimplemented(); }
QVector<TStudySummary> TStudyStore::listArchives(const QString&) { unimplemented(); }
QString TStudyStore::rootPath() const { unimplemented(); }
bool TStudyStore::hasFreeSpace() const { unimplemented(); }
