#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include <QPushButton>

#include "content/model/lang.h"
#include "tests/qt_main/qt_test_util.h"
#include "toolkit/message_box.h"

using namespace ledsuite;
using namespace ledsuite::testing;

namespace {
// The captions of the buttons up to the last shown one ("-" for a hidden one before it).
std::vector<std::u16string> Captions(const CMessageBoxFx& box) {
    std::vector<std::u16string> v;
    for (int i = 0; i < 3; ++i) v.push_back(box.Button(i)->isVisible() ? box.Button(i)->text().toStdU16String() : u"-");
    while (!v.empty() && v.back() == u"-") v.pop_back();
    return v;
}
}  // namespace

TEST(MessageBox, EveryTypeShowsItsButtonsAndAnswersTheirCodes) {
    // Captions and results of types 0 to 6 in English; types 7 to 15 behave as type 0.
    const struct { std::vector<std::u16string> captions; std::vector<int> results; } english[7] = {
        {{u"OK"}, {1}},
        {{u"OK", u"Cancel"}, {1, 2}},
        {{u"Abort", u"Retry", u"Ignore"}, {3, 4, 5}},
        {{u"Yes", u"No", u"Cancel"}, {6, 7, 2}},
        {{u"Yes", u"No"}, {6, 7}},
        {{u"Retry", u"Cancel"}, {4, 2}},
        {{u"Cancel", u"Retry", u"Continue"}, {2, 4, 11}},
    };
    SetUiLanguage(3);
    for (int type = 0; type < 16; ++type) {
        const auto& want = english[type < 7 ? type : 0];
        for (size_t pressed = 0; pressed < want.results.size(); ++pressed) {
            CMessageBoxFx box(nullptr, u"Text", u"Caption", uint32_t(type));
            box.show();
            EXPECT_EQ(Captions(box), want.captions) << "type " << type;
            box.Button(int(pressed))->click();
            EXPECT_EQ(box.result(), want.results[pressed]) << "type " << type;
            EXPECT_FALSE(box.isVisible());
        }
    }
    // The Chinese captions of both scripts.
    const struct { uint32_t language, type; std::vector<std::u16string> captions; } chinese[] = {
        {1, MB_CANCELTRYCONTINUE, {u"取消", u"重试", u"继续"}}, {2, MB_CANCELTRYCONTINUE, {u"取消", u"重試", u"繼續"}},
        {1, MB_ABORTRETRYIGNORE, {u"放弃", u"重试", u"忽略"}},  {2, MB_ABORTRETRYIGNORE, {u"放棄", u"重試", u"忽略"}},
        {1, MB_YESNO, {u"是", u"否"}},                       {2, MB_OK, {u"確定"}},
    };
    for (const auto& c : chinese) {
        SetUiLanguage(c.language);
        CMessageBoxFx box(nullptr, u"Text", nullptr, c.type);
        box.show();
        EXPECT_EQ(Captions(box), c.captions);
    }
    ResetUiLanguageForTests();
}

TEST(MessageBox, EscCloseCellAndEnterAnswerAndTheBitsChooseFocusAndIcon) {
    CMessageBoxFx yesNo(nullptr, u"Delete?", nullptr, 0x124);  // question icon, No the default
    yesNo.show();
    EXPECT_EQ(yesNo.focusWidget(), yesNo.Button(1));
    EXPECT_TRUE(yesNo.IconLabel()->isVisible());
    QTest::keyClick(yesNo.focusWidget(), Qt::Key_Return);  // Enter answers the focused button
    EXPECT_EQ(yesNo.result(), IDNO);

    CMessageBoxFx esc(nullptr, u"Quit?", nullptr, 0x54);  // Yes/No with the icon bits 0x50: no icon
    esc.show();
    EXPECT_FALSE(esc.IconLabel()->isVisible());
    EXPECT_EQ(esc.focusWidget(), esc.Button(0));
    QTest::keyClick(&esc, Qt::Key_Escape);
    EXPECT_EQ(esc.result(), IDCANCEL);

    CMessageBoxFx close(nullptr, u"Quit?", u"Question", MB_OK);
    close.show();
    QTest::mouseClick(&close, Qt::LeftButton, {}, close.ButtonRects().close.center());
    EXPECT_EQ(close.result(), IDCANCEL);
    EXPECT_EQ(close.windowTitle(), QString("Question"));
}

