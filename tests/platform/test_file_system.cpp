#include "ErrorCodes.h"
#include "FileSystem.h"
#include "TestDir.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

using namespace nw;
using nw::test::readRaw;
using nw::test::TestDir;

namespace {

// Raw helpers that bypass the code under test, so names need not be valid UTF-8.
QByteArray rawPath(const QString& path) {
    return QFile::encodeName(path);
}

void writeRaw(const QByteArray& path, const QByteArray& content) {
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    QVERIFY2(fd >= 0, path.constData());
    QCOMPARE(::write(fd, content.constData(), size_t(content.size())), ssize_t(content.size()));
    QCOMPARE(::close(fd), 0);
}

bool existsRaw(const QByteArray& path) {
    struct stat st;
    return ::lstat(path.constData(), &st) == 0;
}

// Every name in a folder, dot-names included, unsorted.
QList<QByteArray> allNames(const QString& folder) {
    QList<QByteArray> names;
    DIR* dir = ::opendir(rawPath(folder).constData());
    if (!dir)
        return names;
    while (const dirent* e = ::readdir(dir)) {
        const QByteArray name(e->d_name);
        if (name != "." && name != "..")
            names.append(name);
    }
    ::closedir(dir);
    return names;
}

QByteArray randomBytes(qsizetype size, quint32 seed) {
    QByteArray data(size, '\0');
    QRandomGenerator gen(seed);
    gen.fillRange(reinterpret_cast<quint32*>(data.data()), size / 4);
    return data;
}

void setTimes(const QByteArray& path, time_t seconds, long nanoseconds) {
    const struct timespec times[2] = {{seconds, nanoseconds}, {seconds, nanoseconds}};
    QCOMPARE(::utimensat(AT_FDCWD, path.constData(), times, AT_SYMLINK_NOFOLLOW), 0);
}

struct stat statOf(const QByteArray& path) {
    struct stat st {};
    ::lstat(path.constData(), &st);
    return st;
}

bool makeSocket(const QByteArray& path) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    if (fd < 0)
        return false;
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    if (size_t(path.size()) >= sizeof addr.sun_path) {
        ::close(fd);
        return false;
    }
    std::copy(path.cbegin(), path.cend(), addr.sun_path);
    const bool ok = ::bind(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) == 0;
    ::close(fd);
    return ok;
}

// Makes one entry of a named kind; false when the platform cannot make it here.
bool makeEntry(TestDir& dir, const QString& name, const QString& kind) {
    const QByteArray path = rawPath(dir.file(name));
    if (kind == QLatin1String("file"))
        return !dir.write(name, "x").isEmpty();
    if (kind == QLatin1String("folder"))
        return ::mkdir(path.constData(), 0755) == 0;
    if (kind == QLatin1String("link to file")) {
        dir.write(QStringLiteral("target-file"), "x");
        return ::symlink("target-file", path.constData()) == 0;
    }
    if (kind == QLatin1String("link to folder")) {
        dir.mkdir(QStringLiteral("target-folder"));
        return ::symlink("target-folder", path.constData()) == 0;
    }
    if (kind == QLatin1String("dangling link"))
        return ::symlink("nowhere", path.constData()) == 0;
    if (kind == QLatin1String("fifo"))
        return ::mkfifo(path.constData(), 0644) == 0;
    if (kind == QLatin1String("socket"))
        return makeSocket(path);
    return kind == QLatin1String("missing");
}

} // namespace

class TestFileSystem : public QObject {
    Q_OBJECT

private slots:
    void cleanup();

    void listFolderKeepsOnlyPlainEntries_data();
    void listFolderKeepsOnlyPlainEntries();
    void listFolderOrderIsOrdinal();
    void listFolderFails_data();
    void listFolderFails();
    void nonUtf8NameCanBeUsedAgain();

    void kindOfDoesNotFollowLinks_data();
    void kindOfDoesNotFollowLinks();

    void fileSize_data();
    void fileSize();
    void fileSizeFails_data();
    void fileSizeFails();

    void appendCreatesThenAppends();
    void appendFails_data();
    void appendFails();

    void createFolder_data();
    void createFolder();
    void deleteFile_data();
    void deleteFile();

    void readerReadsWholeFileInBlocks();
    void readerOpenFails_data();
    void readerOpenFails();

