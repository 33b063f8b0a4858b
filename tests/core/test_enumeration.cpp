#include "core/FileEnumeration.h"
#include "core/Flags.h"
#include "support/RecordingView.h"
#include "support/TestDir.h"
#include "support/Unprivileged.h"

#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QTest>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace nw;
using namespace nw::test;

namespace {

// The listed paths relative to root, for readable comparisons.
QStringList relative(const FileList& list, const QString& root) {
    QStringList out;
    const QString prefix = root + QLatin1Char('/');
    for (const QString& path : list) {
        if (!path.startsWith(prefix))
            return {QStringLiteral("outside: ") + path};
        out << path.mid(prefix.size());
    }
    return out;
}

} // namespace

class TestEnumeration : public QObject {
    Q_OBJECT

private slots:
    void init() { StopFlag = false; }
    void cleanup() { StopFlag = false; }

    void depthFirstInNameOrder();
#ifdef Q_OS_UNIX
    void linksAndPipesLeftOut();
    void nonUtf8NameCanBeOpenedAgain();
#endif
    void missingFolderIsReportedTwice();
    void folderVanishingDuringTheWalk();
    void lockedFolderIsSkipped_data();
    void lockedFolderIsSkipped();

    void fileSize();
    void fileSizeBeyond32Bits();
};

void TestEnumeration::depthFirstInNameOrder() {
    TestDir dir;
    QVERIFY(GetFileList(dir.path()).isEmpty());
    for (const char* name :
         {"z.txt", "Sub/x.txt", "Sub/Deeper/y.txt", "Sub/a.txt", "a.txt", "B", "a", "_u", "ä.txt",
          ".hidden", ".config/visible.txt", "Sub/.also-hidden", "..double"})
        dir.write(QString::fromUtf8(name));
    dir.mkdir(QStringLiteral("empty/inner"));

    RecordingSink sink;
    int yields = 0;
    const FileList list = GetFileList(dir.path(), [&] { ++yields; });
    // Ordinal order: capitals before small letters, folders among files, files of a
    // folder at the folder's place; hidden names left out.
    QCOMPARE(relative(list, dir.path()),
             (QStringList{"B", "Sub/Deeper/y.txt", "Sub/a.txt", "Sub/x.txt", "_u", "a", "a.txt",
                          "z.txt", "ä.txt"}));
    QVERIFY(yields >= list.size());
    QCOMPARE(GetFileList(dir.path() + QLatin1Char('/')), list);
    QVERIFY(sink.reports.isEmpty());
    QVERIFY(!StopFlag);
}

#ifdef Q_OS_UNIX // links, FIFOs and names as bytes are a Unix matter
void TestEnumeration::linksAndPipesLeftOut() {
    TestDir dir;
    const QString target = dir.write(QStringLiteral("real/file.txt"), "x");
    QVERIFY(QFile::link(target, dir.file(QStringLiteral("link-to-file.txt"))));
    QVERIFY(QFile::link(dir.file(QStringLiteral("real")), dir.file(QStringLiteral("link-to-dir"))));
    // A link to its own folder would loop for ever if it were followed.
    QVERIFY(QFile::link(dir.path(), dir.file(QStringLiteral("real/loop"))));
    QVERIFY(QFile::link(dir.file(QStringLiteral("nowhere")), dir.file(QStringLiteral("dangling"))));
    QCOMPARE(::mkfifo(QFile::encodeName(dir.file(QStringLiteral("pipe"))).constData(), 0600), 0);

    RecordingSink sink;
    QCOMPARE(relative(GetFileList(dir.path()), dir.path()), QStringList{"real/file.txt"});
    QVERIFY(sink.reports.isEmpty());
}

void TestEnumeration::nonUtf8NameCanBeOpenedAgain() {
    TestDir dir;
    const QByteArray name = QFile::encodeName(dir.path()) + "/caf\xe9.txt";
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    QVERIFY(fd >= 0);
    // QTemporaryDir cannot remove a name that is not UTF-8.
    const auto removeIt = qScopeGuard([&] { ::unlink(name.constData()); });
    QCOMPARE(::write(fd, "12345", 5), ssize_t(5));
    ::close(fd);

    RecordingSink sink;
    const FileList list = GetFileList(dir.path());
    QCOMPARE(list.size(), 1);
    QCOMPARE(GetFSize(list.first()), 5.0);
    QVERIFY(sink.reports.isEmpty());
}
#endif

