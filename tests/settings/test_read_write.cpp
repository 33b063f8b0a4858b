#include "settings/FavouritesFile.h"
#include "settings/IniFile.h"
#include "settings/ReadWrite.h"
#include "support/RecordingView.h"
#include "support/ScriptedDialogs.h"
#include "support/TestDir.h"
#include "support/Unprivileged.h"

#include <QFileInfo>
#include <QStandardPaths>
#include <QTest>

using namespace nw::test;

namespace {

const QByteArray Favourites = "[favorites]\r\npath0=C:\\Music\r\n";

} // namespace

class TestReadWrite : public QObject {
    Q_OBJECT

private slots:
    void limits_data();
    void limits();
    void onlyRealFailuresAreReported();
    void lockedFolderIsReported();
    void favouritesStopAtGapAndLimit();
    void favouritesFileLocation();
};

void TestReadWrite::limits_data() {
    QTest::addColumn<bool>("write"); // else DeleteFromFile
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("message"); // empty: accepted
    QTest::addColumn<QString>("read");    // what ReadFromFile gives back then
    const auto row = [](const char* tag, bool write, const char* section, const QString& key,
                        const QString& value, const char* message, const QString& read = {}) {
        QTest::newRow(tag) << write << QString(section) << key << value << QString(message) << read;
    };
    const char* tooLong = "Can't write more than 255 characters for key or value.";
    const char* empty = "Null string parameter not allowed for DeleteFromFile.";
    const QString a255(255, u'a');
    row("255 and 255, read as 254", true, "favorites", QString(255, 'k'), a255, "", a255.left(254));
    // Cutting at 254 would keep half of the emoji.
    row("pair not split", true, "favorites", "path0", a255.left(253) + "\U0001F600", "",
        a255.left(253));
    row("empty value", true, "favorites", "path0", "", "", "");
    row("key of 256", true, "favorites", QString(256, 'k'), "v", tooLong);
    row("value of 256", true, "favorites", "kkkkk", QString(256, 'v'), tooLong);
    row("delete, empty section", false, "", "path0", "", empty);
    row("delete, empty key", false, "favorites", "", "", empty);
}

void TestReadWrite::limits() {
    QFETCH(bool, write);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(QString, message);
    QFETCH(QString, read);
    ScriptedDialogs dialogs;
    RecordingSink sink;
    TestDir dir;
    // Both an empty key and an empty section stand in the file, ready to be deleted by mistake.
    const QByteArray content = Favourites + "=x\r\n[]\r\npath0=y\r\n";
    const QString file = dir.write("qvx.ini", content);

    const int result =
        write ? nw::WriteToFile(section, key, value, file) : nw::DeleteFromFile(section, key, file);
    if (!message.isEmpty()) {
        QCOMPARE(result, -1);
        QCOMPARE(dialogs.messages(), QStringList{"Namewick Finder|" + message});
        QVERIFY2(dialogs.asked.first().buttons == nw::MessageButtons::Ok &&
                     dialogs.asked.first().icon == nw::MessageIcon::None,
                 "not a plain OK box");
        QCOMPARE(dir.read("qvx.ini"), content);
    } else {
        QVERIFY(result != 0 && result != -1);
        QVERIFY(dialogs.asked.isEmpty());
        QCOMPARE(nw::IniFile(file).value(section, key), value); // stored whole
        QCOMPARE(nw::ReadFromFile(section.toUpper(), key.toUpper(), file), read);
    }
    QVERIFY(sink.reports.isEmpty());
}

void TestReadWrite::onlyRealFailuresAreReported() {
    RecordingSink sink;
    TestDir dir;
    const QString file = dir.write("qvx.ini", Favourites);
    // A missing key or file is no failure, and deleting from a missing file does not make it.
    QVERIFY(nw::DeleteFromFile("favorites", "path1", file) > 0);
    QCOMPARE(nw::ReadFromFile("favorites", "path0", dir.file("new.ini")), QString());
    QVERIFY(nw::DeleteFromFile("favorites", "path0", dir.file("new.ini")) > 0);
    QVERIFY(!dir.exists("new.ini"));
    QVERIFY(sink.reports.isEmpty());

    QCOMPARE(nw::WriteToFile("favorites", "path0", "/", dir.file("gone/qvx.ini")), 0);
    // A folder name may hold a line break; written raw it would become a line of its own.
    QCOMPARE(nw::WriteToFile("favorites", "path0", "/a\n[x]", file), 0);
    QCOMPARE(nw::ReadFromFile("favorites", "path0", dir.mkdir("folder.ini")), QString());
    QCOMPARE(sink.reports, QStringList({"ReadWrite/WriteToFile/76", "ReadWrite/WriteToFile/5",
                                        "ReadWrite/ReadFromFile/75"}));
    QCOMPARE(dir.read("qvx.ini"), Favourites);
    QVERIFY(!dir.exists("gone"));
}

void TestReadWrite::lockedFolderIsReported() {
    asUnprivileged([] {
        RecordingSink sink;
        TestDir dir;
        const QString file = dir.write("locked/qvx.ini", Favourites);
        {
            ModeGuard locked(dir.file("locked"), 0500);
            QCOMPARE(nw::WriteToFile("favorites", "path1", "/", file), 0);
            QCOMPARE(nw::DeleteFromFile("favorites", "path0", file), 0);
            QCOMPARE(nw::WriteToFile("favorites", "path0", "/", dir.file("locked/new.ini")), 0);
        }
        {
            ModeGuard unreadable(file, 0200);
            QCOMPARE(nw::ReadFromFile("favorites", "path0", file), QString());
        }
        QCOMPARE(sink.reports,
                 QStringList({"ReadWrite/WriteToFile/70", "ReadWrite/DeleteFromFile/70",
                              "ReadWrite/WriteToFile/70", "ReadWrite/ReadFromFile/70"}));
        QCOMPARE(dir.read("locked/qvx.ini"), Favourites);
        QCOMPARE(QDir(dir.file("locked")).entryList(QDir::Files | QDir::Hidden),
                 QStringList{"qvx.ini"});
    });
}

void TestReadWrite::favouritesStopAtGapAndLimit() {
    RecordingSink sink;
    TestDir dir;
    QByteArray content = "[favorites]\r\npath0=/a\r\npath1=/\r\npath3=/c\r\n";
    QCOMPARE(nw::loadFavourites(dir.write("gap.ini", content)), QStringList({"/a", "/"}));

    content = "[favorites]\r\n";
    for (int i = 0; i <= 1200; ++i)
        content += "path" + QByteArray::number(i) + "=/f" + QByteArray::number(i) + "\r\n";
    const QStringList loaded = nw::loadFavourites(dir.write("many.ini", content));
    QCOMPARE(loaded.size(), 1001);
    QCOMPARE(loaded.last(), "/f1000");
    QVERIFY(sink.reports.isEmpty());
}

void TestReadWrite::favouritesFileLocation() {
    QStandardPaths::setTestModeEnabled(true);
    const QString config = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    TestDir dir;
    QCOMPARE(nw::favouritesFileFor(dir.path()), dir.file("qvx.ini"));
    QCOMPARE(nw::favouritesFileFor(dir.file("missing")), config + "/qvx.ini");
    QVERIFY(QFileInfo(config).isDir());
    asUnprivileged([&] {
        TestDir own;
        ModeGuard locked(own.mkdir("program"), 0500);
        QCOMPARE(nw::favouritesFileFor(own.file("program")), config + "/qvx.ini");
    });
}

QTEST_GUILESS_MAIN(TestReadWrite)
#include "test_read_write.moc"
