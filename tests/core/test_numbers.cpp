#include "core/NumericBox.h"
#include "core/RowOrder.h"
#include "core/Texts.h"

#include <QLocale>
#include <QTest>

#include <algorithm>
#include <clocale>
#include <random>

using namespace nw;

namespace {

const QLocale Us(QLocale::English, QLocale::UnitedStates);
const QLocale De(QLocale::German, QLocale::Germany);

} // namespace

class TestNumbers : public QObject {
    Q_OBJECT

private slots:
    // Qt takes the C library's number format from the environment, so a German user's process
    // would read "91.5" with a comma in mind unless the reading ignores it: every case runs so.
    void initTestCase() {
        const char* comma = nullptr;
        for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "de_DE", "fr_FR.UTF-8", "fr_FR.utf8"})
            if (!comma && std::setlocale(LC_NUMERIC, name))
                comma = name;
        QVERIFY2(comma, "no C library locale with a decimal comma: scripts/bootstrap makes one");
    }
    void init() { QLocale::setDefault(Us); }

    void numericBox_data();
    void numericBox();
    void kilobyteText_data();
    void kilobyteText();
    void percentText_data();
    void percentText();
    void rowOrderIsTextOrder_data();
    void rowOrderIsTextOrder();
};

void TestNumbers::numericBox_data() {
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("error");
    const auto row = [](const char* name, const char* text, int value, int error = 0,
                        const QLocale& locale = Us) {
        QTest::newRow(name) << locale << QString::fromLatin1(text) << value << error;
    };

    row("blanks around", "  90\t", 90);
    row("negative half to even", "-2.5", -2);
    row("leading point", ".6", 1);
    row("exponent", "1e3", 1000);
    row("sign", "+12", 12);
    row("largest", "32767", 32767);
    row("smallest", "-32768", -32768);
    row("rounds into range", "-32768.5", -32768);
    row("point", "91.5", 92);
    // The user's decimal comma is read beside the point.
    row("German comma", "91,5", 92, 0, De);
    row("German, point", "91.5", 92, 0, De);
    row("German comma, half to even", "2,5", 2, 0, De);

    row("blanks only", "   ", 0, ErrTypeMismatch);
    row("blank inside", "9 0", 0, ErrTypeMismatch);
    row("trailing letters", "90%", 0, ErrTypeMismatch);
    row("too large", "32768", 0, ErrOverflow);
    row("too small", "-32769", 0, ErrOverflow);
    row("rounds out of range", "32767.5", 0, ErrOverflow);
    row("huge exponent", "1e400", 0, ErrOverflow);
}

void TestNumbers::numericBox() {
    QFETCH(QLocale, locale);
    QFETCH(QString, text);
    QFETCH(int, value);
    QFETCH(int, error);

    QLocale::setDefault(locale);
    const NumberValue read = readNumericBox(text);
    QCOMPARE(read.error.number, error);
    if (error == 0)
        QCOMPARE(int(read.value), value);
}

void TestNumbers::kilobyteText_data() {
    QTest::addColumn<qint64>("bytes");
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("text");
    const auto row = [](const char* name, qint64 bytes, const char* text,
                        const QLocale& locale = Us) {
        QTest::newRow(name) << bytes << locale << QString::fromLatin1(text);
    };

    row("under a tenth", 44, "0.0");
    // 0.049 -> 0.05 -> 0.1 and 1.249 -> 1.25 -> 1.3: the two roundings add up.
    row("double rounding below one", 49, "0.1");
    row("double rounding above one", 1249, "1.3");
    row("999", 999, "1.0");
    // 1.245 -> 1.24 (half to even) -> 1.2; 1.255 -> 1.26 -> 1.3.
    row("half to even keeps even", 1245, "1.2");
    row("half to even goes up from odd", 1255, "1.3");
    row("beyond 32 bits", 5000000000, "5,000,000.0");
    row("German", 1234567, "1.234,6", De);
    row("Arabic digits", 1234567, "", QLocale(QStringLiteral("ar_EG")));
    row("Persian digits", 1234567, "", QLocale(QStringLiteral("fa_IR")));
    row("Bengali digits", 1234567, "", QLocale(QStringLiteral("bn_BD")));
}

