#pragma once

#include <vector>

// The FIR coefficient tables of the ECG filters, one per filter kind and
// sampling rate. The values are designed by tools/fir-design, which writes
// TFirTables.cpp with each table's design and measured response beside it.
enum class TFirTableId
{
    Notch50At250,
    Notch50At500,
    Notch50At1000,
    Notch60At250,
    Notch60At500,
    Notch60At1000,
    Lowpass40At500,
    Lowpass40At1000,
    Lowpass25At500,
    Lowpass25At1000,
    LowpassAt250,
    BaselineAt250,
    BaselineAt500,
    BaselineAt1000,
    InputHighpassAt500,
    DecimationAt1000
};

struct TFirTable
{
    TFirTableId id;
    const char* name;
    int samplingRate;
    int taps;
    const double* coefficients;

    // Tables are applied centred: output i is aligned with input i.
    int delay() const { return taps / 2; }
    std::vector<double> values() const { return std::vector<double>(coefficients, coefficients + taps); }
};

class TFirTables
{
public:
    static constexpr int Count = 16;

    static const TFirTable& table(TFirTableId id);
    static std::vector<TFirTableId> all();
};
