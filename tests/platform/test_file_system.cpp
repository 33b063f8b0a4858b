#include "platform/ErrorCodes.h"
#include "platform/FileSystem.h"
#include "platform/PathCodec.h"
#include "support/TestDir.h"

#include <QDirIterator>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

// The Qt file layer (the one Windows builds) is tested here as well, built with
// NAMEWICK_QT_FILE_SYSTEM, without what only the POSIX layer promises: names as bytes, extended
// attributes, setuid and setgid, holes, nanosecond times, no trace of a copy whose process is
// killed.

using namespace nw;
using nw::test::readRaw;
using nw::test::TestDir;

namespace {

// Raw helpers that bypass the code under test, so names need not be valid UTF-8.
QByteArray rawPath(const QString& path) {
    return QFile::encodeName(path);
}

// Every entry below folder, with a link's target or a file's content hash: whether anything
// was made, removed, followed or written there.
QStringList tree(const QString& folder) {
    QStringList out;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo e = it.nextFileInfo();
        out << e.filePath() + (e.isSymLink() ? " -> " + e.symLinkTarget()
                               : e.isDir()   ? QStringLiteral("/")
                               : e.isFile()
                                   ? " " + QString::number(qHash(readRaw(rawPath(e.filePath()))))
                                   : QStringLiteral(" special"));
    }
    out.sort();
    return out;
}

QByteArray randomBytes(qsizetype size, quint32 seed) {
    QByteArray data(size, '\0');
    QRandomGenerator(seed).fillRange(reinterpret_cast<quint32*>(data.data()), size / 4);
    return data;
}

struct stat statOf(const QByteArray& path) {
    struct stat st {};
    ::lstat(path.constData(), &st);
    return st;
}

// from/big.bin and an empty folder to move it into: to/ beside it, or one on another device
// (empty when /dev/shm is not one), where moveFile must copy.
struct MoveFixture {
    TestDir dir;
    QTemporaryDir shm{QStringLiteral("/dev/shm/namewick-test-XXXXXX")};
    QString source, target;
    MoveFixture(const QByteArray& content, bool acrossDevices) {
        source = dir.write(QStringLiteral("from/big.bin"), content);
        target = dir.mkdir(QStringLiteral("to"));
        if (acrossDevices)
            target = shm.isValid() &&
                             statOf(rawPath(target)).st_dev != statOf(rawPath(shm.path())).st_dev
                         ? shm.path()
                         : QString();
    }
    // Both folders, to see that a failed move changed nothing.
    QStringList state() const { return tree(dir.path()) + tree(shm.path()); }
    // moveFile across devices, else copyMove.
    ErrorInfo run(bool acrossDevices, const fs::MoveProceed& proceed = {}) const {
        return acrossDevices ? fs::moveFile(source, target, proceed)
                             : fs::copyMove(source, target + QStringLiteral("/big.bin"), proceed);
    }
};

const char* const NoOtherDevice = "no /dev/shm on another device than the temporary folder";

// Makes one entry of a named kind; false when the platform cannot make it here.
bool makeEntry(TestDir& dir, const QString& name, const QString& kind) {
    const QByteArray path = rawPath(dir.file(name));
    if (kind == QLatin1String("file"))
        return !dir.write(name, "x").isEmpty();
    if (kind == QLatin1String("folder"))
        return ::mkdir(path.constData(), 0755) == 0;
    if (kind == QLatin1String("link to file"))
        return !dir.write("target-file", "x").isEmpty() &&
               ::symlink("target-file", path.constData()) == 0;
    if (kind == QLatin1String("link to folder"))
        return !dir.mkdir("target-folder").isEmpty() &&
               ::symlink("target-folder", path.constData()) == 0;
    if (kind == QLatin1String("dangling link"))
        return ::symlink("nowhere", path.constData()) == 0;
    if (kind == QLatin1String("fifo"))
        return ::mkfifo(path.constData(), 0644) == 0;
    return kind == QLatin1String("missing");
}

// Runs fn in a forked child; its result, or minus the signal that ended the child. An alarm
// bounds the child, so a call that blocks fails the test instead of hanging it.
int inChild(const std::function<int()>& fn) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::alarm(5);
        ::_exit(fn());
    }
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid)
        return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
}

