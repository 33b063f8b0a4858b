#include "core/Texts.h"
#include "ui/ResultsModel.h"

#include <QPersistentModelIndex>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

using namespace nw;

namespace {

// A row whose File One is name and whose File Two is a tag to tell equal names apart.
const auto names = std::make_shared<FileList>();
ResultRow makeRow(const QString& name, const QString& tag = {}) {
    names->append(name);
    names->append(tag);
    return {int(names->size()) - 2, int(names->size()) - 1};
}
struct Model : ResultsModel {
    Model() { setFiles(std::make_shared<RowFiles>(RowFiles{names, {}})); }
};

// "name/tag" of every row from the top: as the views show them, or as the scan reads them.
QStringList rows(const ResultsModel& model, bool asScanned = false) {
    QStringList list;
    for (int r = 0; r < (asScanned ? model.count() : model.rowCount()); ++r)
        list << (asScanned ? model.cell(r + 1, ColFile1) + '/' + model.cell(r + 1, ColFile2)
                           : model.index(r, ColFile1).data().toString() + '/' +
                                 model.index(r, ColFile2).data().toString());
    return list;
}

} // namespace

class TestResultsModel : public QObject {
    Q_OBJECT

private slots:
    void steps_data() {
        // A name adds a row tagged with its step's number; "sort", "unsort", "hold" and
        // "release" switch the model; "del R N" removes N rows of the views from row R.
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QStringList>("expected");
        const auto row = [](const char* name, const QString& steps, const QString& expected) {
            QTest::newRow(name) << steps.split(QStringLiteral(", ")) << expected.split(' ');
        };
        const QString five = QStringLiteral("d, a, e, b, c, ");
        row("new rows on top", "a, b, c", "c/2 b/1 a/0");
        row("sorted: letter case ignored first", "b, a, B, A, sort", "A/3 a/1 B/2 b/0");
        row("sorted: equal names stay newest first", "x, x, x, sort", "x/2 x/1 x/0");
        row("added while sorted: after its equals", "d, b, sort, c, B, b", "B/4 b/1 b/5 c/3 d/0");
        row("unsorted again: order kept, new on top", "b, a, sort, unsort, c", "c/4 a/1 b/0");
        row("removed: two in the middle", five + "del 1 2", "c/4 a/1 d/0");
        row("removed: sorted, middle", five + "sort, del 2 1", "a/1 b/3 d/0 e/2");
        row("removed: sorted, last two", five + "sort, del 3 2", "a/1 b/3 c/4");
        row("removed: held rows wait on", five + "hold, x, y, del 1 1, release",
            "y/7 x/6 c/4 e/2 a/1 d/0");
    }
    void steps() {
        QFETCH(QStringList, steps);
        QFETCH(QStringList, expected);
        Model model;
        for (qsizetype i = 0; i < steps.size(); ++i) {
            const QStringList step = steps.at(i).split(' ');
            if (step.first() == "sort" || step.first() == "unsort")
                model.setSorted(step.first() == "sort");
            else if (step.first() == "hold" || step.first() == "release")
                model.setHeld(step.first() == "hold");
            else if (step.first() == "del")
                QVERIFY(model.removeRows(step.at(1).toInt(), step.at(2).toInt()));
            else
                model.addAtTop(makeRow(step.first(), QString::number(i)));
        }
        QCOMPARE(rows(model), expected);
        QCOMPARE(rows(model, true), expected);
    }

    void heldRowsArriveInOneBatch() {
        Model model;
        model.addAtTop(makeRow("old"));
        model.setHeld(true);
        QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
        for (const char* name : {"a", "b", "c"})
            model.addAtTop(makeRow(name));
        // The scan sees every row at once, the views only after the flush.
        QCOMPARE(rows(model, true), QStringList({"c/", "b/", "a/", "old/"}));
        QCOMPARE(rows(model), QStringList({"old/"}));
        model.flush();
        QCOMPARE(inserted.size(), 1);
        QCOMPARE(inserted.first().mid(1), QVariantList({0, 2}));
        QCOMPARE(rows(model), rows(model, true));
        model.clear();
        QCOMPARE(model.rowCount() + model.count(), 0);
    }

    void selectionFollowsItsRow() {
        Model model;
        for (const char* name : {"c", "a", "b", "d"})
            model.addAtTop(makeRow(name, name));
        const QPersistentModelIndex c(model.index(3, ColFile2));
        model.setSorted(true);
        QCOMPARE(c.row(), 2);
        QVERIFY(model.removeRows(0, 1));
        QVERIFY(!model.removeRows(model.rowCount(), 1));
        QCOMPARE(c.row(), 1);
        QCOMPARE(c.data().toString(), QStringLiteral("c"));
    }

    void hundredThousandRows() {
        // Nothing here may be quadratic: a scan can list this many pairs.
        constexpr int count = 100000;
        Model model;
        model.setHeld(true);
        for (int i = 0; i < count; ++i) {
            model.addAtTop(makeRow(QStringLiteral("name%1").arg((i * 7919) % count)));
            if (i % 1000 == 0)
                model.flush();
        }
        model.setHeld(false);
        QCOMPARE(model.rowCount(), count);
        // So many rows are sorted beside the window's thread, which handles its events
        // meanwhile; a removal asked for then would pull the rows from under the sort.
        bool refused = false;
        QTimer::singleShot(0, [&] { refused = !model.removeRows(0, 1); });
        model.setSorted(true);
        QVERIFY2(refused && model.rowCount() == count, "rows removed while being sorted");
        for (int r = 2; r <= count; ++r) {
            if (textLess(model.cell(r, ColFile1), model.cell(r - 1, ColFile1)))
                QFAIL(qPrintable(QStringLiteral("row %1 out of order").arg(r)));
        }
    }
};

QTEST_GUILESS_MAIN(TestResultsModel)
#include "test_results_model.moc"
