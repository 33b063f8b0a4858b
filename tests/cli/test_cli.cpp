#include "TestDir.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRandomGenerator>
#include <QTest>

#include <csignal>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using nw::test::readRaw;
using nw::test::TestDir;

namespace {

const QByteArray Header = "File1,FSize1,FPath1,pctMatched,File2,FSize2,FPath2,MyMethod\r\n";

struct Run {
    int code = -1; // -2: the process crashed or did not start
    QByteArray out;
    QByteArray err;
};

QProcessEnvironment scanEnvironment() {
    // A fixed locale, so sizes read "1,234.6" on every machine.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    env.insert(QStringLiteral("LANG"), QStringLiteral("C.UTF-8"));
    env.remove(QStringLiteral("LANGUAGE"));
    return env;
}

void prepare(QProcess& p, const QStringList& args, const QString& workDir) {
    p.setProgram(QStringLiteral(NAMEWICK_SCAN));
    p.setArguments(args);
    p.setProcessEnvironment(scanEnvironment());
    if (!workDir.isEmpty())
        p.setWorkingDirectory(workDir);
}

Run runScan(const QStringList& args, const QString& workDir = {}) {
    QProcess p;
    prepare(p, args, workDir);
    p.start();
    Run r;
    if (!p.waitForStarted() || !p.waitForFinished(-1)) {
        r.code = -2;
        return r;
    }
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -2;
    return r;
}

QByteArray rawPath(const QString& path) {
    return QFile::encodeName(path);
}

bool existsRaw(const QByteArray& path) {
    struct stat st;
    return ::lstat(path.constData(), &st) == 0;
}

qint64 sizeRaw(const QByteArray& path) {
    struct stat st;
    return ::lstat(path.constData(), &st) == 0 ? qint64(st.st_size) : -1;
}

void makeParents(const QByteArray& path) {
    for (qsizetype k = path.indexOf('/', 1); k > 0; k = path.indexOf('/', k + 1))
        ::mkdir(path.left(k).constData(), 0755);
}

// Tree entries: "dir/" a folder, "name" an empty file, "name=text", "name#N" N bytes.
// Names are bytes, so they need not be UTF-8.
void makeTree(const QString& root, const QByteArrayList& entries) {
    for (const QByteArray& entry : entries) {
        QByteArray name = entry;
        QByteArray content;
        if (const qsizetype eq = entry.indexOf('='); eq > 0) {
            name = entry.left(eq);
            content = entry.mid(eq + 1);
        } else if (const qsizetype hash = entry.lastIndexOf('#'); hash > 0) {
            name = entry.left(hash);
            content = QByteArray(entry.mid(hash + 1).toInt(), 'x');
        }
        const QByteArray path = rawPath(root) + '/' + name;
        makeParents(path);
        if (name.endsWith('/'))
            continue;
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        QVERIFY2(fd >= 0, path.constData());
        QCOMPARE(::write(fd, content.constData(), size_t(content.size())), ssize_t(content.size()));
        ::close(fd);
    }
}

// A tree to scan, and a second folder outside it (auto-move target, output files).
struct Trees {
    TestDir root;
    TestDir other;
    ~Trees() {}
    QByteArray rootText() const { return rawPath(root.path()) + '/'; }
    QByteArray otherText() const { return rawPath(other.path()) + '/'; }
    // %R: the scanned folder, %D: the other folder, both ending with a separator.
    QByteArray expand(QByteArray text) const {
        return text.replace("%R", rootText()).replace("%D", otherText());
    }
    QByteArray expandLines(const QByteArrayList& lines) const {
        QByteArray out;
        for (const QByteArray& line : lines)
            out += expand(line) + "\r\n";
        return out;
    }
    QStringList expandArgs(const QStringList& args) const {
        QStringList out;
        for (QString arg : args)
            out << arg.replace(QLatin1String("%R"), root.path())
                       .replace(QLatin1String("%D"), other.path());
        return out;
    }
};

QByteArrayList songs() {
    return {"a/song.mp3", "b/song.mp3", "c/song.mp3"};
}

} // namespace

class TestCli : public QObject {
    Q_OBJECT

private slots:
    void csvFormat_data();
    void csvFormat();
    void optionsReachTheScan_data();
    void optionsReachTheScan();
    void jsonOutput_data();
    void jsonOutput();
    void outputFile_data();
    void outputFile();

    void logFile_data();
    void logFile();

    void usageErrors_data();
    void usageErrors();
    void badNumberEndsScanWithError_data();
    void badNumberEndsScanWithError();

