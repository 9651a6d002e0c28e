#include "TSerialBaudRate.h"

#include <asm/termbits.h>
#include <sys/ioctl.h>

namespace TSerialBaudRate {

bool setCustom(int fd, int baud)
{
    if (baud <= 0)
        return false;
    struct termios2 tio;
    if (ioctl(fd, TCGETS2, &tio) != 0)
        return false;
    tio.c_cflag &= ~tcflag_t(CBAUD | (CBAUD << IBSHIFT));
    tio.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
    tio.c_ispeed = speed_t(baud);
    tio.c_ospeed = speed_t(baud);
    return ioctl(fd, TCSETS2, &tio) == 0;
}

int read(int fd)
{
    struct termios2 tio;
    if (ioctl(fd, TCGETS2, &tio) != 0)
        return -1;
    return int(tio.c_ospeed);
}

} // namespace TSerialBaudRate
