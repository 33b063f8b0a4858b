#include "Crc32.h"
#include "PathCodec.h"

#include <QTest>

#include <algorithm>
#include <cstdint>

using namespace nw;

class TestPathCodec : public QObject {
    Q_OBJECT

private slots:
    void bytesSurviveRoundTrip_data();
    void bytesSurviveRoundTrip();
    void decodedText_data();
    void decodedText();
    void strayTextEncodes_data();
    void strayTextEncodes();
    void everyByteValueSurvives();

    void crcOfKnownInputs_data();
    void crcOfKnownInputs();
    void crcContinuesAcrossPieces_data();
    void crcContinuesAcrossPieces();
};

namespace {

QString text(std::initializer_list<char16_t> units) {
    QString s;
    for (char16_t u : units)
        s.append(QChar(u));
    return s;
}

} // namespace

void TestPathCodec::bytesSurviveRoundTrip_data() {
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("ascii") << QByteArray("song.mp3");
    QTest::newRow("latin-1 byte") << QByteArray("caf\xE9.mp3");
    QTest::newRow("two-byte utf-8") << QByteArray("caf\xC3\xA9.mp3");
    QTest::newRow("three-byte utf-8") << QByteArray("\xE2\x82\xAC 5.txt");
    QTest::newRow("four-byte utf-8") << QByteArray("\xF0\x9F\x98\x80.png");
    // Its low surrogate U+DC80 is also the escape of byte 0x80.
    QTest::newRow("four-byte, low half in escape range") << QByteArray("a\xF0\x90\x82\x80z");
    QTest::newRow("escape then four-byte") << QByteArray("\xFF\xF0\x90\x82\x80");
    QTest::newRow("encoded surrogate") << QByteArray("\xED\xA0\x80x");
    QTest::newRow("encoded escape code point") << QByteArray("\xED\xB2\x80");
    QTest::newRow("overlong slash") << QByteArray("a\xC0\xAF"
                                                  "b");
    QTest::newRow("overlong three-byte") << QByteArray("\xE0\x80\xAF");
    QTest::newRow("truncated at end") << QByteArray("name\xE2\x82");
    QTest::newRow("truncated before ascii") << QByteArray("\xE2\x82"
                                                          "A");
    QTest::newRow("beyond U+10FFFF") << QByteArray("\xF4\x90\x80\x80");
    QTest::newRow("five-byte form") << QByteArray("\xF8\x88\x80\x80\x80");
    QTest::newRow("lone continuation") << QByteArray("\x80\xBF");
    QTest::newRow("mixed valid and invalid") << QByteArray("\xC3\xA9\xE9\xC3\xA9\xF0\x9F\x98");
}

void TestPathCodec::bytesSurviveRoundTrip() {
    QFETCH(QByteArray, bytes);
    const QString decoded = decodePath(bytes);
    QCOMPARE(encodePath(decoded), bytes);
    QCOMPARE(encodeText(decoded), bytes);
    // Text built from decoded pieces must encode to the joined bytes.
    QCOMPARE(encodePath(decodePath("/x/") + decoded + decoded), "/x/" + bytes + bytes);
}

void TestPathCodec::decodedText_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("expected");

    QTest::newRow("valid utf-8 reads as itself")
        << QByteArray("caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80")
        << QString::fromUtf8("caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80");
    QTest::newRow("invalid byte kept as escape")
        << QByteArray("caf\xE9.mp3")
        << QStringLiteral("caf") + QChar(0xDCE9) + QStringLiteral(".mp3");
    QTest::newRow("each byte of a bad sequence")
        << QByteArray("\xED\xA0\x80") << text({0xDCED, 0xDCA0, 0xDC80});
    QTest::newRow("truncated sequence, then ascii") << QByteArray("\xE2\x82"
                                                                  "A")
                                                    << text({0xDCE2, 0xDC82, u'A'});
}

void TestPathCodec::decodedText() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, expected);
    QCOMPARE(decodePath(bytes), expected);
}

void TestPathCodec::strayTextEncodes_data() {
    QTest::addColumn<QString>("input");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("lone high surrogate") << text({u'a', 0xD800, u'b'})
                                         << QByteArray("a\xEF\xBF\xBD"
                                                       "b");
    QTest::newRow("high surrogate at end") << text({u'a', 0xD83D}) << QByteArray("a\xEF\xBF\xBD");
    QTest::newRow("low surrogate below escapes") << text({0xDC7F}) << QByteArray("\xEF\xBF\xBD");
}

void TestPathCodec::strayTextEncodes() {
    QFETCH(QString, input);
    QFETCH(QByteArray, expected);
    QCOMPARE(encodePath(input), expected);
}

void TestPathCodec::everyByteValueSurvives() {
    QByteArray all;
    for (int b = 1; b < 256; ++b)
        all.append(char(b));
    QCOMPARE(encodePath(decodePath(all)), all);
    QByteArray reversed = all;
    std::reverse(reversed.begin(), reversed.end());
    QCOMPARE(encodePath(decodePath(reversed)), reversed);
}

void TestPathCodec::crcOfKnownInputs_data() {
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<quint32>("crc");

    QTest::newRow("empty") << QByteArray() << quint32(0);
    QTest::newRow("check value") << QByteArray("123456789") << quint32(0xCBF43926);
    QTest::newRow("one byte") << QByteArray("a") << quint32(0xE8B7BE43);
    QTest::newRow("fox") << QByteArray("The quick brown fox jumps over the lazy dog")
                         << quint32(0x414FA339);
    QTest::newRow("zero bytes") << QByteArray(32, '\0') << quint32(0x190A55AD);
}

void TestPathCodec::crcOfKnownInputs() {
    QFETCH(QByteArray, data);
    QFETCH(quint32, crc);
    QCOMPARE(crc32Update(0, data.constData(), size_t(data.size())), crc);
}

void TestPathCodec::crcContinuesAcrossPieces_data() {
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<int>("piece");

    const QByteArray check("123456789");
    for (int piece = 1; piece <= check.size(); ++piece)
        QTest::addRow("check value in pieces of %d", piece) << check << piece;
    QByteArray large(3 * 1024 * 1024 + 17, '\0');
    for (qsizetype k = 0; k < large.size(); ++k)
        large[k] = char((k * 131 + k / 7) & 0xFF);
    QTest::newRow("3 MiB in pieces of 1 MiB") << large << (1 << 20);
    QTest::newRow("3 MiB in odd pieces") << large << 65521;
}

void TestPathCodec::crcContinuesAcrossPieces() {
    QFETCH(QByteArray, data);
    QFETCH(int, piece);
    const uint32_t whole = crc32Update(0, data.constData(), size_t(data.size()));
    uint32_t crc = 0;
    for (qsizetype at = 0; at < data.size(); at += piece) {
        crc = crc32Update(crc, data.constData() + at,
                          size_t(qMin<qsizetype>(piece, data.size() - at)));
        crc = crc32Update(crc, data.constData(), 0); // an empty piece changes nothing
    }
    QCOMPARE(crc, whole);
}

QTEST_APPLESS_MAIN(TestPathCodec)
#include "test_path_codec.moc"
