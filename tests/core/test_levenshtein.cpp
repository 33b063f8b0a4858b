#include "EditDistance.h"
#include "Flags.h"
#include "Levenshtein.h"
#include "RecordingView.h"

#include <QRandomGenerator>
#include <QTest>

#include <algorithm>

using namespace nw;

class TestLevenshtein : public QObject {
    Q_OBJECT

private slots:
    void init() { StopFlag = false; }
    void cleanup() { StopFlag = false; }

    void distance_data();
    void distance();
    void stopFlagGivesZero();
    void stopFlagRaisedWhileWorkingGivesZero();
    void stopFlagWithAnEmptyText();
    void longestTextStillFits();
    void tooLongTextIsReported_data();
    void tooLongTextIsReported();
    void minimum_data();
    void minimum();
    void distanceWithinAgreesWithTheFullMatrix_data();
    void distanceWithinAgreesWithTheFullMatrix();
};

void TestLevenshtein::distance_data() {
    QTest::addColumn<QString>("s");
    QTest::addColumn<QString>("t");
    QTest::addColumn<int>("expected");

    QTest::newRow("kitten/sitting") << "kitten"
                                    << "sitting" << 3;
    QTest::newRow("flaw/lawn") << "flaw"
                               << "lawn" << 2;
    QTest::newRow("case counts") << "Report.txt"
                                 << "report.txt" << 1;
    QTest::newRow("equal") << "same"
                           << "same" << 0;
    QTest::newRow("empty/abc") << ""
                               << "abc" << 3;
    QTest::newRow("both empty") << ""
                                << "" << 0;
    QTest::newRow("one character") << "a"
                                   << "b" << 1;
    QTest::newRow("insert at front") << "bc"
                                     << "abc" << 1;
    QTest::newRow("nothing in common") << "abc"
                                       << "xyz" << 3;
    QTest::newRow("transposition is two") << "ab"
                                          << "ba" << 2;
    QTest::newRow("no normalisation") << QStringLiteral("e\u0301") << QStringLiteral("\u00e9") << 2;
    QTest::newRow("surrogate pair is two units")
        << QStringLiteral("a\U0001F600") << QStringLiteral("a\U0001F601") << 1;
}

void TestLevenshtein::distance() {
    QFETCH(QString, s);
    QFETCH(QString, t);
    QFETCH(int, expected);

    QCOMPARE(int(LD(s, t)), expected);
    QCOMPARE(int(LD(t, s)), expected);
    QVERIFY(!StopFlag);
}

void TestLevenshtein::stopFlagGivesZero() {
    StopFlag = true;
    QCOMPARE(int(LD(QStringLiteral("kitten"), QStringLiteral("sitting"))), 0);
}

void TestLevenshtein::stopFlagRaisedWhileWorkingGivesZero() {
    const QString s(200, QLatin1Char('a'));
    const QString t(200, QLatin1Char('b'));
    for (int when = 1; when <= 3; ++when) {
        StopFlag = false;
        int yields = 0;
        const qint16 d = LD(s, t, [&] {
            if (++yields == when)
                StopFlag = true;
        });
        QCOMPARE(int(d), 0);
    }
}

// Nothing is computed when a text is empty, so the answer stands.
void TestLevenshtein::stopFlagWithAnEmptyText() {
    StopFlag = true;
    QCOMPARE(int(LD(QString(), QStringLiteral("abc"))), 3);
}

void TestLevenshtein::longestTextStillFits() {
    test::RecordingSink sink;
    const QString longest(32767, QLatin1Char('a'));
    QCOMPARE(int(LD(longest, QStringLiteral("b"))), 32767);
    QCOMPARE(int(LD(QStringLiteral("b"), longest)), 32767);
    QCOMPARE(int(LD(longest, QStringLiteral("a"))), 32766);
    QVERIFY(sink.reports.isEmpty());
}

void TestLevenshtein::tooLongTextIsReported_data() {
    QTest::addColumn<bool>("longFirst");
    QTest::addColumn<QString>("other");
    QTest::newRow("first, other non-empty") << true << "abc";
    QTest::newRow("second, other non-empty") << false << "abc";
    QTest::newRow("first, other empty") << true << "";
}

void TestLevenshtein::tooLongTextIsReported() {
    QFETCH(bool, longFirst);
    QFETCH(QString, other);

    test::RecordingSink sink;
    const QString tooLong(32768, QLatin1Char('x'));
    const qint16 d = longFirst ? LD(tooLong, other) : LD(other, tooLong);
    QCOMPARE(int(d), 0);
    QCOMPARE(sink.reports, QStringList{QStringLiteral("Global/LD/6")});
    QVERIFY(StopFlag);
}

void TestLevenshtein::minimum_data() {
    QTest::addColumn<int>("a");
    QTest::addColumn<int>("b");
    QTest::addColumn<int>("c");
    QTest::addColumn<int>("expected");

    QTest::newRow("middle") << 3 << 1 << 2 << 1;
    QTest::newRow("all equal") << 2 << 2 << 2 << 2;
    QTest::newRow("negative first") << -1 << 0 << 5 << -1;
    QTest::newRow("last") << 5 << 4 << 3 << 3;
    QTest::newRow("extremes") << 32767 << -32768 << 0 << -32768;
}

void TestLevenshtein::minimum() {
    QFETCH(int, a);
    QFETCH(int, b);
    QFETCH(int, c);
    QFETCH(int, expected);
    QCOMPARE(int(Minimum(qint16(a), qint16(b), qint16(c))), expected);
}

// The capped distance of the pair search against the full matrix: texts up to one machine word
// (64 units) take the bit-parallel form, longer ones the band around the diagonal.
void TestLevenshtein::distanceWithinAgreesWithTheFullMatrix_data() {
    QTest::addColumn<int>("length");
    QTest::addColumn<QString>("alphabet");
    const QStringList alphabets = {QStringLiteral("ab"), QStringLiteral("abcdefghij"),
                                   QStringLiteral("a\u00e9\u0436\U0001F600")};
    for (int length : {1, 5, 63, 64, 65, 100, 200})
        for (const QString& alphabet : alphabets)
            QTest::addRow("%d units of %s", length, qPrintable(alphabet)) << length << alphabet;
}

void TestLevenshtein::distanceWithinAgreesWithTheFullMatrix() {
    QFETCH(int, length);
    QFETCH(QString, alphabet);
    QRandomGenerator rng(quint32(length * 7919 + alphabet.size()));
    auto unit = [&] { return alphabet[rng.bounded(int(alphabet.size()))]; };
    for (int round = 0; round < 30; ++round) {
        QString a;
        for (int k = 0; k < length; ++k)
            a += unit();
        QString b = a;
        for (int edits = rng.bounded(7); edits > 0; --edits) {
            const int at = rng.bounded(int(b.size()) + 1);
            switch (rng.bounded(3)) {
            case 0:
                b.insert(at, unit());
                break;
            case 1:
                if (at < b.size())
                    b.remove(at, 1);
                break;
            default:
                if (at < b.size())
                    b[at] = unit();
            }
        }
        const int full = LD(a, b);
        for (int limit : {0, 1, 2, 3, 5, 8}) {
            QVERIFY2(editDistanceWithin(a, b, limit) == std::min(full, limit + 1),
                     qPrintable(QStringLiteral("%1 / %2 limit %3").arg(a, b).arg(limit)));
            QVERIFY(editDistanceWithin(b, a, limit) == std::min(full, limit + 1));
        }
    }
}

QTEST_GUILESS_MAIN(TestLevenshtein)
#include "test_levenshtein.moc"