    void autoMoveMovesSmallerFile_data();
    void autoMoveMovesSmallerFile();
    void autoMoveStopsWhereFolderCannotBeMade();
    void relativeFoldersReadFromWorkingFolder();

    void interruptCancelsScan();
    void quietWritesOnlyErrors_data();
    void quietWritesOnlyErrors();
    void helpDocumentsEveryOption_data();
    void helpDocumentsEveryOption();

private:
    void addRowColumns();
    void checkRows();
};

void TestCli::addRowColumns() {
    QTest::addColumn<QByteArrayList>("tree");
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QByteArrayList>("rows");
}

void TestCli::checkRows() {
    QFETCH(QByteArrayList, tree);
    QFETCH(QStringList, args);
    QFETCH(QByteArrayList, rows);

    Trees t;
    makeTree(t.root.path(), tree);
    const Run r = runScan(t.expandArgs(args) << t.root.path());
    QCOMPARE(r.code, 0);
    QCOMPARE(r.out, Header + t.expandLines(rows));
}

void TestCli::csvFormat_data() {
    addRowColumns();

    QTest::newRow("no files") << QByteArrayList{} << QStringList{} << QByteArrayList{};
    QTest::newRow("no pair") << QByteArrayList{"song.mp3", "other.mp3"} << QStringList{}
                             << QByteArrayList{};
    QTest::newRow("one pair") << QByteArrayList{"a/song.mp3#10", "b/song.mp3#1250"} << QStringList{}
                              << QByteArrayList{
                                     "song.mp3,1.3,%Rb/,4 chrs,song.mp3,0.0,%Ra/,Same Length"};
    QTest::newRow("groups of names of different length")
        << QByteArrayList{"holiday.jpg", "holidays.jpg"} << QStringList{}
        << QByteArrayList{"holidays.jpg,0.0,%R,5 grps,holiday.jpg,0.0,%R,File 1 Longer"};
    QTest::newRow("comma and quote in folder")
        << QByteArrayList{"q\"u,ote/x.mp3", "q\"u,ote/x.wav"} << QStringList{}
        << QByteArrayList{
               "x.wav,0.0,\"%Rq\"\"u,ote/\",1 chrs,x.mp3,0.0,\"%Rq\"\"u,ote/\",Same Length"};
    QTest::newRow("comma in name")
        << QByteArrayList{"a,b.mp3", "a,b.ogg"} << QStringList{}
        << QByteArrayList{"\"a,b.ogg\",0.0,%R,3 chrs,\"a,b.mp3\",0.0,%R,Same Length"};
    QTest::newRow("quotes in name")
        << QByteArrayList{"say \"hi\".mp3", "say \"hi\".ogg"} << QStringList{}
        << QByteArrayList{"\"say \"\"hi\"\".ogg\",0.0,%R,8 chrs,\"say \"\"hi\"\".mp3\",0.0,%R,"
                          "Same Length"};
    QTest::newRow("grouped size")
        << QByteArrayList{"big.bin#1234567", "big.dat"} << QStringList{}
        << QByteArrayList{"big.dat,0.0,%R,3 chrs,big.bin,\"1,234.6\",%R,Same Length"};
    QTest::newRow("name not valid utf-8")
        << QByteArrayList{"caf\xE9.mp3", "caf\xE9.ogg"} << QStringList{}
        << QByteArrayList{"caf\xE9.ogg,0.0,%R,4 chrs,caf\xE9.mp3,0.0,%R,Same Length"};
    QTest::newRow("utf-8 name") << QByteArrayList{"caf\xC3\xA9.mp3", "caf\xC3\xA9.ogg"}
                                << QStringList{}
                                << QByteArrayList{"caf\xC3\xA9.ogg,0.0,%R,4 chrs,caf\xC3\xA9.mp3,"
                                                  "0.0,%R,Same Length"};
    // Found Bravo, alpha, charlie; listed by File One without regard to case.
    QTest::newRow("sorted by File One")
        << QByteArrayList{"Bravo_1.txt", "Bravo_2.txt",   "alpha_1.txt",
                          "alpha_2.txt", "charlie_1.txt", "charlie_2.txt"}
        << QStringList{QStringLiteral("--percent"), QStringLiteral("80")}
        << QByteArrayList{"alpha_2.txt,0.0,%R,6 chrs,alpha_1.txt,0.0,%R,Same Length",
                          "Bravo_2.txt,0.0,%R,6 chrs,Bravo_1.txt,0.0,%R,Same Length",
                          "charlie_2.txt,0.0,%R,8 chrs,charlie_1.txt,0.0,%R,Same Length"};
}

