#include "support/DialogChecks.h"
#include "support/WindowTestKit.h"
#include "ui/ResultsModel.h"

#include <QAction>
#include <QCheckBox>

using namespace nw;
using namespace nw::test;

// The main window's texts as the user must see them, written out here rather than read from
// the window's own tables, so that a changed caption, tip or message box fails.

namespace {

// A list shows its headers.
QString shownOrHeaders(const QObject* control) {
    if (const auto* list = qobject_cast<const QTreeView*>(control)) {
        QStringList headers;
        for (int c = 0; c < list->model()->columnCount(); ++c)
            headers << list->model()->headerData(c, Qt::Horizontal).toString();
        return headers.join(QLatin1Char('|'));
    }
    return shownText(control);
}

QString described(const AskedMessage& m) {
    const char* const buttons[] = {"OK", "OK Cancel", "Yes No", "Yes No Cancel"};
    const char* const icons[] = {"no icon", "information", "question", "warning", "critical"};
    const char* const answers[] = {"OK", "Cancel", "Yes", "No"};
    return QStringLiteral("%1|%2|%3|%4|default %5")
        .arg(m.title, m.text, QLatin1String(buttons[int(m.buttons)]),
             QLatin1String(icons[int(m.icon)]), QLatin1String(answers[int(m.defaultAnswer)]));
}

} // namespace

class TestWindowTexts : public QObject {
    Q_OBJECT

private slots:
    void controls_data();
    void controls();
    void messageBoxes_data();
    void messageBoxes();
};

void TestWindowTexts::controls_data() {
    // The row's name is the control's object name.
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("tip");
    const auto row = [](const char* name, const char* text, const char* tip = "") {
        QTest::newRow(name) << QString::fromUtf8(text) << QString::fromUtf8(tip);
    };
    row("addFavorite", "Add Favorite");
    row("DelFav", "Delete Favorite");
    row("ScanDir", "Start");
    row("StopMe", "Stop");
    row("CRCSkip", "CRC Skip",
        "Skip the file CRC check.  This will disable the entire CRC checking mode.");
    row("Frame1", "Mode Selection");
    row("ChrMatch", "Character Matching (recommended)", "Single character or Group matching.");
    row("Levenshtein", "Levenshtein Distance",
        "Distance: Number of changes a word must go through to become the second word.");
    row("Command1", "What is \"Levenshtein Distance\"?");
    row("mPercent", "90",
        "Percent of characters or groups of characters that match between the two items being "
        "compared.");
    row("lblChrMatch", "% Chr Match");
    row("GrpSense", "3", "Sets the number of characters in a group for comparison.");
    row("lblGrpSense", "Group Sensitivity (files different length only)");
    row("LevenshteinDist", "0",
        "Set this very low as the distance calculation can be very sensitive.");
    row("lblLDist", "Levenshtein Distance");
    row("IgnExtensions", "Ignore extensions", "Ignore file extensions where they exist.");
    row("fSense", "1",
        "[1] = Neither filenames will repeat, [2] = ONLY <filename1> can repeat, [3] = Both can "
        "repeat.");
    row("Label7", "Dupe Sensitivity");
    row("chkCRC32", "Check CRC32",
        "Calculate file CRC (very slow) use only if you suspect a file is identical except the "
        "file name is slightly different.");
    row("AutoMove", "Auto Move",
        "Move the smaller of the two matched files to the directory in the text box below.");
    row("AutoMoveDir", "", "Path to files that are moved.  Original structure is retained.");
    row("Label2", "Results (right click file for options):");
    row("FListView",
        "File One|Size (kb)|Path One|Matched|File Two|Size (kb)|Path Two|Method"); // headers
    // The menu items.
    row("MeRestore", "Restore");
    row("MeMax", "Maximize");
    row("meMin", "Minimize");
    row("MeExit", "Exit");
    row("Help", "Help");
    row("About", "About");
    row("HomePage", "Namewicks Home");
    row("UpdateCheck", "Update Check");
    row("OrloNews", "Subscribe to Orlo News");
    row("FakeError", "Fake Error");
    row("OpenLogText", "Open: Log.txt");
    row("mnuRemove", "Remove Item");
    row("mnuLarge", "Largest File");
    row("mnuSmall", "Smallest File");
}

void TestWindowTexts::controls() {
    QFETCH(QString, text);
    QFETCH(QString, tip);
    const QString name = QString::fromUtf8(QTest::currentDataTag());
    TestDir config;
    const auto window = makeWindow(config, config.path());

    // A menu item is its action; a submenu's action carries the submenu's name as well.
    const QObject* control = window->findChild<QAction*>(name);
    if (!control)
        control = window->findChild<QWidget*>(name);
    QVERIFY2(control, qPrintable(QStringLiteral("the window has no control %1").arg(name)));
    QCOMPARE(shownOrHeaders(control), text);
    if (const auto* widget = qobject_cast<const QWidget*>(control))
        QCOMPARE(widget->toolTip(), tip);
}

void TestWindowTexts::messageBoxes_data() {
    QTest::addColumn<QString>("command"); // what asks: a menu item's name, or the Auto Move box
    QTest::addColumn<QString>("box");     // title|text|buttons|icon|default button

    QTest::newRow("Delete") << "mnuOption2_1"
                            << "Confirmation|Are you sure you want to delete\nDelete: notez.txt?|"
                               "Yes No|no icon|default Yes";
    QTest::newRow("Remove") << "mnuRemove"
                            << "Remove|Are you sure you want to remove\n''notez.txt''?|Yes No|"
                               "critical|default Yes";
    QTest::newRow("Auto Move into the searched folder")
        << "AutoMove"
        << "ERROR!!|Directory cannot be inside search path!|OK|critical|default OK";
}

void TestWindowTexts::messageBoxes() {
    QFETCH(QString, command);
    QFETCH(QString, box);
    TestDir tree;
    ScriptedDialogs dialogs;
    const auto window = makeWindow(tree, tree.path());
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    const QString folder = tree.path() + QLatin1Char('/');
    window->results()->addAtTop(pairRow("notez.txt", "0.4", folder, "notes.txt", "0.5", folder));
    // A Yes/No box is answered No, so no file goes; the folder offered is the searched one.
    dialogs.answers << MessageAnswer::No;
    dialogs.folders << tree.path();

    if (command == QLatin1String("AutoMove")) {
        child<QCheckBox>(*window, command)->click();
    } else {
        pressList(*window, 0, Qt::LeftButton);
        child<QAction>(*window, command)->trigger();
    }
    QCOMPARE(dialogs.asked.size(), 1);
    QCOMPARE(described(dialogs.asked.first()), box);
}

QTEST_MAIN(TestWindowTexts)
#include "test_window_texts.moc"