    void moveWithinFileSystem();
    void moveRefusesExistingName_data();
    void moveRefusesExistingName();
    void moveFails_data();
    void moveFails();

    void copyMoveKeepsContentTimesAndMode_data();
    void copyMoveKeepsContentTimesAndMode();
    void copyMoveRefusesExistingName();
    void faultLeavesSourceAndNoTrace_data();
    void faultLeavesSourceAndNoTrace();
    void moveAcrossDevices_data();
    void moveAcrossDevices();
};

void TestFileSystem::cleanup() {
    fs::setMoveFaultHook({});
}

void TestFileSystem::listFolderKeepsOnlyPlainEntries_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("listed");

    QTest::newRow("file") << "entry"
                          << "file" << true;
    QTest::newRow("folder") << "entry"
                            << "folder" << true;
    QTest::newRow("dot file") << ".entry"
                              << "file" << false;
    QTest::newRow("dot folder") << ".entry"
                                << "folder" << false;
    QTest::newRow("link to file") << "entry"
                                  << "link to file" << false;
    QTest::newRow("link to folder") << "entry"
                                    << "link to folder" << false;
    QTest::newRow("dangling link") << "entry"
                                   << "dangling link" << false;
    QTest::newRow("fifo") << "entry"
                          << "fifo" << false;
    QTest::newRow("socket") << "entry"
                            << "socket" << false;
}

void TestFileSystem::listFolderKeepsOnlyPlainEntries() {
    QFETCH(QString, name);
    QFETCH(QString, kind);
    QFETCH(bool, listed);

    TestDir dir;
    if (!makeEntry(dir, name, kind))
        QSKIP("cannot make this kind of entry here");
    const QString probe = kind.startsWith(QLatin1String("link to"))
                              ? QStringLiteral("target-") + kind.mid(8)
                              : QString();

    QStringList names;
    QList<fs::Kind> kinds;
    QVERIFY(fs::listFolder(dir.path(), names, &kinds).ok());
    QStringList expected;
    if (listed)
        expected << name;
    if (!probe.isEmpty())
        expected << probe; // the link's own target is a plain entry
    expected.sort();
    QCOMPARE(names, expected);
    // The walk takes these kinds instead of looking each entry up again.
    QCOMPARE(kinds.size(), names.size());
    for (qsizetype k = 0; k < names.size(); ++k) {
        const QString& of = names[k] == probe ? probe : kind;
        QCOMPARE(kinds[k],
                 of.endsWith(QLatin1String("folder")) ? fs::Kind::Folder : fs::Kind::File);
    }
}

void TestFileSystem::listFolderOrderIsOrdinal() {
    TestDir dir;
    const QList<QByteArray> raw = {
        "b",
        "B",
        "a",
        "_x",
        "Z",
        "sub",
        "\xC3\xA9",         // U+00E9
        "\xEF\xBD\xA1",     // U+FF61: after U+1F600 in bytes, before it in UTF-16
        "\xF0\x9F\x98\x80", // U+1F600
        "\xE9",             // not UTF-8
        "10",
        "9",
    };
    for (const QByteArray& name : raw) {
        const QByteArray path = rawPath(dir.path()) + '/' + name;
        if (name == "sub")
            QCOMPARE(::mkdir(path.constData(), 0755), 0);
        else
            writeRaw(path, name);
    }

    QStringList names;
    QVERIFY(fs::listFolder(dir.path() + QLatin1Char('/'), names).ok());
    const QStringList expected = {
        QStringLiteral("10"),          QStringLiteral("9"),
        QStringLiteral("B"),           QStringLiteral("Z"),
        QStringLiteral("_x"),          QStringLiteral("a"),
        QStringLiteral("b"),           QStringLiteral("sub"),
        QString::fromUtf8("\xC3\xA9"), QString::fromUtf8("\xF0\x9F\x98\x80"),
        QString(QChar(0xDCE9)),        QString::fromUtf8("\xEF\xBD\xA1"),
    };
    QCOMPARE(names, expected);
}

void TestFileSystem::listFolderFails_data() {
    QTest::addColumn<QString>("relative");
    QTest::addColumn<int>("error");

    QTest::newRow("missing folder") << "nothing/" << int(ErrPathNotFound);
    QTest::newRow("missing parent") << "nothing/deeper/" << int(ErrPathNotFound);
    QTest::newRow("a file") << "plain.txt/" << int(ErrPathNotFound);
}

