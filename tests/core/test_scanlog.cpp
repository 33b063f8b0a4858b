#include "Flags.h"
#include "PathCodec.h"
#include "RecordingView.h"
#include "ScanLog.h"
#include "TestDir.h"

#include <QTest>

using namespace nw;
using namespace nw::test;

class TestScanLog : public QObject {
    Q_OBJECT

private slots:
    void init() { StopFlag = false; }
    void cleanup() { StopFlag = false; }

    void createsThenAppends();
    void folderWithOrWithoutSeparator();
    void emptyLineIsJustTheTerminator();
    void namesKeepTheirBytes();
    void logPathAtRoot();
    void failureIsReported_data();
    void failureIsReported();
    void readOnlyFolderIsReported();
};

void TestScanLog::createsThenAppends() {
    RecordingSink sink;
    TestDir dir;
    const QString folder = dir.path() + QLatin1Char('/');
    QVERIFY(WriteLog(folder, QStringLiteral("first"), QStringLiteral("Log")));
    QCOMPARE(dir.read(QStringLiteral("Log.txt")), QByteArray("first\r\n"));
    QVERIFY(WriteLog(folder, QStringLiteral("second"), QStringLiteral("Log")));
    QVERIFY(WriteLog(folder, QStringLiteral("moved"), QStringLiteral("Move")));
    QCOMPARE(dir.read(QStringLiteral("Log.txt")), QByteArray("first\r\nsecond\r\n"));
    QCOMPARE(dir.read(QStringLiteral("Move.txt")), QByteArray("moved\r\n"));
    QVERIFY(sink.reports.isEmpty());
}

void TestScanLog::folderWithOrWithoutSeparator() {
    TestDir dir;
    QVERIFY(WriteLog(dir.path(), QStringLiteral("a"), QStringLiteral("Log")));
    QVERIFY(WriteLog(dir.path() + QLatin1Char('/'), QStringLiteral("b"), QStringLiteral("Log")));
    QCOMPARE(dir.read(QStringLiteral("Log.txt")), QByteArray("a\r\nb\r\n"));
}

void TestScanLog::emptyLineIsJustTheTerminator() {
    TestDir dir;
    QVERIFY(WriteLog(dir.path(), QString(), QStringLiteral("Log")));
    QCOMPARE(dir.read(QStringLiteral("Log.txt")), QByteArray("\r\n"));
}

void TestScanLog::namesKeepTheirBytes() {
    TestDir dir;
    // UTF-8 without a byte-order mark ...
    QVERIFY(WriteLog(dir.path(), QStringLiteral("Same Length: /d/Ärger.mp3 <=> /d/ärger.mp3 (5)"),
                     QStringLiteral("Log")));
    // ... and a name that was not UTF-8 on disk comes out as the bytes it was listed under.
    QVERIFY(WriteLog(dir.path(), decodePath(QByteArray("/d/caf\xe9.mp3")), QStringLiteral("Log")));
    QCOMPARE(dir.read(QStringLiteral("Log.txt")),
             QByteArray("Same Length: /d/\xc3\x84rger.mp3 <=> /d/\xc3\xa4rger.mp3 (5)\r\n"
                        "/d/caf\xe9.mp3\r\n"));
}

void TestScanLog::logPathAtRoot() {
    QCOMPARE(logPath(QStringLiteral("/"), QStringLiteral("Log")), QStringLiteral("/Log.txt"));
    QCOMPARE(logPath(QStringLiteral("/music"), QStringLiteral("Move")),
             QStringLiteral("/music/Move.txt"));
    QCOMPARE(logPath(QStringLiteral("/music/"), QStringLiteral("Move")),
             QStringLiteral("/music/Move.txt"));
}

void TestScanLog::failureIsReported_data() {
    QTest::addColumn<QString>("folder");
    QTest::addColumn<bool>("logIsFolder");
    QTest::addColumn<QString>("report");

    QTest::newRow("missing folder") << "missing/" << false << "Global/WriteLog/76";
    QTest::newRow("log name taken by a folder") << "" << true << "Global/WriteLog/75";
}

void TestScanLog::failureIsReported() {
    QFETCH(QString, folder);
    QFETCH(bool, logIsFolder);
    QFETCH(QString, report);

    RecordingSink sink;
    TestDir dir;
    if (logIsFolder)
        dir.mkdir(QStringLiteral("Log.txt"));
    QVERIFY(!WriteLog(dir.file(folder), QStringLiteral("lost"), QStringLiteral("Log")));
    QCOMPARE(sink.reports, QStringList{report});
    QVERIFY(StopFlag);
}

void TestScanLog::readOnlyFolderIsReported() {
    if (runningAsRoot())
        QSKIP("root writes into the folder anyway");
    RecordingSink sink;
    TestDir dir;
    const QString folder = dir.mkdir(QStringLiteral("ro"));
    ModeGuard guard(folder, 0555);
    QVERIFY(!WriteLog(folder, QStringLiteral("lost"), QStringLiteral("Log")));
    QCOMPARE(sink.reports, QStringList{QStringLiteral("Global/WriteLog/70")});
    QVERIFY(StopFlag);
    QVERIFY(!dir.exists(QStringLiteral("ro/Log.txt")));
}

QTEST_GUILESS_MAIN(TestScanLog)
#include "test_scanlog.moc"
