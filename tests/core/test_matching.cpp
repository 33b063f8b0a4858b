#include "Flags.h"
#include "NameMatching.h"

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

} // namespace

Q_DECLARE_METATYPE(nw::Method)
Q_DECLARE_METATYPE(nw::MatchMode)

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
    void groupSizeIsReadOnlyForKeysOfOtherLengths();
    void negativeGroupSizeIsAnError();

    void matchNamesLevenshtein();

    void pairVerdict_data();
    void pairVerdict();
    void badThresholdTextIsAnErrorInEitherMode_data();
    void badThresholdTextIsAnErrorInEitherMode();
};

void TestMatching::splitPath_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("extension");

    QTest::newRow("plain") << "/music/rock/Song.mp3"
                           << "/music/rock/"
                           << "Song.mp3"
                           << ".MP3";
    QTest::newRow("last dot counts") << "/d/x.tar.gz"
                                     << "/d/"
                                     << "x.tar.gz"
                                     << ".GZ";
    QTest::newRow("dot in folder only") << "/d.old/README"
                                        << "/d.old/"
                                        << "README"
                                        << "";
    QTest::newRow("dot-name") << "/home/.profile"
                              << "/home/"
                              << ".profile"
                              << ".PROFILE";
    QTest::newRow("trailing dot") << "/d/name."
                                  << "/d/"
                                  << "name."
                                  << ".";
    QTest::newRow("root file") << "/a.txt"
                               << "/"
                               << "a.txt"
                               << ".TXT";
    QTest::newRow("no separator") << "a.txt"
                                  << ""
                                  << "a.txt"
                                  << ".TXT";
    QTest::newRow("folder text") << "/d/e/"
                                 << "/d/e/"
                                 << ""
                                 << "";
    QTest::newRow("backslash is a name character") << "/d/a\\b.txt"
                                                   << "/d/"
                                                   << "a\\b.txt"
                                                   << ".TXT";
}

void TestMatching::splitPath() {
    QFETCH(QString, path);
    QFETCH(QString, folder);
    QFETCH(QString, name);
    QFETCH(QString, extension);

    const SplitName plain = SplitPath(path);
    QCOMPARE(plain.folder, folder);
    QCOMPARE(plain.name, name);
    QCOMPARE(plain.extension, extension);
    QCOMPARE(plain.folder + plain.name, path);

    int yields = 0;
    SplitName yielding;
    QVERIFY(SplitPath(path, yielding, [&] { ++yields; }));
    QCOMPARE(yielding.folder, folder);
    QCOMPARE(yielding.name, name);
    QCOMPARE(yielding.extension, extension);
    QVERIFY(yields >= path.size());
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

    QTest::newRow("extension dropped") << "Song.mp3" << true << "SONG";
    QTest::newRow("extension kept") << "Song.mp3" << false << "SONG.MP3";
    QTest::newRow("every occurrence dropped") << "track.mp3player.mp3" << true << "TRACKPLAYER";
    QTest::newRow("case of the extension") << "track.MP3player.mp3" << true << "TRACKPLAYER";
    QTest::newRow("dot-name gives empty key") << ".profile" << true << "";
    QTest::newRow("no extension") << "README" << true << "README";
    QTest::newRow("no extension, kept") << "README" << false << "README";
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
    QTest::addColumn<QString>("key1");
    QTest::addColumn<QString>("key2");
    QTest::addColumn<QString>("group");
    QTest::addColumn<nw::Method>("method");
    QTest::addColumn<int>("base");
    QTest::addColumn<int>("score");

    QTest::newRow("same length") << "TRACKNAMEA"
                                 << "TRACKNAMEB"
                                 << "3" << Method::SameLength << 10 << 9;
    QTest::newRow("by position, not by content") << "ABCD"
                                                 << "DCBA"
                                                 << "3" << Method::SameLength << 4 << 0;
    QTest::newRow("empty keys") << ""
                                << ""
                                << "3" << Method::SameLength << 0 << 0;
    // Windows ABC, BCD, CDE, DEF; EFG is never taken.
    QTest::newRow("file one longer") << "ABCDEFG"
                                     << "ABCDEF"
                                     << "3" << Method::File1Longer << 4 << 4;
    QTest::newRow("file two longer") << "ABCDEF"
                                     << "ABCDEFG"
                                     << "3" << Method::File2Longer << 4 << 4;
    QTest::newRow("last character never in a window") << "ABCDX"
                                                      << "BCDX"
                                                      << "2" << Method::File1Longer << 3 << 2;
    QTest::newRow("windows found anywhere") << "XYZABC"
                                            << "ABCXY"
                                            << "2" << Method::File1Longer << 4 << 2;
    QTest::newRow("repeated windows count each") << "AAAA"
                                                 << "AA"
                                                 << "2" << Method::File1Longer << 2 << 2;
    QTest::newRow("nothing found") << "ABCDEFG"
                                   << "XYZ"
                                   << "3" << Method::File1Longer << 4 << 0;
    QTest::newRow("group 0: empty windows all found") << "ABCD"
                                                      << "XY"
                                                      << "0" << Method::File1Longer << 4 << 4;
    QTest::newRow("group equal to length") << "ABCDEFG"
                                           << "AB"
                                           << "7" << Method::File1Longer << 0 << 0;
    QTest::newRow("group beyond length") << "ABCDEFG"
                                         << "AB"
                                         << "10" << Method::File1Longer << -3 << 0;
    QTest::newRow("against an empty key") << "ABCD"
                                          << ""
                                          << "2" << Method::File1Longer << 2 << 0;
}

