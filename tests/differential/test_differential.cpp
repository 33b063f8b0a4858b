// The indexed pair search against the plain loop over all earlier files: on many random small
// trees and settings both must give the same rows in the same order, the same log and status.
#include "core/Flags.h"
#include "core/KeyTable.h"
#include "core/NameMatching.h"
#include "core/PairCandidates.h"
#include "core/ScanDriver.h"
#include "support/RecordingView.h"
#include "support/TestDir.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTest>

#include <algorithm>
#include <numeric>
#include <random>

using namespace nw;
using namespace nw::test;

namespace {

// Every text and progress step a scan shows, in order.
class ShownTexts : public RecordingView {
public:
    void setStatus(StatusPanel panel, const QString& text) override {
        shown << (panel == StatusPanel::FileName ? QStringLiteral("name ")
                                                 : QStringLiteral("secs ")) +
                     text;
    }
    void setCaption(const QString& text) override { shown << text; }
    void setProgress(int position) override { shown << QString::number(position); }
    QStringList shown;
};

// What a scan leaves: its status, the rows in the order added and as the list ends, the
// reports, the log and what it showed.
QStringList scan(const ScanSettings& settings, PairSearch search) {
    RecordingSink sink;
    ShownTexts view;
    const ScanStatus status = runScan(settings, view.rows, view, search);
    QFile log(settings.scanFolder + QStringLiteral("Log.txt"));
    const QByteArray logged = log.open(QIODevice::ReadOnly) ? log.readAll() : QByteArray();
    return {QString::number(int(status)),  view.rows.added.join(u'\n'),
            view.rows.texts().join(u'\n'), sink.reports.join(u','),
            QString::fromUtf8(logged),     view.shown.join(u'\n')};
}

QString pick(QRandomGenerator& rng, const QStringList& from) {
    return from.at(qsizetype(rng.bounded(quint32(from.size()))));
}

QString randomName(QRandomGenerator& rng, const QStringList& stems) {
    static const QStringList pieces =
        QStringLiteral("a|b|A|song|Song|ß|é|É|ﬁ|ς|-| |1|.|mp3|x|\U0001F600").split(u'|');
    static const QStringList extensions = QStringLiteral("|.mp3|.MP3|.wav|.txt|.a|.").split(u'|');
    QString name;
    if (!stems.isEmpty() && rng.bounded(3) == 0) {
        name = pick(rng, stems); // a near copy of an earlier name
        for (int e = int(rng.bounded(3)); e > 0 && !name.isEmpty(); --e) {
            const int at = int(rng.bounded(quint32(name.size())));
            const quint32 kind = rng.bounded(3);
            if (kind == 0)
                name.remove(at, 1);
            else
                name.replace(at, kind == 1 ? 0 : 1, pick(rng, pieces));
        }
    } else {
        for (int k = int(rng.bounded(6)); k > 0; --k)
            name += pick(rng, pieces);
    }
    name += pick(rng, extensions);
    name.replace(QLatin1Char('/'), QLatin1Char('_'));
    if (name.isEmpty() || name.startsWith(QLatin1Char('.')) || name == QLatin1String("Log.txt"))
        name.prepend(QLatin1Char('n'));
    return name;
}

QString matchText(int key, const MatchResult& r) {
    return QStringLiteral("%1:%2/%3/%4").arg(key).arg(r.score).arg(r.base).arg(int(r.method));
}

struct IndexCase {
    bool levenshtein;
    QString percent, group, distance;
    bool upFront, shuffled;
    bool noThreads = false;    // no helper thread can be started
    int blockKeys = 0;         // keys per block of the up-front join, 0: its own choice
    long long budget = -1;     // pairs the join may hold, -1: as many as it likes
    int gramNumbers = 1 << 16; // distinct grams numbered before they share numbers
    bool waitAhead = false;    // new keys' searches all made ahead, on the helper thread
};

} // namespace

Q_DECLARE_METATYPE(IndexCase)

class TestDifferential : public QObject {
    Q_OBJECT
private slots:
    void indexedSearchEqualsThePlainLoop();
    void indexFindsExactlyTheMatchingKeys_data();
    void indexFindsExactlyTheMatchingKeys();
};

