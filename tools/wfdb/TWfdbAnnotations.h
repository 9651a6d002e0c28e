#pragma once

#include <QString>
#include <QVector>
#include <QtGlobal>

// One annotation of a MIT-format annotation file.
struct TWfdbAnnotation
{
    qint64 sample = 0; // time, in samples of the record
    int code = 0;      // annotation code (1 normal beat, 5 PVC, 14 noise, 28 rhythm ...)
    int subtype = 0;
    int channel = 0;
    int number = 0;
};

// Reads MIT-format annotation files (16-bit little-endian words: 6-bit code,
// 10-bit time increment, with the SKIP, NUM, SUB, CHN and AUX pseudo-annotations).
class TWfdbAnnotations
{
public:
    bool read(const QString& path, QString* error);
    const QVector<TWfdbAnnotation>& annotations() const { return m_annotations; }

    // Whether an annotation code labels a beat (QRS complex), as opposed to rhythm,
    // noise, comments and other non-beat annotations.
    static bool isBeat(int code);
    // Sample positions of the beat annotations, in order.
    QVector<qint64> beatSamples() const;

private:
    QVector<TWfdbAnnotation> m_annotations;
};
