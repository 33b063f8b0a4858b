// The files a scan reads and writes: the listing of the tree, sizes, checksums and its logs.
#include "core/FileCrc.h"
#include "core/FileEnumeration.h"
#include "core/Flags.h"
#include "core/ScanLog.h"
#include "platform/Crc32.h"
#include "support/RecordingView.h"
#include "support/TestDir.h"
#include "support/Unprivileged.h"

#include <QFile>
#include <QTest>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

using namespace nw;
using namespace nw::test;

namespace {

// The listed paths below root, for readable comparisons.
QStringList relative(const FileList& list, const QString& root) {
    return list.paths().replaceInStrings(root + QLatin1Char('/'), QString());
}

} // namespace

class TestScanFiles : public QObject {
    Q_OBJECT

private slots:
    void init() { StopFlag = CRCSkipFlag = false; }

    void listDepthFirstInNameOrder();
    void unsearchableFolderIsLeftOut();
    void stopEndsTheWalk();
    void sizeBeyond32Bits();

    void checksum_data();
    void checksum();
    void checksumFailureIsReported();
    void checksumFlagGivesZero_data();
    void checksumFlagGivesZero();

    void logCreatesThenAppends();
    void logFailureIsReported();
};

// Ordinal order: capitals before small letters, folders among files, files of a folder at the
// folder's place. Hidden names, links (one to its own folder would loop for ever) and pipes are
// left out.
void TestScanFiles::listDepthFirstInNameOrder() {
    TestDir dir;
    for (const char* name :
         {"z.txt", "Sub/x.txt", "Sub/Deeper/y.txt", "Sub/a.txt", "a.txt", "B", "a", "_u", "ä.txt",
          ".hidden", ".config/visible.txt", "Sub/.also-hidden", "..double"})
        dir.write(QString::fromUtf8(name));
    dir.mkdir(QStringLiteral("empty/inner"));
#ifdef Q_OS_UNIX
    QVERIFY(QFile::link(dir.file(QStringLiteral("z.txt")), dir.file(QStringLiteral("link.txt"))));
    QVERIFY(QFile::link(dir.file(QStringLiteral("Sub")), dir.file(QStringLiteral("link-to-dir"))));
    QVERIFY(QFile::link(dir.path(), dir.file(QStringLiteral("Sub/loop"))));
    QVERIFY(QFile::link(dir.file(QStringLiteral("nowhere")), dir.file(QStringLiteral("dangling"))));
    QCOMPARE(::mkfifo(QFile::encodeName(dir.file(QStringLiteral("pipe"))).constData(), 0600), 0);
#endif

    RecordingSink sink;
    int yields = 0;
    const FileList list = GetFileList(dir.path(), [&] { ++yields; });
    QCOMPARE(relative(list, dir.path()),
             (QStringList{"B", "Sub/Deeper/y.txt", "Sub/a.txt", "Sub/x.txt", "_u", "a", "a.txt",
                          "z.txt", "ä.txt"}));
    QVERIFY(yields >= list.size());
    QCOMPARE(list.name(1), QStringLiteral("y.txt"));
    QCOMPARE(list.folder(1), dir.file(QStringLiteral("Sub/Deeper/")));
    QCOMPARE(GetFileList(dir.path() + QLatin1Char('/')), list);
    QVERIFY(sink.reports.isEmpty());
}

// Names can be read but not looked up: the entries are left out without a report.
void TestScanFiles::unsearchableFolderIsLeftOut() {
    asUnprivileged([&] {
        TestDir dir;
        for (const char* name : {"a.txt", "locked/secret.txt", "z.txt"})
            dir.write(QString::fromLatin1(name));
        ModeGuard locked(dir.file(QStringLiteral("locked")), 0400);
        RecordingSink sink;
        QCOMPARE(relative(GetFileList(dir.path()), dir.path()), (QStringList{"a.txt", "z.txt"}));
        QVERIFY(sink.reports.isEmpty());
    });
}

// A Stop raised in any look at the window ends the walk within a few looks more.
void TestScanFiles::stopEndsTheWalk() {
    TestDir dir;
    for (int k = 0; k < 10; ++k)
        for (const char* folder : {"a/", "a/b/", "c/"})
            dir.write(QString::fromLatin1(folder) + QString::number(k));
    int all = 0;
    GetFileList(dir.path(), [&] { ++all; });
    for (int when = 1; when <= all; ++when) {
        StopFlag = false;
        int yields = 0;
        GetFileList(dir.path(), [&] {
            if (++yields == when)
                StopFlag = true;
        });
        QVERIFY2(yields - when <= 3, qPrintable(QStringLiteral("stop at look %1 of %2: %3 more")
                                                    .arg(when)
                                                    .arg(all)
                                                    .arg(yields - when)));
    }
}