struct EntryCase {
    const char* name;
    const char* kind; // as makeEntry makes it
    fs::Kind kindOf;
    bool fileExists, folderExists, listed;
    int deleteError;
    // A listed file may have been replaced by a FIFO, which blocks an open, or by a link: the
    // calls that must refuse it.
    QStringList refused = {};
};

// A move that the fault hook upsets at the nth call of a step: the step fails, the user stops
// it, its process is killed, or the source is written to meanwhile.
enum class Upset { Fail, Stop, Kill, Append, Replace };
struct UpsetCase {
    fs::MoveStep at;
    int nth;
    Upset upset;
    bool acrossDevices; // moveFile onto /dev/shm, else copyMove
    int err = 0;        // Fail: the system error the step gives
    int error = 0;      // what the move gives
};

} // namespace

Q_DECLARE_METATYPE(EntryCase)
Q_DECLARE_METATYPE(UpsetCase)

class TestFileSystem : public QObject {
    Q_OBJECT

private slots:
    void entryKinds_data() {
        QTest::addColumn<EntryCase>("c");
        using K = fs::Kind;
        const QStringList allOps = {"open", "copy", "append"};
        for (const EntryCase& c : {
                 EntryCase{"entry", "file", K::File, true, false, true, ErrNone},
                 EntryCase{"entry", "folder", K::Folder, false, true, true, ErrPathFileAccess},
                 EntryCase{".entry", "file", K::File, true, false, false, ErrNone},
                 EntryCase{"entry", "link to file", K::Other, true, false, false, ErrNone, allOps},
                 EntryCase{"entry", "link to folder", K::Other, true, true, false, ErrNone},
                 EntryCase{
                     "entry", "dangling link", K::Other, true, false, false, ErrNone, {"append"}},
                 EntryCase{"entry", "fifo", K::Other, true, false, false, ErrNone, allOps},
                 EntryCase{"entry", "missing", K::Missing, false, false, false, ErrFileNotFound},
             })
            QTest::addRow("%s %s", c.kind, c.name) << c;
    }
    void entryKinds() {
        QFETCH(EntryCase, c);
        TestDir dir;
        const QString kind = c.kind, name = c.name, path = dir.file(name);
        QVERIFY(makeEntry(dir, name, kind));
        const QString target =
            kind.startsWith(QLatin1String("link to")) ? "target-" + kind.mid(8) : QString();
        QStringList names, expectedNames;
        QList<fs::Kind> kinds, expectedKinds;
        QVERIFY(fs::listFolder(dir.path(), names, &kinds).ok());
        if (c.listed) {
            expectedNames << name;
            expectedKinds << c.kindOf;
        }
        if (!target.isEmpty()) { // the link's own target is a plain entry
            expectedNames << target;
            expectedKinds << (kind.endsWith("folder") ? fs::Kind::Folder : fs::Kind::File);
        }
        QCOMPARE(names, expectedNames);
        QCOMPARE(kinds, expectedKinds); // the walk takes these instead of looking entries up again

        dir.mkdir(QStringLiteral("to"));
        const QStringList before = tree(dir.path());
        for (const QString& op : c.refused) {
            const int result = inChild([&] {
                fs::FileReader reader;
                return (op == "open"   ? reader.open(path)
                        : op == "copy" ? fs::copyMove(path, dir.file(QStringLiteral("to/entry")))
                                       : fs::appendToFile(path, "line\r\n"))
                    .number;
            });
            QVERIFY2(result == ErrPathFileAccess, qPrintable(op + " was not refused"));
            QCOMPARE(tree(dir.path()), before); // nothing followed, written or made
        }
        QCOMPARE(fs::kindOf(path), c.kindOf);
        QCOMPARE(fs::fileExists(path), c.fileExists);
        QCOMPARE(fs::folderExists(path), c.folderExists);
        QCOMPARE(fs::deleteFile(path).number, c.deleteError);
        QCOMPARE(QFileInfo(path).isSymLink() || QFileInfo::exists(path),
                 kind == QLatin1String("folder"));
        if (!target.isEmpty())
            QVERIFY(dir.exists(target));
    }

