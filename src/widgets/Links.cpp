#include "widgets/Links.h"
#include "core/ErrorReport.h"
#include "core/Texts.h"
#include "platform/Shell.h"
#include "widgets/MakerLinks.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace nw {

namespace {

QString makerPage(const char* path) {
    return QStringLiteral("http://") + QLatin1String(maker::Host) + QLatin1String(path);
}

} // namespace

QString executableName() {
    const QString file = QCoreApplication::applicationFilePath();
    if (file.isEmpty())
        return QStringLiteral("namewick");
    return QFileInfo(file).completeBaseName();
}

QString addressValue(const QString& value) {
    return QString::fromLatin1(QUrl::toPercentEncoding(value));
}

QUrl encodedAddress(const QString& text) {
    return QUrl::fromEncoded(text.toUtf8(), QUrl::StrictMode);
}

QUrl homePageUrl() {
    return encodedAddress(makerPage("/"));
}

QUrl updateUrl(const QString& exe) {
    return encodedAddress(makerPage("/update.php") + QStringLiteral("?sw=") + addressValue(exe) +
                          QStringLiteral("&major=%1&minor=%2&build=%3")
                              .arg(VersionMajor)
                              .arg(VersionMinor)
                              .arg(VersionRevision));
}

QUrl newsletterUrl() {
    return encodedAddress(QStringLiteral("mailto:") + QLatin1String(maker::NewsMail));
}

QUrl contactUrl(const QString& exe) {
    return encodedAddress(makerPage("/comments.php") + QStringLiteral("?submitted=") +
                          addressValue(exe));
}

QUrl donationUrl(const QString& amountText) {
    QString amount = amountText;
    amount.remove(QLatin1Char('$'));
    const QString item = QStringLiteral("%1 v%2.%3 build %4")
                             .arg(AppTitle)
                             .arg(VersionMajor)
                             .arg(VersionMinor)
                             .arg(VersionRevision);
    return encodedAddress(
        QLatin1String(maker::PaymentService) + QStringLiteral("/xclick/business=") +
        addressValue(QLatin1String(maker::PaymentAccount)) + QStringLiteral("&item_name=") +
        addressValue(item) + QStringLiteral("&amount=") + addressValue(amount) +
        QStringLiteral("&no_shipping=1&shipping=0&no_note=1&tax=0&currency_code=USD&lc=US"));
}

QString contactMail() {
    return QLatin1String(maker::ContactMail);
}

void OpenURL(const QUrl& address) {
    if (!address.isValid()) {
        ReportError(QStringLiteral("Global"), QStringLiteral("OpenURL"),
                    ErrorInfo::make(ErrInvalidCall, address.toString()));
        return;
    }
    if (!openUrl(address))
        ReportError(QStringLiteral("Global"), QStringLiteral("OpenURL"),
                    ErrorInfo::make(ErrCantCreateObject, address.toString()));
}

} // namespace nw
