#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include <QApplication>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "tests/toolkit/gui_test_util.h"
#include "toolkit/icon_picker.h"

using namespace ledsuite;

namespace {

// A one-colour picture, and the same as a BMP file.
QPixmap Picture(int w, int h, QColor colour) {
    QPixmap pixmap(w, h);
    pixmap.fill(colour);
    return pixmap;
}
std::string WriteBmp(const std::string& path, int w, int h, QColor colour) {
    EXPECT_TRUE(Picture(w, h, colour).save(QString::fromStdString(path), "BMP"));
    return path;
}

// A shown window holding a picker with `count` 16 x 16 pictures.
struct PickerWindow {
    QWidget window;
    CIconPicker* picker = new CIconPicker(&window);
    QSignalSpy parentMessages{picker, &CIconPicker::InternalMessage};

    explicit PickerWindow(int count) {
        for (int i = 0; i < count; ++i) picker->AddBitmapHandle(Picture(16, 16, i % 2 ? Qt::red : Qt::green));
        picker->setGeometry(10, 10, 60, 24);
        window.resize(200, 200);
        window.show();
    }
    CIconContainer* Open() {
        QTest::mouseClick(picker, Qt::LeftButton);
        return picker->Popup();
    }
    void ExpectClosed() const {
        EXPECT_FALSE(picker->PopupOpen());
        EXPECT_EQ(picker->Popup(), nullptr);
        EXPECT_FALSE(picker->isDown());
    }
};

}  // namespace

TEST(IconPicker, PopupGridFollowsTheNumberOfPictures) {
    const struct { int count, columns, rows; } cases[] = {{5, 3, 2}, {10, 4, 3}, {1, 2, 1}};
    for (const auto& c : cases) {
        PickerWindow w(c.count);
        CIconContainer* popup = w.Open();
        ASSERT_NE(popup, nullptr) << c.count;
        EXPECT_EQ(std::pair(popup->Columns(), popup->Rows()), std::pair(c.columns, c.rows)) << c.count;
        EXPECT_EQ(popup->size(), QSize(c.columns * 20, c.rows * 20 + 48));
        // Opened below the picker, the picker held down; the last cell in row-major place.
        EXPECT_EQ(popup->pos(), w.picker->mapToGlobal(QPoint(0, w.picker->height())));
        EXPECT_TRUE(w.picker->isDown());
        const int last = c.count - 1;
        EXPECT_EQ(popup->Button(CIconContainer::kFirstCellId + last)->geometry(),
                  QRect(last % c.columns * 20 + 2, last / c.columns * 20 + 2, 16, 16));
    }
}

TEST(IconPicker, AnEmptyPickerOpensWithCustomWhichAddsTheChosenFile) {
    QTemporaryDir dir;
    const std::string file = WriteBmp(dir.filePath("first.bmp").toStdString(), 8, 8, Qt::red);
    PickerWindow empty(0);
    CIconContainer* popup = empty.Open();
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(std::tuple(popup->Rows(), popup->Button(CIconContainer::kFirstCellId) == nullptr,
                         popup->Button(CIconContainer::kCustomId)->isVisible()), std::tuple(0, true, true));
    ledsuite::testing::ChooseNextFile(QString::fromStdString(file));  // the real file dialog
    QTest::mouseClick(popup->Button(CIconContainer::kCustomId), Qt::LeftButton);
    empty.ExpectClosed();
    ASSERT_EQ(empty.picker->Entries().size(), 1u);
    EXPECT_EQ(std::tuple(empty.picker->Entries()[0].path, empty.picker->Entries()[0].bitmap.size()),
              std::tuple(file, QSize(8, 8)));
}

// Counts the paint events a widget gets from the event loop.
struct PaintCounter : QObject {
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        paints += event->type() == QEvent::Paint;
        return false;
    }
};

