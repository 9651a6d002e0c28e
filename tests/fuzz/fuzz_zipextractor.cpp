// libFuzzer target: the zip reader over any bytes as an archive file. Every
// entry is listed and read into memory, and every entry is also written into
// a scratch folder under its own name; nothing may land outside that folder.

#include "QZipFileExtractor.h"
#include "TException.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static QTemporaryDir dir;
    if (!dir.isValid())
        std::abort();
    const QString archive = dir.filePath("input.zip");
    const QString target = dir.filePath("out");
    {
        QFile file(archive);
        if (!file.open(QIODevice::WriteOnly))
            std::abort();
        file.write(reinterpret_cast<const char*>(data), qint64(size));
    }
    QDir(target).removeRecursively();
    QDir().mkpath(target);
    try {
        QZipFileExtractor extractor(archive);
        extractor.comment();
        const QStringList names = extractor.entryNames();
        for (const QString& name : names.mid(0, 16)) {
            try {
                QBuffer buffer;
                buffer.open(QIODevice::WriteOnly);
                extractor.extract(name, &buffer);
            } catch (const TException&) {
            }
            try {
                extractor.extractInto(name, target);
            } catch (const TException&) {
            }
        }
    } catch (const TException&) {
    }
    // Only the input and the scratch folder may exist beside each other.
    const QStringList top = QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries);
    for (const QString& entry : top) {
        if (entry != "input.zip" && entry != "out")
            std::abort();
    }
    return 0;
}
