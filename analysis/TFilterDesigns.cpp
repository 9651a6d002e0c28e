#include "TFilterDesigns.h"

const QByteArray TFilterDesigns::Notch50Hz = "50hz";
const QByteArray TFilterDesigns::Notch60Hz = "60hz";
const QByteArray TFilterDesigns::Lowpass25Hz = "25hz";
const QByteArray TFilterDesigns::Lowpass40Hz = "40hz";
const QByteArray TFilterDesigns::BaselineFir = "fir";
const QByteArray TFilterDesigns::BaselineFft = "fft";

std::optional<TIirDesign> TFilterDesigns::inputHighpassIir(int samplingRate)
{
    // Butterworth highpass, -3 dB at 0.25 Hz.
    if (samplingRate == 500)
        return TIirDesign{{0.997781024102941, -1.995562048205882, 0.997781024102941},
                          {1.995557124345789, -0.995566972065975},
                          2000};
    return std::nullopt;
}

std::optional<TIirDesign> TFilterDesigns::notchIir(int samplingRate)
{
    // Band-stop, -3 dB at 48 and 52 Hz.
    if (samplingRate == 500)
        return TIirDesign{{0.951558090821252, -2.128420753699903, 2.85527558178394, -2.128420753699904,
                           0.951558090821252},
                          {2.181925067619687, -2.854072963143573, 2.07491643978012, -0.904318800282871},
                          500};
    if (samplingRate == 1000)
        return TIirDesign{{0.975331910638375, -3.433582821317144, 4.952900855244864, -3.433582821317145,
                           0.975331910638375},
                          {3.476732766930921, -4.952592786329411, 3.390432875703367, -0.950971890192202},
                          2000};
    return std::nullopt;
}

std::optional<TIirDesign> TFilterDesigns::baselineIir(int samplingRate)
{
    // Highpass, -3 dB at 0.75 Hz (500 per second) and 0.65 Hz (1000 per second).
    if (samplingRate == 500)
        return TIirDesign{{0.987761389276826, -3.951045557107303, 5.926568335660954, -3.951045557107303,
                           0.987761389276826},
                          {3.975371912560921, -5.926418555965424, 3.926719197756786, -0.975672562146085},
                          3000};
    if (samplingRate == 1000)
        return TIirDesign{{0.997131, -2.991393, 2.991393, -0.997131}, {2.994254, -2.988525, 0.994271}, 3000};
    return std::nullopt;
}

const TFirTable* TFilterDesigns::inputHighpassFir(int samplingRate)
{
    return samplingRate == 500 ? &TFirTables::table(TFirTableId::InputHighpassAt500) : nullptr;
}

const TFirTable* TFilterDesigns::notchFir(int samplingRate, const QByteArray& type)
{
    const bool at50 = type == Notch50Hz;
    if (!at50 && type != Notch60Hz)
        return nullptr;
    switch (samplingRate) {
    case 250:
        return &TFirTables::table(at50 ? TFirTableId::Notch50At250 : TFirTableId::Notch60At250);
    case 500:
        return &TFirTables::table(at50 ? TFirTableId::Notch50At500 : TFirTableId::Notch60At500);
    case 1000:
        return &TFirTables::table(at50 ? TFirTableId::Notch50At1000 : TFirTableId::Notch60At1000);
    default:
        return nullptr;
    }
}

const TFirTable* TFilterDesigns::lowpassFir(int samplingRate, const QByteArray& type)
{
    const bool at25 = type == Lowpass25Hz;
    if (!at25 && type != Lowpass40Hz)
        return nullptr;
    switch (samplingRate) {
    case 250:
        // One table serves both types at this rate.
        return &TFirTables::table(TFirTableId::LowpassAt250);
    case 500:
        return &TFirTables::table(at25 ? TFirTableId::Lowpass25At500 : TFirTableId::Lowpass40At500);
    case 1000:
        return &TFirTables::table(at25 ? TFirTableId::Lowpass25At1000 : TFirTableId::Lowpass40At1000);
    default:
        return nullptr;
    }
}

const TFirTable* TFilterDesigns::baselineFir(int samplingRate)
{
    switch (samplingRate) {
    case 250:
        return &TFirTables::table(TFirTableId::BaselineAt250);
    case 500:
        return &TFirTables::table(TFirTableId::BaselineAt500);
    case 1000:
        return &TFirTables::table(TFirTableId::BaselineAt1000);
    default:
        return nullptr;
    }
}

const TFirTable& TFilterDesigns::decimationFir()
{
    return TFirTables::table(TFirTableId::DecimationAt1000);
}