TEST(IconPicker, AnEmptyPickersPopupIsPaintedAndTheProgramGoesOn) {
    PickerWindow empty(0);
    CIconContainer* popup = empty.Open();
    ASSERT_NE(popup, nullptr);
    PaintCounter counter;
    popup->installEventFilter(&counter);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(popup));
    QTest::qWait(1000);  // the event loop runs as for a user
    EXPECT_GT(counter.paints, 0);
    EXPECT_EQ(popup->grab().toImage().pixelColor(0, popup->height() / 2), QColor(0x4F, 0x6B, 0xA0));  // its frame
    QTest::keyClick(popup, Qt::Key_Escape);
    empty.ExpectClosed();
    EXPECT_TRUE(empty.picker->Entries().empty());
}

TEST(IconPicker, EveryWayOutOfThePopupReportsItsCode) {
    QTemporaryDir dir;
    // A path far longer than the classic 260-unit limit is kept whole.
    const std::string folder = dir.path().toStdString() + "/" + std::string(150, 'a') + "/" + std::string(150, 'b');
    std::filesystem::create_directories(folder);
    const std::string path = WriteBmp(folder + "/custom.bmp", 6, 4, Qt::blue);
    QString answer;  // the file chooser cancels
    PickerWindow w(5);
    w.picker->SetNotifyCode(260);
    w.picker->SetFileChooser([&](QWidget*) { return answer; });

    // The messages the popup sends when `action` closes it.
    using Messages = QList<QList<QVariant>>;
    auto closeBy = [&](const std::function<void(CIconContainer*)>& action) {
        CIconContainer* popup = w.Open();
        QSignalSpy messages(popup, &CIconContainer::InternalMessage);
        action(popup);
        w.ExpectClosed();
        return Messages(messages);
    };
    auto click = [](int id) { return [id](CIconContainer* p) { QTest::mouseClick(p->Button(id), Qt::LeftButton); }; };
    auto select = [](int result) { return Messages{{IMC_ICON_PICK_SELECT, result}}; };
    EXPECT_EQ(closeBy(click(CIconContainer::kMoreId)), select(kIconPickMore));
    EXPECT_EQ(closeBy([](CIconContainer* p) { QTest::keyClick(p, Qt::Key_Escape); }), select(kIconPickCancel));
    EXPECT_EQ(closeBy([](CIconContainer* p) { p->close(); }), select(kIconPickCancel));
    EXPECT_EQ(closeBy(click(CIconContainer::kCustomId)), select(kIconPickCustom));
    // "Custom" with a file chosen appends it without selecting it.
    answer = QString::fromStdString(path);
    EXPECT_EQ(closeBy(click(CIconContainer::kCustomId)),
              (Messages{{IMC_ICON_PICK_FILE, answer}, {IMC_ICON_PICK_SELECT, kIconPickCustom}}));
    ASSERT_EQ(w.picker->Entries().size(), 6u);
    EXPECT_EQ(w.picker->Entries()[5].kind, kIconFromFile);
    EXPECT_EQ(w.picker->Entries()[5].path, path);
    EXPECT_EQ(w.picker->Entries()[5].bitmap.size(), QSize(6, 4));
    EXPECT_EQ(w.picker->Selection(), 0);
    EXPECT_EQ(w.parentMessages.size(), 0);

    // A cell becomes the selection and the parent hears the notify code.
    EXPECT_EQ(closeBy(click(CIconContainer::kFirstCellId + 3)), select(3));
    EXPECT_EQ(w.picker->Selection(), 3);
    EXPECT_EQ(Messages(w.parentMessages), (Messages{{260, 0}}));
}