void TestCli::csvFormat() {
    checkRows();
}

void TestCli::optionsReachTheScan_data() {
    addRowColumns();

    const QByteArrayList nine = {"abcdefghiX.txt", "abcdefghij.txt"}; // 9 of 10 match
    const QByteArrayList ninety = {
        "abcdefghij.txt,0.0,%R,9 chrs,abcdefghiX.txt,0.0,%R,Same Length"};
    const auto percent = [](const char* value) {
        return QStringList{QStringLiteral("--percent"), QString::fromLatin1(value)};
    };
    QTest::newRow("percent 90") << nine << percent("90") << ninety;
    QTest::newRow("percent 90.5 reads 90") << nine << percent("90.5") << ninety;
    QTest::newRow("percent 89.5 reads 90") << nine << percent("89.5") << ninety;
    QTest::newRow("percent 91") << nine << percent("91") << QByteArrayList{};
    QTest::newRow("percent=91.5 reads 92")
        << nine << QStringList{QStringLiteral("--percent=91.5")} << QByteArrayList{};

    const QByteArrayList tracks = {"other.mp3", "track1.mp3", "track12.mp3", "trck1.mp3"};
    const auto distance = [](const char* value) {
        return QStringList{QStringLiteral("--mode"), QStringLiteral("levenshtein"),
                           QStringLiteral("--distance"), QString::fromLatin1(value)};
    };
    QTest::newRow("distance 0") << tracks << distance("0") << QByteArrayList{};
    QTest::newRow("distance 1")
        << tracks << distance("1")
        << QByteArrayList{"track12.mp3,0.0,%R,1,track1.mp3,0.0,%R,Levenshtein Distance",
                          "trck1.mp3,0.0,%R,1,track1.mp3,0.0,%R,Levenshtein Distance"};
    QTest::newRow("distance 2")
        << tracks << distance("2")
        << QByteArrayList{"track12.mp3,0.0,%R,1,track1.mp3,0.0,%R,Levenshtein Distance",
                          "trck1.mp3,0.0,%R,2,track12.mp3,0.0,%R,Levenshtein Distance",
                          "trck1.mp3,0.0,%R,1,track1.mp3,0.0,%R,Levenshtein Distance"};
    QTest::newRow("chars mode by name")
        << tracks << QStringList{QStringLiteral("--mode"), QStringLiteral("chars")}
        << QByteArrayList{"track12.mp3,0.0,%R,4 grps,track1.mp3,0.0,%R,File 1 Longer"};

    const auto repeat = [](const char* value) {
        return QStringList{QStringLiteral("--repeat"), QString::fromLatin1(value)};
    };
    QTest::newRow("repeat 1") << songs() << repeat("1")
                              << QByteArrayList{
                                     "song.mp3,0.0,%Rc/,4 chrs,song.mp3,0.0,%Rb/,Same Length",
                                     "song.mp3,0.0,%Rc/,4 chrs,song.mp3,0.0,%Ra/,Same Length",
                                     "song.mp3,0.0,%Rb/,4 chrs,song.mp3,0.0,%Ra/,Same Length"};
    QTest::newRow("repeat 2") << songs() << repeat("2")
                              << QByteArrayList{
                                     "song.mp3,0.0,%Rb/,4 chrs,song.mp3,0.0,%Ra/,Same Length"};
    QTest::newRow("repeat 3") << songs() << repeat("3")
                              << QByteArrayList{
                                     "song.mp3,0.0,%Rb/,4 chrs,song.mp3,0.0,%Ra/,Same Length"};

    QTest::newRow("extensions ignored")
        << QByteArrayList{"song.mp3", "song.wav"} << QStringList{}
        << QByteArrayList{"song.wav,0.0,%R,4 chrs,song.mp3,0.0,%R,Same Length"};
    QTest::newRow("extensions kept")
        << QByteArrayList{"song.mp3", "song.wav"}
        << QStringList{QStringLiteral("--keep-extensions")} << QByteArrayList{};

    const QStringList crc = {QStringLiteral("--crc")};
    QTest::newRow("crc: equal content, other names")
        << QByteArrayList{"alpha.bin=same", "zulu.bin=same"} << crc
        << QByteArrayList{"zulu.bin,0.0,%R,NA,alpha.bin,0.0,%R,CRC"};
    QTest::newRow("no crc: equal content, other names")
        << QByteArrayList{"alpha.bin=same", "zulu.bin=same"} << QStringList{} << QByteArrayList{};
    QTest::newRow("crc: empty files, other names")
        << QByteArrayList{"alpha.bin", "zulu.bin"} << crc << QByteArrayList{};
    QTest::newRow("crc: empty files, same names")
        << QByteArrayList{"a/song.mp3", "b/song.mp3"} << crc
        << QByteArrayList{"song.mp3,0.0,%Rb/,NA,song.mp3,0.0,%Ra/,CRC"};
    QTest::newRow("crc: same names, other content")
        << QByteArrayList{"a/song.mp3=one", "b/song.mp3=two"} << crc
        << QByteArrayList{"song.mp3,0.0,%Rb/,4 chrs,song.mp3,0.0,%Ra/,Same Length"};
    QTest::newRow("crc: same names, same content")
        << QByteArrayList{"a/song.mp3=one", "b/song.mp3=one"} << crc
        << QByteArrayList{"song.mp3,0.0,%Rb/,NA,song.mp3,0.0,%Ra/,CRC"};
}