// The auto-move pass reads sizes back from the rows, in the user's number format; a locale
// with digits of its own writes all of them in its own (empty text: that is all to check).
void TestNumbers::kilobyteText() {
    QFETCH(qint64, bytes);
    QFETCH(QLocale, locale);
    QFETCH(QString, text);
    const QString shown = nw::kilobyteText(bytes, locale);
    if (!text.isEmpty())
        QCOMPARE(shown, text);
    const char32_t zero = locale.zeroDigit().toUcs4().value(0);
    for (const char32_t c : shown.toUcs4())
        QVERIFY2(!QChar::isDigit(c) || c - zero <= 9, qPrintable("digits mixed in " + shown));
    bool ok = false;
    const double back = parseKilobyteText(shown, &ok, locale);
    QVERIFY(ok);
    QCOMPARE(nw::kilobyteText(qRound64(back * 1000), locale), shown);
    QCOMPARE(parseKilobyteText(QStringLiteral("NA"), &ok, locale), 0.0);
    QVERIFY(!ok);
}

void TestNumbers::percentText_data() {
    QTest::addColumn<qint64>("position");
    QTest::addColumn<qint64>("count");
    QTest::addColumn<QString>("text");

    QTest::newRow("third") << qint64(1) << qint64(3) << "33.33";
    QTest::newRow("eighth") << qint64(1) << qint64(8) << "12.5";
    QTest::newRow("half of a hundredth to even") << qint64(1) << qint64(32) << "3.12";
    QTest::newRow("nearly all") << qint64(99999) << qint64(100000) << "100";
    QTest::newRow("none") << qint64(0) << qint64(7) << "0";
}

void TestNumbers::percentText() {
    QFETCH(qint64, position);
    QFETCH(qint64, count);
    QFETCH(QString, text);
    QCOMPARE(nw::percentText(position, count), text);
}

void TestNumbers::rowOrderIsTextOrder_data() {
    QTest::addColumn<int>("column");
    QTest::addColumn<bool>("descending");
    QTest::addColumn<bool>("surrogates");
    for (int c = 0; c < ColumnCount; ++c) {
        for (const bool descending : {false, true}) {
            for (const bool surrogates : {false, true})
                QTest::addRow("%s %s%s", qPrintable(ColumnKeys[size_t(c)]),
                              descending ? "descending" : "ascending",
                              surrogates ? ", surrogates" : "")
                    << c << descending << surrogates;
        }
    }
}

// The rows' order by rank must be the order of a stable sort of the cell texts with textLess:
// equal texts of different files, letter case, grouped sizes, and names where folding each code
// unit on its own parts from textLess (a letter in a surrogate pair, a lone surrogate).
void TestNumbers::rowOrderIsTextOrder() {
    QFETCH(int, column);
    QFETCH(bool, descending);
    QFETCH(bool, surrogates);
    const QString lone = QString(QChar(0xD83D)) + QChar(0xFF21);
    auto list = std::make_shared<FileList>(
        FileList{"/m/b.txt", "/n/b.txt", "/m/B.txt", "/M/a.txt", "/m/\u00C9.txt", "/m/\u00E9.txt",
                 "/m/e.txt", "/x/\U00010400b", "/x/\U00010428a", "/x/\U0001F600", "/x/" + lone});
    const RowFiles files{list, {1234500, 987000, 0, 1234500, 10000, 9500, 0, 10000, -1, 5, 9500}};
    const unsigned used = surrogates ? 11 : 7; // files the rows pick from
    std::minstd_rand random(7);
    std::vector<ResultRow> rows(300);
    for (ResultRow& row : rows)
        row = {int(random() % used), int(random() % used), int(random() % 12) - 1,
               quint8(random() % 4), quint8(random() % 4)};
    std::vector<int> order(rows.size());
    for (size_t k = 0; k < order.size(); ++k)
        order[k] = int((k * 7) % order.size());

    std::vector<int> expected = order;
    std::stable_sort(expected.begin(), expected.end(), [&](int a, int b) {
        const QString one = rowCell(rows[size_t(a)], column, &files);
        const QString two = rowCell(rows[size_t(b)], column, &files);
        return descending ? textLess(two, one) : textLess(one, two);
    });
    sortRowOrder(order, rows, column, descending, &files);
    QCOMPARE(order, expected);
}

QTEST_GUILESS_MAIN(TestNumbers)
#include "test_numbers.moc"
