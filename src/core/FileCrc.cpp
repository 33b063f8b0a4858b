#include "core/FileCrc.h"
#include "core/ErrorReport.h"
#include "core/Flags.h"
#include "platform/Crc32.h"
#include "platform/FileSystem.h"

#include <memory>

namespace nw {

namespace {
constexpr qint64 kBlock = qint64(1) << 20;
}

qint32 GetCRC32(const QString& path, const Yielder& yield, qint64* size) {
    if (size)
        *size = -1;
    yieldTo(yield);
    if (StopFlag || CRCSkipFlag)
        return 0;
    fs::FileReader reader;
    if (const ErrorInfo error = reader.open(path)) {
        ReportError(QStringLiteral("Global"), QStringLiteral("GetCRC32"), error);
        return 0;
    }
    std::unique_ptr<char[]> buffer(new char[size_t(kBlock)]);
    uint32_t crc = 0;
    qint64 total = 0;
    for (;;) {
        const qint64 got = reader.read(buffer.get(), kBlock);
        if (got < 0) {
            ReportError(QStringLiteral("Global"), QStringLiteral("GetCRC32"), reader.error());
            return 0;
        }
        if (got == 0)
            break;
        crc = crc32Update(crc, buffer.get(), size_t(got));
        total += got;
        yieldTo(yield);
        if (StopFlag || CRCSkipFlag)
            return 0;
    }
    if (size)
        *size = total;
    return qint32(crc);
}

} // namespace nw