void TestFileSystem::listFolderFails() {
    QFETCH(QString, relative);
    QFETCH(int, error);

    TestDir dir;
    dir.write(QStringLiteral("plain.txt"), "x");
    QStringList names = {QStringLiteral("stale")};
    const ErrorInfo result = fs::listFolder(dir.file(relative), names);
    QCOMPARE(result.number, error);
    QCOMPARE(result.description, errorDescription(error));
    QVERIFY(names.isEmpty());
}

void TestFileSystem::nonUtf8NameCanBeUsedAgain() {
    TestDir dir;
    const QByteArray content("latin-1 named content");
    const QByteArray root = rawPath(dir.path());
    QCOMPARE(::mkdir(QByteArray(root + "/d\xF6r").constData(), 0755), 0);
    writeRaw(root + "/d\xF6r/caf\xE9.mp3", content);
    dir.mkdir(QStringLiteral("moved"));

    QStringList top;
    QVERIFY(fs::listFolder(dir.path(), top).ok());
    QCOMPARE(top.size(), 2);
    const QString folderName = top.at(0);
    QCOMPARE(top.at(1), QStringLiteral("moved"));
    const QString folder = fs::folderText(dir.path()) + folderName + fs::separator();
    QCOMPARE(fs::kindOf(folder), fs::Kind::Folder);

    QStringList names;
    QVERIFY(fs::listFolder(folder, names).ok());
    QCOMPARE(names.size(), 1);
    const QString path = folder + names.first();
    QCOMPARE(fs::kindOf(path), fs::Kind::File);
    QVERIFY(fs::fileExists(path));

    qint64 size = -1;
    QVERIFY(fs::fileSize(path, size).ok());
    QCOMPARE(size, qint64(content.size()));

    fs::FileReader reader;
    QVERIFY(reader.open(path).ok());
    QByteArray buffer(256, '\0');
    const qint64 got = reader.read(buffer.data(), buffer.size());
    QCOMPARE(buffer.left(got), content);
    reader.close();

    QVERIFY(fs::moveFile(path, dir.file(QStringLiteral("moved"))).ok());
    QVERIFY(!existsRaw(root + "/d\xF6r/caf\xE9.mp3"));
    QCOMPARE(readRaw(root + "/moved/caf\xE9.mp3"), content);
}

void TestFileSystem::kindOfDoesNotFollowLinks_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("expected");
    QTest::addColumn<bool>("fileExists");
    QTest::addColumn<bool>("folderExists");

    QTest::newRow("file") << "file" << int(fs::Kind::File) << true << false;
    QTest::newRow("folder") << "folder" << int(fs::Kind::Folder) << false << true;
    QTest::newRow("link to file") << "link to file" << int(fs::Kind::Other) << true << false;
    QTest::newRow("link to folder") << "link to folder" << int(fs::Kind::Other) << true << true;
    QTest::newRow("dangling link") << "dangling link" << int(fs::Kind::Other) << true << false;
    QTest::newRow("fifo") << "fifo" << int(fs::Kind::Other) << true << false;
    QTest::newRow("missing") << "missing" << int(fs::Kind::Missing) << false << false;
}

void TestFileSystem::kindOfDoesNotFollowLinks() {
    QFETCH(QString, kind);
    QFETCH(int, expected);
    QFETCH(bool, fileExists);
    QFETCH(bool, folderExists);

    TestDir dir;
    QVERIFY(makeEntry(dir, QStringLiteral("entry"), kind));
    const QString path = dir.file(QStringLiteral("entry"));
    QCOMPARE(int(fs::kindOf(path)), expected);
    QCOMPARE(fs::fileExists(path), fileExists);
    QCOMPARE(fs::folderExists(path), folderExists);
}

void TestFileSystem::fileSize_data() {
    QTest::addColumn<qint64>("size");

    QTest::newRow("empty") << qint64(0);
    QTest::newRow("small") << qint64(5);
    QTest::newRow("beyond 32 bits") << (qint64(5) << 30);
}

void TestFileSystem::fileSize() {
    QFETCH(qint64, size);

    TestDir dir;
    const QString path = dir.write(QStringLiteral("f.bin"));
    QVERIFY(::truncate(rawPath(path).constData(), off_t(size)) == 0); // sparse: costs no space
    qint64 got = -1;
    QVERIFY(fs::fileSize(path, got).ok());
    QCOMPARE(got, size);
}

