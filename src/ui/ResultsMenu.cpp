// Sorting of the results list and the preparation of its context menu.
#include "core/ErrorReport.h"
#include "core/Texts.h"
#include "ui/Handled.h"
#include "ui/MainWindow.h"
#include "ui/ResultsModel.h"

#include <QAction>
#include <QMenu>
#include <QMouseEvent>
#include <QTreeView>

namespace nw {

namespace {
const QString Module = QStringLiteral("frmMain");

// Menu texts take "&" as a mnemonic mark; a file name shows it as it is.
QString menuText(const QString& caption) {
    QString text = caption;
    return text.replace(QLatin1Char('&'), QStringLiteral("&&"));
}
} // namespace

void MainWindow::fListViewColumnClick(int index) {
    handled("FListView_ColumnClick", [&] {
        // First by File One, so rows equal in the clicked column stand in File One order.
        results_->sort(ColFile1, Qt::AscendingOrder);
        results_->sort(index - 1, Qt::AscendingOrder);
    });
}

int MainWindow::selectedRow() const {
    const QModelIndexList selected = fListView_->selectionModel()->selectedRows();
    return selected.isEmpty() ? 0 : selected.first().row() + 1;
}

bool MainWindow::fListViewPress(QMouseEvent* event) {
    // A press selects the row under it before the menu is prepared; a press beside the rows
    // keeps the selection, so the menu still describes the selected pair.
    const QModelIndex at = fListView_->indexAt(event->position().toPoint());
    if (at.isValid())
        fListView_->setCurrentIndex(at);
    fListViewMouseDown(event->button(), event->globalPosition().toPoint());
    return !at.isValid() || event->button() == Qt::RightButton;
}

void MainWindow::fListViewMouseDown(Qt::MouseButton button, const QPoint& globalPos) {
    handled("FListView_MouseDown", [&] {
        if (results_->rowCount() == 0)
            return;
        const QString procedure = QStringLiteral("FListView_MouseDown");
        const int row = selectedRow();
        if (row == 0) {
            ReportError(Module, procedure, ErrorInfo::make(ErrObjectNotSet));
            return;
        }
        bool ok2 = false;
        bool ok1 = false;
        const double size2 = parseKilobyteText(results_->cell(row, ColFSize2), &ok2);
        const double size1 = parseKilobyteText(results_->cell(row, ColFSize1), &ok1);
        if (!ok1 || !ok2) {
            ReportError(
                Module, procedure,
                ErrorInfo::make(ErrTypeMismatch, results_->cell(row, ok1 ? ColFSize2 : ColFSize1)));
            return;
        }
        // Equal sizes count file two as the larger.
        const bool twoLarger = size2 >= size1;
        const QString one[] = {results_->cell(row, ColFPath1), results_->cell(row, ColFile1)};
        const QString two[] = {results_->cell(row, ColFPath2), results_->cell(row, ColFile2)};
        setOptionItems(0, twoLarger ? two[0] : one[0], twoLarger ? two[1] : one[1]);
        setOptionItems(1, twoLarger ? one[0] : two[0], twoLarger ? one[1] : two[1]);
        if (button == Qt::RightButton)
            mnuHidden1_->popup(globalPos);
    });
}

void MainWindow::setOptionItems(int array, const QString& folder, const QString& name) {
    auto& items = optionItems_[size_t(array)];
    items[0] = {QLatin1String(OptionItem::Prefixes[0]) + folder, {}};
    items[1] = {QLatin1String(OptionItem::Prefixes[1]) + name, folder + name};
    items[2] = {QLatin1String(OptionItem::Prefixes[2]) + name, folder + name};
    for (size_t index = 0; index < items.size(); ++index) {
        QAction* action = optionActions_[size_t(array)][index];
        action->setText(menuText(items[index].caption));
        action->setVisible(true);
    }
}

} // namespace nw
