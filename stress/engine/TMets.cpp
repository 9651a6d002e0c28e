#include "TMets.h"

#include "TProtocol.h"

double TMets::treadmill(double speedKmh, double inclinePercent)
{
    const double s = speedKmh * 1000.0 / 60.0; // metres per minute
    const double g = inclinePercent / 100.0;
    if (s < 83.3333)
        return (0.1 * s + 1.8 * s * g + 3.5) / 3.5;
    return (0.2 * s + 0.9 * s * g + 3.5) / 3.5;
}

double TMets::ergometer(double watts, double weightKg)
{
    if (!(weightKg > 0.0))
        return 0.0;
    return (watts * 10.8 / weightKg + 7.0) / 3.5;
}

double TMets::ofStage(const TProtocolStage& stage, int protocolType, double weightKg)
{
    if (protocolType == TProtocol::Treadmill)
        return treadmill(stage.value(QStringLiteral("speed")), stage.value(QStringLiteral("incline")));
    if (protocolType == TProtocol::Ergometer)
        return ergometer(stage.value(QStringLiteral("workload")), weightKg);
    return 0.0;
}
