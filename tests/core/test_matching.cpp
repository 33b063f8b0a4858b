#include "core/EditDistance.h"
#include "core/Flags.h"
#include "core/Levenshtein.h"
#include "core/NameMatching.h"
#include "core/Postings.h"
#include "support/RecordingView.h"

#include <QRandomGenerator>
#include <QTest>

#include <algorithm>

using namespace nw;

namespace {

MatchNumbers numbers(const QString& percent, const QString& group, const QString& distance) {
    ScanSettings s;
    s.percent = percent;
    s.groupSize = group;
    s.distance = distance;
    return MatchNumbers::read(s);
}

void ld(const char* name, const QString& s, const QString& t, int expected) {
    QTest::newRow(name) << s << t << expected;
}

struct Split {
    QString path, folder, name, extension;
};

struct Chars {
    QString key1, key2, group;
    Method method;
    int base, score;
};

struct Verdict {
    MatchMode mode;
    int score, base;
    QString percent, distance;
    bool checksum, verdict;
    int error = 0; // thrown for a number that cannot be read; 0: none
};

// The hash whose mixHash is m: each step of the mix undone.
uint64_t unmixed(uint64_t m) {
    constexpr uint64_t Factor = 0xff51afd7ed558ccdULL;
    uint64_t inverse = Factor; // Newton's steps double the bits it is right in
    for (int k = 0; k < 6; ++k)
        inverse *= 2 - Factor * inverse;
    m ^= m >> 33;
    m *= inverse;
    return m ^ (m >> 33);
}

} // namespace

Q_DECLARE_METATYPE(Split)
Q_DECLARE_METATYPE(Chars)
Q_DECLARE_METATYPE(Verdict)

class TestMatching : public QObject {
    Q_OBJECT

private slots:
    void init() { StopFlag = false; }

    void splitPath_data();
    void splitPath();
    void compareKey_data();
    void compareKey();
    void matchCharacters_data();
    void matchCharacters();
    void pairVerdict_data();
    void pairVerdict();

    void distance_data();
    void distance();
    void stopEndsTheDistance();
    void frozenListsAlikeInTheirBitsKeepValueOrder();
    void distanceWithinAgreesWithTheFullMatrix_data();
    void distanceWithinAgreesWithTheFullMatrix();
};

void TestMatching::splitPath_data() {
    QTest::addColumn<Split>("c");

    QTest::newRow("plain") << Split{"/music/rock/Song.mp3", "/music/rock/", "Song.mp3", ".MP3"};
    QTest::newRow("dot in folder only") << Split{"/d.old/README", "/d.old/", "README", ""};
    QTest::newRow("root file") << Split{"/a.txt", "/", "a.txt", ".TXT"};
    QTest::newRow("no separator") << Split{"a.txt", "", "a.txt", ".TXT"};
    QTest::newRow("folder text") << Split{"/d/e/", "/d/e/", "", ""};
    QTest::newRow("backslash is a name character")
        << Split{"/d/a\\b.txt", "/d/", "a\\b.txt", ".TXT"};
}

void TestMatching::splitPath() {
    QFETCH(Split, c);
    int yields = 0;
    SplitName yielding;
    QVERIFY(SplitPath(c.path, yielding, [&] { ++yields; }));
    QVERIFY(yields >= c.path.size());
    for (const SplitName& got : {SplitPath(c.path), yielding}) {
        QCOMPARE(got.folder, c.folder);
        QCOMPARE(got.name, c.name);
        QCOMPARE(got.extension, c.extension);
    }
    SplitName stopped;
    QVERIFY2(!SplitPath(c.path, stopped, [] { StopFlag = true; }), "went on after a Stop");
}

void TestMatching::compareKey_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("ignore");
    QTest::addColumn<QString>("key");

    QTest::newRow("extension dropped") << "Song.mp3" << true << "SONG";
    QTest::newRow("extension kept") << "Song.mp3" << false << "SONG.MP3";
    QTest::newRow("every occurrence dropped") << "track.MP3player.mp3" << true << "TRACKPLAYER";
    QTest::newRow("dot-name gives empty key") << ".profile" << true << "";
    QTest::newRow("no extension") << "README" << true << "README";
    QTest::newRow("only a dot") << "name." << true << "NAME";
    QTest::newRow("last extension only") << "x.tar.gz" << true << "X.TAR";
    QTest::newRow("non-ASCII upper-cased") << "Ärger.txt" << true << "ÄRGER";
}

void TestMatching::compareKey() {
    QFETCH(QString, name);
    QFETCH(bool, ignore);
    QFETCH(QString, key);
    QCOMPARE(CompareKey(name, SplitPath(QStringLiteral("/d/") + name).extension, ignore), key);
}

