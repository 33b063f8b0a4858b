#include "errors/ErrorLinks.h"
#include "widgets/MakerLinks.h"

#include <QTest>

using namespace nw;

namespace {

ErrorFields report(const QString& description) {
    return {QStringLiteral("Namewick Finder"), QStringLiteral("1.0.65"), QStringLiteral("frmMain"),
            QStringLiteral("FakeError_Click"), QStringLiteral("400"),    description};
}

QString withHost(const char* text) {
    return QString::fromLatin1(text)
        .replace(QStringLiteral("HOST"), QLatin1String(maker::Host))
        .replace(QStringLiteral("MAIL"), QLatin1String(maker::ErrorMail))
        .replace(QStringLiteral("SEARCH"), QLatin1String(maker::SearchPage));
}

} // namespace

class TestErrorLinks : public QObject {
    Q_OBJECT

private slots:
    void addresses_data();
    void addresses();
};

void TestErrorLinks::addresses_data() {
    QTest::addColumn<QUrl>("built");
    QTest::addColumn<QString>("expected");

    // Every character a query can be cut at or stumble over: ; ' & # + blanks, beyond ASCII.
    const QString cutting = QStringLiteral("Can't open a&b #1; C++ \u00e4");
    QTest::newRow("report") << errorReportUrl(QStringLiteral("my app"), report(cutting))
                            << withHost("http://HOST/sw_errors.php?a=my%20app&v=1.0.65&f=frmMain"
                                        "&s=FakeError_Click&n=400&d=Can%27t%20open%20a%26b%20%231"
                                        "%3B%20C%2B%2B%20%C3%A4&o=");
    QTest::newRow("mail")
        << errorMailUrl(QStringLiteral("Namewicks"), report(cutting))
        << withHost("mailto:MAIL?subject=Namewicks%20Error%20Number%20400"
                    "&body=Namewicks%20v1.0.65%20has%20had%20an%20error.%20%20Error%20is%20"
                    "described%20as%20%27%27Can%27t%20open%20a%26b%20%231%3B%20C%2B%2B%20%C3%A4"
                    "%27%27.%20%20This%20error%20was%20generated%20on%20form%20frmMain%20in%20"
                    "function%20FakeError_Click.%20%20Please%20add%20any%20other%20comments%20"
                    "you%20may%20have%20to%20this%20problem%20before%20sending%20this%20email.");
    QTest::newRow("search") << errorSearchUrl(cutting)
                            << withHost(
                                   "SEARCH?hl=en&q=Qt6+Can%27t+open+a%26b+%231%3B+C%2B%2B+%C3%A4");
    QTest::newRow("search, empty description ends in +")
        << errorSearchUrl(QString()) << withHost("SEARCH?hl=en&q=Qt6+");
}

void TestErrorLinks::addresses() {
    QFETCH(QUrl, built);
    QFETCH(QString, expected);
    QVERIFY2(built.isValid(), qPrintable(built.errorString()));
    QCOMPARE(built.toString(QUrl::FullyEncoded), expected);
}

QTEST_MAIN(TestErrorLinks)
#include "test_error_links.moc"
