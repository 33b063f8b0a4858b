#include "core/FileCrc.h"
#include "core/Flags.h"
#include "support/RecordingView.h"
#include "support/TestDir.h"
#include "support/Unprivileged.h"

#include <QTest>

using namespace nw;
using namespace nw::test;

namespace {

// Bit at a time, straight from the polynomial: nothing shared with the code under test.
qint32 referenceCrc(const QByteArray& data) {
    quint32 c = 0xFFFFFFFFu;
    for (const char ch : data) {
        c ^= quint8(ch);
        for (int k = 0; k < 8; ++k)
            c = (c & 1u) ? (c >> 1) ^ 0xEDB88320u : c >> 1;
    }
    return qint32(~c);
}

} // namespace

class TestCrc : public QObject {
    Q_OBJECT

private slots:
    void init() { StopFlag = CRCSkipFlag = false; }
    void cleanup() { StopFlag = CRCSkipFlag = false; }

    void knownValues_data();
    void knownValues();
    void largeFileEqualsOneShot_data();
    void largeFileEqualsOneShot();
    void failureIsReported();
    void flagGivesZero_data();
    void flagGivesZero();
};

void TestCrc::knownValues_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("crc");

    QTest::newRow("123456789") << QByteArray("123456789") << -873187034;
    QTest::newRow("abc") << QByteArray("abc") << 891568578;
    QTest::newRow("empty") << QByteArray() << 0;
    QTest::newRow("zero bytes") << QByteArray(4, '\0') << referenceCrc(QByteArray(4, '\0'));
    QTest::newRow("high bytes") << QByteArray("\xff\x80\x7f\r\n", 5)
                                << referenceCrc(QByteArray("\xff\x80\x7f\r\n", 5));
}

void TestCrc::knownValues() {
    QFETCH(QByteArray, content);
    QFETCH(int, crc);

    TestDir dir;
    const QString path = dir.write(QStringLiteral("f.bin"), content);
    qint64 size = -2;
    QCOMPARE(int(GetCRC32(path, {}, &size)), crc);
    QCOMPARE(size, qint64(content.size()));
}

void TestCrc::largeFileEqualsOneShot_data() {
    QTest::addColumn<int>("bytes");
    // Files are read in blocks: the last one full, short, or a single byte.
    const int mib = 1024 * 1024;
    QTest::newRow("ends on a block") << 2 * mib;
    QTest::newRow("ends one byte short") << 2 * mib - 1;
    QTest::newRow("one byte in the last block") << 2 * mib + 1;
}

void TestCrc::largeFileEqualsOneShot() {
    QFETCH(int, bytes);
    // No block repeats another.
    QByteArray content(bytes, Qt::Uninitialized);
    quint32 x = 12345;
    for (char& ch : content) {
        x = x * 1103515245u + 12345u;
        ch = char(x >> 24);
    }
    TestDir dir;
    const QString path = dir.write(QStringLiteral("big.bin"), content);
    int yields = 0;
    qint64 size = 0;
    QCOMPARE(GetCRC32(
                 path, [&] { ++yields; }, &size),
             referenceCrc(content));
    QCOMPARE(size, qint64(content.size()));
    QVERIFY(yields >= 2);
}

void TestCrc::failureIsReported() {
    RecordingSink sink;
    TestDir dir;
    qint64 size = 0;
    QCOMPARE(GetCRC32(dir.file(QStringLiteral("gone.bin")), {}, &size), 0);
    QCOMPARE(size, qint64(-1));
    QCOMPARE(sink.reports, QStringList{"Global/GetCRC32/53"});
    QVERIFY(StopFlag);
    QVERIFY(!dir.exists(QStringLiteral("gone.bin")));

    StopFlag = false;
    QCOMPARE(GetCRC32(dir.mkdir(QStringLiteral("sub"))), 0);
    QCOMPARE(sink.reports.size(), 2);
    QVERIFY2(sink.reports.last().startsWith(QStringLiteral("Global/GetCRC32/")),
             qPrintable(sink.reports.last()));

    asUnprivileged([&] {
        StopFlag = false;
        TestDir own;
        const QString locked = own.write(QStringLiteral("locked.bin"), "abc");
        ModeGuard guard(locked, 0);
        QCOMPARE(GetCRC32(locked), 0);
        QCOMPARE(sink.reports.mid(2), QStringList{"Global/GetCRC32/70"});
    });
}

void TestCrc::flagGivesZero_data() {
    QTest::addColumn<bool>("stop");
    QTest::addColumn<int>("atYield"); // 0: raised before the call
    QTest::newRow("StopFlag before") << true << 0;
    QTest::newRow("CRCSkipFlag before") << false << 0;
    QTest::newRow("StopFlag between blocks") << true << 2;
    QTest::newRow("CRCSkipFlag between blocks") << false << 2;
}

void TestCrc::flagGivesZero() {
    QFETCH(bool, stop);
    QFETCH(int, atYield);
    RecordingSink sink;
    TestDir dir;
    const QString path = dir.write(QStringLiteral("big.bin"), QByteArray(3 * 1024 * 1024, 'z'));
    std::atomic<bool>& flag = stop ? StopFlag : CRCSkipFlag;
    flag = atYield == 0;
    int yields = 0;
    qint64 size = 0;
    QCOMPARE(GetCRC32(
                 path,
                 [&] {
                     if (++yields == atYield)
                         flag = true;
                 },
                 &size),
             0);
    QCOMPARE(size, qint64(-1));
    if (atYield == 0) {
        // Not even opened: a missing file is not reported either.
        QCOMPARE(GetCRC32(dir.file(QStringLiteral("missing")), {}, &size), 0);
        QVERIFY(sink.reports.isEmpty());
    }
}

QTEST_GUILESS_MAIN(TestCrc)
#include "test_crc.moc"
