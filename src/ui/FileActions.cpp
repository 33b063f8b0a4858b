// The commands of the results list's context menu.
#include "core/ErrorReport.h"
#include "core/ScanLog.h"
#include "platform/Dialogs.h"
#include "platform/FileSystem.h"
#include "platform/Shell.h"
#include "ui/ChooseFolder.h"
#include "ui/Handled.h"
#include "ui/MainWindow.h"
#include "ui/ResultsModel.h"

#include <QTreeView>

namespace nw {

namespace {
const QString Module = QStringLiteral("frmMain");
} // namespace

// The name or folder after the item's prefix. Only the leading prefix goes: the same text may
// stand in the name itself.
QString MainWindow::OptionItem::target(int index) const {
    const QLatin1String prefix(Prefixes[index]);
    return caption.startsWith(prefix) ? caption.mid(prefix.size()) : QString();
}

void MainWindow::mnuOptionClick(int array, int index) {
    const char* procedure = array == 0 ? "mnuOption1_Click" : "mnuOption2_Click";
    handled(procedure, [&] {
        // A copy: the dialogs below let events run, and a press on the list prepares the items
        // anew.
        const OptionItem item = optionItems_[size_t(array)][size_t(index)];
        if (item.caption.isEmpty())
            return;

        if (index == 0) {
            exploreFolder(item.target(0));
            return;
        }

        if (index == 1) {
            const QString name = item.target(1);
            const MessageAnswer answer =
                showMessage(QStringLiteral("Confirmation"),
                            QStringLiteral("Are you sure you want to delete\n") + item.caption +
                                QLatin1Char('?'),
                            MessageButtons::YesNo, MessageIcon::None, MessageAnswer::Yes);
            if (answer == MessageAnswer::Yes && fs::fileExists(item.tag)) {
                if (const ErrorInfo error = fs::deleteFile(item.tag)) {
                    ReportError(Module, QString::fromLatin1(procedure), error);
                    return;
                }
                removeSelectedRow();
            }
            sweepRowsNaming(name);
            return;
        }

        const QString name = item.target(2);
        if (fs::fileExists(item.tag)) {
            const QString chosen =
                chooseFolder(true, QStringLiteral("Move ''") + name + QStringLiteral("'' to:"));
            // Cancelled: no folder, so nothing may move.
            if (chosen.isEmpty())
                return;
            // Never overwrites; a failed move leaves the file where it was.
            if (const ErrorInfo error = fs::moveFile(item.tag, fs::folderText(chosen))) {
                ReportError(Module, QString::fromLatin1(procedure), error);
                return;
            }
            removeSelectedRow();
        }
        sweepRowsNaming(name);
    });
}

void MainWindow::mnuRemoveClick() {
    handled("mnuRemove_Click", [&] {
        const int row = selectedRow();
        if (row == 0) {
            ReportError(Module, QStringLiteral("mnuRemove_Click"),
                        ErrorInfo::make(ErrObjectNotSet));
            return;
        }
        const QString name = results_->cell(row, ColFile1);
        const MessageAnswer answer = showMessage(
            QStringLiteral("Remove"),
            QStringLiteral("Are you sure you want to remove\n''") + name + QStringLiteral("''?"),
            MessageButtons::YesNo, MessageIcon::Critical, MessageAnswer::Yes);
        if (answer == MessageAnswer::Yes)
            results_->removeRow(row - 1);
    });
}

void MainWindow::openLogTextClick() {
    handled("OpenLogText", [&] { openDocument(logPath(scanPath(), QStringLiteral("Log"))); });
}

void MainWindow::removeSelectedRow() {
    if (const int row = selectedRow())
        results_->removeRow(row - 1);
}

void MainWindow::sweepRowsNaming(const QString& name) {
    // From the last row up, so the rows still to look at keep their places.
    for (int row = results_->count(); row >= 1; --row) {
        if (results_->cell(row, ColFile1) == name || results_->cell(row, ColFile2) == name)
            results_->removeRow(row - 1);
    }
}

} // namespace nw
