#include "TTiltTestProtocol.h"

namespace TTiltTestProtocol {

const char* const Name = "Tilt test";

TProtocol build()
{
    TProtocol p;
    p.setName(Name);
    p.setType(TProtocol::TiltTest);
    // No load values: a tilt table takes no commands.
    for (int i = 0; i < 13; ++i) {
        TProtocolStage& stage = p.insertStage(i);
        stage.setPhase(i == 0 ? TProtocolStage::Rest : TProtocolStage::Recovery);
        stage.setDuration(i == 0 ? 600.0 : 180.0);
    }
    return p;
}

bool isNamed(const QString& protocolName)
{
    return protocolName == QLatin1String(Name);
}

} // namespace TTiltTestProtocol
