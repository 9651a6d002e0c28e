#pragma once

#include <minizip/ioapi.h>

class QIODevice;

// The zip library's file functions over an already open framework device, so
// the archive is read and written through the device the wrapper holds.
namespace TZipDeviceIo {
void fill(zlib_filefunc64_def* functions, QIODevice* device);
}
