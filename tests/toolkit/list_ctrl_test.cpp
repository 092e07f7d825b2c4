#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

#include "tests/qt_main/qt_test_util.h"
#include "toolkit/colors.h"
#include "toolkit/list_ctrl.h"

using namespace ledsuite;

namespace {

using Signals = QList<QList<QVariant>>;
const char kInitial[] = "r0c0 r0c1 r0c2 r1c0 r1c1 r1c2 r2c0 r2c1 r2c2";

// A shown, active window holding a 3 x 3 list and one more input to take the focus away.
struct ListWindow {
    QWidget window;
    CMyListCtrl* list = new CMyListCtrl;
    QLineEdit* other = new QLineEdit;
    QSignalSpy begins{list, &CMyListCtrl::BeginCellEdit};
    QSignalSpy ends{list, &CMyListCtrl::EndCellEdit};

    ListWindow() {
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(list);
        layout->addWidget(other);
        list->setColumnCount(3);
        list->setRowCount(3);
        for (int i = 0; i < 9; ++i) list->setItem(i / 3, i % 3, new QTableWidgetItem(QString("r%1c%2").arg(i / 3).arg(i % 3)));
        window.resize(400, 300);
        window.show();
        QApplication::setActiveWindow(&window);
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
    }
    QPoint CellCenter(int row, int column) const { return list->visualRect(list->model()->index(row, column)).center(); }
    // Every cell's text, row by row.
    std::string Cells() const {
        QStringList texts;
        for (int i = 0; i < 9; ++i) texts << list->item(i / 3, i % 3)->text();
        return texts.join(' ').toStdString();
    }
    // The fill of each row's second cell.
    std::vector<QColor> Pixels() const {
        const QImage shot = list->viewport()->grab().toImage();
        std::vector<QColor> out;
        for (int row = 0; row < 3; ++row) {
            const QRect r = list->visualRect(list->model()->index(row, 1));
            out.push_back(shot.pixelColor(r.center().x(), r.top() + 2));
        }
        return out;
    }
};

}  // namespace

