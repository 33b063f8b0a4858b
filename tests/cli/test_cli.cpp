#include "support/TestDir.h"
#include "support/Unprivileged.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRandomGenerator>
#include <QTest>

#include <algorithm>
#include <csignal>
#include <fcntl.h>
#include <optional>
#include <pty.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>

using nw::test::makeUnprivileged;
using nw::test::ModeGuard;
using nw::test::readRaw;
using nw::test::TestDir;

namespace {

const QByteArray Header = "File1,FSize1,FPath1,pctMatched,File2,FSize2,FPath2,MyMethod\r\n";
const QByteArrayList Songs = {"a/song.mp3", "b/song.mp3", "c/song.mp3"};

// Arguments split at blanks; '' is an empty one.
QStringList words(const char* text) {
    return QString::fromUtf8(text)
        .split(QLatin1Char(' '), Qt::SkipEmptyParts)
        .replaceInStrings(QStringLiteral("''"), QString());
}

// What a non-blocking descriptor has to give now.
QByteArray readAvailable(int fd) {
    QByteArray out;
    char buffer[4096];
    for (ssize_t n; fd >= 0 && (n = ::read(fd, buffer, sizeof buffer)) > 0;)
        out.append(buffer, n);
    return out;
}

// A new terminal: the program writes to slave, what it showed is read from master.
struct Terminal {
    int master = -1;
    int slave = -1;
    Terminal() {
        ::openpty(&master, &slave, nullptr, nullptr, nullptr);
        ::fcntl(master, F_SETFD, FD_CLOEXEC);
        ::fcntl(slave, F_SETFD, FD_CLOEXEC);
        ::fcntl(master, F_SETFL, O_NONBLOCK);
    }
    ~Terminal() {
        ::close(master);
        ::close(slave);
    }
};

void prepare(QProcess& p, const QStringList& args, const QString& workDir) {
    // A fixed locale, so sizes read "1,234.6" on every machine.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    env.insert(QStringLiteral("LANG"), QStringLiteral("C.UTF-8"));
    env.remove(QStringLiteral("LANGUAGE"));
    p.setProcessEnvironment(env);
    p.setProgram(QStringLiteral(NAMEWICK_SCAN));
    p.setArguments(args);
    p.setWorkingDirectory(workDir);
}

struct Run {
    int code = -2; // -2: the process crashed or did not start
    QByteArray out;
    QByteArray err;
};

// Nobody: a user whom permission bits stop, when the tests run as root. Terminal: standard
// output and error on one new terminal, out what it showed.
enum class As { Caller, Nobody, Terminal };

Run runScan(const QStringList& args, const QString& workDir = {}, As as = As::Caller) {
    QProcess p;
    prepare(p, args, workDir);
    if (as == As::Nobody)
        makeUnprivileged(p);
    std::optional<Terminal> terminal;
    if (as == As::Terminal)
        p.setChildProcessModifier([slave = terminal.emplace().slave] {
            ::dup2(slave, STDOUT_FILENO);
            ::dup2(slave, STDERR_FILENO);
        });
    p.start();
    Run r;
    if (p.waitForStarted() && p.waitForFinished(-1) && p.exitStatus() == QProcess::NormalExit)
        r.code = p.exitCode();
    r.out = terminal ? readAvailable(terminal->master) : p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

// Whether the process is waiting in a write to its standard error, by the kernel's account.
bool writingToStderr(qint64 pid) {
    QFile f(QStringLiteral("/proc/%1/syscall").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const QList<QByteArray> call = f.readAll().split(' ');
    return call.size() > 1 && call[0] == QByteArray::number(SYS_write) && call[1] == "0x2";
}

// Tree entries: "name" an empty file, "name#N" one of N bytes. Names are bytes, so they need
// not be UTF-8.
void makeTree(const QString& root, const QByteArrayList& entries) {
    for (const QByteArray& entry : entries) {
        const qsizetype hash = entry.lastIndexOf('#');
        const QByteArray path =
            QFile::encodeName(root) + '/' + (hash > 0 ? entry.left(hash) : entry);
        for (qsizetype k = path.indexOf('/', 1); k > 0; k = path.indexOf('/', k + 1))
            ::mkdir(path.left(k).constData(), 0755);
        const QByteArray content(hash > 0 ? entry.mid(hash + 1).toInt() : 0, 'x');
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
    QByteArray rootText() const { return QFile::encodeName(root.path()) + '/'; }
    QByteArray otherText() const { return QFile::encodeName(other.path()) + '/'; }
    // %R: the scanned folder, %D: the other folder, both ending with a separator.
    QByteArray expand(QByteArray text) const {
        return text.replace("%R", rootText()).replace("%D", otherText());
    }
    QStringList expandArgs(const QStringList& args) const {
        QStringList out;
        for (QString arg : args)
            out << arg.replace(QLatin1String("%R"), root.path())
                       .replace(QLatin1String("%D"), other.path());
        return out;
    }
};

} // namespace

class TestCli : public QObject {
    Q_OBJECT

private slots:
    void output_data() {
        QTest::addColumn<QByteArrayList>("tree");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("code");
        QTest::addColumn<QByteArray>("out"); // %R: the scanned folder
        QTest::addColumn<QByteArray>("err"); // null: not compared
        const auto row = [](const char* name, const QByteArrayList& tree, const char* args,
                            const QByteArray& out, int code = 0, const QByteArray& err = {}) {
            QTest::newRow(name) << tree << words(args) << code << out << err;
        };
        const auto csv = [](const QByteArray& line) {
            return Header + line + (line.isEmpty() ? "" : "\r\n");
        };

        row("one pair", {"a/song.mp3#10", "b/song.mp3#1250"}, "",
            csv("song.mp3,1.3,%Rb/,4 chrs,song.mp3,0.0,%Ra/,Same Length"), 0, "Done\nFound: 1\n");
        row("comma and quote in folder", {"q\"u,ote/x.mp3", "q\"u,ote/x.wav"}, "",
            csv("x.wav,0.0,\"%Rq\"\"u,ote/\",1 chrs,x.mp3,0.0,\"%Rq\"\"u,ote/\",Same Length"));
        // A comma without a quote is quoted too.
        row("grouped size", {"big.bin#1234567", "big.dat"}, "",
            csv("big.dat,0.0,%R,3 chrs,big.bin,\"1,234.6\",%R,Same Length"));
        row("name not valid utf-8", {"caf\xE9.mp3", "caf\xE9.ogg"}, "",
            csv("caf\xE9.ogg,0.0,%R,4 chrs,caf\xE9.mp3,0.0,%R,Same Length"));
        // Not a terminal: the exact bytes.
        row("control characters in name", {"a\nb\x1b\x7f.mp3", "a\nb\x1b\x7f.ogg"}, "",
            csv("\"a\nb\x1b\x7f.ogg\",0.0,%R,5 chrs,\"a\nb\x1b\x7f.mp3\",0.0,%R,Same Length"));

        // Options reach the scan: but for --mode chars, the defaults would give other rows.
        row("--percent 80", {"alpha_1.txt", "alpha_2.txt"}, "--percent 80",
            csv("alpha_2.txt,0.0,%R,6 chrs,alpha_1.txt,0.0,%R,Same Length"));
        // 9 of 10 characters match, a pair at 90.
        row("--percent=91.5", {"abcdefghiX.txt", "abcdefghij.txt"}, "--percent=91.5", csv({}));
        const QByteArrayList lengths = {"holiday.jpg", "holidays.jpg"};
        row("--mode chars", lengths, "--mode chars",
            csv("holidays.jpg,0.0,%R,5 grps,holiday.jpg,0.0,%R,File 1 Longer"));
        row("--group 2", lengths, "--group 2",
            csv("holidays.jpg,0.0,%R,6 grps,holiday.jpg,0.0,%R,File 1 Longer"));
        row("--distance 2", {"track1.mp3", "trck12.mp3"}, "--mode levenshtein --distance 2",
            csv("trck12.mp3,0.0,%R,2,track1.mp3,0.0,%R,Levenshtein Distance"));
        row("--repeat 2", Songs, "--repeat 2",
            csv("song.mp3,0.0,%Rb/,4 chrs,song.mp3,0.0,%Ra/,Same Length"));
        row("--keep-extensions", {"song.mp3", "song.wav"}, "--keep-extensions", csv({}));
        row("--crc", {"alpha.bin#4", "zulu.bin#4"}, "--crc",
            csv("zulu.bin,0.0,%R,NA,alpha.bin,0.0,%R,CRC"));
        row("json", {"say \"hi\".mp3", "say \"hi\".ogg", "caf\xC3\xA9.mp3", "caf\xC3\xA9.ogg"},
            "--format json",
            "{\"status\": \"Done\", \"found\": 2, \"rows\": [\n"
            "  {\"File1\": \"caf\xC3\xA9.ogg\", \"FSize1\": \"0.0\", \"FPath1\": \"%R\", "
            "\"pctMatched\": \"4 chrs\", \"File2\": \"caf\xC3\xA9.mp3\", \"FSize2\": \"0.0\", "
            "\"FPath2\": \"%R\", \"MyMethod\": \"Same Length\"},\n"
            "  {\"File1\": \"say \\\"hi\\\".ogg\", \"FSize1\": \"0.0\", \"FPath1\": \"%R\", "
            "\"pctMatched\": \"8 chrs\", \"File2\": \"say \\\"hi\\\".mp3\", \"FSize2\": \"0.0\", "
            "\"FPath2\": \"%R\", \"MyMethod\": \"Same Length\"}\n]}\n");

        // A number that cannot be read ends the scan with an error when it is first needed.
        const QByteArray mismatch = "error: frmMain ScanDir_Click 13 Type mismatch";
        const QByteArrayList pair = {"a/song.mp3", "b/song.mp3"};
        row("--percent abc", pair, "--percent abc", Header, 1,
            mismatch + ": abc\nError\nFound: 0\n");
        row("--percent= is empty", pair, "--percent=", Header, 1, mismatch + "\nError\nFound: 0\n");
        row("--quiet: the error alone", pair, "--quiet --percent abc", Header, 1,
            mismatch + ": abc\n");
        row("json, error", pair, "--format=json --percent=abc",
            "{\"status\": \"Error\", \"found\": 0, \"rows\": []}\n", 1);
    }
    void output() {
        QFETCH(QByteArrayList, tree);
        QFETCH(QStringList, args);
        QFETCH(int, code);
        QFETCH(QByteArray, out);
        QFETCH(QByteArray, err);

        Trees t;
        makeTree(t.root.path(), tree);
        const Run r = runScan(args << t.root.path());
        QCOMPARE(r.code, code);
        QCOMPARE(r.out, t.expand(out));
        if (!err.isNull())
            QCOMPARE(r.err, err);
    }

    // Any other file than a device or FIFO is replaced by what standard output would get; a
    // relative name is read from the working folder. With --no-log the old log stays as it was.
    void outputFileReplacedLogKept() {
        Trees t;
        makeTree(t.root.path(), Songs);
        t.other.write(QStringLiteral("pairs.csv"), "old content");
        t.root.write(QStringLiteral("Log.txt"), "old line\r\n");
        const Run r =
            runScan(words("--no-log --output pairs.csv") << t.root.path(), t.other.path());
        QCOMPARE(r.code, 0);
        QCOMPARE(r.out, QByteArray());
        QCOMPARE(t.root.read(QStringLiteral("Log.txt")), QByteArray("old line\r\n"));
        QCOMPARE(t.other.read(QStringLiteral("pairs.csv")), runScan({t.root.path()}).out);
    }

    // Results of several pieces arrive whole and in order, to standard output and to a file.
    void resultsOfManyPieces_data() {
        QTest::addColumn<bool>("json");
        QTest::addColumn<bool>("toFile");
        for (const bool json : {false, true})
            for (const bool toFile : {false, true})
                QTest::addRow("%s to %s", json ? "json" : "csv", toFile ? "a file" : "stdout")
                    << json << toFile;
    }
    void resultsOfManyPieces() {
        QFETCH(bool, json);
        QFETCH(bool, toFile);
        constexpr int Folders = 200; // every two of them a row: several pieces of rows and text
        Trees t;
        QByteArrayList tree;
        for (int k = 0; k < Folders; ++k)
            tree << QByteArray("album ") + QByteArray::number(k).rightJustified(3, '0') +
                        "/same name.mp3";
        makeTree(t.root.path(), tree);
        QStringList args = words("--no-log --mode levenshtein");
        if (json)
            args << QStringLiteral("--format") << QStringLiteral("json");
        if (toFile)
            args << QStringLiteral("--output") << t.other.path() + QStringLiteral("/pairs");
        const Run r = runScan(args << t.root.path());
        QCOMPARE(r.code, 0);
        const QByteArray out = toFile ? t.other.read(QStringLiteral("pairs")) : r.out;

        // Each later file is paired with every earlier one, the latest first.
        QStringList expected;
        for (int later = Folders - 1; later > 0; --later)
            for (int earlier = later - 1; earlier >= 0; --earlier)
                expected << QString::number(later) + QLatin1Char('-') + QString::number(earlier);
        const auto album = [](QStringView path) {
            return QString::number(path.mid(path.lastIndexOf(u"album ") + 6, 3).toInt());
        };
        QStringList pairs;
        if (json) {
            QJsonParseError error;
            const QJsonObject o = QJsonDocument::fromJson(out, &error).object();
            QVERIFY2(error.error == QJsonParseError::NoError, qPrintable(error.errorString()));
            QCOMPARE(o.value(QStringLiteral("found")).toInt(), expected.size());
            for (const QJsonValue row : o.value(QStringLiteral("rows")).toArray())
                pairs << album(row[QStringLiteral("FPath1")].toString()) + QLatin1Char('-') +
                             album(row[QStringLiteral("FPath2")].toString());
        } else {
            QVERIFY(out.endsWith("\r\n"));
            QByteArrayList lines = out.split('\n');
            lines.removeLast();
            lines.removeFirst(); // the header
            for (const QByteArray& line : lines) {
                const QList<QByteArray> cells = line.split(',');
                QCOMPARE(cells.size(), 8);
                pairs << album(QString::fromUtf8(cells[2])) + QLatin1Char('-') +
                             album(QString::fromUtf8(cells[6]));
            }
        }
        QCOMPARE(pairs, expected);
    }

    void outputIntoSpecialFile_data() {
        QTest::addColumn<int>("device"); // minor number of a memory device (major 1); 0: a FIFO
        QTest::addColumn<bool>("link");
        QTest::addColumn<int>("code");

        QTest::newRow("fifo") << 0 << false << 0;
        QTest::newRow("link to a fifo") << 0 << true << 0;
        QTest::newRow("null device") << 3 << false << 0;
        QTest::newRow("full device: the write fails") << 7 << false << 1;
    }
    void outputIntoSpecialFile() {
        QFETCH(int, device);
        QFETCH(bool, link);
        QFETCH(int, code);

        Trees t;
        makeTree(t.root.path(), Songs);
        QByteArray node = t.otherText() + "node";
        const auto opens = [](const QByteArray& path) {
            const int fd = ::open(path.constData(), O_WRONLY | O_CLOEXEC);
            return fd >= 0 && ::close(fd) == 0;
        };
        if (!device) {
            QCOMPARE(::mkfifo(node.constData(), 0600), 0);
        } else if (::mknod(node.constData(), S_IFCHR | 0600, makedev(1, unsigned(device))) != 0 ||
                   !opens(node)) {
            // No privilege to make one, or a temporary folder mounted nodev: the system's own.
            ::unlink(node.constData());
            node = device == 3 ? "/dev/null" : "/dev/full";
        }
        const QByteArray linkPath = t.otherText() + "link";
        if (link)
            QCOMPARE(::symlink(node.constData(), linkPath.constData()), 0);

        // Held open, so the program's open does not wait, and what it writes waits in the pipe.
        const int reader =
            device ? -1 : ::open(node.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        const Run r = runScan(
            {QStringLiteral("--output"), QFile::decodeName(link ? linkPath : node), t.root.path()});
        const QByteArray received = readAvailable(reader);
        ::close(reader);

        QCOMPARE(r.code, code);
        QCOMPARE(r.err.contains("could not be written"), code != 0);
        struct stat st;
        QCOMPARE(::lstat(node.constData(), &st), 0);
        QCOMPARE(st.st_mode & S_IFMT, device ? mode_t(S_IFCHR) : mode_t(S_IFIFO));
        if (link)
            QVERIFY(::lstat(linkPath.constData(), &st) == 0 && S_ISLNK(st.st_mode));
        if (!device)
            QCOMPARE(received, runScan({t.root.path()}).out);
    }

    void refusedBeforeScan_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QByteArray>("message");
        QTest::addColumn<int>("code");
        QTest::addColumn<bool>("unprivileged");
        const auto row = [](const char* name, const QByteArray& args, const QByteArray& message,
                            int code = 2, bool unprivileged = false) {
            QTest::newRow(name) << words(args.constData()) << message << code << unprivileged;
        };

        row("unknown option", "--bogus %R", "unknown option --bogus");
        row("unknown short option", "-x %R", "unknown option -x");
        row("bad mode", "--mode fuzzy %R", "--mode");
        row("bad format", "--format=xml %R", "--format");
        row("value missing", "%R --percent", "--percent needs a value");
        for (const char* arg : {"--crc=no", "--quiet=no", "--no-log=1",
                                "--keep-extensions=", "--help=x", "--version=1"}) {
            row(arg, arg + QByteArray(" %R"),
                QByteArray(arg).split('=').first() + " takes no value");
        }
        row("no folder", "", "no folder given");
        row("two folders", "%R %R", "one folder only");
        row("folder missing", "%R/nothing", "no such folder");
        row("folder is a file", "%R/a/song.mp3", "no such folder");
        // The working folder is the scanned tree here: an empty name must not mean it.
        row("empty folder", "''", "the folder name is empty");
        row("empty folder with auto-move", "--auto-move %D ''", "the folder name is empty");
        row("empty folder after --", "-- ''", "the folder name is empty");
        row("empty auto-move folder", "--auto-move= %R", "--auto-move needs a folder");
        row("auto-move folder missing", "--auto-move %D/nothing %R", "no such folder");
        row("auto-move inside scanned folder", "--auto-move %R/a %R",
            "Directory cannot be inside search path!");
        row("auto-move to scanned folder", "--auto-move %R/ %R",
            "Directory cannot be inside search path!");

        // Good usage, but the results would have nowhere to go: a failed run, found before the scan
        // and before any file is moved.
        row("output folder missing", "--auto-move %D --output %D/nothing/out.csv %R",
            "nothing/out.csv: ", 1);
        row("output below a file", "--auto-move %D --output %R/a/song.mp3/out.csv %R",
            "song.mp3/out.csv: ", 1);
        row("output is a folder", "--auto-move %D --output %D %R", "Is a directory", 1);
        row("output folder not writable", "--output %D/out.csv %R", "out.csv: ", 1, true);
    }
    void refusedBeforeScan() {
        QFETCH(QStringList, args);
        QFETCH(QByteArray, message);
        QFETCH(int, code);
        QFETCH(bool, unprivileged);

        Trees t;
        makeTree(t.root.path(), Songs);
        t.root.write(QStringLiteral("Log.txt"), "old line\r\n");
        std::optional<ModeGuard> readOnly;
        if (unprivileged) {
            QCOMPARE(::chmod(t.rootText().constData(), 0755), 0);
            readOnly.emplace(t.other.path(), 0555);
        }
        const Run r =
            runScan(t.expandArgs(args), t.root.path(), unprivileged ? As::Nobody : As::Caller);
        QCOMPARE(r.code, code);
        QCOMPARE(r.out, QByteArray());
        QVERIFY2(r.err.contains(message), r.err.constData());
        QCOMPARE(t.root.read(QStringLiteral("Log.txt")), QByteArray("old line\r\n"));
        QVERIFY(!t.root.exists(QStringLiteral("Move.txt")));
        QVERIFY(t.root.exists(QStringLiteral("a/song.mp3")));
        QVERIFY(t.root.exists(QStringLiteral("c/song.mp3")));
        QVERIFY(
            QDir(t.other.path()).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden));
    }

    // Both folders relative to the working folder, the scanned one; the smaller file of the pair,
    // its name not UTF-8, moves into the same subfolder below the target, made for it.
    void autoMoveFromWorkingFolder() {
        Trees t;
        makeTree(t.root.path(), {"caf\xE9.mp3#5000", "sub/caf\xE9.ogg#100"});
        const QString target = QDir(t.root.path()).relativeFilePath(t.other.path());
        QVERIFY(target.startsWith(QLatin1String("../")));
        const Run r =
            runScan({QStringLiteral("--auto-move"), target, QStringLiteral(".")}, t.root.path());
        QCOMPARE(r.code, 0);
        QCOMPARE(r.out,
                 Header +
                     t.expand("caf\xE9.ogg,0.1,%Rsub/,4 chrs,caf\xE9.mp3,5.0,%R,Same Length\r\n"));
        QCOMPARE(readRaw(t.rootText() + "Move.txt"),
                 t.expand("Move: %Rsub/caf\xE9.ogg to %Dsub/\r\n"));
        QCOMPARE(readRaw(t.rootText() + "Log.txt"),
                 t.expand("Same Length: %Rsub/caf\xE9.ogg <=> %Rcaf\xE9.mp3 (4)\r\n"));
        QCOMPARE(readRaw(t.otherText() + "sub/caf\xE9.ogg"), QByteArray(100, 'x'));
        QVERIFY(::access(QByteArray(t.rootText() + "sub/caf\xE9.ogg").constData(), F_OK) != 0);
    }

    void interruptCancelsScan_data() {
        QTest::addColumn<int>("signal");
        QTest::addColumn<int>("code");
        QTest::newRow("SIGINT") << int(SIGINT) << 130;
        QTest::newRow("SIGTERM") << int(SIGTERM) << 143;
        QTest::newRow("SIGHUP") << int(SIGHUP) << 129;
    }
    void interruptCancelsScan() {
        QFETCH(int, signal);
        QFETCH(int, code);

        Trees t;
        // Similar names keep every pair in play; the first two match at once and mark the start.
        t.root.write(QStringLiteral("aaaa_1.txt"));
        t.root.write(QStringLiteral("aaaa_2.txt"));
        QRandomGenerator gen(1);
        for (int k = 0; k < 6000; ++k) {
            QString stem;
            for (int c = 0; c < 6; ++c)
                stem += QChar(u'a' + gen.bounded(26));
            t.root.write(QStringLiteral("photo_%1_%2.jpg").arg(stem).arg(k % 10));
        }

        // Progress goes to a terminal whose output is held, so the scan waits in its first progress
        // line, drawn after a fifth of a second (the whole scan takes seconds), until the signal is
        // there.
        Terminal terminal;
        QCOMPARE(::tcflow(terminal.slave, TCOOFF), 0);
        QProcess p;
        prepare(p, words("--mode levenshtein --distance 3 --format json") << t.root.path(), {});
        p.setChildProcessModifier([slave = terminal.slave] { ::dup2(slave, STDERR_FILENO); });
        p.start();
        QVERIFY(p.waitForStarted());
        const QString log = t.root.file(QStringLiteral("Log.txt"));
        for (;;) {
            while (p.state() != QProcess::NotRunning && !writingToStderr(p.processId()))
                p.waitForFinished(5);
            QVERIFY2(p.state() != QProcess::NotRunning, "the scan ended without showing progress");
            if (QFile::exists(log))
                break;
            // Still listing the tree: let this line through and hold the next.
            QCOMPARE(::tcflow(terminal.slave, TCOON), 0);
            p.waitForFinished(5);
            QCOMPARE(::tcflow(terminal.slave, TCOOFF), 0);
        }
        QCOMPARE(::kill(pid_t(p.processId()), signal), 0);
        QCOMPARE(::tcflow(terminal.slave, TCOON), 0);
        QVERIFY(p.waitForFinished(-1));
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), code);

        const QJsonObject top = QJsonDocument::fromJson(p.readAllStandardOutput()).object();
        QCOMPARE(top.value(QStringLiteral("status")).toString(), QStringLiteral("Canceled"));
        const int found = top.value(QStringLiteral("found")).toInt(-1);
        QVERIFY(found >= 1);
        QCOMPARE(t.root.read(QStringLiteral("Log.txt")).count("\r\n"), found);
        const QByteArray shown = readAvailable(terminal.master);
        QVERIFY2(shown.contains("\x1b[KCanceled\r\n"), shown.constData());
    }

