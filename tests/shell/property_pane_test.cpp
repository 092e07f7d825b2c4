// The property window inside the main frame: what the hardware grid shows survives dialogs
// and clicks on the tree, the status bar follows a port stored from the grid, and Tab
// reaches the grid that is shown.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabBar>
#include <QTest>
#include <QToolBar>
#include <QTreeWidget>

#include "content/card/screen_header.h"
#include "content/model/settings.h"
#include "editors/ui/dlg_password.h"
#include "editors/ui/hardware_grid.h"
#include "editors/ui/properties_wnd.h"
#include "link/ui/link_dlg.h"
#include "shell/shell_texts.h"
#include "tests/editors_ui/item_dialog_test_util.h"
#include "tests/shell/shell_test_util.h"
#include "tests/toolkit/property_grid_keys.h"

using namespace ledsuite;
using namespace ledsuite::testing;

namespace {

// The frame started on a screen the fake card accepts (model 2, COM1 at 115200 baud), its
// messages shown in real message boxes, the window active.
struct PaneApp : ShellApp {
    PaneApp() {
        HardwareParams screen;
        DefaultSettings(screen);
        screen.cardType = 2, screen.comIndex = 0, screen.baudIndex = 8;
        SetUiLanguage(3);  // English
        SaveSettingsFile(screen);
        EXPECT_TRUE(Start());
        Frame().SetMessageSink(MessageBoxSink(&Frame()));
        Frame().activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&Frame()));
    }
    CPropertiesWnd& Window() { return *static_cast<CPropertiesWnd*>(Frame().PropertyWindow()); }
    PropertyGrid* Hardware() { return Window().Grid(kHardwareGridId); }
    // Clicks a tree item as the user does (the tree takes the focus).
    void ClickTree(QTreeWidgetItem* item) {
        QTest::mouseClick(Tree().viewport(), Qt::LeftButton, {}, Tree().visualItemRect(item).center());
        EXPECT_TRUE(WaitUntil([&] { return Tree().hasFocus(); }));
    }
    // What the window manager does once a dialog has closed: the frame is active again and
    // its last focused widget takes the focus back.
    void Reactivate() {
        Frame().activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&Frame()));
        QTest::qWait(20);
    }
    void ClickCommand(int command) {
        QTest::mouseClick(Window().ToolBar()->widgetForAction(Window().Command(command)), Qt::LeftButton);
        Reactivate();
    }
    // Power On on the card: a message box that closes, the focus back where it was.
    void CloseABox(BoxCloser& boxes) {
        const size_t seen = boxes.texts.size();
        Frame().Trigger(ID_POWER_ON);
        EXPECT_EQ(boxes.texts.size(), seen + 1);
        Reactivate();
    }
};

// The service password typed, or the prompt cancelled while `cancel` holds.
struct PasswordPrompts : Answerer<CDlgPassword> {
    bool cancel = false;
    PasswordPrompts()
        : Answerer([this](CDlgPassword* d) {
              if (cancel) return d->reject();
              d->PasswordField()->setText(QString::fromUtf16(kServicePassword));
              d->OkButton()->click();
          }) {}
};

}  // namespace

TEST(PropertyPane, HardwareGridKeepsTypedAndReadValuesUntilSelectionSetOrApply) {
    HardwareParams onCard;
    DefaultSettings(onCard);
    onCard.cardType = 2, onCard.width = 96, onCard.baudIndex = 8;
    CardOnPort card({.readBackData = BuildHardwareParamBlock(onCard)});
    PaneApp a;
    BoxCloser boxes;
    PasswordPrompts password;
    PropertyGrid* g = a.Hardware();
    ASSERT_TRUE(g->isVisible());
    ASSERT_EQ(g->IntValue(kHwWidth), 128);

    // A width typed, Set cancelled at the password, the selected screen clicked, a message box closed.
    a.ClickTree(a.Tree().ScreenItem());
    TypeNumber(g, kHwWidth, "80");
    password.cancel = true;
    a.ClickCommand(kCmdSetHardware);
    EXPECT_EQ(std::tuple(password.seen, g->IntValue(kHwWidth)), std::tuple(1, 80));
    a.ClickTree(a.Tree().ScreenItem());
    a.CloseABox(boxes);
    ASSERT_TRUE(a.Tree().hasFocus());  // the focus went back to the tree
    EXPECT_EQ(std::tuple(g->IntValue(kHwWidth), a.Programs().screen().width), std::tuple(80, 128));

    // Read: the card's values stay in the grid after its message and another box have closed.
    a.ClickTree(a.Tree().ScreenItem());
    a.ClickCommand(kCmdReadHardware);
    ASSERT_EQ(boxes.texts.back(), "Read hardware parameter successfully");
    ASSERT_TRUE(WaitUntil([&] { return a.Tree().hasFocus(); }));  // the toolbar took no focus
    a.CloseABox(boxes);
    EXPECT_EQ(std::tuple(g->IntValue(kHwWidth), a.Programs().screen().width), std::tuple(96, 128));

    // Set, its message closed, then Apply: the password once.
    password.cancel = false;
    a.ClickTree(a.Tree().ScreenItem());
    a.ClickCommand(kCmdSetHardware);
    EXPECT_EQ(boxes.texts.back(), "Send hardware parameter successfully");
    ASSERT_TRUE(WaitUntil([&] { return a.Tree().hasFocus(); }));
    a.ClickCommand(kCmdApplySimulated);
    // The card got the screen's header (the block's length word counts only it).
    std::vector<uint8_t> header = BuildHardwareParamBlock(a.Programs().screen());
    header.resize(sizeof(ScreenHeader));
    EXPECT_EQ(std::tuple(password.seen, a.Programs().screen().width, card.card.log().data),
              std::tuple(2, 96, header));
    // Default drops the acceptance: the next Apply asks again.
    a.ClickCommand(kCmdDefaultHardware);
    a.ClickCommand(kCmdApplySimulated);
    EXPECT_EQ(password.seen, 3);
}