void TestFileSystem::fileSizeFails_data() {
    QTest::addColumn<QString>("relative");
    QTest::addColumn<int>("error");

    QTest::newRow("missing file") << "gone.bin" << int(ErrFileNotFound);
    QTest::newRow("missing folder") << "gone/f.bin" << int(ErrFileNotFound);
    QTest::newRow("a folder") << "sub" << int(ErrPathFileAccess);
    QTest::newRow("below a file") << "plain.txt/f.bin" << int(ErrPathNotFound);
}

void TestFileSystem::fileSizeFails() {
    QFETCH(QString, relative);
    QFETCH(int, error);

    TestDir dir;
    dir.mkdir(QStringLiteral("sub"));
    dir.write(QStringLiteral("plain.txt"), "x");
    qint64 size = 99;
    const ErrorInfo result = fs::fileSize(dir.file(relative), size);
    QCOMPARE(result.number, error);
    QCOMPARE(result.detail, dir.file(relative));
    QCOMPARE(size, qint64(0));
}

void TestFileSystem::appendCreatesThenAppends() {
    TestDir dir;
    const QString path = dir.file(QStringLiteral("Log.txt"));
    QVERIFY(fs::appendToFile(path, "first\r\n").ok());
    QCOMPARE(dir.read(QStringLiteral("Log.txt")), QByteArray("first\r\n"));
    QVERIFY(fs::appendToFile(path, "second\r\n").ok());
    QVERIFY(fs::appendToFile(path, "\r\n").ok());
    QCOMPARE(dir.read(QStringLiteral("Log.txt")), QByteArray("first\r\nsecond\r\n\r\n"));
}

void TestFileSystem::appendFails_data() {
    QTest::addColumn<QString>("relative");
    QTest::addColumn<int>("error");

    QTest::newRow("missing folder") << "gone/Log.txt" << int(ErrPathNotFound);
    QTest::newRow("a folder") << "sub" << int(ErrPathFileAccess);
}

void TestFileSystem::appendFails() {
    QFETCH(QString, relative);
    QFETCH(int, error);

    TestDir dir;
    dir.mkdir(QStringLiteral("sub"));
    QCOMPARE(fs::appendToFile(dir.file(relative), "line\r\n").number, error);
    QVERIFY(!dir.exists(QStringLiteral("gone")));
}

void TestFileSystem::createFolder_data() {
    QTest::addColumn<QString>("relative");
    QTest::addColumn<int>("error");

    QTest::newRow("new") << "fresh/" << int(ErrNone);
    QTest::newRow("new, no separator") << "fresh" << int(ErrNone);
    QTest::newRow("exists") << "sub/" << int(ErrFileExists);
    QTest::newRow("parent missing") << "gone/fresh/" << int(ErrPathNotFound);
}

void TestFileSystem::createFolder() {
    QFETCH(QString, relative);
    QFETCH(int, error);

    TestDir dir;
    dir.mkdir(QStringLiteral("sub"));
    QCOMPARE(fs::createFolder(dir.file(relative)).number, error);
    if (error == ErrNone)
        QVERIFY(fs::folderExists(dir.file(relative)));
    QVERIFY(!dir.exists(QStringLiteral("gone")));
}

void TestFileSystem::deleteFile_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("error");
    QTest::addColumn<bool>("gone");

    QTest::newRow("file") << "file" << int(ErrNone) << true;
    QTest::newRow("link to file") << "link to file" << int(ErrNone) << true;
    QTest::newRow("folder") << "folder" << int(ErrPathFileAccess) << false;
    QTest::newRow("missing") << "missing" << int(ErrFileNotFound) << true;
}

void TestFileSystem::deleteFile() {
    QFETCH(QString, kind);
    QFETCH(int, error);
    QFETCH(bool, gone);

    TestDir dir;
    QVERIFY(makeEntry(dir, QStringLiteral("entry"), kind));
    QCOMPARE(fs::deleteFile(dir.file(QStringLiteral("entry"))).number, error);
    QCOMPARE(existsRaw(rawPath(dir.file(QStringLiteral("entry")))), !gone);
    if (kind == QLatin1String("link to file"))
        QCOMPARE(dir.read(QStringLiteral("target-file")), QByteArray("x"));
}