    void namesEscapedOnTerminal_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QByteArray>("shown");

        QTest::newRow("csv rows") << words("%R")
                                  << QByteArray("a\\nb\\x1b[31m\\x7f\\\\\\xe9\\xc2\\x9b.ogg,");
        QTest::newRow("json rows")
            << words("--format=json %R")
            << QByteArray("\"a\\nb\\u001b[31m\\u007f\\\\\\udce9\\u009b.ogg\"");
        QTest::newRow("error line") << words("--auto-move %D/no\x1b[31m\x7f %R")
                                    << QByteArray("no\\x1b[31m\\x7f: no such folder");
    }
    void namesEscapedOnTerminal() {
        QFETCH(QStringList, args);
        QFETCH(QByteArray, shown);

        Trees t;
        // Newline, escape, delete, backslash, a byte that is not UTF-8, and a C1 control (CSI).
        makeTree(t.root.path(),
                 {"a\nb\x1b[31m\x7f\\\xe9\xc2\x9b.mp3", "a\nb\x1b[31m\x7f\\\xe9\xc2\x9b.ogg"});
        const Run r = runScan(t.expandArgs(args), {}, As::Terminal);
        QVERIFY2(r.out.contains(shown), r.out.constData());
        for (const char raw : {'\x1b', '\x7f', '\xe9', '\x9b'})
            QVERIFY2(!r.out.contains(raw), r.out.constData());
    }

    // The help and the manual list every option, the help with an example unless it only informs.
    // That the parser takes each one the cases above show; --version here.
    void helpDocumentsEveryOption() {
        const Run help = runScan({QStringLiteral("--help")});
        QVERIFY(help.code == 0 && help.out.startsWith("Usage: namewick-scan"));
        const QByteArray examples = help.out.mid(help.out.indexOf("\nExamples:\n  namewick-scan "));
        QFile manual(QStringLiteral(NAMEWICK_SCAN_MAN));
        QVERIFY(manual.open(QIODevice::ReadOnly) && examples.size() < help.out.size());
        const QByteArray man = manual.readAll();
        const QByteArrayList informs = {"--help", "--version"};
        const QByteArrayList options = QByteArray("--mode --percent --group --distance --repeat "
                                                  "--keep-extensions --crc --auto-move --no-log "
                                                  "--format --output --quiet")
                                           .split(' ');
        for (const QByteArray& option : informs + options) {
            QVERIFY2(help.out.contains("\n  " + option + ' ') &&
                         man.contains(QByteArray(option).replace('-', "\\-")),
                     option.constData());
            QVERIFY2(informs.contains(option) || examples.contains(' ' + option + ' '),
                     option.constData());
        }
        QVERIFY(!runScan({QStringLiteral("--version")}).out.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestCli)
#include "test_cli.moc"
