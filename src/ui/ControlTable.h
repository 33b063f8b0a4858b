#pragma once

#include "widgets/DialogLook.h"

#include <QRect>
#include <QString>

#include <array>
#include <string_view>

class QWidget;

namespace nw {

// The main window as designed. Places are in twips (1/1440 inch); 15 twips make one
// device-independent pixel.

enum class ControlKind {
    DriveList,  // QComboBox of mounted volumes
    FolderList, // FolderTree
    PushButton,
    ListBox, // QListWidget
    Frame,   // QGroupBox
    OptionButton,
    Line,     // horizontal QFrame
    ComboBox, // editable
    Label,
    CheckBox,
    TextBox,  // QLineEdit
    ListView, // QTreeView over the results model
    StatusBar,
    ProgressBar // range 0 to 100
};

enum ControlFlag : unsigned {
    NoFlags = 0,
    Hidden = 1,
    Checked = 2,
    ReadOnly = 4,
};

struct TwipRect {
    int left;
    int top;
    int width;
    int height;
};

struct ControlEntry {
    const char* name;
    ControlKind kind;
    const char* text;   // caption or start content
    const char* tip;    // empty: none
    TwipRect place;     // in the parent's client area
    const char* parent; // empty: the window's client area
    unsigned flags;
};

inline constexpr int ClientWidthTwips = 11445;
inline constexpr int ClientHeightTwips = 7035;

// Parents come before their children; later controls lie above earlier ones.
// clang-format off
inline constexpr std::array<ControlEntry, 30> Controls = {{
    // name, kind, caption or start content,
    //     tool tip,
    //     left, top, width, height, parent, flags
    {"Drive1", ControlKind::DriveList, "", "", {120, 120, 1845, 315}, "", NoFlags},
    {"Dir1", ControlKind::FolderList, "", "", {120, 480, 2910, 2565}, "", NoFlags},
    {"addFavorite", ControlKind::PushButton, "Add Favorite", "", {7305, 75, 1975, 300}, "", NoFlags},
    {"DelFav", ControlKind::PushButton, "Delete Favorite", "", {9300, 75, 1975, 300}, "", NoFlags},
    {"FavsList", ControlKind::ListBox, "", "", {7305, 480, 3975, 3180}, "", NoFlags},
    {"ScanDir", ControlKind::PushButton, "Start", "", {105, 3210, 795, 300}, "", NoFlags},
    {"StopMe", ControlKind::PushButton, "Stop", "", {2235, 3210, 795, 300}, "", Hidden},
    {"CRCSkip", ControlKind::PushButton, "CRC Skip",
        "Skip the file CRC check.  This will disable the entire CRC checking mode.",
        {2115, 120, 915, 330}, "", Hidden},
    {"Frame1", ControlKind::Frame, "Mode Selection", "", {3120, 30, 4125, 2655}, "", NoFlags},
    {"ChrMatch", ControlKind::OptionButton, "Character Matching (recommended)",
        "Single character or Group matching.",
        {150, 270, 3765, 225}, "Frame1", NoFlags},
    {"Levenshtein", ControlKind::OptionButton, "Levenshtein Distance",
        "Distance: Number of changes a word must go through to become the second word.",
        {150, 540, 3780, 255}, "Frame1", NoFlags},
    {"Command1", ControlKind::PushButton, "What is \"Levenshtein Distance\"?", "",
        {150, 840, 3765, 300}, "Frame1", NoFlags},
    {"Line1", ControlKind::Line, "", "", {0, 1230, 4080, 0}, "Frame1", NoFlags},
    {"mPercent", ControlKind::ComboBox, "90",
        "Percent of characters or groups of characters that match between the two items being "
        "compared.",
        {150, 1320, 630, 315}, "Frame1", NoFlags},
    {"lblChrMatch", ControlKind::Label, "% Chr Match", "",
        {810, 1365, 2985, 270}, "Frame1", NoFlags},
    {"GrpSense", ControlKind::ComboBox, "3",
        "Sets the number of characters in a group for comparison.",
        {150, 1725, 495, 315}, "Frame1", NoFlags},
    {"lblGrpSense", ControlKind::Label, "Group Sensitivity (files different length only)", "",
        {675, 1785, 3300, 255}, "Frame1", NoFlags},
    {"Line2", ControlKind::Line, "", "", {0, 2115, 4080, 0}, "Frame1", NoFlags},
    {"LevenshteinDist", ControlKind::ComboBox, "0",
        "Set this very low as the distance calculation can be very sensitive.",
        {150, 2220, 495, 315}, "Frame1", NoFlags},
    {"lblLDist", ControlKind::Label, "Levenshtein Distance", "",
        {675, 2265, 3390, 195}, "Frame1", NoFlags},
    {"IgnExtensions", ControlKind::CheckBox, "Ignore extensions",
        "Ignore file extensions where they exist.",
        {3270, 2760, 1725, 255}, "", Checked},
    {"fSense", ControlKind::ComboBox, "1",
        "[1] = Neither filenames will repeat, [2] = ONLY <filename1> can repeat, [3] = Both can "
        "repeat.",
        {5280, 2715, 495, 315}, "", NoFlags},
    {"Label7", ControlKind::Label, "Dupe Sensitivity", "", {5790, 2760, 1230, 255}, "", NoFlags},
    {"chkCRC32", ControlKind::CheckBox, "Check CRC32",
        "Calculate file CRC (very slow) use only if you suspect a file is identical except the "
        "file name is slightly different.",
        {3270, 3120, 1830, 210}, "", NoFlags},
    {"AutoMove", ControlKind::CheckBox, "Auto Move",
        "Move the smaller of the two matched files to the directory in the text box below.",
        {5280, 3120, 1725, 210}, "", NoFlags},
    {"AutoMoveDir", ControlKind::TextBox, "",
        "Path to files that are moved.  Original structure is retained.",
        {3270, 3390, 3840, 285}, "", ReadOnly},
    {"Label2", ControlKind::Label, "Results (right click file for options):", "",
        {120, 3615, 3060, 375}, "", NoFlags},
    {"FListView", ControlKind::ListView, "", "", {105, 3810, 11190, 2805}, "", NoFlags},
    {"StatusBar1", ControlKind::StatusBar, "", "", {0, 6705, 11445, 330}, "", NoFlags},
    // Over the first status-bar panel.
    {"ProgressBar1", ControlKind::ProgressBar, "", "", {30, 6765, 1350, 225}, "", NoFlags},
}};
// clang-format on

// A control of the table by name (the last one for a name not in the table).
constexpr const ControlEntry& controlEntry(std::string_view name) {
    size_t i = 0;
    while (i + 1 < Controls.size() && name != Controls[i].name)
        ++i;
    return Controls[i];
}

// Focus moves in this order; the first one has the focus at start.
inline constexpr std::array<const char*, 20> TabOrder = {
    "Drive1",          "Dir1",          "ScanDir",     "StopMe",   "FListView",
    "fSense",          "ChrMatch",      "Levenshtein", "mPercent", "Command1",
    "LevenshteinDist", "IgnExtensions", "GrpSense",    "chkCRC32", "CRCSkip",
    "AutoMove",        "AutoMoveDir",   "addFavorite", "FavsList", "DelFav"};

struct ColumnEntry {
    const char* key;
    const char* caption;
    bool rightAligned;
};

inline constexpr int ColumnWidthTwips = 1440;

inline constexpr std::array<ColumnEntry, 8> ResultColumns = {{
    {"File1", "File One", false},
    {"FSize1", "Size (kb)", true},
    {"FPath1", "Path One", false},
    {"pctMatched", "Matched", false},
    {"File2", "File Two", false},
    {"FSize2", "Size (kb)", true},
    {"FPath2", "Path Two", false},
    {"MyMethod", "Method", false},
}};

struct PanelEntry {
    const char* key;
    int widthTwips;
};

inline constexpr std::array<PanelEntry, 3> StatusPanels = {{
    {"pbar", 1360},
    {"fnamedata", 8650},
    {"secs", 1360},
}};

struct MenuEntry {
    const char* name;
    const char* caption;
    const char* parent; // empty: the menu bar
    bool submenu;
    bool hidden;
};

inline constexpr std::array<MenuEntry, 21> Menus = {{
    {"MeRestore", "Restore", "", false, false},
    {"MeMax", "Maximize", "", false, false},
    {"meMin", "Minimize", "", false, false},
    {"MeExit", "Exit", "", false, false},
    {"Help", "Help", "", true, false},
    {"About", "About", "Help", false, false},
    {"HomePage", "Namewicks Home", "Help", false, false},
    {"UpdateCheck", "Update Check", "Help", false, false},
    {"OrloNews", "Subscribe to Orlo News", "Help", false, false},
    {"FakeError", "Fake Error", "Help", false, false},
    // Never in the menu bar: its submenu is the results list's context menu.
    {"mnuHidden1", "mnuHidden1", "", true, true},
    {"OpenLogText", "Open: Log.txt", "mnuHidden1", false, false},
    {"mnuRemove", "Remove Item", "mnuHidden1", false, false},
    {"mnuLarge", "Largest File", "mnuHidden1", true, false},
    {"mnuOption1_0", "dd", "mnuLarge", false, false},
    {"mnuOption1_1", "ee", "mnuLarge", false, false},
    {"mnuOption1_2", "ff", "mnuLarge", false, false},
    {"mnuSmall", "Smallest File", "mnuHidden1", true, false},
    {"mnuOption2_0", "gg", "mnuSmall", false, false},
    {"mnuOption2_1", "hh", "mnuSmall", false, false},
    {"mnuOption2_2", "ii", "mnuSmall", false, false},
}};

// The drop-down lists the window fills at load, from first to last in steps of one.
struct NumberListEntry {
    const char* name;
    int first;
    int last;
};

inline constexpr std::array<NumberListEntry, 4> NumberLists = {{
    {"mPercent", 99, 1},
    {"fSense", 1, 3},
    {"GrpSense", 2, 5},
    {"LevenshteinDist", 0, 10},
}};

inline int twipsToPixels(int twips) {
    return look::px(twips);
}
QRect twipsToPixels(const TwipRect& place);

// Creates the widget of one control with its name, text, tip, place and flags.
QWidget* makeControl(const ControlEntry& entry, QWidget* parent);

// Whether the caption of a button, check box, option button, frame or label shows whole.
bool captionFits(const QWidget* control);
// Makes the control's text smaller until its caption fits, for fonts wider than designed.
void fitCaption(QWidget* control);

} // namespace nw