void TestMatching::matchCharacters() {
    QFETCH(QString, key1);
    QFETCH(QString, key2);
    QFETCH(QString, group);
    QFETCH(nw::Method, method);
    QFETCH(int, base);
    QFETCH(int, score);

    const MatchResult r = MatchCharacters(key1, key2, numbers(QStringLiteral("90"), group));
    QCOMPARE(r.method, method);
    QCOMPARE(r.base, base);
    QCOMPARE(r.score, score);

    const MatchResult viaNames =
        MatchNames(key1, key2, MatchMode::Characters, numbers(QStringLiteral("90"), group));
    QCOMPARE(viaNames.method, method);
    QCOMPARE(viaNames.base, base);
    QCOMPARE(viaNames.score, score);
}

void TestMatching::groupSizeIsReadOnlyForKeysOfOtherLengths() {
    const MatchNumbers bad = numbers(QStringLiteral("90"), QString());
    const MatchResult same = MatchCharacters(QStringLiteral("ABC"), QStringLiteral("ABD"), bad);
    QCOMPARE(same.score, 2);
    QVERIFY_THROWS_EXCEPTION(ScanError,
                             MatchCharacters(QStringLiteral("ABCD"), QStringLiteral("ABD"), bad));
    try {
        MatchCharacters(QStringLiteral("ABCD"), QStringLiteral("ABD"), bad);
    } catch (const ScanError& e) {
        QCOMPARE(e.error.number, int(ErrTypeMismatch));
    }
}

void TestMatching::negativeGroupSizeIsAnError() {
    const MatchNumbers negative = numbers(QStringLiteral("90"), QStringLiteral("-1"));
    QVERIFY_THROWS_EXCEPTION(
        ScanError, MatchCharacters(QStringLiteral("ABCDEFG"), QStringLiteral("ABC"), negative));
    // Keys of equal length never need the group size.
    QCOMPARE(MatchCharacters(QStringLiteral("ABC"), QStringLiteral("ABC"), negative).score, 3);
}

void TestMatching::matchNamesLevenshtein() {
    const MatchResult r = MatchNames(QStringLiteral("KITTEN"), QStringLiteral("SITTING"),
                                     MatchMode::Levenshtein, numbers());
    QCOMPARE(r.method, Method::LevenshteinDistance);
    QCOMPARE(r.score, 3);
    QCOMPARE(r.base, 0);
    QCOMPARE(methodLabel(r.method), QStringLiteral("Levenshtein Distance"));

    // A bad group size does not matter in this mode.
    const MatchResult g = MatchNames(QStringLiteral("AB"), QStringLiteral("ABCDE"),
                                     MatchMode::Levenshtein, numbers(QStringLiteral("90"), "x"));
    QCOMPARE(g.score, 3);
}