TEST(IconPicker, ItemImagesComeFromTheBitmapOrTheFile) {
    QTemporaryDir dir;
    std::filesystem::create_directory(dir.filePath("zu_img").toStdString());
    const std::string file = WriteBmp(dir.filePath("zu_img/b.bmp").toStdString(), 5, 3, Qt::green);
    WriteBmp(dir.filePath("zu_img/a.bmp").toStdString(), 2, 2, Qt::blue);
    CIconPicker picker;
    picker.AddBitmapHandle(Picture(4, 4, Qt::red));
    EXPECT_FALSE(picker.AddImageFile(dir.filePath("missing.bmp").toStdString()));
    EXPECT_FALSE(picker.AddBitmapHandle(QPixmap()));
    qputenv("LEDSUITE_RESOURCES", dir.path().toLocal8Bit());
    EXPECT_EQ(picker.AddFolderImages(), 2u);  // file entries in name order
    qunsetenv("LEDSUITE_RESOURCES");
    ASSERT_EQ(picker.Entries().size(), 3u);
    EXPECT_EQ(std::filesystem::path(picker.Entries()[1].path).filename(), "a.bmp");
    EXPECT_EQ(picker.Entries()[2].bitmap.size(), QSize(5, 3));

    const FrameVector bitmap = picker.CreateItemImage(0), loaded = picker.CreateItemImage(2);
    ASSERT_TRUE(bitmap.size() == 1 && loaded.size() == 1);
    EXPECT_EQ(bitmap[0]->displayWidth, 4);
    EXPECT_EQ(bitmap[0]->row32(3)[3], 0xFF0000u);
    EXPECT_EQ(std::pair(loaded[0]->width, loaded[0]->height), std::pair(5, 3));
    EXPECT_EQ(loaded[0]->row32(2)[4], 0x00FF00u);

    EXPECT_TRUE(picker.CreateItemImage(3).empty());
    EXPECT_TRUE(picker.CreateItemImage(-1).empty());
    std::filesystem::remove(file);  // the file entry has nothing to load any more
    EXPECT_TRUE(picker.CreateItemImage(2).empty());
}

TEST(IconPicker, ThePopupDrawsItsGridBetweenTheCells) {
    PickerWindow w(5);  // 3 columns, 2 rows of 20 x 20 cells: the cells end at y 40
    CIconContainer* popup = w.Open();
    const QImage shot = popup->grab().toImage();
    const QColor row(0xDE, 0xDE, 0xDE), column(0xA5, 0xB6, 0xDE);
    const int right = popup->width() - 2;
    // Row lines at 0, 20 and 40 from x 2 to the right edge less 2, one more at 64.
    for (int y : {0, 20, 40, 64}) {
        EXPECT_EQ(shot.pixelColor(10, y), row) << y;
        EXPECT_EQ(std::pair(shot.pixelColor(2, y), shot.pixelColor(right, y)), std::pair(row, row)) << y;
    }
    EXPECT_NE(shot.pixelColor(right + 1, 20), row);
    // Column lines at 0, 20 and 40 from y 2 to 38.
    for (int x : {0, 20, 40})
        EXPECT_EQ(std::tuple(shot.pixelColor(x, 2), shot.pixelColor(x, 30), shot.pixelColor(x, 38)),
                  std::tuple(column, column, column)) << x;
    EXPECT_NE(shot.pixelColor(20, 39), column);
    EXPECT_NE(shot.pixelColor(20, 1), column);
}

TEST(IconPicker, HoveredCellIsHighlighted) {
    PickerWindow w(1);
    w.picker->AddBitmapHandle(Picture(4, 4, Qt::red));  // smaller than its 16 x 16 cell
    CInnerButton* cell = w.Open()->Button(CIconContainer::kFirstCellId + 1);
    const QPoint free(10, 10), picture(2, 2);
    EXPECT_EQ(cell->grab().toImage().pixelColor(free), QColor(Qt::white));
    QEnterEvent enter{QPointF(free), QPointF(free), QPointF(cell->mapToGlobal(free))};
    QApplication::sendEvent(cell, &enter);
    EXPECT_TRUE(cell->Hovered());
    const QImage hovered = cell->grab().toImage();
    EXPECT_EQ(hovered.pixelColor(free), QColor(0xF1, 0xEE, 0xE7));
    EXPECT_EQ(hovered.pixelColor(picture), QColor(Qt::red));
    EXPECT_EQ(hovered.pixelColor(0, 10), QColor(0x4F, 0x6B, 0xA0));  // the frame
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(cell, &leave);
    EXPECT_FALSE(cell->Hovered());
}
