#include "core/Flags.h"
#include "core/ScanLog.h"
#include "platform/PathCodec.h"
#include "support/RecordingView.h"
#include "support/TestDir.h"
#include "support/Unprivileged.h"

#include <QTest>

#include <optional>

using namespace nw;
using namespace nw::test;

class TestScanLog : public QObject {
    Q_OBJECT

private slots:
    void init() { StopFlag = false; }
    void cleanup() { StopFlag = false; }

    void createsThenAppends();
    void namesKeepTheirBytes();
    void logPathAtRoot();
    void failureIsReported_data();
    void failureIsReported();
};

void TestScanLog::createsThenAppends() {
    RecordingSink sink;
    TestDir dir;
    const QString folder = dir.path() + QLatin1Char('/');
    QVERIFY(WriteLog(folder, QStringLiteral("first"), QStringLiteral("Log")));
    QCOMPARE(dir.read(QStringLiteral("Log.txt")), QByteArray("first\r\n"));
    // The folder may come with or without its separator; an empty line is just the terminator.
    QVERIFY(WriteLog(dir.path(), QStringLiteral("second"), QStringLiteral("Log")));
    QVERIFY(WriteLog(folder, QString(), QStringLiteral("Log")));
    QVERIFY(WriteLog(folder, QStringLiteral("moved"), QStringLiteral("Move")));
    QCOMPARE(dir.read(QStringLiteral("Log.txt")), QByteArray("first\r\nsecond\r\n\r\n"));
    QCOMPARE(dir.read(QStringLiteral("Move.txt")), QByteArray("moved\r\n"));
    QVERIFY(sink.reports.isEmpty());
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
    QTest::addColumn<int>("error");

    QTest::newRow("missing folder") << "missing/" << 76;
    QTest::newRow("log name taken by a folder") << "taken" << 75;
    QTest::newRow("read-only folder") << "ro" << 70;
}

void TestScanLog::failureIsReported() {
    QFETCH(QString, folder);
    QFETCH(int, error);

    asUnprivileged([&] {
        RecordingSink sink;
        TestDir dir;
        std::optional<ModeGuard> guard;
        if (folder == QLatin1String("taken"))
            dir.mkdir(QStringLiteral("taken/Log.txt"));
        if (folder == QLatin1String("ro"))
            guard.emplace(dir.mkdir(folder), 0555);
        QVERIFY(!WriteLog(dir.file(folder), QStringLiteral("lost"), QStringLiteral("Log")));
        QCOMPARE(sink.reports, QStringList{QStringLiteral("Global/WriteLog/%1").arg(error)});
        QVERIFY(StopFlag);
        if (error != 75)
            QVERIFY(!dir.exists(folder + QStringLiteral("/Log.txt")));
    });
}

QTEST_GUILESS_MAIN(TestScanLog)
#include "test_scanlog.moc"
