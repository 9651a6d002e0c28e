#include "TZipDeviceIo.h"

#include <QIODevice>

namespace {

voidpf ZCALLBACK openDevice(voidpf opaque, const void*, int)
{
    QIODevice* device = static_cast<QIODevice*>(opaque);
    return device->isOpen() ? device : nullptr;
}

uLong ZCALLBACK readDevice(voidpf, voidpf stream, void* buffer, uLong size)
{
    const qint64 n = static_cast<QIODevice*>(stream)->read(static_cast<char*>(buffer), qint64(size));
    return n < 0 ? 0 : uLong(n);
}

uLong ZCALLBACK writeDevice(voidpf, voidpf stream, const void* buffer, uLong size)
{
    const qint64 n = static_cast<QIODevice*>(stream)->write(static_cast<const char*>(buffer), qint64(size));
    return n < 0 ? 0 : uLong(n);
}

ZPOS64_T ZCALLBACK tellDevice(voidpf, voidpf stream)
{
    return ZPOS64_T(static_cast<QIODevice*>(stream)->pos());
}

long ZCALLBACK seekDevice(voidpf, voidpf stream, ZPOS64_T offset, int origin)
{
    QIODevice* device = static_cast<QIODevice*>(stream);
    qint64 base = 0;
    switch (origin) {
    case ZLIB_FILEFUNC_SEEK_SET: base = 0; break;
    case ZLIB_FILEFUNC_SEEK_CUR: base = device->pos(); break;
    case ZLIB_FILEFUNC_SEEK_END: base = device->size(); break;
    default: return -1;
    }
    // Offsets come from the archive itself: one past any sane size is refused
    // rather than wrapped into a negative position.
    if (offset > ZPOS64_T(INT64_MAX - base))
        return -1;
    const qint64 target = base + qint64(offset);
    if (target > device->size() && !(device->openMode() & QIODevice::WriteOnly))
        return -1;
    return device->seek(target) ? 0 : -1;
}

int ZCALLBACK closeDevice(voidpf, voidpf stream)
{
    QIODevice* device = static_cast<QIODevice*>(stream);
    device->close();
    return 0;
}

int ZCALLBACK errorDevice(voidpf, voidpf)
{
    return 0;
}

} // namespace

void TZipDeviceIo::fill(zlib_filefunc64_def* functions, QIODevice* device)
{
    functions->zopen64_file = openDevice;
    functions->zread_file = readDevice;
    functions->zwrite_file = writeDevice;
    functions->ztell64_file = tellDevice;
    functions->zseek64_file = seekDevice;
    functions->zclose_file = closeDevice;
    functions->zerror_file = errorDevice;
    functions->opaque = device;
}
