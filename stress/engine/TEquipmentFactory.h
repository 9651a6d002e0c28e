#pragma once

class QSettings;
class TExerciseEquipment;

// Chooses and creates the exercise equipment controller of a stress test from
// the configuration: a treadmill protocol drives a Kip Machines treadmill, an
// ergometer protocol an OLMO or a Kip Machines ergometer, on the configured port.
class TEquipmentFactory
{
public:
    // Protocol types of the protocols that drive a machine.
    static constexpr int TreadmillProtocol = 0;
    static constexpr int ErgometerProtocol = 1;

    // A new controller (its worker already started) that the caller owns, or null
    // when the protocol type or the settings ask for none (manual operation).
    // Reads the application's settings store.
    static TExerciseEquipment* create(int protocolType);
    static TExerciseEquipment* create(int protocolType, const QSettings& settings);
};
