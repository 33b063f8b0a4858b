#include "core/Flags.h"
#include "core/NameMatching.h"

#include <QTest>

using namespace nw;

namespace {

MatchNumbers numbers(const QString& percent = QStringLiteral("90"),
                     const QString& group = QStringLiteral("3"),
                     const QString& distance = QStringLiteral("0")) {
    ScanSettings s;
    s.percent = percent;
    s.groupSize = group;
    s.distance = distance;
    return MatchNumbers::read(s);
}

void key(const char* name, const QString& file, bool ignore, const QString& key) {
    QTest::newRow(name) << file << ignore << key;
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

} // namespace

Q_DECLARE_METATYPE(nw::MatchMode)
Q_DECLARE_METATYPE(Split)
Q_DECLARE_METATYPE(Chars)
Q_DECLARE_METATYPE(Verdict)

class TestMatching : public QObject {
    Q_OBJECT

private slots:
    void init() { StopFlag = false; }
    void cleanup() { StopFlag = false; }

    void splitPath_data();
    void splitPath();
    void splitPathStopsWhenStopFlagRises();

    void compareKey_data();
    void compareKey();

    void matchCharacters_data();
    void matchCharacters();

    void pairVerdict_data();
    void pairVerdict();
};

void TestMatching::splitPath_data() {
    QTest::addColumn<Split>("c");

    QTest::newRow("plain") << Split{"/music/rock/Song.mp3", "/music/rock/", "Song.mp3", ".MP3"};
    QTest::newRow("last dot counts") << Split{"/d/x.tar.gz", "/d/", "x.tar.gz", ".GZ"};
    QTest::newRow("dot in folder only") << Split{"/d.old/README", "/d.old/", "README", ""};
    QTest::newRow("dot-name") << Split{"/home/.profile", "/home/", ".profile", ".PROFILE"};
    QTest::newRow("trailing dot") << Split{"/d/name.", "/d/", "name.", "."};
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
}

void TestMatching::splitPathStopsWhenStopFlagRises() {
    int yields = 0;
    SplitName out;
    const bool finished = SplitPath(QStringLiteral("/a/b/c.txt"), out, [&] {
        if (++yields == 3)
            StopFlag = true;
    });
    QVERIFY(!finished);
    QCOMPARE(yields, 3);
}

void TestMatching::compareKey_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("ignore");
    QTest::addColumn<QString>("key");

    key("extension dropped", "Song.mp3", true, "SONG");
    key("extension kept", "Song.mp3", false, "SONG.MP3");
    key("every occurrence dropped", "track.mp3player.mp3", true, "TRACKPLAYER");
    key("case of the extension", "track.MP3player.mp3", true, "TRACKPLAYER");
    key("dot-name gives empty key", ".profile", true, "");
    key("no extension", "README", true, "README");
    key("only a dot", "name.", true, "NAME");
    key("last extension only", "x.tar.gz", true, "X.TAR");
    key("non-ASCII upper-cased", "Ärger.txt", true, "ÄRGER");
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
    QTest::newRow("nothing found") << Chars{"ABCDEFG", "XYZ", "3", one, 4, 0};
    QTest::newRow("group 0: empty windows all found") << Chars{"ABCD", "XY", "0", one, 4, 4};
    QTest::newRow("group equal to length") << Chars{"ABCDEFG", "AB", "7", one, 0, 0};
    QTest::newRow("group beyond length") << Chars{"ABCDEFG", "AB", "10", one, -3, 0};
    QTest::newRow("against an empty key") << Chars{"ABCD", "", "2", one, 2, 0};
}

void TestMatching::matchCharacters() {
    QFETCH(Chars, c);
    const MatchNumbers n = numbers(QStringLiteral("90"), c.group);
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
    QTest::newRow("2 of 3 at 60") << Verdict{c, 2, 3, "60", "0", false, true};
    // 0.56 * 25 is 14.000000000000002 in double precision.
    QTest::newRow("56 of 25 needs more than 14") << Verdict{c, 14, 25, "56", "0", false, false};
    QTest::newRow("56 of 25 with 15") << Verdict{c, 15, 25, "56", "0", false, true};
    QTest::newRow("boundary included") << Verdict{c, 5, 10, "50", "0", false, true};
    QTest::newRow("percentage 0 never") << Verdict{c, 5, 5, "0", "0", false, false};
    QTest::newRow("negative percentage never") << Verdict{c, 5, 5, "-10", "0", false, false};
    QTest::newRow("above 100 never") << Verdict{c, 5, 5, "101", "0", false, false};
    QTest::newRow("all at 100") << Verdict{c, 5, 5, "100", "0", false, true};
    QTest::newRow("empty keys never") << Verdict{c, 0, 0, "90", "0", false, false};
    QTest::newRow("negative base never") << Verdict{c, 0, -3, "90", "0", false, false};
    QTest::newRow("negative base, negative percentage")
        << Verdict{c, 0, -4, "-50", "0", false, false};
    QTest::newRow("fractional percentage rounds") << Verdict{c, 9, 10, "90.5", "0", false, true};
    QTest::newRow("checksum or'ed, chars") << Verdict{c, 0, 10, "90", "0", true, true};

    QTest::newRow("distance 0, equal") << Verdict{l, 0, 0, "90", "0", false, true};
    QTest::newRow("distance 0, one edit") << Verdict{l, 1, 0, "90", "0", false, false};
    QTest::newRow("within distance") << Verdict{l, 2, 0, "90", "2", false, true};
    QTest::newRow("beyond distance") << Verdict{l, 3, 0, "90", "2", false, false};
    QTest::newRow("percentage 0 does not matter") << Verdict{l, 1, 0, "0", "1", false, true};
    QTest::newRow("checksum or'ed, distance") << Verdict{l, 9, 0, "90", "0", true, true};

    // Even a pair that matches by checksum needs both numbers.
    const int mismatch = ErrTypeMismatch;
    QTest::newRow("bad percentage, chars") << Verdict{c, 4, 4, "abc", "0", true, true, mismatch};
    QTest::newRow("bad percentage, distance") << Verdict{l, 0, 0, "abc", "0", true, true, mismatch};
    QTest::newRow("empty distance, chars") << Verdict{c, 4, 4, "90", "", true, true, mismatch};
    QTest::newRow("distance too large") << Verdict{l, 0, 0, "90", "40000", true, true, ErrOverflow};
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

QTEST_GUILESS_MAIN(TestMatching)
#include "test_matching.moc"
