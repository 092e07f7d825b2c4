#include <gtest/gtest.h>

#include <QPainter>
#include <QTemporaryDir>

#include "tests/qt_main/qt_test_util.h"
#include "toolkit/dialog_fx.h"

using namespace ledsuite;
using namespace ledsuite::testing;

TEST(DialogFx, CaptionButtonsSitAtTheTopRightAndCountOnlyWithTheirBox) {
    const CaptionButtonRects r = CaptionButtonLayout(300, 296);
    EXPECT_EQ(r.close, QRect(267, 0, 31, 18));  // ends at the right border's inner edge
    EXPECT_EQ(r.maximize, QRect(236, 0, 31, 18));
    EXPECT_EQ(r.minimize, QRect(205, 0, 31, 18));
    EXPECT_EQ(CaptionButtonAt(r, r.close.center(), false, false), kCloseButton);
    EXPECT_EQ(CaptionButtonAt(r, r.maximize.center(), false, false), kNoButton);  // no box: no button
    EXPECT_EQ(CaptionButtonAt(r, QPoint(267, 18), true, true), kNoButton);  // below the cells

    CDialogFx d;
    d.SetClientSize(QSize(200, 100));
    d.show();
    EXPECT_EQ(d.size(), QSize(204, 164));  // inside the caption, the borders and the bottom band
    EXPECT_EQ(d.ClientRect(), QRect(2, 30, 200, 100));
    EXPECT_TRUE(d.HasSkin());
}

