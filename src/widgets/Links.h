#pragma once

#include <QString>
#include <QUrl>

namespace nw {

// The running file's name without its extension: what the maker's pages know the program by.
QString executableName();

// A value as it stands inside an address. Unescaped, "&" or "#" would cut it short.
QString addressValue(const QString& value);

// An address put together from already encoded parts, kept exactly as written.
QUrl encodedAddress(const QString& text);

QUrl homePageUrl();
QUrl updateUrl(const QString& exe = executableName());
QUrl newsletterUrl();
QUrl contactUrl(const QString& exe = executableName());
// amountText as typed or chosen; every "$" is dropped.
QUrl donationUrl(const QString& amountText);
QString contactMail();

// Opens an address in the user's browser; when nothing takes it, the failure is reported.
void OpenURL(const QUrl& address);

} // namespace nw
