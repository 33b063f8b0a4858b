#include "core/Failure.h"

#include <exception>
#include <new>

namespace nw {

ErrorInfo currentFailure() {
    try {
        throw;
    } catch (const std::bad_alloc&) {
        return ErrorInfo::make(ErrOutOfMemory);
    } catch (const std::exception& e) {
        return ErrorInfo::make(ErrInvalidCall, QString::fromLocal8Bit(e.what()));
    } catch (...) {
        return ErrorInfo::make(ErrInvalidCall);
    }
}

} // namespace nw
