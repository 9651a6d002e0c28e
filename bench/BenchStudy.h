#pragma once

#include "TAcqDevice.h"
#include "TAcquisitionFields.h"
#include "TBeatStore.h"
#include "TLocalStudyStore.h"
#include "TRingSignalBuffer.h"
#include "TStudy.h"

#include <QDir>
#include <QString>
#include <QTemporaryDir>

#include <memory>

// The study a benchmark records into: a new study of a study store whose data
// folder is the given folder (a temporary one when empty), so that samples and
// beats go to its files as they come; or, for the folder "memory", a study held
// in memory (a ring large enough for an hour of signal).
class BenchStudy
{
public:
    BenchStudy(const QString& folder, TAcqDevice& device)
    {
        if (folder == QLatin1String("memory")) {
            m_owned = std::make_unique<TStudy>(
                TStudyRecord(),
                std::make_unique<TIntSignalBuffer>(4096, 1 << 21, device.channelCount(), device.samplingRate()),
                std::make_unique<TMemoryBeatStore>());
            m_study = m_owned.get();
            m_where = QStringLiteral("in memory");
            return;
        }
        if (folder.isEmpty())
            m_temporary = std::make_unique<QTemporaryDir>(QDir::currentPath() + QStringLiteral("/bench-study-XXXXXX"));
        const QString root = m_temporary ? m_temporary->path() : folder;
        m_store = std::make_unique<TLocalStudyStore>(root);
        TQuickPatient patient;
        patient.lastName = QStringLiteral("Bench");
        TStudyRecord record = TStudyRecord::newStudy(TStudyRecord::StressTest, patient, QStringLiteral("Bench"));
        record.acquisition = TAcquisitionFields::fromDevice(device);
        m_study = m_store->saveNewStudy(record);
        m_where = QStringLiteral("to files in %1").arg(QDir::toNativeSeparators(root));
    }
    ~BenchStudy()
    {
        if (m_store)
            m_store->updateStudy(m_study->record());
    }

    TStudy* study() { return m_study; }
    QString where() const { return m_where; }

private:
    std::unique_ptr<QTemporaryDir> m_temporary;
    std::unique_ptr<TLocalStudyStore> m_store;
    std::unique_ptr<TStudy> m_owned;
    TStudy* m_study = nullptr;
    QString m_where;
};