void TestMatching::matchCharacters_data() {
    QTest::addColumn<Chars>("c");

    const Method same = Method::SameLength;
    const Method one = Method::File1Longer;
    QTest::newRow("same length") << Chars{"TRACKNAMEA", "TRACKNAMEB", "3", same, 10, 9};
    QTest::newRow("by position, not by content") << Chars{"ABCD", "DCBA", "3", same, 4, 0};
    QTest::newRow("empty keys") << Chars{"", "", "3", same, 0, 0};
    // Windows ABC, BCD, CDE, DEF; EFG is never taken.
    QTest::newRow("file one longer") << Chars{"ABCDEFG", "ABCDEF", "3", one, 4, 4};
    QTest::newRow("file two longer") << Chars{"ABCDEF", "ABCDEFG", "3", Method::File2Longer, 4, 4};
    QTest::newRow("last character never in a window") << Chars{"ABCDX", "BCDX", "2", one, 3, 2};
    QTest::newRow("windows found anywhere") << Chars{"XYZABC", "ABCXY", "2", one, 4, 2};
    QTest::newRow("repeated windows count each") << Chars{"AAAA", "AA", "2", one, 2, 2};
    QTest::newRow("group 0: empty windows all found") << Chars{"ABCD", "XY", "0", one, 4, 4};
    QTest::newRow("group equal to length") << Chars{"ABCDEFG", "AB", "7", one, 0, 0};
    QTest::newRow("group beyond length") << Chars{"ABCDEFG", "AB", "10", one, -3, 0};
    QTest::newRow("against an empty key") << Chars{"ABCD", "", "2", one, 2, 0};
}

void TestMatching::matchCharacters() {
    QFETCH(Chars, c);
    const MatchNumbers n = numbers(QStringLiteral("90"), c.group, QStringLiteral("0"));
    for (const MatchResult& r : {MatchCharacters(c.key1, c.key2, n),
                                 MatchNames(c.key1, c.key2, MatchMode::Characters, n)}) {
        QCOMPARE(r.method, c.method);
        QCOMPARE(r.base, c.base);
        QCOMPARE(r.score, c.score);
    }
}

void TestMatching::pairVerdict_data() {
    QTest::addColumn<Verdict>("c");

    const MatchMode c = MatchMode::Characters;
    const MatchMode l = MatchMode::Levenshtein;
    QTest::newRow("9 of 10 at 90") << Verdict{c, 9, 10, "90", "0", false, true};
    QTest::newRow("2 of 3 at 90") << Verdict{c, 2, 3, "90", "0", false, false};
    // 0.56 * 25 is 14.000000000000002 in double precision.
    QTest::newRow("56 of 25 needs more than 14") << Verdict{c, 14, 25, "56", "0", false, false};
    QTest::newRow("56 of 25 with 15") << Verdict{c, 15, 25, "56", "0", false, true};
    QTest::newRow("boundary included") << Verdict{c, 5, 10, "50", "0", false, true};
    QTest::newRow("percentage 0 never") << Verdict{c, 5, 5, "0", "0", false, false};
    QTest::newRow("all at 100") << Verdict{c, 5, 5, "100", "0", false, true};
    QTest::newRow("empty keys never") << Verdict{c, 0, 0, "90", "0", false, false};
    QTest::newRow("negative base never") << Verdict{c, 0, -3, "90", "0", false, false};
    QTest::newRow("checksum or'ed, chars") << Verdict{c, 0, 10, "90", "0", true, true};

    QTest::newRow("distance 0, equal") << Verdict{l, 0, 0, "90", "0", false, true};
    QTest::newRow("distance 0, one edit") << Verdict{l, 1, 0, "90", "0", false, false};
    QTest::newRow("within distance") << Verdict{l, 2, 0, "90", "2", false, true};
    QTest::newRow("beyond distance") << Verdict{l, 3, 0, "90", "2", false, false};
    QTest::newRow("percentage 0 does not matter") << Verdict{l, 1, 0, "0", "1", false, true};
    QTest::newRow("checksum or'ed, distance") << Verdict{l, 9, 0, "90", "0", true, true};

    // Even a pair that matches by checksum needs both numbers.
    const int mismatch = ErrTypeMismatch;
    QTest::newRow("bad percentage") << Verdict{l, 0, 0, "abc", "0", true, true, mismatch};
    QTest::newRow("empty distance, chars") << Verdict{c, 4, 4, "90", "", true, true, mismatch};
}

void TestMatching::pairVerdict() {
    QFETCH(Verdict, c);
    MatchResult r;
    r.score = c.score;
    r.base = c.base;
    r.method = c.mode == MatchMode::Levenshtein ? Method::LevenshteinDistance : Method::SameLength;
    const MatchNumbers n = numbers(c.percent, QStringLiteral("3"), c.distance);
    try {
        QCOMPARE(PairVerdict(r, c.mode, n, c.checksum), c.verdict);
        QVERIFY2(c.error == 0, "no error thrown");
    } catch (const ScanError& e) {
        QCOMPARE(e.error.number, c.error);
    }
}