void TestEnumeration::missingFolderIsReportedTwice() {
    RecordingSink sink;
    TestDir dir;
    QVERIFY(GetFileList(dir.file(QStringLiteral("missing"))).isEmpty());
    QCOMPARE(sink.reports, (QStringList{"Global/FolderItems/76", "Global/ScanFolder/91"}));
    QVERIFY(StopFlag);
}

// Whenever the folder disappears, the rest of the tree is still listed, and a folder that was
// seen but could not be listed is reported under both procedures.
void TestEnumeration::folderVanishingDuringTheWalk() {
    int yieldsOfAWalk = 0;
    {
        TestDir dir;
        dir.write(QStringLiteral("a.txt"));
        dir.write(QStringLiteral("b/x.txt"));
        dir.write(QStringLiteral("c.txt"));
        GetFileList(dir.path(), [&] { ++yieldsOfAWalk; });
    }
    QVERIFY(yieldsOfAWalk > 0);

    bool sawListingFailure = false;
    for (int when = 1; when <= yieldsOfAWalk; ++when) {
        StopFlag = false;
        TestDir dir;
        dir.write(QStringLiteral("a.txt"));
        dir.write(QStringLiteral("b/x.txt"));
        dir.write(QStringLiteral("c.txt"));
        RecordingSink sink;
        int yields = 0;
        const FileList list = GetFileList(dir.path(), [&] {
            if (++yields == when)
                QDir(dir.file(QStringLiteral("b"))).removeRecursively();
        });
        const QStringList got = relative(list, dir.path());
        QVERIFY2(got.contains(QStringLiteral("a.txt")) && got.contains(QStringLiteral("c.txt")),
                 qPrintable(got.join(u',')));
        QVERIFY(got.size() <= 3);
        if (!sink.reports.isEmpty()) {
            QCOMPARE(sink.reports, (QStringList{"Global/FolderItems/76", "Global/ScanFolder/91"}));
            QVERIFY(!got.contains(QStringLiteral("b/x.txt")));
            sawListingFailure = true;
        }
    }
    QVERIFY(sawListingFailure);
}

void TestEnumeration::lockedFolderIsSkipped_data() {
    QTest::addColumn<unsigned>("mode");
    QTest::addColumn<QStringList>("reports");
    QTest::newRow("unreadable: reported")
        << 0u << QStringList{"Global/FolderItems/70", "Global/ScanFolder/91"};
    // Names can be read but not looked up: the entries are left out without a report.
    QTest::newRow("unsearchable: silent") << 0400u << QStringList{};
}

void TestEnumeration::lockedFolderIsSkipped() {
    QFETCH(unsigned, mode);
    QFETCH(QStringList, reports);
    asUnprivileged([&] {
        TestDir dir;
        dir.write(QStringLiteral("a.txt"));
        dir.write(QStringLiteral("locked/secret.txt"));
        dir.write(QStringLiteral("z.txt"));
        ModeGuard guard(dir.file(QStringLiteral("locked")), mode);

        RecordingSink sink;
        QCOMPARE(relative(GetFileList(dir.path()), dir.path()), (QStringList{"a.txt", "z.txt"}));
        QCOMPARE(sink.reports, reports);
    });
}

void TestEnumeration::fileSize() {
    RecordingSink sink;
    TestDir dir;
    QCOMPARE(GetFSize(QString()), 0.0);
    QCOMPARE(GetFSize(dir.write(QStringLiteral("empty"))), 0.0);
    QCOMPARE(GetFSize(dir.write(QStringLiteral("ten"), QByteArray(10, 'x'))), 10.0);
    QVERIFY(sink.reports.isEmpty());

    QCOMPARE(GetFSize(dir.file(QStringLiteral("gone"))), 0.0);
    QCOMPARE(sink.reports, QStringList{"Global/GetFSize/53"});
    QVERIFY(StopFlag);
}

void TestEnumeration::fileSizeBeyond32Bits() {
    TestDir dir;
    const QString path = dir.write(QStringLiteral("sparse"));
    const qint64 size = (qint64(1) << 32) + 123;
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadWrite));
        QVERIFY(f.resize(size));
    }
    QCOMPARE(GetFSize(path), double(size));
}

QTEST_GUILESS_MAIN(TestEnumeration)
#include "test_enumeration.moc"