    void namesListInOrder() {
        TestDir dir;
        // In the order expected, files and folders mixed; U+FF61 comes after U+1F600 in bytes but
        // before it in UTF-16.
        QList<QByteArray> ordered = {"10",    "9",           "B",   "Z",        "_x",
                                     "a",     "b",           "sub", "\xC3\xA9", "\xF0\x9F\x98\x80",
                                     "\xF6r", "\xEF\xBD\xA1"};
#ifdef NAMEWICK_QT_FILE_SYSTEM
        ordered.removeOne("\xF6r");
#endif
        QStringList expected;
        for (const QByteArray& name : ordered) {
            const QByteArray path = rawPath(dir.path()) + '/' + name;
            QVERIFY(expected.size() % 2 ? ::mkdir(path.constData(), 0755) == 0
                                        : ::close(::creat(path.constData(), 0644)) == 0);
            expected << (name == "\xF6r" ? QChar(0xDCF6) + QStringLiteral("r")
                                         : QString::fromUtf8(name));
        }
        QStringList names;
        QVERIFY(fs::listFolder(dir.path() + QLatin1Char('/'), names).ok());
        QCOMPARE(names, expected);
    }

    // A folder of many entries is read with calls between its entries, so a window is let in.
    void largeFolderLetsTheCallerIn() {
        TestDir dir;
        const int count = 5 * fs::ListingStep / 2;
        for (int k = 0; k < count; ++k)
            QVERIFY(::close(::creat(
                        QByteArray(rawPath(dir.path()) + "/f" + QByteArray::number(k)).constData(),
                        0644)) == 0);
        QStringList names;
        int calls = 0;
        QVERIFY(fs::listFolder(dir.path(), names, nullptr, [&calls] { ++calls; }).ok());
        QCOMPARE(names.size(), count);
        QCOMPARE(calls, count / fs::ListingStep);
    }

    // A file made by appending, listed, read back in blocks, moved there and back, and sized; under
    // names that are not UTF-8 where names are bytes, so each call must reach the bytes listed.
    void fileRoundTrip() {
#ifdef NAMEWICK_QT_FILE_SYSTEM
        const QByteArray folderName = "\xC3\xB6r", name = "caf\xC3\xA9.bin";
#else
        const QByteArray folderName = "\xF6r", name = "caf\xE9.bin";
#endif
        TestDir dir;
        const QByteArray rawFile = rawPath(dir.path()) + '/' + folderName + '/' + name;
        QCOMPARE(::mkdir(QByteArray(rawPath(dir.path()) + '/' + folderName).constData(), 0755), 0);
        const QString from = fs::folderText(dir.path()) + decodePath(folderName);
        const QString path = fs::folderText(from) + decodePath(name);
        const QString to = dir.mkdir(QStringLiteral("to"));
        const QByteArray content = randomBytes(3 * 1024 * 1024 + 5, 7);
        QVERIFY(fs::appendToFile(path, content.left(5)).ok()); // made
        QVERIFY(fs::appendToFile(path, content.mid(5)).ok());  // appended to
        QCOMPARE(readRaw(rawFile), content);
        QStringList names;
        QVERIFY(fs::listFolder(from, names).ok());
        QCOMPARE(names, QStringList{decodePath(name)});
        QCOMPARE(fs::kindOf(path), fs::Kind::File);

        fs::FileReader reader;
        QVERIFY(reader.open(path).ok());
        QCOMPARE(reader.size(), qint64(content.size()));
        QByteArray got, buffer(100000, '\0');
        qint64 r = 0;
        while ((r = reader.read(buffer.data(), buffer.size())) > 0)
            got.append(buffer.constData(), r);
        QCOMPARE(r, qint64(0));
        QCOMPARE(got, content);
        reader.close();
        QCOMPARE(reader.read(buffer.data(), buffer.size()), qint64(-1));

        QVERIFY(fs::moveFile(path, to).ok());
        QVERIFY(tree(from).isEmpty());
        QVERIFY(fs::moveFile(fs::folderText(to) + decodePath(name), fs::folderText(from)).ok());
        QCOMPARE(readRaw(rawFile), content);
        QVERIFY(tree(to).isEmpty());

        QCOMPARE(::truncate(rawFile.constData(), off_t(5) << 30), 0); // sparse: costs no space
        qint64 size = -1;
        QVERIFY(fs::fileSize(path, size).ok());
        QCOMPARE(size, qint64(5) << 30);
    }