void TestDifferential::indexedSearchEqualsThePlainLoop() {
    static const QStringList percents =
        QStringLiteral("0 1 20 33 50 56 67 75 80 90 95 99 100 101 -5 90.5 49.5 abc _").split(u' ');
    static const QStringList groups = QStringLiteral("0 1 2 3 3 4 5 6 -1 x").split(u' ');
    static const QStringList distances = QStringLiteral("0 0 1 1 2 3 4 5 -1 z").split(u' ');
    static const QStringList repeats = QStringLiteral("1 1 2 3 0 4 q").split(u' ');
    static const QStringList contents = {"", "", "a", "b", "abc", "same content", "same content"};

    QRandomGenerator rng(20261206);
    int compared = 0, withRows = 0;
    for (int t = 0; t < 1000; ++t) {
        TestDir dir;
        QStringList stems;
        for (int f = int(rng.bounded(28)); f > 0; --f) {
            const QString folder = rng.bounded(3) == 0 ? QString()
                                   : rng.bounded(2)    ? QStringLiteral("sub/")
                                                       : QStringLiteral("Sub/deeper/");
            stems.append(randomName(rng, stems));
            dir.write(folder + stems.last(), pick(rng, contents).toUtf8());
        }
        for (int s = 0; s < 6; ++s) {
            ScanSettings settings;
            settings.baseFolder = dir.path();
            settings.scanFolder = dir.path() + QLatin1Char('/');
            settings.mode = rng.bounded(2) ? MatchMode::Levenshtein : MatchMode::Characters;
            settings.percent = pick(rng, percents).replace(u'_', QString()); // "_": empty
            settings.groupSize = pick(rng, groups);
            settings.distance = pick(rng, distances);
            settings.repeatMode = pick(rng, repeats);
            settings.ignoreExtensions = rng.bounded(4) != 0;
            settings.checkCRC = rng.bounded(3) == 0;
            const QStringList plain = scan(settings, PairSearch::Reference);
            // Both ways of the indexed search: pairs of different lengths found up front, or
            // file by file as when they are too many to hold.
            const bool upFront = rng.bounded(2) == 0;
            const ScopedService join(upFrontJoinService(), upFront);
            // Joined in blocks of a few keys, and now and then with the pairs running out.
            const ScopedService blocks(joinBlockKeysService(), int(rng.bounded(4)));
            const ScopedService pairs(joinPairBudgetService(),
                                      rng.bounded(3) == 0 ? (long long)rng.bounded(12) : -1LL);
            // Keys and index built on the scan's own thread, as when no thread can be started.
            const ScopedService threads(helperThreadsRefusedService(), rng.bounded(4) == 0);
            const QStringList indexed = scan(settings, PairSearch::Indexed);
            if (plain != indexed)
                QFAIL(qPrintable(QStringLiteral("tree %1 mode %2 percent '%3' group '%4' distance "
                                                "'%5' repeat '%6' ext %7 crc %8 up front %9\n")
                                     .arg(t)
                                     .arg(int(settings.mode))
                                     .arg(settings.percent, settings.groupSize, settings.distance,
                                          settings.repeatMode)
                                     .arg(settings.ignoreExtensions)
                                     .arg(settings.checkCRC)
                                     .arg(upFront) +
                                 plain.join(u'\n') + QStringLiteral("\n--- indexed:\n") +
                                 indexed.join(u'\n')));
            ++compared;
            withRows += plain.at(1).isEmpty() ? 0 : 1;
        }
    }
    qInfo("%d scans compared, %d with rows", compared, withRows);
    QVERIFY(withRows > compared / 4);
}

void TestDifferential::indexFindsExactlyTheMatchingKeys_data() {
    QTest::addColumn<IndexCase>("c");
    const auto row = [](const QByteArray& name, const IndexCase& c) {
        QTest::newRow(name.constData()) << c;
    };
    // The scan activates keys in id order; the index must not depend on it.
    for (const bool shuffled : {false, true}) {
        const QByteArray order = shuffled ? " shuffled" : "";
        for (const char* d : {"0", "1", "2", "3", "5"})
            row("distance " + QByteArray(d) + order, {true, "90", "3", d, true, shuffled});
        for (const char* d : {"1", "5"})
            row("distance " + QByteArray(d) + " searched ahead" + order,
                {true, "90", "3", d, true, shuffled, false, 0, -1, 1 << 16, true});
        for (const char* pct : {"50", "75", "90", "100"})
            for (const char* g : {"1", "2", "3"})
                for (const bool upFront : {true, false})
                    row(QByteArray("percent ") + pct + " group " + g +
                            (upFront ? " up front" : " file by file") + order,
                        {false, pct, g, "0", upFront, shuffled});
        // Blocks joined as the keys come; the pairs running out half way hand the keys so far
        // to the search file by file.
        row("percent 75 group 2, blocks of 7" + order,
            {false, "75", "2", "0", true, shuffled, false, 7});
        row("percent 75 group 2, blocks of 7, pairs run out" + order,
            {false, "75", "2", "0", true, shuffled, false, 7, 300});
    }
    row("percent 75 group 2 up front, no threads", {false, "75", "2", "0", true, false, true});
    row("distance 2 searched ahead, no threads",
        {true, "90", "3", "2", true, false, true, 0, -1, 1 << 16, true});
    // More grams than numbers: grams share them, and pairs are verified by their texts.
    for (const bool upFront : {true, false})
        row(QByteArray("percent 90 group 3, 20 gram numbers") +
                (upFront ? " up front" : " file by file"),
            {false, "90", "3", "0", upFront, false, false, 0, -1, 20});
}