void TestFileSystem::readerReadsWholeFileInBlocks() {
    TestDir dir;
    const QByteArray content = randomBytes(3 * 1024 * 1024 + 5, 7);
    const QString path = dir.write(QStringLiteral("big.bin"), content);

    fs::FileReader reader;
    QVERIFY(reader.open(path).ok());
    QCOMPARE(reader.size(), qint64(content.size()));
    QByteArray got;
    QByteArray buffer(100000, '\0');
    for (;;) {
        const qint64 r = reader.read(buffer.data(), buffer.size());
        QVERIFY(r >= 0);
        if (r == 0)
            break;
        got.append(buffer.constData(), r);
    }
    QCOMPARE(got, content);
    QCOMPARE(reader.read(buffer.data(), buffer.size()), qint64(0));
    reader.close();
    QCOMPARE(reader.read(buffer.data(), buffer.size()), qint64(-1));
}

void TestFileSystem::readerOpenFails_data() {
    QTest::addColumn<QString>("relative");
    QTest::addColumn<int>("error");

    QTest::newRow("missing") << "gone.bin" << int(ErrFileNotFound);
    QTest::newRow("a folder") << "sub" << int(ErrPathFileAccess);
}

void TestFileSystem::readerOpenFails() {
    QFETCH(QString, relative);
    QFETCH(int, error);

    TestDir dir;
    dir.mkdir(QStringLiteral("sub"));
    fs::FileReader reader;
    errno = ENOENT; // a failure left over from some earlier call must not be reported
    QCOMPARE(reader.open(dir.file(relative)).number, error);
    QCOMPARE(reader.error().number, error);
    char byte = 0;
    QCOMPARE(reader.read(&byte, 1), qint64(-1));
}

void TestFileSystem::moveWithinFileSystem() {
    TestDir dir;
    const QByteArray content("moving content");
    const QString source = dir.write(QStringLiteral("from/song.mp3"), content);
    const QString target = dir.mkdir(QStringLiteral("to"));

    QVERIFY(fs::moveFile(source, target).ok());
    QVERIFY(!dir.exists(QStringLiteral("from/song.mp3")));
    QCOMPARE(dir.read(QStringLiteral("to/song.mp3")), content);
    QVERIFY(fs::moveFile(dir.file(QStringLiteral("to/song.mp3")), dir.file(QStringLiteral("from/")))
                .ok());
    QCOMPARE(dir.read(QStringLiteral("from/song.mp3")), content);
    QCOMPARE(allNames(target), QList<QByteArray>());
}

void TestFileSystem::moveRefusesExistingName_data() {
    QTest::addColumn<QString>("kind");

    QTest::newRow("file") << "file";
    QTest::newRow("folder") << "folder";
    QTest::newRow("dangling link") << "dangling link";
}

void TestFileSystem::moveRefusesExistingName() {
    QFETCH(QString, kind);

    TestDir dir;
    const QString source = dir.write(QStringLiteral("from/entry"), "source content");
    TestDir other;
    QVERIFY(makeEntry(other, QStringLiteral("entry"), kind));
    const QByteArray before = other.read(QStringLiteral("entry"));

    const ErrorInfo result = fs::moveFile(source, other.path());
    QCOMPARE(result.number, int(ErrFileExists));
    QCOMPARE(result.description, QStringLiteral("File already exists"));
    QCOMPARE(dir.read(QStringLiteral("from/entry")), QByteArray("source content"));
    QCOMPARE(int(fs::kindOf(other.file(QStringLiteral("entry")))),
             int(kind == QLatin1String("file")     ? fs::Kind::File
                 : kind == QLatin1String("folder") ? fs::Kind::Folder
                                                   : fs::Kind::Other));
    QCOMPARE(other.read(QStringLiteral("entry")), before);
}

void TestFileSystem::moveFails_data() {
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("target");
    QTest::addColumn<int>("error");

    QTest::newRow("missing source") << "from/gone.mp3"
                                    << "to" << int(ErrFileNotFound);
    QTest::newRow("missing source folder") << "gone/song.mp3"
                                           << "to" << int(ErrFileNotFound);
    QTest::newRow("missing target folder") << "from/song.mp3"
                                           << "gone" << int(ErrPathNotFound);
    QTest::newRow("target is a file") << "from/song.mp3"
                                      << "to/plain.txt" << int(ErrPathNotFound);
    QTest::newRow("source is a folder") << "from"
                                        << "to" << int(ErrPathFileAccess);
}

