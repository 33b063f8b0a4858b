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

    const QString plain = QStringLiteral("Form already displayed; can't show modally");
    const QString cutting = QStringLiteral("Can't open a&b #1");
    const QString exe = QStringLiteral("Namewicks");

    QTest::newRow("report") << errorReportUrl(exe, report(plain))
                            << withHost("http://HOST/sw_errors.php?a=Namewicks&v=1.0.65"
                                        "&f=frmMain&s=FakeError_Click&n=400"
                                        "&d=Form%20already%20displayed%3B%20can%27t%20show%20"
                                        "modally&o=");
    QTest::newRow("report, & # and blanks")
        << errorReportUrl(QStringLiteral("my app"), report(cutting))
        << withHost("http://HOST/sw_errors.php?a=my%20app&v=1.0.65&f=frmMain"
                    "&s=FakeError_Click&n=400&d=Can%27t%20open%20a%26b%20%231&o=");
    QTest::newRow("report, empty description")
        << errorReportUrl(exe, report({}))
        << withHost("http://HOST/sw_errors.php?a=Namewicks&v=1.0.65&f=frmMain"
                    "&s=FakeError_Click&n=400&d=&o=");
    QTest::newRow("mail, & # and blanks")
        << errorMailUrl(exe, report(cutting))
        << withHost("mailto:MAIL?subject=Namewicks%20Error%20Number%20400"
                    "&body=Namewicks%20v1.0.65%20has%20had%20an%20error.%20%20Error%20is%20"
                    "described%20as%20%27%27Can%27t%20open%20a%26b%20%231%27%27.%20%20This%20"
                    "error%20was%20generated%20on%20form%20frmMain%20in%20function%20"
                    "FakeError_Click.%20%20Please%20add%20any%20other%20comments%20you%20may%20"
                    "have%20to%20this%20problem%20before%20sending%20this%20email.");
    QTest::newRow("search, & # and blanks")
        << errorSearchUrl(cutting) << withHost("SEARCH?hl=en&q=Qt6+Can%27t+open+a%26b+%231");
    QTest::newRow("search, a plus stays a plus") << errorSearchUrl(QStringLiteral("C++ a+b"))
                                                 << withHost("SEARCH?hl=en&q=Qt6+C%2B%2B+a%2Bb");
    QTest::newRow("search, empty description ends in +")
        << errorSearchUrl(QString()) << withHost("SEARCH?hl=en&q=Qt6+");
    QTest::newRow("search, beyond ASCII") << errorSearchUrl(QStringLiteral("Datei fehlt: ä"))
                                          << withHost("SEARCH?hl=en&q=Qt6+Datei+fehlt%3A+%C3%A4");
}

void TestErrorLinks::addresses() {
    QFETCH(QUrl, built);
    QFETCH(QString, expected);
    QVERIFY2(built.isValid(), qPrintable(built.errorString()));
    QCOMPARE(built.toString(QUrl::FullyEncoded), expected);
}

QTEST_MAIN(TestErrorLinks)
#include "test_error_links.moc"
