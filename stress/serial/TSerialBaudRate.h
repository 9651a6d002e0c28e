#pragma once

// Line speeds outside the POSIX speed table (such as 570000), through the
// Linux termios2 interface. Kept apart because <asm/termbits.h> cannot share a
// translation unit with <termios.h>.
namespace TSerialBaudRate {

// Sets both directions of the open terminal fd to baud; false when refused.
bool setCustom(int fd, int baud);
// The output speed in baud as the driver reports it, or -1.
int read(int fd);

} // namespace TSerialBaudRate
