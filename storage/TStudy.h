#pragma once

#include "TBeatStore.h"
#include "TSignalBuffer.h"
#include "TStudyRecord.h"

#include <memory>

// An open study: its record, its recording and its beat list. A study whose
// sample or beats file could not be read still opens, with an empty in-memory
// recording or beat list in their place, so that the patient data and the
// conclusion stay reachable; recordingAvailable() / beatsAvailable() tell.
class TStudy
{
public:
    // A null recording or beat store stands for one that could not be read.
    explicit TStudy(TStudyRecord record, std::unique_ptr<TSignalBuffer> recording = nullptr,
                    std::unique_ptr<TBeatStore> beats = nullptr);
    ~TStudy();

    TStudy(const TStudy&) = delete;
    TStudy& operator=(const TStudy&) = delete;

    int id() const { return m_record.id; }
    TStudyRecord& record() { return m_record; }
    const TStudyRecord& record() const { return m_record; }

    // Never null.
    TSignalBuffer* recording() { return m_recording.get(); }
    const TSignalBuffer* recording() const { return m_recording.get(); }
    TBeatStore* beats() { return m_beats.get(); }
    const TBeatStore* beats() const { return m_beats.get(); }
    bool recordingAvailable() const { return m_recordingAvailable; }
    bool beatsAvailable() const { return m_beatsAvailable; }
    // Replacing with null puts an empty stand-in in place, as at construction.
    void setRecording(std::unique_ptr<TSignalBuffer> recording);
    void setBeats(std::unique_ptr<TBeatStore> beats);

    TStudyResults& results() { return m_record.results; }
    const TStudyResults& results() const { return m_record.results; }

    // The executed protocol; null without one.
    TProtocol* protocol() { return m_record.protocol ? &*m_record.protocol : nullptr; }
    const TProtocol* protocol() const { return m_record.protocol ? &*m_record.protocol : nullptr; }
    void setProtocol(const TProtocol& protocol) { m_record.protocol = protocol; }
    void clearProtocol() { m_record.protocol.reset(); }

    // Keys of the property map ("patient/weight", "recordingDateTime" ...).
    QString property(const QString& key) const { return m_record.property(key); }
    void setProperty(const QString& key, const QString& value) { m_record.setProperty(key, value); }

private:
    TStudyRecord m_record;
    std::unique_ptr<TSignalBuffer> m_recording;
    std::unique_ptr<TBeatStore> m_beats;
    bool m_recordingAvailable = false;
    bool m_beatsAvailable = false;
};