TEST(MessageBox, TheTextIsSizedByItsLinesAndTheBoxFitsItAroundACentredButtonRow) {
    const auto tens = [](char32_t) { return 10; };
    EXPECT_EQ(MeasureMessageText(u"ab\r\ncde\r\n", tens, 7), QSize(30, 14));  // no empty line after the final CR LF
    EXPECT_EQ(MeasureMessageText(u"Done\r", tens, 7), QSize(40, 7));
    EXPECT_EQ(MeasureMessageText(u"\U0001F600x", [](char32_t c) { return c > 0xFFFF ? 20 : 10; }, 7), QSize(30, 7));

    CMessageBoxFx box(nullptr, u"first line\r\nthe second, widest line\r\nthird\r\n", u"t", MB_ICONASTERISK);
    box.show();
    int widest = 0;
    for (QChar c : QString("the second, widest line")) widest += QFontMetrics(box.font()).horizontalAdvance(c);
    EXPECT_EQ(box.TextLabel()->size(), QSize(widest, 3 * box.LineHeight()));
    EXPECT_TRUE(box.IconLabel()->isVisible());
    EXPECT_GE(box.ClientRect().bottom(), box.Button(0)->geometry().bottom());

    const MessageBoxTemplate t = MessageBoxTemplateRects(6, 13);
    EXPECT_EQ(LayoutMessageBox(t, QSize(900, 13), true, 1).client.width(), t.text.left() + 900 + t.icon.left());
    const MessageBoxLayout small = LayoutMessageBox(t, QSize(20, 13), false, 3);
    EXPECT_EQ(small.text.topLeft(), t.icon.topLeft());  // no icon: the text takes its place
    EXPECT_GE(small.button[0].left(), t.button[0].left());  // never narrower than the template
    EXPECT_EQ(small.button[0].left(), small.client.width() - 1 - small.button[2].right());
    EXPECT_EQ(small.button[1].left() - small.button[0].left(), t.button[1].left() - t.button[0].left());
    EXPECT_EQ(small.client.height(), small.button[0].bottom() + 1 + 5);
}

TEST(MessageBox, CallsFromTheUiThreadAndFromAWorkerReturnThePressedButton) {
    AnswerNextBox([](CMessageBoxFx* box) { box->Button(0)->click(); });
    EXPECT_EQ(MessageBoxFx(nullptr, u"Continue?", u"q", MB_YESNO), IDYES);

    std::atomic<int> result{0};
    std::atomic<bool> done{false};
    AnswerNextBox([](CMessageBoxFx* box) { box->Button(1)->click(); });
    std::thread worker([&] {
        result = MessageBoxFx(nullptr, u"From a worker", u"q", MB_YESNO);
        done = true;
    });
    while (!done) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    worker.join();
    EXPECT_EQ(result.load(), IDNO);
}

TEST(MessageBox, TheButtonRowSitsTenPixelsBelowTheTextBlockAndFiveAboveTheBand) {
    CMessageBoxFx plain(nullptr, u"one\r\ntwo\r\nthree", u"t", MB_YESNO);
    plain.show();
    const QRect text = plain.TextLabel()->geometry(), yes = plain.Button(0)->geometry();
    EXPECT_EQ(yes.top() - (text.bottom() + 1), 10);
    EXPECT_EQ(plain.Button(1)->geometry().top(), yes.top());
    EXPECT_EQ(plain.ClientRect().bottom() - yes.bottom(), 5);
    // By pixels: the band's first row follows those five rows.
    const QImage shot = plain.grab().toImage();
    EXPECT_NE(shot.pixel(plain.width() / 2, yes.bottom() + 5), shot.pixel(plain.width() / 2, yes.bottom() + 6));
    EXPECT_EQ(shot.pixel(plain.width() / 2, yes.bottom() + 1), shot.pixel(plain.width() / 2, yes.bottom() + 5));

    // With an icon taller than a one-line text, the icon's height makes the block.
    CMessageBoxFx withIcon(nullptr, u"x", u"t", MB_ICONQUESTION);
    withIcon.show();
    const QRect icon = withIcon.IconLabel()->geometry();
    ASSERT_GT(icon.height(), withIcon.TextLabel()->height());
    EXPECT_EQ(withIcon.Button(0)->geometry().top() - withIcon.TextLabel()->geometry().top(), icon.height() + 10);
}
