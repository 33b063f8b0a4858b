#include "platform/Crc32.h"

#include <climits>

#if defined(NAMEWICK_HAVE_ISAL)
#include <isa-l/crc.h>
#else
#include <zlib.h>
#endif

namespace nw {

uint32_t crc32Update(uint32_t crc, const void* data, size_t len) {
#if defined(NAMEWICK_HAVE_ISAL)
    return crc32_gzip_refl(crc, static_cast<const unsigned char*>(data), len);
#else
    const auto* p = static_cast<const Bytef*>(data);
    uLong c = crc;
    while (len > 0) {
        const uInt chunk = len > UINT_MAX ? UINT_MAX : uInt(len);
        c = crc32(c, p, chunk);
        p += chunk;
        len -= chunk;
    }
    return uint32_t(c);
#endif
}

const char* crc32Backend() {
#if defined(NAMEWICK_HAVE_ISAL)
    return "ISA-L crc32_gzip_refl";
#else
    return "zlib crc32";
#endif
}

} // namespace nw
