#include "core/Texts.h"
#include "ui/ResultsModel.h"

#include <QPersistentModelIndex>
#include <QSignalSpy>
#include <QTest>

using namespace nw;

namespace {

// A row whose File One is name and whose other cells carry a tag to tell equal names apart.
ResultRow makeRow(const QString& name, const QString& tag = {}) {
    ResultRow row;
    row.cells[ColFile1] = name;
    for (int c = 1; c < ColumnCount; ++c)
        row.cells[size_t(c)] = tag;
    return row;
}

// "name/tag" of every row as the views show them, top first.
QStringList shown(const ResultsModel& model) {
    QStringList rows;
    for (int r = 0; r < model.rowCount(); ++r)
        rows << model.index(r, ColFile1).data().toString() + '/' +
                    model.index(r, ColMethod).data().toString();
    return rows;
}

// The same rows as the scan reads them, row 1 first.
QStringList scanned(const ResultsModel& model) {
    QStringList rows;
    for (int r = 1; r <= model.count(); ++r)
        rows << model.cell(r, ColFile1) + '/' + model.cell(r, ColMethod);
    return rows;
}

} // namespace

class TestResultsModel : public QObject {
    Q_OBJECT

private slots:
    void newRowsComeOutOnTop();
    void heldRowsArriveInOneBatch();
    void sortIsStableByText_data();
    void sortIsStableByText();
    void sortByColumnKeepsEarlierOrderForTies();
    void rowAddedWhileSortedTakesItsPlace();
    void selectionFollowsItsRow();
    void removedRowsLeaveTheRestInOrder_data();
    void removedRowsLeaveTheRestInOrder();
    void hundredThousandRows();
};

void TestResultsModel::newRowsComeOutOnTop() {
    ResultsModel model;
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    for (const char* name : {"a", "b", "c"})
        model.addAtTop(makeRow(name, name));
    QCOMPARE(shown(model), QStringList({"c/c", "b/b", "a/a"}));
    QCOMPARE(scanned(model), shown(model));
    QCOMPARE(inserted.size(), 3);
    for (const QList<QVariant>& signal : inserted)
        QCOMPARE(signal.at(1).toInt(), 0);

    model.clear();
    QCOMPARE(model.rowCount(), 0);
    QCOMPARE(model.count(), 0);
}

void TestResultsModel::heldRowsArriveInOneBatch() {
    ResultsModel model;
    model.addAtTop(makeRow("old"));
    model.setHeld(true);
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    for (const char* name : {"a", "b", "c"})
        model.addAtTop(makeRow(name));
    // The scan sees every row at once, the views only after the flush.
    QCOMPARE(model.count(), 4);
    QCOMPARE(model.cell(1, ColFile1), QStringLiteral("c"));
    QCOMPARE(model.cell(4, ColFile1), QStringLiteral("old"));
    QCOMPARE(model.rowCount(), 1);
    QCOMPARE(model.index(0, 0).data().toString(), QStringLiteral("old"));

    model.flush();
    QCOMPARE(inserted.size(), 1);
    QCOMPARE(inserted.at(0).at(1).toInt(), 0);
    QCOMPARE(inserted.at(0).at(2).toInt(), 2);
    QCOMPARE(shown(model), QStringList({"c/", "b/", "a/", "old/"}));

    model.addAtTop(makeRow("d"));
    model.setHeld(false);
    QCOMPARE(shown(model), QStringList({"d/", "c/", "b/", "a/", "old/"}));
}

void TestResultsModel::sortIsStableByText_data() {
    QTest::addColumn<QStringList>("added"); // in the order the scan adds them
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("letter case ignored first")
        << QStringList({"b", "a", "B", "A"}) << QStringList({"A/3", "a/1", "B/2", "b/0"});
    QTest::newRow("equal names stay newest first")
        << QStringList({"x", "x", "x"}) << QStringList({"x/2", "x/1", "x/0"});
    QTest::newRow("digits as text") << QStringList({"9.mp3", "10.mp3", "1.mp3"})
                                    << QStringList({"1.mp3/2", "10.mp3/1", "9.mp3/0"});
    QTest::newRow("empty list") << QStringList() << QStringList();
}

void TestResultsModel::sortIsStableByText() {
    QFETCH(QStringList, added);
    QFETCH(QStringList, expected);
    ResultsModel model;
    for (qsizetype i = 0; i < added.size(); ++i)
        model.addAtTop(makeRow(added.at(i), QString::number(i)));
    model.setSorted(true);
    QVERIFY(model.isSorted());
    QCOMPARE(shown(model), expected);
    QCOMPARE(scanned(model), expected);

    // Unsorted again: the order stays, and new rows come out on top once more.
    model.setSorted(false);
    QVERIFY(!model.isSorted());
    model.addAtTop(makeRow("z", "new"));
    QCOMPARE(shown(model), QStringList({"z/new"}) + expected);
    QCOMPARE(scanned(model), shown(model));
}