TEST(PropertyPane, PortAndBaudStoredFromTheGridShowInTheStatusBarAtOnce) {
    CardOnPort card;
    PaneApp a;
    PasswordPrompts password;
    PropertyGrid* g = a.Hardware();
    ASSERT_EQ(a.Frame().PortPane()->text(), QString::fromStdU16String(PortPaneText(1, 115200)));
    // Apply: the status bar has the new baud while the success message is still open.
    QString paneDuringBox;
    Answerer<CMessageBoxFx> boxes([&](CMessageBoxFx* box) {
        paneDuringBox = a.Frame().PortPane()->text();
        box->done(IDOK);
    });
    ClickOption(g, kHwBaud, 2);  // 9600
    a.ClickCommand(kCmdApplySimulated);
    EXPECT_EQ(std::tuple(a.Programs().screen().baudIndex, paneDuringBox),
              std::tuple(2, QString::fromStdU16String(PortPaneText(1, 9600))));
    // Set (sent on the port the screen had): COM2 and 115200 shown when it returns.
    ClickOption(g, kHwSerialPort, 1);
    ClickOption(g, kHwBaud, 8);
    a.Programs().screen().baudIndex = 8;  // the card still listens at 115200
    a.ClickCommand(kCmdSetHardware);
    EXPECT_EQ(std::tuple(a.Programs().screen().comIndex, a.Frame().PortPane()->text()),
              std::tuple(1, QString::fromStdU16String(PortPaneText(2, 115200))));
    HardwareParams stored;
    ASSERT_TRUE(LoadSettingsFile(stored));
    EXPECT_EQ(std::tuple(stored.comIndex, stored.baudIndex), std::tuple(1, 8));
    // Search Device finds the card on COM1: status bar and grid follow while the dialog is open.
    QString paneAfterSearch;
    AnswerNext<CLinkDlg>([&](CLinkDlg* dlg) {
        dlg->SetProbeWait(100);
        dlg->SearchButton()->click();
        EXPECT_TRUE(WaitUntil([&] { return dlg->SearchButton()->text() == "Search"; }));  // the search is done
        paneAfterSearch = a.Frame().PortPane()->text() + " " + g->Value(kHwSerialPort);
        dlg->reject();
    });
    a.Frame().Trigger(ID_CARD_SEARCH);
    EXPECT_EQ(paneAfterSearch, QString::fromStdU16String(PortPaneText(1, 115200)) + " COM1");
}

TEST(PropertyPane, TabIntoTheWindowReachesTheGridShown) {
    PaneApp a;
    a.Tree().setCurrentItem(a.Tree().ScreenItem());
    a.Page().Command(ID_ADD_PROGRAM_SET)->trigger();
    QWidget* window = &a.Window();
    // The editor host's tab bar comes before the window in the Tab order.
    QWidget* start = a.Host().findChild<QTabBar*>();
    ASSERT_NE(start, nullptr);
    for (auto [item, gridId] : {std::pair(a.Tree().ScreenItem(), kHardwareGridId),
                                std::pair(a.Tree().ItemAt(0), kProgramSetGridId)}) {
        a.ClickTree(item);
        PropertyGrid* g = a.Window().Grid(gridId);
        start->setFocus(Qt::MouseFocusReason);
        ASSERT_TRUE(WaitUntil([&] { return start->hasFocus(); }));
        // Forward Tabs until the focus enters the window.
        for (int i = 0; i < 20 && !window->isAncestorOf(QApplication::focusWidget()); ++i) {
            ASSERT_NE(QApplication::focusWidget(), nullptr);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        EXPECT_EQ(QApplication::focusWidget(), g->Tree()) << gridId;
        // The keys go to that grid: Down moves its current row.
        const int current = g->CurrentKey();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
        EXPECT_NE(g->CurrentKey(), current) << gridId;
    }
}
