#include "core/EditDistance.h"
#include "core/Flags.h"
#include "core/Levenshtein.h"
#include "support/RecordingView.h"

#include <QRandomGenerator>
#include <QTest>

#include <algorithm>

using namespace nw;

namespace {

void row(const char* name, const QString& s, const QString& t, int expected) {
    QTest::newRow(name) << s << t << expected;
}

} // namespace

class TestLevenshtein : public QObject {
    Q_OBJECT

private slots:
    void init() { StopFlag = false; }
    void cleanup() { StopFlag = false; }

    void distance_data();
    void distance();
    void stopFlagGivesZeroUnlessATextIsEmpty();
    void lengthLimit_data();
    void lengthLimit();
    void distanceWithinAgreesWithTheFullMatrix_data();
    void distanceWithinAgreesWithTheFullMatrix();
};

void TestLevenshtein::distance_data() {
    QTest::addColumn<QString>("s");
    QTest::addColumn<QString>("t");
    QTest::addColumn<int>("expected");

    row("kitten/sitting", "kitten", "sitting", 3);
    row("flaw/lawn", "flaw", "lawn", 2);
    row("case counts", "Report.txt", "report.txt", 1);
    row("equal", "same", "same", 0);
    row("empty/abc", "", "abc", 3);
    row("both empty", "", "", 0);
    row("one character", "a", "b", 1);
    row("transposition is two", "ab", "ba", 2);
    row("no normalisation", QStringLiteral("e\u0301"), QStringLiteral("\u00e9"), 2);
    row("surrogate pair is two units", QStringLiteral("a\U0001F600"), QStringLiteral("a\U0001F601"),
        1);
}

void TestLevenshtein::distance() {
    QFETCH(QString, s);
    QFETCH(QString, t);
    QFETCH(int, expected);

    QCOMPARE(int(LD(s, t)), expected);
    QCOMPARE(int(LD(t, s)), expected);
    QVERIFY(!StopFlag);
}

void TestLevenshtein::stopFlagGivesZeroUnlessATextIsEmpty() {
    StopFlag = true;
    QCOMPARE(int(LD(QStringLiteral("kitten"), QStringLiteral("sitting"))), 0);
    // Nothing is computed when a text is empty, so the answer stands.
    QCOMPARE(int(LD(QString(), QStringLiteral("abc"))), 3);

    const QString s(200, QLatin1Char('a'));
    const QString t(200, QLatin1Char('b'));
    for (int when = 1; when <= 3; ++when) {
        StopFlag = false;
        int yields = 0;
        const qint16 d = LD(s, t, [&] {
            if (++yields == when)
                StopFlag = true;
        });
        QVERIFY2(d == 0, qPrintable(QStringLiteral("stop at yield %1").arg(when)));
    }
}

// Steps once wrapped at 32767: the longest text must still give its full distance.
void TestLevenshtein::lengthLimit_data() {
    QTest::addColumn<int>("length");
    QTest::addColumn<bool>("longFirst");
    QTest::addColumn<QString>("other");
    QTest::addColumn<int>("expected"); // -1: reported as too long, gives 0

    QTest::newRow("longest, first") << 32767 << true << "b" << 32767;
    QTest::newRow("longest, second") << 32767 << false << "b" << 32767;
    QTest::newRow("longest, one in common") << 32767 << true << "a" << 32766;
    QTest::newRow("too long, first") << 32768 << true << "abc" << -1;
    QTest::newRow("too long, second") << 32768 << false << "abc" << -1;
    QTest::newRow("too long, other empty") << 32768 << true << "" << -1;
}

void TestLevenshtein::lengthLimit() {
    QFETCH(int, length);
    QFETCH(bool, longFirst);
    QFETCH(QString, other);
    QFETCH(int, expected);

    test::RecordingSink sink;
    const QString text(length, QLatin1Char('a'));
    const qint16 d = longFirst ? LD(text, other) : LD(other, text);
    QCOMPARE(int(d), qMax(expected, 0));
    QCOMPARE(sink.reports, expected < 0 ? QStringList{"Global/LD/6"} : QStringList{});
    QCOMPARE(bool(StopFlag), expected < 0);
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