void TestFileSystem::moveFails() {
    QFETCH(QString, source);
    QFETCH(QString, target);
    QFETCH(int, error);

    TestDir dir;
    dir.write(QStringLiteral("from/song.mp3"), "song");
    dir.write(QStringLiteral("to/plain.txt"), "plain");
    QCOMPARE(fs::moveFile(dir.file(source), dir.file(target)).number, error);
    QCOMPARE(dir.read(QStringLiteral("from/song.mp3")), QByteArray("song"));
    QCOMPARE(allNames(dir.file(QStringLiteral("to"))), QList<QByteArray>{"plain.txt"});
    QVERIFY(!dir.exists(QStringLiteral("gone")));
}

void TestFileSystem::copyMoveKeepsContentTimesAndMode_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("mode");

    QTest::newRow("empty, 0600") << QByteArray() << 0600;
    QTest::newRow("small, 0640") << QByteArray("small file") << 0640;
    QTest::newRow("several blocks, 0755") << randomBytes(2 * 1024 * 1024 + 333, 11) << 0755;
    QTest::newRow("exactly one block, read-only") << randomBytes(1024 * 1024, 12) << 0444;
}

void TestFileSystem::copyMoveKeepsContentTimesAndMode() {
    QFETCH(QByteArray, content);
    QFETCH(int, mode);

    TestDir dir;
    const QString source = dir.write(QStringLiteral("from/a.bin"), content);
    dir.mkdir(QStringLiteral("to"));
    const QByteArray src = rawPath(source);
    setTimes(src, 981173106, 123456789); // 2001-02-03
    QCOMPARE(::chmod(src.constData(), mode_t(mode)), 0);

    QVERIFY(fs::copyMove(source, dir.file(QStringLiteral("to/a.bin"))).ok());
    QVERIFY(!existsRaw(src));
    const QByteArray dst = rawPath(dir.file(QStringLiteral("to/a.bin")));
    QCOMPARE(readRaw(dst), content);
    const struct stat st = statOf(dst);
    QCOMPARE(int(st.st_mode & 07777), mode);
    QCOMPARE(qint64(st.st_mtim.tv_sec), qint64(981173106));
    QCOMPARE(qint64(st.st_mtim.tv_nsec), qint64(123456789));
    QCOMPARE(allNames(dir.file(QStringLiteral("to"))), QList<QByteArray>{"a.bin"});
}

void TestFileSystem::copyMoveRefusesExistingName() {
    TestDir dir;
    const QString source = dir.write(QStringLiteral("from/a.bin"), "new");
    dir.write(QStringLiteral("to/a.bin"), "old");
    QCOMPARE(fs::copyMove(source, dir.file(QStringLiteral("to/a.bin"))).number, int(ErrFileExists));
    QCOMPARE(dir.read(QStringLiteral("from/a.bin")), QByteArray("new"));
    QCOMPARE(dir.read(QStringLiteral("to/a.bin")), QByteArray("old"));
    QCOMPARE(allNames(dir.file(QStringLiteral("to"))), QList<QByteArray>{"a.bin"});
}

void TestFileSystem::faultLeavesSourceAndNoTrace_data() {
    QTest::addColumn<bool>("throughMove"); // moveFile with its rename refused as cross-device
    QTest::addColumn<int>("step");
    QTest::addColumn<int>("failOnCall");
    QTest::addColumn<int>("err");
    QTest::addColumn<int>("error");

    const int copy = int(fs::MoveStep::CopyBlock);
    QTest::newRow("copy, second block") << false << copy << 2 << ENOSPC << int(ErrDiskFull);
    QTest::newRow("copy, first block") << false << copy << 1 << EIO << int(ErrDeviceIO);
    QTest::newRow("verify") << false << int(fs::MoveStep::Verify) << 1 << EIO << int(ErrDeviceIO);
    QTest::newRow("publish") << false << int(fs::MoveStep::Publish) << 1 << ENOSPC
                             << int(ErrDiskFull);
    QTest::newRow("remove source")
        << false << int(fs::MoveStep::RemoveSource) << 1 << EACCES << int(ErrPermissionDenied);
    QTest::newRow("rename") << true << int(fs::MoveStep::Rename) << 1 << ENOSPC << int(ErrDiskFull);
    QTest::newRow("move: copy, second block") << true << copy << 2 << ENOSPC << int(ErrDiskFull);
    QTest::newRow("move: publish")
        << true << int(fs::MoveStep::Publish) << 1 << EDQUOT << int(ErrDiskFull);
    QTest::newRow("move: remove source")
        << true << int(fs::MoveStep::RemoveSource) << 1 << EPERM << int(ErrPermissionDenied);
}