void TestCli::optionsReachTheScan() {
    checkRows();
}

void TestCli::jsonOutput_data() {
    QTest::addColumn<QByteArrayList>("tree");
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("status");
    QTest::addColumn<QStringList>("fileOnes");

    QTest::newRow("pairs") << QByteArrayList{"say \"hi\".mp3", "say \"hi\".ogg", "caf\xC3\xA9.mp3",
                                             "caf\xC3\xA9.ogg"}
                           << QStringList{} << 0 << QStringLiteral("Done")
                           << QStringList{QString::fromUtf8("caf\xC3\xA9.ogg"),
                                          QStringLiteral("say \"hi\".ogg")};
    QTest::newRow("empty folder") << QByteArrayList{} << QStringList{} << 0
                                  << QStringLiteral("Done") << QStringList{};
    QTest::newRow("error") << songs() << QStringList{QStringLiteral("--percent=abc")} << 1
                           << QStringLiteral("Error") << QStringList{};
}

void TestCli::jsonOutput() {
    QFETCH(QByteArrayList, tree);
    QFETCH(QStringList, args);
    QFETCH(int, code);
    QFETCH(QString, status);
    QFETCH(QStringList, fileOnes);

    Trees t;
    makeTree(t.root.path(), tree);
    const Run r =
        runScan(args << QStringLiteral("--format") << QStringLiteral("json") << t.root.path());
    QCOMPARE(r.code, code);
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(r.out, &error);
    QVERIFY2(error.error == QJsonParseError::NoError, qPrintable(error.errorString()));
    const QJsonObject top = doc.object();
    QCOMPARE(QStringList(top.keys()), (QStringList{QStringLiteral("found"), QStringLiteral("rows"),
                                                   QStringLiteral("status")}));
    QCOMPARE(top.value(QStringLiteral("status")).toString(), status);
    const QJsonArray rows = top.value(QStringLiteral("rows")).toArray();
    QCOMPARE(top.value(QStringLiteral("found")).toInt(-1), int(rows.size()));

    const QStringList keys = {"File1", "FSize1", "FPath1", "pctMatched",
                              "File2", "FSize2", "FPath2", "MyMethod"};
    QStringList sortedKeys = keys;
    sortedKeys.sort();
    QStringList seen;
    for (const QJsonValue& value : rows) {
        const QJsonObject row = value.toObject();
        QCOMPARE(QStringList(row.keys()), sortedKeys);
        QCOMPARE(row.value(QStringLiteral("FPath1")).toString(), t.root.path() + QLatin1Char('/'));
        QCOMPARE(row.value(QStringLiteral("MyMethod")).toString(), QStringLiteral("Same Length"));
        seen << row.value(QStringLiteral("File1")).toString();
    }
    QCOMPARE(seen, fileOnes);
}

void TestCli::outputFile_data() {
    QTest::addColumn<QString>("format");
    QTest::addColumn<bool>("relative");

    QTest::newRow("csv") << "csv" << false;
    QTest::newRow("json") << "json" << false;
    QTest::newRow("csv, relative to working folder") << "csv" << true;
}

void TestCli::outputFile() {
    QFETCH(QString, format);
    QFETCH(bool, relative);

    Trees t;
    makeTree(t.root.path(), songs());
    const QStringList common = {QStringLiteral("--format"), format, t.root.path()};
    const Run toStdout = runScan(common);
    QCOMPARE(toStdout.code, 0);
    QVERIFY(toStdout.out.size() > Header.size());

    const QString name = relative ? QStringLiteral("pairs.out") : t.other.file("pairs.out");
    const Run toFile =
        runScan(QStringList{QStringLiteral("--output"), name} + common, t.other.path());
    QCOMPARE(toFile.code, 0);
    QCOMPARE(toFile.out, QByteArray());
    QCOMPARE(t.other.read(QStringLiteral("pairs.out")), toStdout.out);
    QVERIFY(!t.root.exists(QStringLiteral("pairs.out")));
}

