#include "platform/PathCodec.h"
#include "platform/Shell.h"
#include "support/RecordingShell.h"

#include <QTest>

#include <algorithm>

using namespace nw;

namespace {

// UTF-16 units as they are, lone surrogates too.
QString text(std::initializer_list<char16_t> units) {
    return QString(reinterpret_cast<const QChar*>(units.begin()), qsizetype(units.size()));
}

void row(const char* tag, const QByteArray& bytes, const QString& decoded = {}) {
    QTest::newRow(tag) << bytes << decoded;
}

} // namespace

class TestPathCodec : public QObject {
    Q_OBJECT

private slots:
    void bytesSurviveRoundTrip_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("decoded"); // null: only the round trip is checked

        const QString utf8 = QString::fromUtf8("caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80");
        row("valid utf-8 reads as itself", utf8.toUtf8(), utf8);
        row("latin-1 byte", "caf\xE9.mp3", "caf" + text({0xDCE9}) + ".mp3");
        // Its low surrogate U+DC80 is also the escape of byte 0x80.
        row("four-byte, low half in escape range", "a\xF0\x90\x82\x80z");
        row("escape then four-byte", "\xFF\xF0\x90\x82\x80");
        row("encoded surrogate", "\xED\xA0\x80x", text({0xDCED, 0xDCA0, 0xDC80, u'x'}));
        row("encoded escape code point", "\xED\xB2\x80");
        row("overlong slash", "a\xC0\xAFz");
        row("overlong three-byte", "\xE0\x80\xAF");
        row("truncated at end", "name\xE2\x82");
        row("truncated before ascii", "\xE2\x82Z", text({0xDCE2, 0xDC82, u'Z'}));
        row("beyond U+10FFFF", "\xF4\x90\x80\x80");
        row("mixed valid and invalid", "\xC3\xA9\xE9\xC3\xA9\xF0\x9F\x98");
        QByteArray all;
        for (int b = 1; b < 256; ++b)
            all.append(char(b));
        row("every byte value", all);
        std::reverse(all.begin(), all.end());
        row("every byte value, reversed", all);
    }
    void bytesSurviveRoundTrip() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, decoded);
        const QString got = decodePath(bytes);
        if (!decoded.isNull())
            QCOMPARE(got, decoded);
        QCOMPARE(encodePath(got), bytes);
        QCOMPARE(encodeText(got), bytes);
        // Text built from decoded pieces must encode to the joined bytes.
        QCOMPARE(encodePath(decodePath("/x/") + got + got), "/x/" + bytes + bytes);
    }

    void strayTextEncodes() {
        QCOMPARE(encodePath(text({u'a', 0xD800, u'z'})), QByteArray("a\xEF\xBF\xBDz"));
        QCOMPARE(encodePath(text({u'a', 0xD83D})), QByteArray("a\xEF\xBF\xBD"));
        QCOMPARE(encodePath(text({0xDC7F})), QByteArray("\xEF\xBF\xBD")); // just below the escapes
    }

    void desktopGetsTheBytes_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("address");
        QTest::newRow("Latin-1 folder") << QByteArray("/srv/caf\xE9/") << "file:///srv/caf%E9/";
        QTest::newRow("stray byte, # and %")
            << QByteArray("/srv/\xFF#1%.txt") << "file:///srv/%FF%231%25.txt";
        QTest::newRow("delimiters of a path")
            << QByteArray("/srv/a:b@c;[d] e") << "file:///srv/a:b@c;[d]%20e";
        QTest::newRow("valid UTF-8") << QByteArray("/srv/caf\xC3\xA9") << "file:///srv/caf%C3%A9";
    }
    void desktopGetsTheBytes() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, address);
        nw::test::RecordingShell shell;
        exploreFolder(decodePath(bytes));
        openDocument(decodePath(bytes));
        QCOMPARE(shell.urls, QStringList({address, address}));
    }
};

QTEST_APPLESS_MAIN(TestPathCodec)
#include "test_path_codec.moc"
