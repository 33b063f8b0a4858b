#include "settings/IniFile.h"
#include "support/TestDir.h"

#include <QDir>
#include <QFileInfo>
#include <QTest>

#include <unistd.h>

using nw::IniFile;
using nw::test::TestDir;

namespace {

// As Windows programs leave a profile file: CR LF, mixed-case names, comments, stray lines.
const QByteArray WindowsFile = "; Namewick favourites\r\n"
                               "[Favorites]\r\n"
                               "PATH0=C:\\Music\r\n"
                               "path1 = C:\\Program Files\r\n"
                               ";path2=C:\\Old\r\n"
                               "stray line\r\n"
                               "\r\n"
                               "[Other]\r\n"
                               "path2=D:\\\r\n";

const QString None = QStringLiteral("<none>");

void readRow(const char* name, const QByteArray& content, const QString& section,
             const QString& key, const QString& expected) {
    QTest::newRow(name) << content << section << key << expected;
}

void writeRow(const char* name, const QByteArray& before, const QString& key, const QString& value,
              const QByteArray& after, const QString& section = "favorites") {
    QTest::newRow(name) << before << section << key << value << after;
}

} // namespace

class TestIniFile : public QObject {
    Q_OBJECT

private slots:
    void read_data();
    void read();
    void writeAndRemove_data();
    void writeAndRemove();
};

void TestIniFile::read_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected");

    readRow("names in any case, value raw", WindowsFile, "FAVORITES", "Path0", "C:\\Music");
    readRow("blanks around =", WindowsFile, "favorites", "path1", "C:\\Program Files");
    readRow("commented key", WindowsFile, "favorites", "path2", None);
    readRow("key of the next section", WindowsFile, "other", "path2", "D:\\");
    readRow("stray line is no key", WindowsFile, "favorites", "stray line", None);
    readRow("trailing blank kept", "[s]\nk=/srv/name \n", "s", "k", "/srv/name ");
#ifdef Q_OS_WIN
    readRow("Latin-1 line", "[s]\r\nk=C:\\Caf\xe9\r\n", "s", "k", "C:\\Caf\u00e9");
#else
    // As a folder's name: its bytes, not the Latin-1 letter.
    readRow("Latin-1 line", "[s]\r\nk=/Caf\xe9\r\n", "s", "k", "/Caf" + QString(QChar(0xDCE9)));
#endif
    readRow("byte-order mark", "\xEF\xBB\xBF[s]\r\nk=v\r\n", "s", "k", "v");
}

void TestIniFile::read() {
    QFETCH(QByteArray, content);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, expected);
    TestDir dir;
    nw::ErrorInfo error;
    QCOMPARE(IniFile(dir.write("qvx.ini", content)).value(section, key, None, &error), expected);
    QVERIFY(error.ok());
}

void TestIniFile::writeAndRemove_data() {
    QTest::addColumn<QByteArray>("before"); // empty: no file yet
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value"); // null: the key is removed
    QTest::addColumn<QByteArray>("after");

    writeRow("replace keeps name and every other line", WindowsFile, "path0", "E:\\Songs\\",
             QByteArray(WindowsFile).replace("PATH0=C:\\Music", "PATH0=E:\\Songs\\"));
    writeRow("new key after last key, not after comments", WindowsFile, "Path9", "x",
             QByteArray(WindowsFile).replace("Files\r\n", "Files\r\nPath9=x\r\n"));
    writeRow("new key before the next section", "[favorites]\r\npath0=C:\\A\r\n[o]\r\nx=1\r\n",
             "path1", "C:\\B", "[favorites]\r\npath0=C:\\A\r\npath1=C:\\B\r\n[o]\r\nx=1\r\n");
    writeRow("new section after unterminated last line", "[o]\r\nx=1", "path0", "C:\\A",
             "[o]\r\nx=1\r\n[favorites]\r\npath0=C:\\A\r\n");
    writeRow("LF file stays LF", "[favorites]\npath0=/a\n", "path1", "/b",
             "[favorites]\npath0=/a\npath1=/b\n");
    writeRow("new file: CR LF, no escaping or quoting", "", "k", "a\\b \"c\" ;d=e#f",
             "[favorites]\r\nk=a\\b \"c\" ;d=e#f\r\n");
    writeRow("UTF-8 out, Latin-1 line kept", "[favorites]\r\na=Caf\xe9\r\n", "b",
             "/home/J\u00fcrgen/\u65e5\u672c",
             "[favorites]\r\na=Caf\xe9\r\nb=/home/J\xc3\xbcrgen/\xe6\x97\xa5\xe6\x9c\xac\r\n");
    // A folder name that is not UTF-8 is written with its bytes and read back as the same name.
    writeRow("bytes that are not UTF-8", "", "path0", "/srv/caf" + QString(QChar(0xDCE9)) + "/",
             "[favorites]\r\npath0=/srv/caf\xE9/\r\n");
    writeRow("remove: names in any case", WindowsFile, "path0", {},
             QByteArray(WindowsFile).replace("PATH0=C:\\Music\r\n", ""));
    writeRow("remove: missing key", WindowsFile, "path7", {}, WindowsFile);
    writeRow("remove: commented key", WindowsFile, "path2", {}, WindowsFile);
    writeRow("remove: missing section", WindowsFile, "path0", {}, WindowsFile, "nowhere");
}

void TestIniFile::writeAndRemove() {
    QFETCH(QByteArray, before);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(QByteArray, after);
    TestDir dir;
    const QDateTime old = QDateTime::currentDateTime().addDays(-3);
    IniFile ini(before.isEmpty() ? dir.file("qvx.ini") : dir.write("qvx.ini", before, old));
    QStringList names{"qvx.ini"};
    // A second name keeps the old content only if the file is replaced whole, never rewritten
    // in place where a crash could leave it half written.
    if (!before.isEmpty()) {
        QCOMPARE(::link(QFile::encodeName(ini.path()).constData(),
                        QFile::encodeName(dir.file("before.ini")).constData()),
                 0);
        names.prepend("before.ini");
    }
    QVERIFY((value.isNull() ? ini.remove(section, key) : ini.setValue(section, key, value)).ok());
    QCOMPARE(dir.read("qvx.ini"), after);
    if (names.size() > 1)
        QCOMPARE(dir.read("before.ini"), before);
    const auto all = QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot;
    QCOMPARE(QDir(dir.path()).entryList(all), names); // no temporary left
    // Nothing to delete must not even rewrite the file.
    if (after == before)
        QCOMPARE(QFileInfo(ini.path()).lastModified(), old);
}

QTEST_GUILESS_MAIN(TestIniFile)
#include "test_ini_file.moc"