    void failuresLeaveTreeAsItWas_data() {
        QTest::addColumn<QString>("op");
        QTest::addColumn<QString>("relative");
        QTest::addColumn<QString>("target"); // move and copy only
        QTest::addColumn<int>("error");
        const auto row = [](const char* op, const char* relative, int error,
                            const char* target = "") {
            QTest::addRow("%s %s%s%s", op, relative, *target ? " into " : "", target)
                << QString(op) << QString(relative) << QString(target) << error;
        };
        // The tree: from/song.mp3, to/plain.txt, and song.mp3 taken in file/, folder/ and link/.
        row("list", "nothing/", ErrPathNotFound);
        row("list", "to/plain.txt/", ErrPathNotFound);
        row("size", "gone.bin", ErrFileNotFound);
        row("size", "to", ErrPathFileAccess);
        row("size", "to/plain.txt/f.bin", ErrPathNotFound);
        row("append", "gone/Log.txt", ErrPathNotFound);
        row("append", "to", ErrPathFileAccess);
        row("create", "fresh/", ErrNone);
        row("create", "to/", ErrFileExists);
        row("create", "gone/fresh/", ErrPathNotFound);
        row("open", "gone.bin", ErrFileNotFound);
        row("open", "to", ErrPathFileAccess); // was once reported with an earlier call's errno
        row("move", "from/gone.mp3", ErrFileNotFound, "to");
        row("move", "from/song.mp3", ErrPathNotFound, "gone");
        row("move", "from/song.mp3", ErrPathNotFound, "to/plain.txt");
        row("move", "from", ErrPathFileAccess, "to");
        // An existing name is never replaced, whatever stands there.
        row("move", "from/song.mp3", ErrFileExists, "file");
        row("move", "from/song.mp3", ErrFileExists, "folder");
        row("move", "from/song.mp3", ErrFileExists, "link");
        row("copy", "from/song.mp3", ErrFileExists, "file/song.mp3");
    }
    void failuresLeaveTreeAsItWas() {
        QFETCH(QString, op);
        QFETCH(QString, relative);
        QFETCH(QString, target);
        QFETCH(int, error);

        TestDir dir;
        dir.write(QStringLiteral("from/song.mp3"), "song");
        dir.write(QStringLiteral("to/plain.txt"), "plain");
        dir.write(QStringLiteral("file/song.mp3"), "other");
        dir.mkdir(QStringLiteral("folder/song.mp3"));
        dir.mkdir(QStringLiteral("link"));
        QVERIFY(makeEntry(dir, QStringLiteral("link/song.mp3"), QStringLiteral("dangling link")));
        const QStringList before = tree(dir.path());
        const QString path = dir.file(relative);
        QStringList names = {QStringLiteral("stale")};
        qint64 size = 99;
        fs::FileReader reader;
        errno = ENOENT; // a failure left over from some earlier call must not be reported
        const ErrorInfo result = op == "list"     ? fs::listFolder(path, names)
                                 : op == "size"   ? fs::fileSize(path, size)
                                 : op == "append" ? fs::appendToFile(path, "line\r\n")
                                 : op == "create" ? fs::createFolder(path)
                                 : op == "open"   ? reader.open(path)
                                 : op == "copy"   ? fs::copyMove(path, dir.file(target))
                                                  : fs::moveFile(path, dir.file(target));
        QCOMPARE(result.number, error);
        QCOMPARE(result.description, error ? errorDescription(error) : QString());
        if (error != ErrNone && target.isEmpty())
            QCOMPARE(result.detail, path);
        if (op == "list")
            QVERIFY(names.isEmpty());
        if (op == "size")
            QCOMPARE(size, qint64(0));
        if (op == "create" && error == ErrNone)
            QVERIFY(fs::removeEmptyFolder(path));
        if (op == "open") {
            char byte = 0;
            QCOMPARE(reader.error().number, error);
            QCOMPARE(reader.read(&byte, 1), qint64(-1));
        }
        QCOMPARE(tree(dir.path()), before);
    }