TEST(DialogFx, TheMouseOnTheCaptionHoversOfferedCellsDragsAndCloses) {
    CDialogFx d;
    d.SetCaptionButtons(true, false);
    d.SetClientSize(QSize(240, 80));
    d.setWindowTitle("A title long enough to be cut before the caption buttons start");
    d.move(100, 100);
    d.show();
    const QRect close = d.ButtonRects().close;
    const QImage before = d.grab().toImage();
    SendMouse(&d, QEvent::MouseMove, close.center(), Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(d.HoverCode(), kCloseButton);
    const QImage hot = d.grab().toImage();
    EXPECT_NE(before.copy(close), hot.copy(close));
    EXPECT_EQ(before.copy(0, 40, 2, 20), hot.copy(0, 40, 2, 20));

    SendMouse(&d, QEvent::MouseMove, d.ButtonRects().maximize.center(), Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(d.HoverCode(), kNoButton);
    QTest::mouseClick(&d, Qt::LeftButton, {}, d.ButtonRects().maximize.center());
    EXPECT_FALSE(d.isMaximized());
    EXPECT_TRUE(d.isVisible());
    SendMouse(&d, QEvent::MouseMove, d.ButtonRects().minimize.center(), Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(d.HoverCode(), kMinimizeButton);

    const QPoint start = d.pos();
    SendMouse(&d, QEvent::MouseButtonPress, QPoint(40, 10), Qt::LeftButton, Qt::LeftButton);
    EXPECT_EQ(d.PressedCode(), kNoButton);
    SendMouse(&d, QEvent::MouseMove, QPoint(70, 30), Qt::NoButton, Qt::LeftButton);
    SendMouse(&d, QEvent::MouseButtonRelease, QPoint(40, 10), Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(d.pos(), start + QPoint(30, 20));
    // The drag ended with it: the mouse hovers again and moves nothing.
    SendMouse(&d, QEvent::MouseMove, close.center(), Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(d.pos(), start + QPoint(30, 20));
    EXPECT_EQ(d.HoverCode(), kCloseButton);
    // That release ended the caption press: a stray release over a cell is no click.
    SendMouse(&d, QEvent::MouseButtonRelease, close.center(), Qt::LeftButton, Qt::NoButton);
    EXPECT_TRUE(d.isVisible());

    SendMouse(&d, QEvent::MouseButtonPress, close.center(), Qt::LeftButton, Qt::LeftButton);
    EXPECT_EQ(d.PressedCode(), kCloseButton);
    SendMouse(&d, QEvent::MouseButtonRelease, close.center(), Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(d.PressedCode(), kNoButton);
    EXPECT_FALSE(d.isVisible());
}

namespace {
// Gives up at initialisation, or refuses OK while its data do not validate.
class ProbeDialog : public CDialogFx {
public:
    bool initOk = true, dataOk = true;
    int loads = 0;

protected:
    bool OnInitDialog() override { return CDialogFx::OnInitDialog() && initOk; }
    bool DoDataExchange(bool save) override {
        if (!save) ++loads;
        return !save || dataOk;
    }
};
}  // namespace

TEST(DialogFx, AFailedInitialisationEndsTheDialogAndBadDataKeepItOpen) {
    ProbeDialog failing;
    failing.initOk = false;
    EXPECT_EQ(failing.exec(), QDialog::Rejected);  // at once, not shown
    EXPECT_FALSE(failing.isVisible());

    ProbeDialog d;
    d.dataOk = false;
    d.show();
    d.hide();
    d.show();
    EXPECT_EQ(d.loads, 1);  // initialised once, at the first show
    d.accept();
    EXPECT_TRUE(d.isVisible());
    d.dataOk = true;
    d.accept();
    EXPECT_FALSE(d.isVisible());
    EXPECT_EQ(d.result(), QDialog::Accepted);
}

namespace {
// A shown 200 x 100 dialog (window 204 x 164) and its skin.
struct Shown {
    CDialogFx d;
    QImage skin = LoadDialogSkin();
    explicit Shown(bool minimizeBox = false, const QString& title = {}) {
        d.SetCaptionButtons(minimizeBox, false);
        d.SetClientSize(QSize(200, 100));
        d.setWindowTitle(title);
        d.show();
    }
    QImage Shot() { return d.grab().toImage().convertToFormat(QImage::Format_RGB32); }
    // The skin's pixels at (x, y, w, h) of its own layout.
    QImage Skin(int x, int y, int w, int h) const { return skin.copy(x, y, w, h); }
    // True when every pixel of `img` is `color`.
    static bool AllEqual(const QImage& img, QRgb color) {
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                if (img.pixel(x, y) != color) return false;
        return true;
    }
};
}  // namespace

TEST(DialogFxPaint, CaptionBordersAndBottomBandComeFromTheirSkinPiecesAtTheirPlaces) {
    Shown s;
    const QImage img = s.Shot();
    ASSERT_EQ(img.size(), QSize(204, 164));
    // Caption: left piece from (0, 72), right piece from x 133 (below the cells), 30 rows.
    EXPECT_EQ(img.copy(0, 0, 20, 30), s.Skin(0, 72, 20, 30));
    EXPECT_EQ(img.copy(184, 18, 20, 12), s.Skin(133, 90, 20, 12));
    // Its outer edge is dark on both sides, like the borders below it.
    EXPECT_EQ(img.pixel(203, 25), img.pixel(0, 25));
    EXPECT_NE(img.pixel(203, 25), img.pixel(100, 25));
    // Borders: two columns each, from the samples at x 0 and x 152, y 102, down the client height.
    EXPECT_TRUE(Shown::AllEqual(img.copy(0, 30, 2, 100), s.skin.pixel(0, 102)));
    EXPECT_TRUE(Shown::AllEqual(img.copy(202, 30, 2, 100), s.skin.pixel(152, 102)));
    EXPECT_EQ(img.copy(0, 30, 2, 1), s.Skin(0, 102, 2, 1));
    EXPECT_EQ(img.copy(202, 30, 2, 1), s.Skin(152, 102, 2, 1));
    EXPECT_NE(img.pixel(2, 60), s.skin.pixel(0, 102));  // the client area starts right inside
    // Bottom band at y 30 + 100: left piece from (0, 186), right piece from x 134, middle stretched.
    EXPECT_EQ(img.copy(0, 130, 20, 34), s.Skin(0, 186, 20, 34));
    EXPECT_EQ(img.copy(184, 130, 20, 34), s.Skin(134, 186, 20, 34));
    EXPECT_EQ(img.copy(100, 130, 1, 34), s.Skin(40, 186, 1, 34));
    // The middle pieces start right after the left ones, at x 20.
    EXPECT_EQ(img.copy(20, 18, 1, 12), s.Skin(20, 90, 1, 12));
    EXPECT_EQ(img.copy(20, 130, 1, 34), s.Skin(20, 186, 1, 34));
    EXPECT_NE(img.copy(100, 129, 1, 1), s.Skin(40, 186, 1, 1));
}

namespace {
int WhiteIn(const QImage& img, const QRect& r) {
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x) n += img.pixel(x, y) == qRgb(255, 255, 255);
    return n;
}

// The title of a dialog without a minimise box is a white single line, left-aligned and
// centred in (5, 5)-(close cell, 21), cut with an ellipsis: the caption is that text drawn
// there over the caption of the untitled dialog.
void ExpectTitleAsPlaced(Shown& s) {
    const QRect span(5, 5, s.d.ButtonRects().close.left() - 5, 16);
    const QString title = s.d.windowTitle();
    s.d.setWindowTitle({});
    QImage expected = s.Shot();
    s.d.setWindowTitle(title);
    QPainter p(&expected);
    p.setPen(Qt::white);
    p.setFont(s.d.font());
    p.drawText(span, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
               p.fontMetrics().elidedText(title, Qt::ElideRight, span.width()));
    p.end();
    const QRect caption(0, 0, s.d.ButtonRects().close.left(), 30);
    EXPECT_EQ(s.Shot().copy(caption), expected.copy(caption)) << title.toStdString();
}

// A text that is shown whole in `width` pixels but cut in one pixel less; empty when none is found.
QString TitleFitting(const QFontMetrics& fm, int width) {
    for (int wide = 0; wide < 40; ++wide)
        for (int narrow = 0; narrow < 12; ++narrow)
            for (int dots = 0; dots < 4; ++dots) {
                const QString t = QString(wide, 'W') + QString(narrow, 'i') + QString(dots, '.');
                if (fm.elidedText(t, Qt::ElideRight, width) == t && fm.elidedText(t, Qt::ElideRight, width - 1) != t)
                    return t;
            }
    return {};
}
}  // namespace

TEST(DialogFxPaint, TheTitleIsWhiteAndEndsBeforeTheFirstCell) {
    const QString title = "HHHH MMMM WWWW HHHH MMMM WWWW HHHH MMMM WWWW";
    Shown closeOnly(false, title), withMinimize(true, title), untitled(false);
    // Without a minimise box the title runs up to the close cell, else up to the minimise cell.
    const QRect closeSpan(5, 5, closeOnly.d.ButtonRects().close.left() - 5, 16);
    const QRect minimizeSpan(5, 5, withMinimize.d.ButtonRects().minimize.left() - 5, 16);
    EXPECT_GT(WhiteIn(closeOnly.Shot(), closeSpan), 30);
    EXPECT_EQ(WhiteIn(untitled.Shot(), closeSpan), 0);
    const QImage cut = withMinimize.Shot();
    EXPECT_GT(WhiteIn(cut, minimizeSpan), 10);
    EXPECT_EQ(cut.copy(withMinimize.d.ButtonRects().maximize), withMinimize.Skin(0, 18, 31, 18));
    EXPECT_GT(WhiteIn(closeOnly.Shot(), QRect(minimizeSpan.right() + 1, 5, 62, 16)), 0);

    ExpectTitleAsPlaced(closeOnly);
}

// Titles that just fit the title area and that are one pixel too wide, in two font sizes
// (line heights of both parities), are placed and cut to the pixel.
TEST(DialogFxPaint, TheTitleAreaIsExactToThePixel) {
    Shown s;
    const int width = s.d.ButtonRects().close.left() - 5;
    for (int pixels : {11, 12}) {
        QFont font = s.d.font();
        font.setPixelSize(pixels);
        s.d.setFont(font);
        for (int fits : {width, width + 1}) {
            const QString title = TitleFitting(QFontMetrics(font), fits);
            ASSERT_FALSE(title.isEmpty()) << pixels << " " << fits;
            s.d.setWindowTitle(title);
            ExpectTitleAsPlaced(s);
        }
    }
}

TEST(DialogFxPaint, HotAndPressedCellsShowTheirOwnColumn) {
    Shown s(true);
    const QRect close = s.d.ButtonRects().close, maximize = s.d.ButtonRects().maximize;
    EXPECT_EQ(s.Shot().copy(close), s.Skin(0, 36, 31, 18));  // normal
    EXPECT_EQ(s.Shot().copy(s.d.ButtonRects().minimize), s.Skin(0, 0, 31, 18));
    // A plain move (no button held) reaches the dialog through the window system.
    QTest::mouseMove(&s.d, close.center());
    EXPECT_EQ(s.d.HoverCode(), kCloseButton);
    EXPECT_EQ(s.Shot().copy(close), s.Skin(31, 36, 31, 18));  // hot
    SendMouse(&s.d, QEvent::MouseButtonPress, close.center(), Qt::LeftButton, Qt::LeftButton);
    EXPECT_EQ(s.Shot().copy(close), s.Skin(62, 36, 31, 18));  // pressed over hot
    // The maximise cell without its box stays normal under the mouse.
    SendMouse(&s.d, QEvent::MouseMove, maximize.center(), Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(s.Shot().copy(maximize), s.Skin(0, 18, 31, 18));
    const QRect minimize = s.d.ButtonRects().minimize;
    SendMouse(&s.d, QEvent::MouseMove, minimize.center(), Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(s.Shot().copy(minimize), s.Skin(31, 0, 31, 18));
    SendMouse(&s.d, QEvent::MouseButtonRelease, minimize.center() + QPoint(0, 40), Qt::LeftButton, Qt::NoButton);
    // Nor is it pressed; leaving the window ends the hot look.
    SendMouse(&s.d, QEvent::MouseButtonPress, maximize.center(), Qt::LeftButton, Qt::LeftButton);
    EXPECT_EQ(s.Shot().copy(maximize), s.Skin(0, 18, 31, 18));
    SendMouse(&s.d, QEvent::MouseButtonRelease, QPoint(100, 60), Qt::LeftButton, Qt::NoButton);
    SendMouse(&s.d, QEvent::MouseMove, close.center(), Qt::NoButton, Qt::NoButton);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&s.d, &leave);
    EXPECT_EQ(s.d.HoverCode(), kNoButton);
    EXPECT_EQ(s.Shot().copy(close), s.Skin(0, 36, 31, 18));
}

namespace {
// A window system that takes caption drags over.
class SystemMovedDialog : public CDialogFx {
public:
    int systemMoves = 0;

protected:
    bool StartSystemMove() override { return ++systemMoves > 0; }
};
}  // namespace

TEST(DialogFx, ACaptionDragGoesToTheWindowSystemWhenItMovesWindows) {
    SystemMovedDialog d;
    d.SetClientSize(QSize(200, 100));
    d.move(50, 50);
    d.show();
    const QPoint start = d.pos();
    SendMouse(&d, QEvent::MouseButtonPress, QPoint(40, 10), Qt::LeftButton, Qt::LeftButton);
    EXPECT_EQ(d.systemMoves, 1);
    SendMouse(&d, QEvent::MouseMove, QPoint(70, 30), Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(d.pos(), start);  // not moved a second time by hand
    // The window system keeps that press's release: a later one over a cell is no click.
    SendMouse(&d, QEvent::MouseButtonRelease, d.ButtonRects().close.center(), Qt::LeftButton, Qt::NoButton);
    EXPECT_TRUE(d.isVisible());
    // A press on a cell is no drag.
    SendMouse(&d, QEvent::MouseButtonPress, d.ButtonRects().close.center(), Qt::LeftButton, Qt::LeftButton);
    EXPECT_EQ(d.systemMoves, 1);
    EXPECT_EQ(d.PressedCode(), kCloseButton);
}

TEST(DialogFxPaint, TheSkinComesFromTheResourcesAndAnyOtherSizeIsRefused) {
    EXPECT_EQ(LoadDialogSkin().size(), QSize(166, 238));
    QTemporaryDir dir;
    QImage wrong(154, 238, QImage::Format_RGB32);
    wrong.fill(Qt::red);
    ASSERT_TRUE(wrong.save(dir.filePath("dialog_skin.png")));
    qputenv("LEDSUITE_RESOURCES", dir.path().toUtf8());
    EXPECT_TRUE(LoadDialogSkin().isNull());
    CDialogFx d;
    d.SetClientSize(QSize(200, 100));
    d.show();
    qunsetenv("LEDSUITE_RESOURCES");
    EXPECT_FALSE(d.HasSkin());
    // Without a skin the frame is left as it is: no caption, borders or band are drawn.
    const QImage shot = d.grab().toImage();
    const QRgb back = d.palette().color(QPalette::Window).rgb();
    for (QPoint p : {QPoint(10, 10), QPoint(0, 60), QPoint(203, 60), QPoint(100, 150)})
        EXPECT_EQ(shot.pixel(p), back) << p.x() << "," << p.y();
}

// The maximise cell is drawn, hot and pressed with its box; once the box is taken away
// its look goes, even while the mouse still rests on it.
TEST(DialogFxPaint, TheMaximiseCellFollowsItsBox) {
    Shown s, plain;
    s.d.SetCaptionButtons(false, true);
    const QRect maximize = s.d.ButtonRects().maximize;
    EXPECT_EQ(s.Shot().copy(maximize), s.Skin(0, 18, 31, 18));
    SendMouse(&s.d, QEvent::MouseMove, maximize.center(), Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(s.Shot().copy(maximize), s.Skin(31, 18, 31, 18));
    s.d.SetCaptionButtons(false, false);
    EXPECT_EQ(s.Shot().copy(maximize), plain.Shot().copy(maximize));
    s.d.SetCaptionButtons(false, true);
    SendMouse(&s.d, QEvent::MouseButtonPress, maximize.center(), Qt::LeftButton, Qt::LeftButton);
    EXPECT_EQ(s.Shot().copy(maximize), s.Skin(62, 18, 31, 18));
    SendMouse(&s.d, QEvent::MouseMove, QPoint(100, 60), Qt::NoButton, Qt::LeftButton);
    s.d.SetCaptionButtons(false, false);
    EXPECT_EQ(s.Shot().copy(maximize), plain.Shot().copy(maximize));
    // With the minimise box left, the cell is still drawn, in its normal look.
    s.d.SetCaptionButtons(true, true);
    SendMouse(&s.d, QEvent::MouseButtonRelease, QPoint(100, 60), Qt::LeftButton, Qt::NoButton);
    SendMouse(&s.d, QEvent::MouseMove, maximize.center(), Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(s.d.HoverCode(), kMaximizeButton);
    s.d.SetCaptionButtons(true, false);
    EXPECT_EQ(s.Shot().copy(maximize), s.Skin(0, 18, 31, 18));
}

namespace {
// A skin whose every pixel differs (red x, green y), in a resources folder of its own.
struct PatternSkin {
    QTemporaryDir dir;
    QImage skin{166, 238, QImage::Format_RGB32};
    PatternSkin() {
        for (int y = 0; y < skin.height(); ++y)
            for (int x = 0; x < skin.width(); ++x) skin.setPixel(x, y, qRgb(x, y, 77));
        skin.save(dir.filePath("dialog_skin.png"));
        qputenv("LEDSUITE_RESOURCES", dir.path().toUtf8());
    }
    ~PatternSkin() { qunsetenv("LEDSUITE_RESOURCES"); }
};
}  // namespace

// Every piece, stretched or not, comes from its own place of the skin: the caption's left
// piece x 0-19, middle x 20-59 stretched from x 20 to the right edge, right piece from x 133;
// the borders' 2 x 10 samples at x 0 and x 152, y 102; the bottom band's pieces likewise
// from y 186 with its right piece from x 134.
TEST(DialogFxPaint, EveryFramePieceIsStretchedFromItsOwnSkinArea) {
    PatternSkin pattern;
    Shown s;
    ASSERT_TRUE(s.d.HasSkin());
    const int w = 204, cy = 100, band = 30 + cy;
    QImage expected(s.d.size(), QImage::Format_RGB32);
    expected.fill(Qt::black);
    QPainter p(&expected);
    const QImage& k = pattern.skin;
    p.drawImage(QRect(0, 0, 20, 30), k, QRect(0, 72, 20, 30));
    p.drawImage(QRect(20, 0, w - 20, 30), k, QRect(20, 72, 40, 30));
    p.drawImage(QRect(w - 20, 0, 20, 30), k, QRect(133, 72, 20, 30));
    p.drawImage(QRect(0, 30, 2, cy), k, QRect(0, 102, 2, 10));
    p.drawImage(QRect(202, 30, 2, cy), k, QRect(152, 102, 2, 10));
    p.drawImage(QRect(0, band, 20, 34), k, QRect(0, 186, 20, 34));
    p.drawImage(QRect(20, band, w - 20, 34), k, QRect(20, 186, 40, 34));
    p.drawImage(QRect(w - 20, band, 20, 34), k, QRect(134, 186, 20, 34));
    p.end();
    const QImage shot = s.Shot();
    const QRect close = s.d.ButtonRects().close;
    EXPECT_EQ(shot.copy(close), k.copy(0, 36, 31, 18));
    for (const QRect& r : {QRect(0, 0, close.left(), 30), QRect(0, 18, w, 12), QRect(0, 30, 2, cy),
                           QRect(202, 30, 2, cy), QRect(0, band, w, 34)})
        EXPECT_EQ(shot.copy(r), expected.copy(r)) << r.x() << "," << r.y() << " " << r.width() << "x" << r.height();
}
