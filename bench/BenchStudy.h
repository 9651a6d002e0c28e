#pragma once

#include "TAcqDevice.h"
#include "TBeatStore.h"
#include "TRingSignalBuffer.h"
#include "TStudy.h"

#include <QString>
#include <memory>

// The study a benchmark records into: held in memory (a ring large enough for
// an hour of signal).
class BenchStudy
{
public:
    BenchStudy(const QString& folder, TAcqDevice& device)
    {
        Q_UNUSED(folder);
        m_study = std::make_unique<TStudy>(
            TStudyRecord(), std::make_unique<TIntSignalBuffer>(4096, 1 << 21, device.channelCount(), device.samplingRate()),
            std::make_unique<TMemoryBeatStore>());
    }
    TStudy* study() { return m_study.get(); }
    QString where() const { return QStringLiteral("in memory"); }

private:
    std::unique_ptr<TStudy> m_study;
};