void TestFileSystem::faultLeavesSourceAndNoTrace() {
    QFETCH(bool, throughMove);
    QFETCH(int, step);
    QFETCH(int, failOnCall);
    QFETCH(int, err);
    QFETCH(int, error);

    TestDir dir;
    const QByteArray content = randomBytes(2 * 1024 * 1024 + 1000, 3);
    const QString source = dir.write(QStringLiteral("from/big.bin"), content);
    const QString target = dir.mkdir(QStringLiteral("to"));

    int calls = 0;
    fs::setMoveFaultHook([&](fs::MoveStep at) {
        if (throughMove && at == fs::MoveStep::Rename && step != int(fs::MoveStep::Rename))
            return EXDEV;
        if (int(at) != step)
            return 0;
        return ++calls == failOnCall ? err : 0;
    });
    const ErrorInfo result = throughMove
                                 ? fs::moveFile(source, target)
                                 : fs::copyMove(source, dir.file(QStringLiteral("to/big.bin")));
    fs::setMoveFaultHook({});

    QCOMPARE(calls, failOnCall); // the fault was reached
    QCOMPARE(result.number, error);
    QCOMPARE(dir.read(QStringLiteral("from/big.bin")), content);
    QCOMPARE(allNames(target), QList<QByteArray>());
    QCOMPARE(allNames(dir.file(QStringLiteral("from"))), QList<QByteArray>{"big.bin"});
}

void TestFileSystem::moveAcrossDevices_data() {
    QTest::addColumn<int>("faultStep"); // -1: none
    QTest::addColumn<int>("error");

    QTest::newRow("no fault") << -1 << int(ErrNone);
    QTest::newRow("copy fails") << int(fs::MoveStep::CopyBlock) << int(ErrDiskFull);
    QTest::newRow("verify fails") << int(fs::MoveStep::Verify) << int(ErrDiskFull);
    QTest::newRow("remove source fails") << int(fs::MoveStep::RemoveSource) << int(ErrDiskFull);
}

void TestFileSystem::moveAcrossDevices() {
    QFETCH(int, faultStep);
    QFETCH(int, error);

    TestDir dir;
    QTemporaryDir shm(QStringLiteral("/dev/shm/namewick-test-XXXXXX"));
    if (!shm.isValid())
        QSKIP("no /dev/shm");
    if (statOf(rawPath(dir.path())).st_dev == statOf(rawPath(shm.path())).st_dev)
        QSKIP("/dev/shm is on the same device as the temporary folder");

    const QByteArray content = randomBytes(1536 * 1024, 5);
    const QString source = dir.write(QStringLiteral("song.mp3"), content);
    const QByteArray src = rawPath(source);
    setTimes(src, 1000000000, 500);
    QCOMPARE(::chmod(src.constData(), 0640), 0);

    int reached = 0;
    fs::setMoveFaultHook([&](fs::MoveStep at) {
        if (int(at) != faultStep)
            return 0;
        ++reached;
        return ENOSPC;
    });
    const ErrorInfo result = fs::moveFile(source, shm.path());
    fs::setMoveFaultHook({});
    QCOMPARE(result.number, error);

    const QByteArray dst = rawPath(shm.path()) + "/song.mp3";
    if (error == ErrNone) {
        QVERIFY(!existsRaw(src));
        QCOMPARE(readRaw(dst), content);
        const struct stat st = statOf(dst);
        QCOMPARE(int(st.st_mode & 07777), 0640);
        QCOMPARE(qint64(st.st_mtim.tv_sec), qint64(1000000000));
        QCOMPARE(qint64(st.st_mtim.tv_nsec), qint64(500));
    } else {
        QVERIFY(reached > 0);
        QCOMPARE(readRaw(src), content);
        QCOMPARE(allNames(shm.path()), QList<QByteArray>());
    }
}

QTEST_APPLESS_MAIN(TestFileSystem)
#include "test_file_system.moc"