    void copyMoveKeepsContentTimesAndMode_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("acrossDevices"); // moveFile onto /dev/shm instead of copyMove
        QTest::addColumn<bool>("sparse");        // content between two holes of 4 MiB
        const auto row = [](const char* name, const QByteArray& content, int mode, bool across,
                            bool sparse = false) {
            QTest::newRow(name) << content << mode << across << sparse;
        };
        row("empty, 0600", QByteArray(), 0600, false);
        row("several blocks, 0755", randomBytes(2 * 1024 * 1024 + 333, 11), 0755, false);
        row("exactly one block, read-only", randomBytes(1024 * 1024, 12), 0444, false);
        row("moved across devices", randomBytes(1536 * 1024, 5), 0640, true);
#ifndef NAMEWICK_QT_FILE_SYSTEM
        row("setuid", QByteArray("program"), 04755, false); // an owner set after the mode clears it
        row("setgid, across devices", QByteArray("program"), 02755, true);
        row("sparse", randomBytes(1024 * 1024 + 17, 13), 0644, false, true);
        row("sparse, across devices", randomBytes(100000, 14), 0600, true, true);
#endif
    }
    void copyMoveKeepsContentTimesAndMode() {
        QFETCH(QByteArray, content);
        QFETCH(int, mode);
        QFETCH(bool, acrossDevices);
        QFETCH(bool, sparse);

        MoveFixture m(sparse ? QByteArray() : content, acrossDevices);
        QVERIFY2(!m.target.isEmpty(), NoOtherDevice);
        const QByteArray src = rawPath(m.source);
        if (sparse) {
            const QByteArray hole(4 * 1024 * 1024, '\0');
            const int fd = ::open(src.constData(), O_WRONLY | O_CLOEXEC);
            QCOMPARE(::pwrite(fd, content.constData(), size_t(content.size()), off_t(hole.size())),
                     ssize_t(content.size()));
            QCOMPARE(::ftruncate(fd, off_t(2 * hole.size() + content.size())), 0);
            QCOMPARE(::close(fd), 0);
            content = hole + content + hole;
        }
        const blkcnt_t blocks = statOf(src).st_blocks;
        // Each namespace that this process may set here should arrive; user.* on any file system
        // that keeps extended attributes, trusted.* when running as root.
        QList<QByteArray> attributes;
#ifndef NAMEWICK_QT_FILE_SYSTEM
        for (const char* name : {"user.namewick.test", "trusted.namewick.test"})
            if (::setxattr(src.constData(), name, QTest::currentDataTag(),
                           strlen(QTest::currentDataTag()), 0) == 0)
                attributes << name;
#endif
        const struct timespec times[2] = {{981173106, 123456789}, {981173106, 123456789}}; // 2001
        QCOMPARE(::utimensat(AT_FDCWD, src.constData(), times, 0), 0);
        QCOMPARE(::chmod(src.constData(), mode_t(mode)), 0);

        QVERIFY(m.run(acrossDevices).ok());
        QVERIFY(tree(m.dir.file(QStringLiteral("from"))).isEmpty());
        const QByteArray dst = rawPath(m.target) + "/big.bin";
        QCOMPARE(readRaw(dst), content);
        const struct stat st = statOf(dst);
        QCOMPARE(int(st.st_mode & 07777), mode);
        QVERIFY2(st.st_blocks <= blocks + 128, "holes were filled"); // a little room for metadata
        for (const QByteArray& name : attributes) {
            QByteArray value(256, '\0');
            const ssize_t got = ::getxattr(dst.constData(), name.constData(), value.data(), 256);
            QCOMPARE(value.left(qMax(got, ssize_t(0))), QByteArray(QTest::currentDataTag()));
        }
        QCOMPARE(qint64(st.st_mtim.tv_sec), qint64(981173106));
#ifdef NAMEWICK_QT_FILE_SYSTEM
        QCOMPARE(qint64(st.st_mtim.tv_nsec) / 1000000, qint64(123)); // Qt's times are milliseconds
#else
        QCOMPARE(qint64(st.st_mtim.tv_nsec), qint64(123456789));
#endif
        QCOMPARE(tree(m.target).size(), 1);
    }

    void faultLeavesSourceAndNoTrace_data() {
        QTest::addColumn<UpsetCase>("c");
        using S = fs::MoveStep;
        const auto row = [](const char* name, S at, int nth, bool across, int err, int error) {
            QTest::newRow(name) << UpsetCase{at,     nth, err ? Upset::Fail : Upset::Stop,
                                             across, err, error};
        };
        row("copy, second block", S::CopyBlock, 2, false, ENOSPC, ErrDiskFull);
        row("copy, first block", S::CopyBlock, 1, false, EIO, ErrDeviceIO);
        row("verify", S::Verify, 1, false, EIO, ErrDeviceIO);
        row("publish", S::Publish, 1, false, ENOSPC, ErrDiskFull);
        row("remove source", S::RemoveSource, 1, false, EACCES, ErrPermissionDenied);
        row("rename", S::Rename, 1, true, ENOSPC, ErrDiskFull);
        row("move: copy, second block", S::CopyBlock, 2, true, ENOSPC, ErrDiskFull);
        row("move: publish", S::Publish, 1, true, EDQUOT, ErrDiskFull);
        row("move: remove source", S::RemoveSource, 1, true, EPERM, ErrPermissionDenied);
        row("move: check source", S::CheckSource, 1, true, EIO, ErrDeviceIO);
        row("stopped at second block", S::CopyBlock, 2, false, 0, ErrUserInterrupt);
        row("move: stopped at second block", S::CopyBlock, 2, true, 0, ErrUserInterrupt);
        // Written to meanwhile: the move gives up, the source kept as it now is.
        const auto changed = [](const char* name, S at, Upset upset, bool across) {
            QTest::newRow(name) << UpsetCase{at, 1, upset, across, 0, ErrPathFileAccess};
        };
        changed("replaced while copied", S::CopyBlock, Upset::Replace, false);
        changed("replaced before removal", S::CheckSource, Upset::Replace, false);
        changed("appended to before removal", S::CheckSource, Upset::Append, false);
        changed("move: replaced before removal", S::CheckSource, Upset::Replace, true);
#ifndef NAMEWICK_QT_FILE_SYSTEM // killed while copying: no trace of the copy
        QTest::newRow("killed") << UpsetCase{S::CopyBlock, 2, Upset::Kill, false};
        QTest::newRow("move: killed") << UpsetCase{S::CopyBlock, 2, Upset::Kill, true};
#endif
    }
    // The move upset as c says: the source must stay, as it was or as it was changed, and nothing
    // of the copy be left.
    void faultLeavesSourceAndNoTrace() {
        QFETCH(UpsetCase, c);
        const QByteArray content = randomBytes(2 * 1024 * 1024 + 100, 3);
        MoveFixture m(content, c.acrossDevices);
        QVERIFY2(!m.target.isEmpty(), NoOtherDevice);
        const QByteArray src = rawPath(m.source);
        const QStringList before = m.state();
        int calls = 0;
        const auto move = [&] {
            const ScopedService fault(fs::moveFaultHookService(), [&](fs::MoveStep at) {
                if (c.upset == Upset::Stop || at != c.at || calls == c.nth || ++calls != c.nth)
                    return 0; // once only
                if (c.upset == Upset::Kill)
                    ::raise(SIGKILL);
                QFile source(m.source);
                if (c.upset == Upset::Append && source.open(QIODevice::Append))
                    source.write("appended");
                if (c.upset == Upset::Replace) // as an editor saves
                    ::rename(rawPath(m.dir.write(QStringLiteral("new"), "saved anew")).constData(),
                             src.constData());
                return c.upset == Upset::Fail ? c.err : 0;
            });
            return m.run(c.acrossDevices,
                         [&] { return c.upset != Upset::Stop || ++calls != c.nth; });
        };
        if (c.upset == Upset::Kill) {
            QCOMPARE(inChild([&] { return move().number; }), -SIGKILL);
            QCOMPARE(m.state(), before);
            return;
        }
        const ErrorInfo result = move();
        QCOMPARE(calls, c.nth); // the upset came
        QCOMPARE(result.number, c.error);
        if (c.upset == Upset::Fail || c.upset == Upset::Stop) {
            QCOMPARE(m.state(), before);
            return;
        }
        QCOMPARE(result.detail, m.source);
        QCOMPARE(readRaw(src), c.upset == Upset::Append ? content + "appended" : "saved anew");
        QCOMPARE(tree(m.dir.file(QStringLiteral("from"))).size(), 1);
        QVERIFY(tree(m.target).isEmpty());
    }
};

QTEST_APPLESS_MAIN(TestFileSystem)
#include "test_file_system.moc"