void TestScanFiles::sizeBeyond32Bits() {
    TestDir dir;
    QFile sparse(dir.write(QStringLiteral("sparse")));
    const qint64 size = (qint64(1) << 32) + 123;
    QVERIFY(sparse.open(QIODevice::ReadWrite) && sparse.resize(size));
    sparse.close();
    QCOMPARE(GetFSize(sparse.fileName()), double(size));
}

void TestScanFiles::checksum_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("empty") << QByteArray();
    // Files are read in blocks: the last one full, short, or a single byte; no block repeats
    // another.
    QByteArray content(2 * (1 << 20) + 1, Qt::Uninitialized);
    for (qsizetype k = 0; k < content.size(); ++k)
        content[k] = char(k * 131 + k / 7);
    QTest::newRow("ends on a block") << content.chopped(1);
    QTest::newRow("ends one byte short") << content.chopped(2);
    QTest::newRow("one byte in the last block") << content;
}

void TestScanFiles::checksum() {
    QFETCH(QByteArray, content);
    TestDir dir;
    const QString path = dir.write(QStringLiteral("f.bin"), content);
    int yields = 0;
    qint64 size = -2;
    const auto look = [&] { ++yields; };
    QCOMPARE(GetCRC32(path, look, &size),
             qint32(crc32Update(0, content.constData(), size_t(content.size()))));
    QCOMPARE(size, qint64(content.size()));
    QVERIFY2(yields > content.size() >> 20, "no look at the window between blocks");
}

void TestScanFiles::checksumFailureIsReported() {
    RecordingSink sink;
    TestDir dir;
    qint64 size = 0;
    QCOMPARE(GetCRC32(dir.mkdir(QStringLiteral("sub")), {}, &size), 0);
    QCOMPARE(size, qint64(-1));
    QVERIFY2(sink.reports.size() == 1 && sink.reports.first().startsWith("Global/GetCRC32/"),
             qPrintable(sink.reports.join(u',')));

    asUnprivileged([&] {
        StopFlag = false;
        TestDir own;
        const QString locked = own.write(QStringLiteral("locked.bin"), "abc");
        ModeGuard guard(locked, 0);
        QCOMPARE(GetCRC32(locked), 0);
        QCOMPARE(sink.reports.mid(1), QStringList{"Global/GetCRC32/70"});
    });
}

void TestScanFiles::checksumFlagGivesZero_data() {
    QTest::addColumn<bool>("stop"); // else CRCSkipFlag
    QTest::newRow("StopFlag") << true;
    QTest::newRow("CRCSkipFlag") << false;
}

// Raised between two blocks, either flag gives up the file at once.
void TestScanFiles::checksumFlagGivesZero() {
    QFETCH(bool, stop);
    TestDir dir;
    const QString path = dir.write(QStringLiteral("big.bin"), QByteArray(3 << 20, 'z'));
    std::atomic<bool>& flag = stop ? StopFlag : CRCSkipFlag;
    int yields = 0;
    qint64 size = 0;
    const auto raiseAtTheSecond = [&] { flag = ++yields == 2; };
    QCOMPARE(GetCRC32(path, raiseAtTheSecond, &size), 0);
    QCOMPARE(size, qint64(-1));
    QCOMPARE(yields, 2);
}

void TestScanFiles::logCreatesThenAppends() {
    RecordingSink sink;
    TestDir dir;
    const QString folder = dir.path() + QLatin1Char('/');
    QVERIFY(WriteLog(folder, QStringLiteral("first"), QStringLiteral("Log")));
    // The folder may come with or without its separator; an empty line is just the terminator.
    QVERIFY(WriteLog(dir.path(), QStringLiteral("second"), QStringLiteral("Log")));
    QVERIFY(WriteLog(folder, QString(), QStringLiteral("Log")));
    QCOMPARE(dir.read(QStringLiteral("Log.txt")), QByteArray("first\r\nsecond\r\n\r\n"));
    QVERIFY(sink.reports.isEmpty());
    QCOMPARE(logPath(QStringLiteral("/"), QStringLiteral("Log")), QStringLiteral("/Log.txt"));
}

void TestScanFiles::logFailureIsReported() {
    asUnprivileged([&] {
        RecordingSink sink;
        TestDir dir;
        ModeGuard guard(dir.mkdir(QStringLiteral("ro")), 0555);
        QVERIFY(!WriteLog(dir.file(QStringLiteral("ro")), QStringLiteral("lost"),
                          QStringLiteral("Log")));
        QCOMPARE(sink.reports, QStringList{"Global/WriteLog/70"});
        QVERIFY(StopFlag);
        QVERIFY(!dir.exists(QStringLiteral("ro/Log.txt")));
    });
}

QTEST_GUILESS_MAIN(TestScanFiles)
#include "test_scan_files.moc"
