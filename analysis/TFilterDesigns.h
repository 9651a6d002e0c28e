#pragma once

#include "TFirTables.h"
#include "TIirDesign.h"

#include <QByteArray>
#include <optional>

// Which design each filter stage uses, by sampling rate and type word. The type
// words are the program's own: notch "50hz"/"60hz", lowpass "25hz"/"40hz",
// baseline "fir"/"fft".
class TFilterDesigns
{
public:
    static const QByteArray Notch50Hz;
    static const QByteArray Notch60Hz;
    static const QByteArray Lowpass25Hz;
    static const QByteArray Lowpass40Hz;
    static const QByteArray BaselineFir;
    static const QByteArray BaselineFft;

    // Recursive designs of the paged chain (run forward and backward).
    static std::optional<TIirDesign> inputHighpassIir(int samplingRate);
    static std::optional<TIirDesign> notchIir(int samplingRate);
    static std::optional<TIirDesign> baselineIir(int samplingRate);

    // FIR tables, or null where the rate or type has none.
    static const TFirTable* inputHighpassFir(int samplingRate);
    static const TFirTable* notchFir(int samplingRate, const QByteArray& type);
    static const TFirTable* lowpassFir(int samplingRate, const QByteArray& type);
    static const TFirTable* baselineFir(int samplingRate);
    static const TFirTable& decimationFir();
};
