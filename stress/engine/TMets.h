#pragma once

class TProtocolStage;

// Metabolic equivalents of an exercise load (1 MET = 3.5 ml O2 per kg and minute).
class TMets
{
public:
    // Treadmill at speedKmh and incline percent: the walking equation below
    // 83.3333 m/min (5 km/h), the running equation from there on.
    static double treadmill(double speedKmh, double inclinePercent);
    // Ergometer at watts for a patient of weightKg; 0 when the weight is not
    // known (0 or below).
    static double ergometer(double watts, double weightKg);
    // A stage of a protocol of the given type: treadmill and ergometer by the
    // equations above, none (0) for the other types.
    static double ofStage(const TProtocolStage& stage, int protocolType, double weightKg);
};
