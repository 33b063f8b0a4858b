#include "core/NumericBox.h"

#include <QLocale>
#include <QRegularExpression>

#include <cfenv>
#include <cmath>

namespace nw {

NumberValue readNumericBox(const QString& text) {
    NumberValue result;
    QString t = text.trimmed();
    // The user's decimal separator is accepted beside the point.
    const QString decimal = QLocale().decimalPoint();
    if (decimal != QLatin1String("."))
        t.replace(decimal, QLatin1String("."));
    static const QRegularExpression number(
        QStringLiteral(R"(^[+-]?(\d+\.?\d*|\.\d+)([eE][+-]?\d+)?$)"));
    if (!number.match(t).hasMatch()) {
        result.error = ErrorInfo::make(ErrTypeMismatch, text);
        return result;
    }
    // Not strtod: it follows the C library's locale, which Qt takes from the environment. The
    // form is checked above; out of range gives an infinity (or 0 when tiny) with ok false.
    const double parsed = QLocale::c().toDouble(t);
    std::fesetround(FE_TONEAREST);
    const double rounded = std::nearbyint(parsed);
    if (!std::isfinite(rounded) || rounded < -32768.0 || rounded > 32767.0) {
        result.error = ErrorInfo::make(ErrOverflow, text);
        return result;
    }
    result.value = qint16(rounded);
    return result;
}

} // namespace nw
