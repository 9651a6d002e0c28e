#pragma once

#include <QByteArray>

// Frames of the Kipnet protocol of Kip Machines treadmills: ASCII, no line end,
// ';', the device address, the command, for values four digits, a two-digit
// checksum and ':'.
namespace TKipnetFrame {

constexpr char DefaultAddress = '2';
// Caps of the four-digit values, in tenths of km/h, tenths of % and watts.
constexpr int MaxSpeedTenths = 400;
constexpr int MaxInclineTenths = 200;
constexpr int MaxWorkloadWatts = 800;

QByteArray go(char address = DefaultAddress);
QByteArray stop(char address = DefaultAddress);
// Negative and not-a-number values give 0000; values above the cap the cap.
QByteArray speed(double kmh, char address = DefaultAddress);
QByteArray incline(double percent, char address = DefaultAddress);
QByteArray workload(double watts, char address = DefaultAddress);

// The tens and units digits of the byte sum, modulo 256, of body.
QByteArray checksum(const QByteArray& body);
// ';' + body + checksum + ':', where body starts with the address.
QByteArray frame(const QByteArray& body);
// A command with a four-digit value, value limited to 0..cap.
QByteArray valueFrame(char command, int value, int cap, char address = DefaultAddress);
// Value times scale, truncated toward zero, limited to 0..cap.
int scaled(double value, double scale, int cap);

} // namespace TKipnetFrame
