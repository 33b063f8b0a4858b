#pragma once

// Where the maker is reached. Each can be set when configuring, e.g.
// cmake -DNAMEWICK_MAKER_HOST=www.example.com; the defaults lie in reserved example domains.

#ifndef NAMEWICK_MAKER_HOST
#define NAMEWICK_MAKER_HOST "www.example.com"
#endif
#ifndef NAMEWICK_ERROR_MAIL
#define NAMEWICK_ERROR_MAIL "errors@example.org"
#endif
#ifndef NAMEWICK_NEWS_MAIL
#define NAMEWICK_NEWS_MAIL "news-subscribe@example.org"
#endif
#ifndef NAMEWICK_CONTACT_MAIL
#define NAMEWICK_CONTACT_MAIL "contact@example.org"
#endif
#ifndef NAMEWICK_PAYMENT_ACCOUNT
#define NAMEWICK_PAYMENT_ACCOUNT "payments@example.net"
#endif
#ifndef NAMEWICK_PAYMENT_SERVICE
#define NAMEWICK_PAYMENT_SERVICE "https://www.paypal.com"
#endif
#ifndef NAMEWICK_SEARCH_PAGE
#define NAMEWICK_SEARCH_PAGE "http://www.google.com/search"
#endif

namespace nw::maker {

inline constexpr const char* Host = NAMEWICK_MAKER_HOST;
inline constexpr const char* ErrorMail = NAMEWICK_ERROR_MAIL;
inline constexpr const char* NewsMail = NAMEWICK_NEWS_MAIL;
inline constexpr const char* ContactMail = NAMEWICK_CONTACT_MAIL;
inline constexpr const char* PaymentAccount = NAMEWICK_PAYMENT_ACCOUNT;
inline constexpr const char* PaymentService = NAMEWICK_PAYMENT_SERVICE;
inline constexpr const char* SearchPage = NAMEWICK_SEARCH_PAGE;

} // namespace nw::maker
