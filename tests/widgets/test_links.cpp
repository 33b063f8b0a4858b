#include "core/ErrorReport.h"
#include "core/Flags.h"
#include "core/Version.h"
#include "support/RecordingShell.h"
#include "support/RecordingView.h"
#include "widgets/Links.h"
#include "widgets/MakerLinks.h"

#include <QTest>

using namespace nw;
using namespace nw::test;

namespace {

QString page(const char* pathAndQuery) {
    return QStringLiteral("http://") + QLatin1String(maker::Host) + QLatin1String(pathAndQuery);
}

// What the update page is told of the version.
QString versionQuery() {
    return QStringLiteral("&major=%1&minor=%2&build=%3")
        .arg(VersionMajor)
        .arg(VersionMinor)
        .arg(VersionRevision);
}

QString payment(const char* amount) {
    return QLatin1String(maker::PaymentService) + QStringLiteral("/xclick/business=") +
           QString::fromLatin1(maker::PaymentAccount)
               .replace(QLatin1Char('@'), QStringLiteral("%40")) +
           QStringLiteral("&item_name=Namewick%20Finder%20v") + QString::number(VersionMajor) +
           QLatin1Char('.') + QString::number(VersionMinor) + QStringLiteral("%20build%20") +
           QString::number(VersionRevision) + QStringLiteral("&amount=") + QLatin1String(amount) +
           QStringLiteral("&no_shipping=1&shipping=0&no_note=1&tax=0&currency_code=USD&lc=US");
}

} // namespace

class TestLinks : public QObject {
    Q_OBJECT

private slots:
    void addresses_data() {
        QTest::addColumn<QUrl>("built");
        QTest::addColumn<QString>("expected");

        // The executable's name without extension, as the update page knows the program.
        QTest::newRow("update") << updateUrl()
                                << page("/update.php?sw=test_links") + versionQuery();
        QTest::newRow("update, renamed with & # and blank")
            << updateUrl(QStringLiteral("my finder&v=2#x"))
            << page("/update.php?sw=my%20finder%26v%3D2%23x") + versionQuery();
        QTest::newRow("contact, & # and blank") << contactUrl(QStringLiteral("a b&c#d"))
                                                << page("/comments.php?submitted=a%20b%26c%23d");
        QTest::newRow("donation, empty") << donationUrl(QString()) << payment("");
        QTest::newRow("donation, every $ dropped")
            << donationUrl(QStringLiteral("$$10 $")) << payment("10%20");
        QTest::newRow("donation, & and # stay in the amount")
            << donationUrl(QStringLiteral("$1&amount=99#x")) << payment("1%26amount%3D99%23x");
    }
    void addresses() {
        QFETCH(QUrl, built);
        QFETCH(QString, expected);
        QVERIFY2(built.isValid(), qPrintable(built.errorString()));
        QCOMPARE(built.toString(QUrl::FullyEncoded), expected);
    }

    void openUrlReportsOnlyRefusals() {
        RecordingShell shell;
        RecordingSink errors;
        OpenURL(homePageUrl());
        OpenURL(homePageUrl());
        // Two choices, two browser windows.
        QCOMPARE(shell.urls, QStringList({page("/"), page("/")}));
        QVERIFY(errors.reports.isEmpty());
        QVERIFY(!StopFlag);

        shell.result = false;
        OpenURL(homePageUrl());
        QCOMPARE(errors.reports, QStringList({QStringLiteral("Global/OpenURL/%1").arg(429)}));
        QVERIFY(StopFlag);
        StopFlag = false;
    }
};

QTEST_MAIN(TestLinks)
#include "test_links.moc"