void TestCli::logFile_data() {
    QTest::addColumn<QByteArrayList>("tree");
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<bool>("oldLog");
    QTest::addColumn<bool>("written");
    QTest::addColumn<QByteArrayList>("lines");

    const QByteArrayList found = {"Same Length: %Rb/song.mp3 <=> %Ra/song.mp3 (4)",
                                  "Same Length: %Rc/song.mp3 <=> %Ra/song.mp3 (4)",
                                  "Same Length: %Rc/song.mp3 <=> %Rb/song.mp3 (4)"};
    const QStringList noLog = {QStringLiteral("--no-log")};
    QTest::newRow("pairs in the order found") << songs() << QStringList{} << false << true << found;
    QTest::newRow("old log replaced") << songs() << QStringList{} << true << true << found;
    QTest::newRow("--no-log keeps the old log")
        << songs() << noLog << true << true << QByteArrayList{"old line"};
    QTest::newRow("--no-log writes none") << songs() << noLog << false << false << QByteArrayList{};
    QTest::newRow("no pair: old log deleted") << QByteArrayList{"song.mp3", "other.mp3"}
                                              << QStringList{} << true << false << QByteArrayList{};
    QTest::newRow("levenshtein score")
        << QByteArrayList{"track1.mp3", "track12.mp3"}
        << QStringList{QStringLiteral("--mode=levenshtein"), QStringLiteral("--distance=1")}
        << false << true
        << QByteArrayList{"Levenshtein Distance: %Rtrack12.mp3 <=> %Rtrack1.mp3 (1)"};
    QTest::newRow("checksum pair keeps the name's label and score")
        << QByteArrayList{"alpha.bin=same", "zulu.bin=same"} << QStringList{QStringLiteral("--crc")}
        << false << true << QByteArrayList{"File 2 Longer: %Rzulu.bin <=> %Ralpha.bin (0)"};
    QTest::newRow("name not valid utf-8")
        << QByteArrayList{"caf\xE9.mp3", "caf\xE9.ogg"} << QStringList{} << false << true
        << QByteArrayList{"Same Length: %Rcaf\xE9.ogg <=> %Rcaf\xE9.mp3 (4)"};
}

void TestCli::logFile() {
    QFETCH(QByteArrayList, tree);
    QFETCH(QStringList, args);
    QFETCH(bool, oldLog);
    QFETCH(bool, written);
    QFETCH(QByteArrayList, lines);

    Trees t;
    makeTree(t.root.path(), tree);
    if (oldLog)
        t.root.write(QStringLiteral("Log.txt"), "old line\r\n");
    const Run r = runScan(args << t.root.path());
    QCOMPARE(r.code, 0);
    QCOMPARE(t.root.exists(QStringLiteral("Log.txt")), written);
    QCOMPARE(readRaw(t.rootText() + "Log.txt"), t.expandLines(lines));
}

void TestCli::usageErrors_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("message");

    const QString root = QStringLiteral("%R");
    QTest::newRow("unknown option")
        << QStringList{QStringLiteral("--bogus"), root} << "unknown option --bogus";
    QTest::newRow("unknown short option")
        << QStringList{QStringLiteral("-x"), root} << "unknown option -x";
    QTest::newRow("bad mode") << QStringList{QStringLiteral("--mode"), QStringLiteral("fuzzy"),
                                             root}
                              << "--mode";
    QTest::newRow("bad format") << QStringList{QStringLiteral("--format=xml"), root} << "--format";
    QTest::newRow("value missing")
        << QStringList{root, QStringLiteral("--percent")} << "--percent needs a value";
    QTest::newRow("no folder") << QStringList{} << "no folder given";
    QTest::newRow("two folders") << QStringList{root, root} << "one folder only";
    QTest::newRow("folder missing")
        << QStringList{QStringLiteral("%R/nothing")} << "no such folder";
    QTest::newRow("folder is a file")
        << QStringList{QStringLiteral("%R/a/song.mp3")} << "no such folder";
    QTest::newRow("output folder missing")
        << QStringList{QStringLiteral("--output"), QStringLiteral("%D/nothing/out.csv"), root}
        << "out.csv";
    QTest::newRow("auto-move folder missing")
        << QStringList{QStringLiteral("--auto-move"), QStringLiteral("%D/nothing"), root}
        << "no such folder";
    QTest::newRow("auto-move inside scanned folder")
        << QStringList{QStringLiteral("--auto-move"), QStringLiteral("%R/dupes"), root}
        << "Directory cannot be inside search path!";
    QTest::newRow("auto-move to scanned folder")
        << QStringList{QStringLiteral("--auto-move"), QStringLiteral("%R/"), root}
        << "Directory cannot be inside search path!";
}