TEST(ListColors, RowBytesIndexTheVgaPaletteAndOnlyTheFirstSelectedRowIsDrawnAsSelected) {
    // Yellow on maroon; a row past the table white; the selected row 0xC56A31.
    EXPECT_EQ(std::tuple(RowPaintColors(3, -1, 0x1B).text, RowPaintColors(3, -1, 0x1B).back,
                         RowPaintColors(2048, -1, 0x1B).back, RowPaintColors(5, 5, 0x1B).back),
              std::tuple(0x00FFFFu, 0x000080u, 0xFFFFFFu, 0xC56A31u));

    ListWindow w;
    EXPECT_EQ(std::tuple(w.list->SetRowColor(-1, 0x12), w.list->SetRowColor(4096, 0x12), w.list->SetRowColor(4095, 0x12)),
              std::tuple(false, false, true));
    w.list->SetRowColor(0, 0x1B);
    w.list->SetRowColor(2, 0x1B);
    w.list->selectRow(0);
    w.list->selectionModel()->select(w.list->model()->index(2, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    EXPECT_EQ(w.Pixels(), (std::vector<QColor>{QColor(0x31, 0x6A, 0xC5), Qt::white, QColor(0x80, 0, 0)}));  // maroon
    w.list->SetOwnerDraw(true);  // alternating fills, the selection in the highlight colour
    EXPECT_EQ(w.Pixels()[0], w.list->palette().color(QPalette::Active, QPalette::Highlight));
    EXPECT_EQ(w.Pixels()[1], QColor(0x80, 0x80, 0x80));
}

TEST(ListEdit, BeginAndEndOfAnEditAndEnterStoresTheText) {
    ListWindow w;
    // A double click on the focused row asks the owner to begin, column first, then row.
    QTest::mouseClick(w.list->viewport(), Qt::LeftButton, {}, w.CellCenter(1, 1));
    QTest::mouseDClick(w.list->viewport(), Qt::LeftButton, {}, w.CellCenter(1, 1));
    EXPECT_EQ(w.begins, (Signals{{1, 1}}));

    w.list->ShowInPlaceEdit(2, 1, "old");
    CInPlaceEdit* edit = w.list->InPlaceEdit();
    ASSERT_TRUE(edit->isVisible());
    EXPECT_EQ(edit->selectedText(), QString("old"));
    QTest::keyClicks(edit, "a much longer text than the cell is wide");
    EXPECT_GT(edit->width(), w.list->columnWidth(1));
    EXPECT_LE(edit->geometry().right(), w.list->viewport()->width());
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(w.list->item(2, 1)->text(), QString("a much longer text than the cell is wide"));
    EXPECT_FALSE(edit->isVisible());
    EXPECT_EQ(w.ends, (Signals{{1, 2}}));  // the edited cell, not the last double-clicked one

    // An owner that opens the next cell's editor in answer to the end keeps it open.
    QObject::connect(w.list, &CMyListCtrl::EndCellEdit, w.list, [&w](int, int row) {
        if (row == 2) w.list->ShowInPlaceEdit(0, 1, "next");
    });
    w.list->ShowInPlaceEdit(2, 2, "last");
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_TRUE(edit->isVisible());
    EXPECT_EQ(edit->Row(), 0);
    EXPECT_EQ(w.ends.size(), 2);

    // A double click below the rows selects them all and begins nothing.
    QTest::mouseDClick(w.list->viewport(), Qt::LeftButton, {}, QPoint(20, w.list->viewport()->height() - 2));
    EXPECT_EQ(w.begins.size(), 1);
    EXPECT_EQ(w.list->selectionModel()->selectedRows().size(), 3);
    EXPECT_EQ(w.list->LastDoubleClickedCell().row, -1);
}

TEST(ListEdit, EscKeepsTheOldTextInEveryEditorAndStillEndsTheEdit) {
    ListWindow w;
    w.list->ShowInPlaceEdit(0, 1, "r0c1");
    QTest::keyClicks(w.list->InPlaceEdit(), "xyz");
    QTest::keyClick(w.list->InPlaceEdit(), Qt::Key_Escape);
    EXPECT_EQ(w.ends, (Signals{{1, 0}}));
    w.list->ShowInPlaceList(1, 2, {"a", "b", "c"}, 1);
    QTest::keyClick(w.list->InPlaceList(), Qt::Key_Escape);
    w.list->ShowInPlaceTime(2, 0, 3600);
    QTest::keyClick(w.list->InPlaceTime(), Qt::Key_Escape);
    w.list->ShowInPlaceBrowseEdit(0, 2, "/tmp/x.mp3");
    QTest::keyClick(w.list->InPlaceBrowseEdit(), Qt::Key_Escape);
    EXPECT_EQ(w.ends.size(), 4);
    EXPECT_EQ(w.Cells(), kInitial);
}

// A click into the time editor's hour and typed digits set the time, as in every picker.
TEST(ListEdit, ATimeTypedAfterAClickIntoTheTimeEditorIsStored) {
    ListWindow w;
    w.list->ShowInPlaceTime(1, 0, 0);
    ledsuite::testing::ClickFirstSectionAndType(w.list->InPlaceTime(), "223015");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_EQ(w.list->item(1, 0)->text(), "22:30:15");
}

TEST(ListEdit, ListAndTimeEditorsStoreTheirChoiceAndFocusLossEndsAnEdit) {
    ListWindow w;
    w.list->ShowInPlaceList(1, 2, {"a", "b", "c"}, 1);
    QTest::keyClick(w.list->InPlaceList(), Qt::Key_Return);
    w.list->ShowInPlaceTime(0, 0, 0);
    w.list->InPlaceTime()->setTime(QTime(7, 8, 9));
    QTest::keyClick(w.list->InPlaceTime(), Qt::Key_Enter);
    w.list->ShowInPlaceBrowseEdit(2, 2, "/music/a.mp3");
    ASSERT_TRUE(w.list->InPlaceBrowseEdit()->hasFocus());
    w.other->setFocus();
    EXPECT_FALSE(w.list->InPlaceBrowseEdit()->isVisible());
    // Opening a second editor ends the first one.
    w.list->ShowInPlaceEdit(0, 1, "first");
    w.list->ShowInPlaceList(1, 1, {"x"});
    EXPECT_EQ(w.Cells(), "07:08:09 first r0c2 r1c0 r1c1 b r2c0 r2c1 /music/a.mp3");
    EXPECT_EQ(w.ends.size(), 4);

    // Opening the drop-down keeps the edit open; picking there stores the pick, which
    // becomes current only after the drop-down has closed.
    w.list->ShowInPlaceList(1, 2, {"a", "b", "c"}, 0);
    w.list->InPlaceList()->showPopup();
    EXPECT_TRUE(w.list->InPlaceList()->Editing());
    QAbstractItemView* popup = w.list->InPlaceList()->view();
    popup->setCurrentIndex(popup->model()->index(2, 0));
    QTest::keyClick(popup, Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_EQ(w.list->item(1, 2)->text(), QString("c"));
    EXPECT_FALSE(w.list->InPlaceList()->isVisible());
    EXPECT_EQ(w.ends.size(), 6);
}

TEST(ListEdit, TabAndShiftTabEndTheEditInEveryEditorKeepingItsText) {
    ListWindow w;
    w.list->setCurrentCell(1, 0);
    w.list->ShowInPlaceEdit(0, 1, "old");
    QTest::keyClicks(w.list->InPlaceEdit(), "new");
    QTest::keyClick(w.list->InPlaceEdit(), Qt::Key_Tab);
    EXPECT_FALSE(w.list->InPlaceEdit()->isVisible());
    EXPECT_TRUE(w.list->hasFocus());
    w.list->ShowInPlaceList(1, 1, {"b", "a"}, 5);  // a selection past the end takes the last entry
    QTest::keyClick(w.list->InPlaceList(), Qt::Key_Tab);
    w.list->ShowInPlaceTime(2, 1, 0);
    w.list->InPlaceTime()->setTime(QTime(7, 8, 9));
    QTest::keyClick(w.list->InPlaceTime(), Qt::Key_Backtab, Qt::ShiftModifier);
    w.list->ShowInPlaceBrowseEdit(0, 2, "x");
    QTest::keyClicks(w.list->InPlaceBrowseEdit(), "y");
    QTest::keyClick(w.list->InPlaceBrowseEdit(), Qt::Key_Tab);
    EXPECT_EQ(w.Cells(), "r0c0 new xy r1c0 a r1c2 r2c0 07:08:09 r2c2");
    EXPECT_EQ(w.ends, (Signals{{1, 0}, {1, 1}, {1, 2}, {2, 0}}));
    // The list's current cell did not move.
    EXPECT_EQ(std::pair(w.list->currentRow(), w.list->currentColumn()), std::pair(1, 0));
}

TEST(ListEdit, CellGeometry) {
    ListWindow w;
    w.list->horizontalHeader()->setMinimumSectionSize(0);
    w.list->setColumnWidth(2, 9);
    for (auto [row, column] : {std::pair{3, 0}, {0, 3}, {0, 2}}) EXPECT_FALSE(w.list->GetCellRect(row, column));
    w.list->ShowInPlaceEdit(0, 2, "no");
    EXPECT_FALSE(w.list->InPlaceEdit()->isVisible());
    const auto rect = w.list->GetCellRect(1, 1);
    ASSERT_TRUE(rect);
    EXPECT_EQ(rect->left(), w.list->columnWidth(0));
    EXPECT_EQ(std::pair(w.list->HitTestCell(rect->center()).row, w.list->HitTestCell(rect->center()).column),
              std::pair(1, 1));
    EXPECT_EQ(w.list->HitTestCell(QPoint(w.list->viewport()->width() - 1, rect->center().y())).row, -1);
}

TEST(ListEdit, TheTextEditorsKeepEveryCtrlKeyFromTheWindowsShortcuts) {
    ListWindow w;
    auto* save = new QAction(&w.window);
    save->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    auto* confirm = new QAction(&w.window);
    confirm->setShortcut(QKeySequence(Qt::Key_Return));
    w.window.addActions({save, confirm});
    QSignalSpy saves(save, &QAction::triggered), confirms(confirm, &QAction::triggered);

    for (bool browse : {false, true}) {
        browse ? w.list->ShowInPlaceBrowseEdit(1, 1, "typed") : w.list->ShowInPlaceEdit(1, 1, "typed");
        QLineEdit* editor = browse ? static_cast<QLineEdit*>(w.list->InPlaceBrowseEdit()) : w.list->InPlaceEdit();
        QTest::keyClick(editor, Qt::Key_S, Qt::ControlModifier);
        QTest::keyClick(editor, Qt::Key_Delete);
        EXPECT_TRUE(editor->isVisible());
        EXPECT_EQ(saves.size(), 0);
        QTest::keyClick(editor, Qt::Key_Return);  // the edit ends, the window's Return stays quiet
        EXPECT_FALSE(editor->isVisible());
    }
    w.list->ShowInPlaceList(0, 1, {"a", "b"}, 1);
    QTest::keyClick(w.list->InPlaceList(), Qt::Key_Return);
    w.list->ShowInPlaceTime(0, 2, 0);
    QTest::keyClick(w.list->InPlaceTime(), Qt::Key_Return);
    EXPECT_EQ(confirms.size(), 0);
    EXPECT_EQ(w.list->item(0, 1)->text(), QString("b"));
    EXPECT_EQ(w.ends.size(), 4);

    // With no edit open the window's shortcuts work as ever.
    QTest::keyClick(w.list, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(saves.size(), 1);
}

TEST(ListEdit, OnlyAsciiLettersAndDigitsAreKeptFromTypeAhead) {
    for (char16_t c : {u'a', u'z', u'A', u'Z', u'0', u'9'}) EXPECT_TRUE(BlocksTypeAhead(QChar(c))) << int(c);
    for (char16_t c : {u'é', u'中', u'٣', u'Ｚ', u'-', u'`', u'{', u'/', u':', u'@', u'['})
        EXPECT_FALSE(BlocksTypeAhead(QChar(c))) << int(c);

    // "b" finds no "banana"; "é" finds "éclair".
    ListWindow w;
    w.list->item(1, 0)->setText("banana");
    w.list->item(2, 0)->setText(QString::fromUtf16(u"éclair"));
    w.list->setCurrentCell(0, 0);
    w.list->setFocus();
    QTest::keyClick(w.list, 'b');
    EXPECT_EQ(w.list->currentRow(), 0);
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Eacute, Qt::NoModifier, QString::fromUtf16(u"é"));
    QApplication::sendEvent(w.list, &press);
    EXPECT_EQ(w.list->currentRow(), 2);
}

TEST(ListColors, RowTextIsDrawnInItsColourOnScreen) {
    ListWindow w;
    QFont big = w.list->font();
    big.setPixelSize(20);
    big.setBold(true);
    w.list->setFont(big);
    w.list->resizeRowsToContents();
    for (int r = 0; r < 3; ++r) w.list->item(r, 1)->setText("IIIIII");
    w.list->SetRowColor(1, 0x1B);  // yellow text on maroon
    w.list->SetRowColor(2, 0xF4);  // VGA 4 (navy) on white
    w.list->selectRow(0);          // the first selected row: white on 0xC56A31
    const QImage shot = w.list->viewport()->grab().toImage();
    // How many pixels of the row's second cell are exactly `color`.
    auto count = [&](int row, QColor color) {
        const QRect cell = w.list->visualRect(w.list->model()->index(row, 1));
        int n = 0;
        for (int y = cell.top(); y <= cell.bottom(); ++y)
            for (int x = cell.left(); x <= cell.right(); ++x) n += shot.pixelColor(x, y) == color;
        return n;
    };
    EXPECT_GT(std::min({count(1, QColor(0xFF, 0xFF, 0x00)), count(2, QColor(0x00, 0x00, 0x80)), count(0, Qt::white)}), 20);
    EXPECT_EQ(count(1, Qt::black) + count(0, Qt::black), 0);
}
