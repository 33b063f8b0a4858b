#include "platform/desktop/DesktopDialogs.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QMetaEnum>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>

using namespace nw;

namespace {

// Once the next modal window is up, seen gets what describe tells of it, which must close it;
// another kind of window is named and closed.
template <class Dialog>
void whenShown(QString& seen, const std::function<QString(Dialog&)>& describe) {
    seen = QStringLiteral("no dialog came up");
    QTimer::singleShot(0, qApp, [&seen, describe] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal) {
            whenShown(seen, describe);
        } else if (auto* dialog = qobject_cast<Dialog*>(modal)) {
            seen = describe(*dialog);
        } else {
            seen = QStringLiteral("a %1 came up").arg(modal->metaObject()->className());
            modal->close();
        }
    });
}

// The buttons by name, "Yes|No|Cancel"; any others as "other".
QString buttonNames(QMessageBox::StandardButtons buttons) {
    QStringList shown;
    for (const auto button :
         {QMessageBox::Yes, QMessageBox::No, QMessageBox::Ok, QMessageBox::Cancel})
        if (buttons.testFlag(button))
            shown << QString::fromLatin1(
                QMetaEnum::fromType<QMessageBox::StandardButtons>().valueToKey(button));
    if (buttons & ~(QMessageBox::Yes | QMessageBox::No | QMessageBox::Ok | QMessageBox::Cancel))
        shown << QStringLiteral("other");
    return shown.join(QLatin1Char('|'));
}

} // namespace

// The real message box and folder dialog, run once each: what the program asks for is what
// the user sees.
class TestDesktopDialogs : public QObject {
    Q_OBJECT

private slots:
    void messageBox_data() {
        QTest::addColumn<MessageButtons>("buttons");
        QTest::addColumn<MessageIcon>("icon");
        QTest::addColumn<MessageAnswer>("defaultAnswer");
        QTest::addColumn<QString>("shown"); // buttons, icon and default button of the box

        QTest::newRow("Delete") << MessageButtons::YesNo << MessageIcon::None << MessageAnswer::Yes
                                << "Yes|No, NoIcon, default Yes";
        QTest::newRow("Remove") << MessageButtons::YesNo << MessageIcon::Critical
                                << MessageAnswer::Yes << "Yes|No, Critical, default Yes";
        QTest::newRow("three answers")
            << MessageButtons::YesNoCancel << MessageIcon::Question << MessageAnswer::No
            << "Yes|No|Cancel, Question, default No";
        QTest::newRow("OK or Cancel")
            << MessageButtons::OkCancel << MessageIcon::Warning << MessageAnswer::Cancel
            << "Ok|Cancel, Warning, default Cancel";
        QTest::newRow("OK") << MessageButtons::Ok << MessageIcon::Information << MessageAnswer::Ok
                            << "Ok, Information, default Ok";
    }
    void messageBox() {
        QFETCH(MessageButtons, buttons);
        QFETCH(MessageIcon, icon);
        QFETCH(MessageAnswer, defaultAnswer);
        QFETCH(QString, shown);

        QString seen;
        whenShown<QMessageBox>(seen, [](QMessageBox& box) {
            const QString text =
                QStringLiteral("%1|%2|%3, %4, default %5")
                    .arg(box.windowTitle(), box.text(), buttonNames(box.standardButtons()),
                         QString::fromLatin1(
                             QMetaEnum::fromType<QMessageBox::Icon>().valueToKey(box.icon())),
                         buttonNames(box.standardButton(box.defaultButton())));
            QTest::keyClick(&box, Qt::Key_Return); // answers what the default button answers
            return text;
        });
        const MessageAnswer answer = DesktopDialogs().message(
            QStringLiteral("Confirmation"), QStringLiteral("Sure?\nDelete: a.txt?"), buttons, icon,
            defaultAnswer);
        QCOMPARE(seen, QStringLiteral("Confirmation|Sure?\nDelete: a.txt?|") + shown);
        QVERIFY2(answer == defaultAnswer, "Enter did not give the default button's answer");
    }

    void folderDialog_data() {
        QTest::addColumn<bool>("allowNewFolder");
        QTest::newRow("a new folder may be made") << true;
        QTest::newRow("no new folder") << false;
    }
    void folderDialog() {
        QFETCH(bool, allowNewFolder);
        QString seen;
        whenShown<QFileDialog>(seen, [](QFileDialog& dialog) {
            dialog.reject();
            const auto* prompt = dialog.findChild<QLabel*>(QStringLiteral("Prompt"));
            return QStringLiteral("%1|%2|in %3|folders %4, dirs only %5, read-only %6")
                .arg(dialog.windowTitle(),
                     prompt && prompt->isVisibleTo(&dialog) ? prompt->text() : "no prompt inside",
                     dialog.directory().path())
                .arg(dialog.fileMode() == QFileDialog::Directory)
                .arg(dialog.testOption(QFileDialog::ShowDirsOnly))
                .arg(dialog.testOption(QFileDialog::ReadOnly));
        });
        // Cancelled: no folder chosen.
        QCOMPARE(DesktopDialogs().browseFolder(QStringLiteral("Move ''a.txt'' to:"), allowNewFolder,
                                               QDir::rootPath()),
                 QString());
        QCOMPARE(seen, QStringLiteral("Move ''a.txt'' to:|Move ''a.txt'' to:|in %1|folders 1, dirs "
                                      "only 1, read-only %2")
                           .arg(QDir::rootPath())
                           .arg(!allowNewFolder));
    }
};

QTEST_MAIN(TestDesktopDialogs)
#include "test_desktop_dialogs.moc"