void TestDifferential::indexFindsExactlyTheMatchingKeys() {
    QFETCH(IndexCase, c);
    StopFlag = false; // a scan before may have ended with an error, which raises it
    ScanSettings settings;
    settings.percent = c.percent;
    settings.groupSize = c.group;
    settings.distance = c.distance;
    const MatchNumbers numbers = MatchNumbers::read(settings);
    const MatchMode mode = c.levenshtein ? MatchMode::Levenshtein : MatchMode::Characters;

    // Few letters and near copies, so that many keys share pieces and grams and many match.
    QRandomGenerator rng(7);
    static const QString letters = QStringLiteral("ABC -É");
    const auto letter = [&] { return letters.at(qsizetype(rng.bounded(quint32(letters.size())))); };
    QStringList texts;
    KeyTable keys;
    while (keys.keyCount() < 400) {
        QString text;
        if (!texts.isEmpty() && rng.bounded(2) == 0) {
            text = texts.at(qsizetype(rng.bounded(quint32(texts.size()))));
            for (int e = int(rng.bounded(4)); e > 0; --e) {
                const int at = int(rng.bounded(quint32(text.size() + 1)));
                const QChar ch = letter();
                if (rng.bounded(2) == 0 || at == text.size())
                    text.insert(at, ch);
                else
                    text[at] = ch;
            }
        } else {
            for (int k = 3 + int(rng.bounded(14)); k > 0; --k)
                text += letter();
        }
        if (keys.add(text) == int(texts.size()))
            texts.append(text);
    }
    std::vector<int> order(size_t(keys.keyCount()));
    std::iota(order.begin(), order.end(), 0);
    if (c.shuffled)
        std::shuffle(order.begin(), order.end(), std::mt19937(11));

    const ScopedService join(upFrontJoinService(), c.upFront);
    const ScopedService threads(helperThreadsRefusedService(), c.noThreads);
    const ScopedService blocks(joinBlockKeysService(), c.blockKeys);
    const ScopedService pairs(joinPairBudgetService(), c.budget);
    const ScopedService gramNumbers(gramNumbersService(), c.gramNumbers);
    const ScopedService waitAhead(waitForAheadService(), c.waitAhead);
    const std::unique_ptr<PairCandidates> index = PairCandidates::make(keys, mode, numbers);
    std::vector<int> active;
    std::vector<KeyMatch> found;
    int matches = 0;
    for (const int key : order) {
        // Asked before and after the key itself is an earlier key.
        for (int round = 0; round < 2; ++round) {
            found.clear();
            index->find(key, found);
            QStringList got, want;
            for (const KeyMatch& m : found)
                got << matchText(m.keyId, m.result);
            for (const int other : active) {
                const MatchResult r = MatchNames(texts.at(key), texts.at(other), mode, numbers);
                if (PairVerdict(r, mode, numbers, false))
                    want << matchText(other, r);
            }
            got.sort();
            want.sort();
            QVERIFY2(got == want,
                     qPrintable(texts.at(key) + QStringLiteral("\nfound: ") + got.join(' ') +
                                QStringLiteral("\nwanted: ") + want.join(' ')));
            matches += int(want.size());
            if (round == 0) {
                index->activate(key);
                active.push_back(key);
            }
        }
    }
    // Every key finds itself once it is an earlier key; the other matches are what is tested.
    QVERIFY(matches > keys.keyCount() || (c.levenshtein && c.distance == QLatin1String("0")));
}

QTEST_GUILESS_MAIN(TestDifferential)
#include "test_differential.moc"
