#pragma once

#include "core/Yield.h"

#include <QString>

namespace nw {

// CRC-32 of a file's content as a signed 32-bit value; 0 for an empty file. Also 0, with the file
// left closed, when StopFlag or CRCSkipFlag is raised, and after a reported failure. The file is
// read in blocks, so its size does not matter; both flags are polled between blocks.
// size, when given, receives the number of bytes the checksum covers (-1 when there is none).
qint32 GetCRC32(const QString& path, const Yielder& yield = {}, qint64* size = nullptr);

} // namespace nw