void TestResultsModel::sortByColumnKeepsEarlierOrderForTies() {
    ResultsModel model;
    const struct {
        const char* name;
        const char* size;
    } rows[] = {{"c", "9.5"}, {"a", "10.0"}, {"b", "9.5"}, {"d", "1,234.5"}};
    for (const auto& row : rows) {
        ResultRow r = makeRow(row.name, row.name);
        r.cells[ColFSize1] = row.size;
        model.addAtTop(r);
    }
    model.setSorted(true);
    model.sort(ColFSize1);
    // Sizes order as text; ties keep the File One order sorted before.
    QCOMPARE(shown(model), QStringList({"d/d", "a/a", "b/b", "c/c"}));
    model.sort(ColFSize1, Qt::DescendingOrder);
    QCOMPARE(shown(model), QStringList({"b/b", "c/c", "a/a", "d/d"}));
}

void TestResultsModel::rowAddedWhileSortedTakesItsPlace() {
    ResultsModel model;
    for (const char* name : {"d", "b"})
        model.addAtTop(makeRow(name, "0"));
    model.setSorted(true);
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    model.addAtTop(makeRow("c", "1"));
    model.addAtTop(makeRow("B", "2"));
    model.addAtTop(makeRow("b", "3"));
    QCOMPARE(shown(model), QStringList({"B/2", "b/0", "b/3", "c/1", "d/0"}));
    QCOMPARE(scanned(model), shown(model));
    QCOMPARE(inserted.size(), 3);
}

void TestResultsModel::selectionFollowsItsRow() {
    ResultsModel model;
    for (const char* name : {"c", "a", "b"})
        model.addAtTop(makeRow(name, name));
    const QPersistentModelIndex c(model.index(2, ColMethod));
    QCOMPARE(c.data().toString(), QStringLiteral("c"));
    model.setSorted(true);
    QCOMPARE(c.row(), 2);
    QCOMPARE(c.data().toString(), QStringLiteral("c"));
    model.sort(ColFile1, Qt::DescendingOrder);
    QCOMPARE(c.row(), 0);
    QCOMPARE(c.column(), int(ColMethod));
}

void TestResultsModel::hundredThousandRows() {
    // Nothing here may be quadratic: a scan can list this many pairs.
    constexpr int count = 100000;
    ResultsModel model;
    model.setHeld(true);
    for (int i = 0; i < count; ++i) {
        model.addAtTop(makeRow(QStringLiteral("name%1").arg((i * 7919) % count)));
        if (i % 1000 == 0)
            model.flush();
    }
    model.setHeld(false);
    QCOMPARE(model.rowCount(), count);
    QCOMPARE(model.cell(1, ColFile1), QStringLiteral("name%1").arg(((count - 1) * 7919) % count));
    model.setSorted(true);
    for (int r = 2; r <= count; ++r) {
        if (textLess(model.cell(r, ColFile1), model.cell(r - 1, ColFile1)))
            QFAIL(qPrintable(QStringLiteral("row %1 out of order").arg(r)));
    }
}

void TestResultsModel::removedRowsLeaveTheRestInOrder_data() {
    QTest::addColumn<bool>("sorted");
    QTest::addColumn<bool>("held"); // two more rows wait for the views
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("count");
    QTest::addColumn<QStringList>("after");

    QTest::newRow("unsorted, top") << false << false << 0 << 1 << QStringList({"b", "e", "a", "d"});
    QTest::newRow("unsorted, middle two")
        << false << false << 1 << 2 << QStringList({"c", "a", "d"});
    QTest::newRow("unsorted, bottom")
        << false << false << 4 << 1 << QStringList({"c", "b", "e", "a"});
    QTest::newRow("sorted, middle") << true << false << 2 << 1 << QStringList({"a", "b", "d", "e"});
    QTest::newRow("sorted, last two") << true << false << 3 << 2 << QStringList({"a", "b", "c"});
    QTest::newRow("held rows wait on")
        << false << true << 1 << 1 << QStringList({"y", "x", "c", "e", "a", "d"});
}

void TestResultsModel::removedRowsLeaveTheRestInOrder() {
    QFETCH(bool, sorted);
    QFETCH(bool, held);
    QFETCH(int, row);
    QFETCH(int, count);
    QFETCH(QStringList, after);

    ResultsModel model;
    for (const char* name : {"d", "a", "e", "b", "c"})
        model.addAtTop(makeRow(name));
    model.setSorted(sorted);
    if (held) {
        model.setHeld(true);
        model.addAtTop(makeRow("x"));
        model.addAtTop(makeRow("y"));
    }
    const QPersistentModelIndex last = model.index(model.rowCount() - 1, 0);
    const QString lastName = last.data().toString();
    QVERIFY(model.removeRows(row, count));
    model.setHeld(false);

    QStringList names;
    for (const QString& r : shown(model))
        names << r.section('/', 0, 0);
    QCOMPARE(names, after);
    QCOMPARE(scanned(model), shown(model));
    if (row + count < 5)
        QCOMPARE(last.data().toString(), lastName);
    QVERIFY(!model.removeRows(model.rowCount(), 1));
}

QTEST_GUILESS_MAIN(TestResultsModel)
#include "test_results_model.moc"