void TestMatching::pairVerdict_data() {
    QTest::addColumn<nw::MatchMode>("mode");
    QTest::addColumn<int>("score");
    QTest::addColumn<int>("base");
    QTest::addColumn<QString>("percent");
    QTest::addColumn<QString>("distance");
    QTest::addColumn<bool>("checksum");
    QTest::addColumn<bool>("verdict");

    const MatchMode c = MatchMode::Characters;
    const MatchMode l = MatchMode::Levenshtein;
    QTest::newRow("9 of 10 at 90") << c << 9 << 10 << "90"
                                   << "0" << false << true;
    QTest::newRow("2 of 3 at 90") << c << 2 << 3 << "90"
                                  << "0" << false << false;
    QTest::newRow("2 of 3 at 60") << c << 2 << 3 << "60"
                                  << "0" << false << true;
    QTest::newRow("4 of 4 groups at 90") << c << 4 << 4 << "90"
                                         << "0" << false << true;
    // 0.56 * 25 is 14.000000000000002 in double precision.
    QTest::newRow("56 of 25 needs more than 14") << c << 14 << 25 << "56"
                                                 << "0" << false << false;
    QTest::newRow("56 of 25 with 15") << c << 15 << 25 << "56"
                                      << "0" << false << true;
    QTest::newRow("boundary included") << c << 5 << 10 << "50"
                                       << "0" << false << true;
    QTest::newRow("percentage 0 never") << c << 5 << 5 << "0"
                                        << "0" << false << false;
    QTest::newRow("negative percentage never") << c << 5 << 5 << "-10"
                                               << "0" << false << false;
    QTest::newRow("above 100 never") << c << 5 << 5 << "101"
                                     << "0" << false << false;
    QTest::newRow("all at 100") << c << 5 << 5 << "100"
                                << "0" << false << true;
    QTest::newRow("empty keys never") << c << 0 << 0 << "90"
                                      << "0" << false << false;
    QTest::newRow("negative base never") << c << 0 << -3 << "90"
                                         << "0" << false << false;
    QTest::newRow("negative base, negative percentage") << c << 0 << -4 << "-50"
                                                        << "0" << false << false;
    QTest::newRow("fractional percentage rounds") << c << 9 << 10 << "90.5"
                                                  << "0" << false << true;
    QTest::newRow("checksum or'ed, chars") << c << 0 << 10 << "90"
                                           << "0" << true << true;

    QTest::newRow("distance 0, equal") << l << 0 << 0 << "90"
                                       << "0" << false << true;
    QTest::newRow("distance 0, one edit") << l << 1 << 0 << "90"
                                          << "0" << false << false;
    QTest::newRow("within distance") << l << 2 << 0 << "90"
                                     << "2" << false << true;
    QTest::newRow("beyond distance") << l << 3 << 0 << "90"
                                     << "2" << false << false;
    QTest::newRow("percentage 0 does not matter") << l << 1 << 0 << "0"
                                                  << "1" << false << true;
    QTest::newRow("checksum or'ed, distance") << l << 9 << 0 << "90"
                                              << "0" << true << true;
}

void TestMatching::pairVerdict() {
    QFETCH(nw::MatchMode, mode);
    QFETCH(int, score);
    QFETCH(int, base);
    QFETCH(QString, percent);
    QFETCH(QString, distance);
    QFETCH(bool, checksum);
    QFETCH(bool, verdict);

    MatchResult r;
    r.score = score;
    r.base = base;
    r.method = mode == MatchMode::Levenshtein ? Method::LevenshteinDistance : Method::SameLength;
    QCOMPARE(PairVerdict(r, mode, numbers(percent, QStringLiteral("3"), distance), checksum),
             verdict);
}

void TestMatching::badThresholdTextIsAnErrorInEitherMode_data() {
    QTest::addColumn<nw::MatchMode>("mode");
    QTest::addColumn<QString>("percent");
    QTest::addColumn<QString>("distance");
    QTest::addColumn<int>("error");

    QTest::newRow("bad percentage, chars") << MatchMode::Characters << "abc"
                                           << "0" << int(ErrTypeMismatch);
    QTest::newRow("bad percentage, distance mode") << MatchMode::Levenshtein << "abc"
                                                   << "0" << int(ErrTypeMismatch);
    QTest::newRow("empty distance, chars") << MatchMode::Characters << "90"
                                           << "" << int(ErrTypeMismatch);
    QTest::newRow("distance too large") << MatchMode::Levenshtein << "90"
                                        << "40000" << int(ErrOverflow);
}

void TestMatching::badThresholdTextIsAnErrorInEitherMode() {
    QFETCH(nw::MatchMode, mode);
    QFETCH(QString, percent);
    QFETCH(QString, distance);
    QFETCH(int, error);

    MatchResult r;
    r.score = 4;
    r.base = 4;
    // Even a pair that matches by checksum needs both numbers.
    try {
        PairVerdict(r, mode, numbers(percent, QStringLiteral("3"), distance), true);
        QFAIL("no error");
    } catch (const ScanError& e) {
        QCOMPARE(e.error.number, error);
    }
}

QTEST_GUILESS_MAIN(TestMatching)
#include "test_matching.moc"
