#include "core/NumericBox.h"
#include "core/RowOrder.h"
#include "core/Texts.h"

#include <QLocale>
#include <QScopeGuard>
#include <QTest>

#include <algorithm>
#include <clocale>
#include <random>
#include <tuple>

using namespace nw;

class TestNumbers : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void numericBox_data();
    void numericBox();
    void numericBoxUnderCommaLocales();
    void kilobyteText_data();
    void kilobyteText();
    void kilobyteTextReadsBack_data();
    void kilobyteTextReadsBack();
    void percentText_data();
    void percentText();
    void rowOrderIsTextOrder_data();
    void rowOrderIsTextOrder();
};

void TestNumbers::numericBox_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("error");

    QTest::newRow("blanks around") << "  90\t" << 90 << 0;
    QTest::newRow("negative half to even") << "-2.5" << -2 << 0;
    QTest::newRow("leading point") << ".6" << 1 << 0;
    QTest::newRow("exponent") << "1e3" << 1000 << 0;
    QTest::newRow("sign") << "+12" << 12 << 0;
    QTest::newRow("largest") << "32767" << 32767 << 0;
    QTest::newRow("smallest") << "-32768" << -32768 << 0;
    QTest::newRow("rounds into range") << "-32768.5" << -32768 << 0;

    QTest::newRow("blanks only") << "   " << 0 << int(ErrTypeMismatch);
    QTest::newRow("blank inside") << "9 0" << 0 << int(ErrTypeMismatch);
    QTest::newRow("trailing letters") << "90%" << 0 << int(ErrTypeMismatch);
    QTest::newRow("too large") << "32768" << 0 << int(ErrOverflow);
    QTest::newRow("too small") << "-32769" << 0 << int(ErrOverflow);
    QTest::newRow("rounds out of range") << "32767.5" << 0 << int(ErrOverflow);
    QTest::newRow("huge exponent") << "1e400" << 0 << int(ErrOverflow);
}

void TestNumbers::numericBox() {
    QFETCH(QString, text);
    QFETCH(int, value);
    QFETCH(int, error);

    const NumberValue read = readNumericBox(text);
    QCOMPARE(read.error.number, error);
    if (error == 0)
        QCOMPARE(int(read.value), value);
}

// Qt takes the C library's number format from the environment, so a German user's process reads
// "91.5" with a comma in mind unless the reading ignores it.
void TestNumbers::numericBoxUnderCommaLocales() {
    const QByteArray saved = std::setlocale(LC_NUMERIC, nullptr);
    const char* commaLocale = nullptr;
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "de_DE", "fr_FR.UTF-8", "fr_FR.utf8"}) {
        if (std::setlocale(LC_NUMERIC, name)) {
            commaLocale = name;
            break;
        }
    }
    QVERIFY2(commaLocale, "no C library locale with a decimal comma: scripts/bootstrap makes one");

    const QLocale us(QLocale::English, QLocale::UnitedStates);
    const auto restore = qScopeGuard([&] {
        std::setlocale(LC_NUMERIC, saved.constData());
        QLocale::setDefault(us);
    });
    const QLocale de(QLocale::German, QLocale::Germany);
    const std::tuple<QLocale, const char*, int> cases[] = {
        {us, "91.5", 92}, {de, "91,5", 92}, {de, "91.5", 92}, {de, "2,5", 2}};
    for (const auto& [locale, text, value] : cases) {
        QLocale::setDefault(locale);
        const NumberValue read = readNumericBox(QString::fromLatin1(text));
        QVERIFY2(read.ok() && int(read.value) == value,
                 qPrintable(locale.name() + QLatin1Char(' ') + QLatin1String(text)));
    }
}

void TestNumbers::kilobyteText_data() {
    QTest::addColumn<qint64>("bytes");
    QTest::addColumn<QString>("text");

    QTest::newRow("under a tenth") << qint64(44) << "0.0";
    // 0.049 -> 0.05 -> 0.1 and 1.249 -> 1.25 -> 1.3: the two roundings add up.
    QTest::newRow("double rounding below one") << qint64(49) << "0.1";
    QTest::newRow("double rounding above one") << qint64(1249) << "1.3";
    QTest::newRow("999") << qint64(999) << "1.0";
    // 1.245 -> 1.24 (half to even) -> 1.2; 1.255 -> 1.26 -> 1.3.
    QTest::newRow("half to even keeps even") << qint64(1245) << "1.2";
    QTest::newRow("half to even goes up from odd") << qint64(1255) << "1.3";
    QTest::newRow("beyond 32 bits") << qint64(5000000000) << "5,000,000.0";
}

void TestNumbers::kilobyteText() {
    QFETCH(qint64, bytes);
    QFETCH(QString, text);
    QCOMPARE(nw::kilobyteText(bytes), text);
}

void TestNumbers::kilobyteTextReadsBack_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("text"); // empty: only one digit system and the read back
    QTest::newRow("German") << "de_DE"
                            << "1.234,6";
    // Locales with digits of their own.
    QTest::newRow("Arabic") << "ar_EG"
                            << "";
    QTest::newRow("Persian") << "fa_IR"
                             << "";
    QTest::newRow("Bengali") << "bn_BD"
                             << "";
}

// The auto-move pass and the menu read sizes back from the rows, in the user's number format.
void TestNumbers::kilobyteTextReadsBack() {
    QFETCH(QString, locale);
    QFETCH(QString, text);
    const QLocale user(locale);
    const QString shown = nw::kilobyteText(1234567, user);
    if (!text.isEmpty())
        QCOMPARE(shown, text);
    const char32_t zero = user.zeroDigit().toUcs4().value(0);
    for (const char32_t c : shown.toUcs4())
        QVERIFY2(!QChar::isDigit(c) || c - zero <= 9, qPrintable("digits mixed in " + shown));
    bool ok = false;
    QCOMPARE(parseKilobyteText(shown, &ok, user), 1234.6);
    QVERIFY(ok);
    QCOMPARE(parseKilobyteText(QStringLiteral("abc"), &ok), 0.0);
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