void TestCli::usageErrors() {
    QFETCH(QStringList, args);
    QFETCH(QString, message);

    Trees t;
    makeTree(t.root.path(), songs() << "dupes/"
                                    << "Log.txt=old line\r\n");
    const Run r = runScan(t.expandArgs(args));
    QCOMPARE(r.code, 2);
    QCOMPARE(r.out, QByteArray());
    QVERIFY2(r.err.contains(message.toUtf8()), r.err.constData());
    QCOMPARE(t.root.read(QStringLiteral("Log.txt")), QByteArray("old line\r\n"));
    QVERIFY(!t.root.exists(QStringLiteral("Move.txt")));
    QVERIFY(t.root.exists(QStringLiteral("a/song.mp3")));
    QVERIFY(t.root.exists(QStringLiteral("c/song.mp3")));
    QCOMPARE(QDir(t.other.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             QStringList());
}

void TestCli::badNumberEndsScanWithError_data() {
    QTest::addColumn<QByteArrayList>("tree");
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("error");

    const auto opts = [](std::initializer_list<const char*> list) {
        QStringList out;
        for (const char* s : list)
            out << QString::fromLatin1(s);
        return out;
    };
    const QByteArrayList pair = {"a/song.mp3", "b/song.mp3"};
    const QByteArrayList lengths = {"holiday.jpg", "holidays.jpg"};
    QTest::newRow("percent not a number") << pair << opts({"--percent", "abc"}) << 13;
    QTest::newRow("percent empty") << pair << opts({"--percent="}) << 13;
    QTest::newRow("percent too large") << pair << opts({"--percent", "40000"}) << 6;
    QTest::newRow("distance not a number")
        << pair << opts({"--mode", "levenshtein", "--distance", "abc"}) << 13;
    QTest::newRow("repeat not a number") << pair << opts({"--repeat", "abc"}) << 13;
    QTest::newRow("group not a number") << lengths << opts({"--group", "abc"}) << 13;
    QTest::newRow("group negative") << lengths << opts({"--group", "-1"}) << 5;
}

void TestCli::badNumberEndsScanWithError() {
    QFETCH(QByteArrayList, tree);
    QFETCH(QStringList, args);
    QFETCH(int, error);

    Trees t;
    makeTree(t.root.path(), tree);
    const Run r = runScan(args << t.root.path());
    QCOMPARE(r.code, 1);
    QCOMPARE(r.out, Header);
    const QList<QByteArray> lines = r.err.split('\n');
    QVERIFY2(lines.contains("Error"), r.err.constData());
    QVERIFY2(lines.contains("Found: 0"), r.err.constData());
    QVERIFY2(r.err.contains("error: frmMain ScanDir_Click " + QByteArray::number(error) + ' '),
             r.err.constData());
}

void TestCli::autoMoveMovesSmallerFile_data() {
    QTest::addColumn<bool>("taken");

    QTest::newRow("all destinations free") << false;
    QTest::newRow("one destination name taken") << true;
}

void TestCli::autoMoveMovesSmallerFile() {
    QFETCH(bool, taken);

    Trees t;
    // Listed in this order; the pairs are (small, big), (zz/caf, caf), (zz/top, top).
    makeTree(t.root.path(), {"big/song.mp3#5000", "caf\xE9.mp3#100", "small/song.mp3#100",
                             "top.mp3#1000", "zz/caf\xE9.mp3#4000", "zz/top.mp3#3000"});
    if (taken)
        t.other.write(QStringLiteral("top.mp3"), "already here");

    const Run r = runScan({QStringLiteral("--auto-move"), t.other.path(), t.root.path()});
    QCOMPARE(r.code, 0);
    QCOMPARE(r.out.count("\r\n"), 4);

    // Newest pair first: the pass works on the list as the scan left it.
    QByteArrayList moves;
    if (!taken)
        moves << "Move: %Rtop.mp3 to %D";
    moves << "Move: %Rcaf\xE9.mp3 to %D"
          << "Move: %Rsmall/song.mp3 to %Dsmall/";
    QCOMPARE(readRaw(t.rootText() + "Move.txt"), t.expandLines(moves));

    QCOMPARE(sizeRaw(t.otherText() + "small/song.mp3"), qint64(100));
    QCOMPARE(sizeRaw(t.otherText() + "caf\xE9.mp3"), qint64(100));
    QVERIFY(!existsRaw(t.rootText() + "small/song.mp3"));
    QVERIFY(!existsRaw(t.rootText() + "caf\xE9.mp3"));
    if (taken) {
        QCOMPARE(t.other.read(QStringLiteral("top.mp3")), QByteArray("already here"));
        QCOMPARE(sizeRaw(t.rootText() + "top.mp3"), qint64(1000));
    } else {
        QCOMPARE(sizeRaw(t.otherText() + "top.mp3"), qint64(1000));
        QVERIFY(!existsRaw(t.rootText() + "top.mp3"));
    }
    for (const char* kept : {"big/song.mp3", "zz/top.mp3", "zz/caf\xE9.mp3"})
        QVERIFY2(existsRaw(t.rootText() + kept), kept);
}

void TestCli::autoMoveStopsWhereFolderCannotBeMade() {
    Trees t;
    // The smaller file would go two levels below the target, whose first level is missing.
    makeTree(t.root.path(), {"p/q/song.mp3#100", "song.mp3#5000"});
    const Run r = runScan({QStringLiteral("--auto-move"), t.other.path(), t.root.path()});
    QCOMPARE(r.code, 1);
    QVERIFY2(r.err.contains("error: frmMain ScanDir_Click 76 "), r.err.constData());
    QVERIFY(r.err.split('\n').contains("Error"));
    QCOMPARE(r.out.count("\r\n"), 2); // the row stays
    QCOMPARE(sizeRaw(t.rootText() + "p/q/song.mp3"), qint64(100));
    QVERIFY(!t.root.exists(QStringLiteral("Move.txt")));
    QCOMPARE(QDir(t.other.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             QStringList());
}

void TestCli::relativeFoldersReadFromWorkingFolder() {
    Trees t;
    makeTree(t.root.path(), {"big.mp3#5000", "big.ogg#100"});
    const QString target = QDir(t.root.path()).relativeFilePath(t.other.path());
    QVERIFY(target.startsWith(QLatin1String("../")));
    const Run r =
        runScan({QStringLiteral("--auto-move"), target, QStringLiteral(".")}, t.root.path());
    QCOMPARE(r.code, 0);
    QCOMPARE(r.out, Header + t.expand("big.ogg,0.1,%R,3 chrs,big.mp3,5.0,%R,Same Length\r\n"));
    QCOMPARE(readRaw(t.rootText() + "Move.txt"), t.expand("Move: %Rbig.ogg to %D\r\n"));
    QCOMPARE(readRaw(t.rootText() + "Log.txt"),
             t.expand("Same Length: %Rbig.ogg <=> %Rbig.mp3 (3)\r\n"));
    QCOMPARE(sizeRaw(t.otherText() + "big.ogg"), qint64(100));
}

void TestCli::interruptCancelsScan() {
    Trees t;
    // Similar names keep every pair in play; the first two match at once and mark the start.
    t.root.write(QStringLiteral("aaaa_1.txt"));
    t.root.write(QStringLiteral("aaaa_2.txt"));
    QRandomGenerator gen(1);
    for (int k = 0; k < 3000; ++k) {
        QString stem;
        for (int c = 0; c < 6; ++c)
            stem += QChar(u'a' + gen.bounded(26));
        t.root.write(QStringLiteral("photo_%1_%2.jpg").arg(stem).arg(k % 10));
    }

    QProcess p;
    prepare(p,
            {QStringLiteral("--mode"), QStringLiteral("levenshtein"), QStringLiteral("--distance"),
             QStringLiteral("3"), QStringLiteral("--format"), QStringLiteral("json"),
             t.root.path()},
            {});
    p.start();
    QVERIFY(p.waitForStarted());
    const QString log = t.root.file(QStringLiteral("Log.txt"));
    while (p.state() != QProcess::NotRunning && !QFile::exists(log))
        p.waitForFinished(5);
    if (p.state() == QProcess::NotRunning)
        QSKIP("the scan ended before it could be interrupted");
    QCOMPARE(::kill(pid_t(p.processId()), SIGINT), 0);
    QVERIFY(p.waitForFinished(-1));
    QCOMPARE(p.exitStatus(), QProcess::NormalExit);
    if (p.exitCode() == 0)
        QSKIP("the scan ended before the signal landed");
    QCOMPARE(p.exitCode(), 130);

    const QJsonObject top = QJsonDocument::fromJson(p.readAllStandardOutput()).object();
    QCOMPARE(top.value(QStringLiteral("status")).toString(), QStringLiteral("Canceled"));
    const int found = top.value(QStringLiteral("found")).toInt(-1);
    QVERIFY(found >= 1);
    QCOMPARE(t.root.read(QStringLiteral("Log.txt")).count("\r\n"), found);
    const QList<QByteArray> err = p.readAllStandardError().split('\n');
    QVERIFY(err.contains("Canceled"));
}

void TestCli::quietWritesOnlyErrors_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QByteArray>("err");

    const auto opts = [](std::initializer_list<const char*> list) {
        QStringList args;
        for (const char* a : list)
            args << QString::fromLatin1(a);
        return args;
    };
    QTest::newRow("done") << opts({"--quiet"}) << QByteArray();
    QTest::newRow("error still shown")
        << opts({"--quiet", "--percent", "abc"}) << QByteArray("error: frmMain ScanDir_Click 13 ");
}

void TestCli::quietWritesOnlyErrors() {
    QFETCH(QStringList, args);
    QFETCH(QByteArray, err);

    Trees t;
    makeTree(t.root.path(), songs());
    const Run r = runScan(args << t.root.path());
    QCOMPARE(r.code, err.isEmpty() ? 0 : 1);
    QVERIFY2(err.isEmpty() ? r.err.isEmpty() : r.err.startsWith(err), r.err.constData());
}

void TestCli::helpDocumentsEveryOption_data() {
    QTest::addColumn<QString>("option");
    QTest::addColumn<QStringList>("args");

    const auto row = [](const char* option, QStringList args) {
        QTest::newRow(option) << QString::fromLatin1(option) << args;
    };
    row("--mode", {QStringLiteral("--mode"), QStringLiteral("levenshtein")});
    row("--percent", {QStringLiteral("--percent"), QStringLiteral("50")});
    row("--group", {QStringLiteral("--group"), QStringLiteral("2")});
    row("--distance", {QStringLiteral("--distance"), QStringLiteral("2")});
    row("--repeat", {QStringLiteral("--repeat"), QStringLiteral("3")});
    row("--keep-extensions", {QStringLiteral("--keep-extensions")});
    row("--crc", {QStringLiteral("--crc")});
    row("--auto-move", {QStringLiteral("--auto-move"), QStringLiteral("%D")});
    row("--no-log", {QStringLiteral("--no-log")});
    row("--format", {QStringLiteral("--format"), QStringLiteral("json")});
    row("--output", {QStringLiteral("--output"), QStringLiteral("%D/out.csv")});
    row("--quiet", {QStringLiteral("--quiet")});
    row("--help", {QStringLiteral("--help")});
    row("--version", {QStringLiteral("--version")});
}

void TestCli::helpDocumentsEveryOption() {
    QFETCH(QString, option);
    QFETCH(QStringList, args);

    const Run help = runScan({QStringLiteral("--help")});
    QCOMPARE(help.code, 0);
    QVERIFY(help.out.startsWith("Usage: namewick-scan"));
    QVERIFY2(help.out.contains("\n  " + option.toLatin1() + ' '), qPrintable(option));
    const QByteArray examples = help.out.mid(help.out.indexOf("\nExamples:\n"));
    if (option != QLatin1String("--help") && option != QLatin1String("--version"))
        QVERIFY2(examples.contains("namewick-scan ") &&
                     examples.contains(' ' + option.toLatin1() + ' '),
                 qPrintable(option + QStringLiteral(" has no example")));

    QFile manual(QStringLiteral(NAMEWICK_SCAN_MAN));
    QVERIFY(manual.open(QIODevice::ReadOnly));
    QByteArray troffName = option.toLatin1();
    troffName.replace('-', "\\-");
    QVERIFY2(manual.readAll().contains(troffName),
             qPrintable(option + QStringLiteral(" not in the manual")));

    // What the help names, the parser takes.
    Trees t;
    makeTree(t.root.path(), songs());
    const Run r = runScan(t.expandArgs(args) << t.root.path());
    QCOMPARE(r.code, 0);
    QVERIFY(!r.out.isEmpty() || option == QLatin1String("--output"));
}

QTEST_GUILESS_MAIN(TestCli)
#include "test_cli.moc"
