// Fuzz target: the record file reader over any bytes, as a whole file, as the
// plain JSON of a "CXSTUDY1" file and as the JSON inside a "CXSTUDY2" file. It
// must never crash or hang, and whatever reads as a study must come back the
// same after being saved and read again.

#include "FuzzSeeds.h"
#include "TRecordFile.h"

#include <QFile>
#include <QJsonDocument>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>

namespace {

void checkStable(const TStudyRecord& record)
{
    // The first save may normalise (defaults, whole-second stage durations);
    // after that a save and read must change nothing.
    const QByteArray once = TRecordFile::encode(TStudyRecord::toJson(record));
    const std::optional<TStudyRecord> back = TRecordFile::parse(once);
    if (!back)
        std::abort();
    const QByteArray twice = TRecordFile::encode(TStudyRecord::toJson(*back));
    const std::optional<TStudyRecord> again = TRecordFile::parse(twice);
    if (!again || !(*again == *back) || qUncompress(once.mid(8)) != qUncompress(twice.mid(8)))
        std::abort();
}

void run(const QByteArray& bytes)
{
    if (const std::optional<TStudyRecord> r = TRecordFile::parse(bytes))
        checkStable(*r);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static QTemporaryDir dir;
    if (!dir.isValid())
        std::abort();
    const QByteArray bytes(reinterpret_cast<const char*>(data), int(size));
    run(bytes);
    run(TRecordFile::MagicV1 + bytes);
    run(TRecordFile::MagicV2 + qCompress(bytes));

    // Through a file as well: the reader must agree with the in-memory parse.
    const QString path = dir.filePath("input.cxstudy");
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            std::abort();
        file.write(bytes);
    }
    if (bool(TRecordFile::readObject(path)) != bool(TRecordFile::parseObject(bytes)))
        std::abort();
    return 0;
}

std::vector<std::string> velmoraFuzzSeeds()
{
    TStudyRecord r = TStudyRecord::newStudy(TStudyRecord::StressTest,
                                            {"Muñoz", "Rex", "6", "20200101", "M", "H1", "P2"}, "Bruce",
                                            QDateTime(QDate(2026, 3, 12), QTime(9, 45, 1)));
    r.id = 123456;
    r.events.append({"Stage", 12.5, 3.0, true});
    r.riskFactors.append({"Gota", true, "x"});
    r.results.trend("BPMTrend")->append(1.0, 80.0);
    r.results.valueArray("STLevelPerStage(3)")->setValue(1, -0.1);
    TProtocol p;
    p.setName("Bruce");
    p.setType(TProtocol::Ergometer);
    p.appendStage(0, 60.0, 0.0, 0.0);
    p.stage(0).setValue("workload", 50.0);
    r.protocol = p;
    r.echoScoring = TEchoScoring();
    const QByteArray json = QJsonDocument(TStudyRecord::toJson(r)).toJson(QJsonDocument::Compact);
    const QByteArray small = R"({"study":{"id":1},"patient":{"lastName":"a"},"results":{"x":{"type":"trend","timestamps":[1],"values":[2]}}})";
    std::vector<std::string> seeds;
    for (const QByteArray& s : {json, small, TRecordFile::encode(TStudyRecord::toJson(r)),
                                TRecordFile::MagicV1 + small, TRecordFile::MagicV2 + qCompress(small)})
        seeds.emplace_back(s.constData(), size_t(s.size()));
    return seeds;
}