void TestMatching::distance_data() {
    QTest::addColumn<QString>("s");
    QTest::addColumn<QString>("t");
    QTest::addColumn<int>("expected"); // -1: reported as too long, gives 0

    ld("kitten/sitting", "kitten", "sitting", 3);
    ld("flaw/lawn", "flaw", "lawn", 2);
    ld("case counts", "Report.txt", "report.txt", 1);
    ld("equal", "same", "same", 0);
    ld("empty/abc", "", "abc", 3);
    ld("transposition is two", "ab", "ba", 2);
    ld("no normalisation", QStringLiteral("e\u0301"), QStringLiteral("\u00e9"), 2);
    ld("surrogate pair is two units", QStringLiteral("a\U0001F600"), QStringLiteral("a\U0001F601"),
       1);
    // Steps once wrapped at 32767: the longest text must still give its full distance.
    ld("longest", QString(32767, u'a'), "b", 32767);
    ld("too long", QString(32768, u'a'), "abc", -1);
    ld("too long, other empty", QString(32768, u'a'), "", -1);
}

void TestMatching::distance() {
    QFETCH(QString, s);
    QFETCH(QString, t);
    QFETCH(int, expected);
    for (const bool swapped : {false, true}) {
        test::RecordingSink sink;
        StopFlag = false;
        QCOMPARE(int(swapped ? LD(t, s) : LD(s, t)), qMax(expected, 0));
        QCOMPARE(sink.reports, expected < 0 ? QStringList{"Global/LD/6"} : QStringList{});
        QCOMPARE(bool(StopFlag), expected < 0);
    }
}

// A Stop ends a long distance at the next row.
void TestMatching::stopEndsTheDistance() {
    int yields = 0;
    const auto stopAtTheSecond = [&] { StopFlag = ++yields == 2; };
    QCOMPARE(int(LD(QString(200, u'a'), QString(200, u'b'), stopAtTheSecond)), 0);
    QCOMPARE(yields, 2);
}

// The capped distance of the pair search against the full matrix: texts up to one machine word
// (64 units) take the bit-parallel form, longer ones the band around the diagonal.
void TestMatching::distanceWithinAgreesWithTheFullMatrix_data() {
    QTest::addColumn<int>("length");
    QTest::addColumn<QString>("alphabet");
    for (int length : {1, 5, 63, 64, 65, 100, 200})
        for (const QString& alphabet : {QStringLiteral("ab"), QStringLiteral("abcdefghij"),
                                        QStringLiteral("a\u00e9\u0436\U0001F600")})
            QTest::addRow("%d units of %s", length, qPrintable(alphabet)) << length << alphabet;
}

void TestMatching::distanceWithinAgreesWithTheFullMatrix() {
    QFETCH(int, length);
    QFETCH(QString, alphabet);
    QRandomGenerator rng(quint32(length * 7919 + alphabet.size()));
    auto unit = [&] { return alphabet[rng.bounded(int(alphabet.size()))]; };
    for (int round = 0; round < 30; ++round) {
        QString a;
        for (int k = 0; k < length; ++k)
            a += unit();
        QString b = a;
        // Edits: an insertion, or a deletion or replacement where a unit stands.
        for (int edits = rng.bounded(7); edits > 0; --edits) {
            const int at = rng.bounded(int(b.size()) + 1);
            const int kind = rng.bounded(3);
            if (kind == 0)
                b.insert(at, unit());
            else if (at < b.size())
                b.replace(at, 1, kind == 1 ? QString() : QString(unit()));
        }
        const int full = LD(a, b);
        for (int limit : {0, 1, 2, 3, 5, 8})
            QVERIFY2(editDistanceWithin(a, b, limit) == std::min(full, limit + 1) &&
                         editDistanceWithin(b, a, limit) == std::min(full, limit + 1),
                     qPrintable(QStringLiteral("%1 / %2 limit %3").arg(a, b).arg(limit)));
    }
}

// Two lists whose mixed hashes differ only below the bits the lists are known by are one list,
// and a walk that stops at the first value past a bound must still meet every smaller value.
void TestMatching::frozenListsAlikeInTheirBitsKeepValueOrder() {
    const uint64_t top = uint64_t(0xabcdef12) << 32;
    const uint64_t a = unmixed(top | 1), b = unmixed(top | 2), lone = unmixed(uint64_t(7) << 60);
    QCOMPARE(mixHash(a), top | 1);
    std::vector<FrozenPostings::Item> items{{a, 5}, {b, 2}, {a, 9}, {b, 7}, {lone, 3}};
    std::vector<uint64_t> tags(10);
    for (size_t v = 0; v < tags.size(); ++v)
        tags[v] = 100 + v;
    FrozenPostings lists;
    lists.build(items, tags);
    uint32_t from = 0, to = 0;
    lists.list(a, from, to);
    std::vector<int> values;
    for (uint32_t e = from; e < to; ++e) {
        values.push_back(lists.value(e));
        QCOMPARE(lists.tag(e), tags[size_t(lists.value(e))]);
    }
    QCOMPARE(values, (std::vector<int>{2, 5, 7, 9}));
    lists.list(lone, from, to);
    QCOMPARE(to - from, 1u);
    lists.list(unmixed(uint64_t(3) << 60), from, to);
    QCOMPARE(to - from, 0u);
}

QTEST_GUILESS_MAIN(TestMatching)
#include "test_matching.moc"
