#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "content/lang.h"
#include "toolkit/message_box.h"

using namespace ledsuite;

namespace {

// Captions and results of the buttons of each type; types 7 to 15 behave as type 0.
struct ExpectedButtons {
    std::vector<std::u16string> captions;
    std::vector<int> results;
};
const ExpectedButtons kEnglish[7] = {
    {{u"OK"}, {1}},
    {{u"OK", u"Cancel"}, {1, 2}},
    {{u"Abort", u"Retry", u"Ignore"}, {3, 4, 5}},
    {{u"Yes", u"No", u"Cancel"}, {6, 7, 2}},
    {{u"Yes", u"No"}, {6, 7}},
    {{u"Retry", u"Cancel"}, {4, 2}},
    {{u"Cancel", u"Retry", u"Continue"}, {2, 4, 11}},
};

std::u16string ToU16(const QString& s) { return std::u16string(reinterpret_cast<const char16_t*>(s.utf16()), s.size()); }

// Closes the first visible message box with `click` once the event loop runs.
void AnswerNextBox(std::function<void(CMessageBoxFx*)> click) {
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, click] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* box = qobject_cast<CMessageBoxFx*>(w); box && box->isVisible()) {
                timer->stop();
                timer->deleteLater();
                click(box);
                return;
            }
        }
    });
    timer->start(1);
}

}  // namespace

TEST(MessageBox, EveryTypeShowsItsButtonsAndAnswersTheirCodes) {
    SetUiLanguage(3);
    for (int type = 0; type < 16; ++type) {
        const ExpectedButtons& want = kEnglish[type < 7 ? type : 0];
        for (size_t pressed = 0; pressed < want.results.size(); ++pressed) {
            CMessageBoxFx box(nullptr, u"Text", u"Caption", uint32_t(type));
            box.show();
            for (size_t i = 0; i < 3; ++i) {
                ASSERT_EQ(box.Button(int(i))->isVisible(), i < want.captions.size()) << "type " << type;
                if (i < want.captions.size()) {
                    EXPECT_EQ(ToU16(box.Button(int(i))->text()), want.captions[i]);
                }
            }
            box.Button(int(pressed))->click();
            EXPECT_EQ(box.result(), want.results[pressed]) << "type " << type;
            EXPECT_FALSE(box.isVisible());
        }
    }
    // The Chinese captions of both scripts.
    const struct { uint32_t language, type; std::vector<std::u16string> captions; } chinese[] = {
        {1, MB_CANCELTRYCONTINUE, {u"取消", u"重试", u"继续"}}, {2, MB_CANCELTRYCONTINUE, {u"取消", u"重試", u"繼續"}},
        {1, MB_ABORTRETRYIGNORE, {u"放弃", u"重试", u"忽略"}},  {2, MB_ABORTRETRYIGNORE, {u"放棄", u"重試", u"忽略"}},
        {1, MB_YESNO, {u"是", u"否"}},                           {2, MB_OK, {u"確定"}},
    };
    for (const auto& c : chinese) {
        SetUiLanguage(c.language);
        CMessageBoxFx box(nullptr, u"Text", nullptr, c.type);
        box.show();
        for (size_t i = 0; i < c.captions.size(); ++i) EXPECT_EQ(ToU16(box.Button(int(i))->text()), c.captions[i]);
    }
    ResetUiLanguageForTests();
}

TEST(MessageBox, EscAndTheCaptionCloseButtonAnswerCancel) {
    CMessageBoxFx esc(nullptr, u"Quit?", nullptr, MB_YESNO);
    esc.show();
    QTest::keyClick(&esc, Qt::Key_Escape);
    EXPECT_EQ(esc.result(), IDCANCEL);

    CMessageBoxFx close(nullptr, u"Quit?", u"Question", MB_OK);
    close.show();
    QTest::mouseClick(&close, Qt::LeftButton, {}, close.ButtonRects().close.center());
    EXPECT_EQ(close.result(), IDCANCEL);
    EXPECT_EQ(close.windowTitle(), QString("Question"));
}

TEST(MessageBox, TextAreaIsSizedByItsLines) {
    const QSize s = MeasureMessageText(u"ab\r\ncde\r\n", [](char32_t) { return 10; }, 7);
    EXPECT_EQ(s, QSize(30, 14));  // no empty line after the final CR LF
    EXPECT_EQ(MeasureMessageText(u"Done\r", [](char32_t) { return 10; }, 7), QSize(40, 7));
    EXPECT_EQ(MeasureMessageText(u"\U0001F600x", [](char32_t c) { return c > 0xFFFF ? 20 : 10; }, 7), QSize(30, 7));

    CMessageBoxFx box(nullptr, u"first line\r\nthe second, widest line\r\nthird\r\n", u"t", MB_ICONASTERISK);
    box.show();
    const QFontMetrics fm(box.font());
    int widest = 0;
    for (const char* line : {"first line", "the second, widest line", "third"}) {
        int w = 0;
        for (QChar c : QString(line)) w += fm.horizontalAdvance(c);
        widest = std::max(widest, w);
    }
    EXPECT_EQ(box.TextLabel()->height(), 3 * box.LineHeight());
    EXPECT_EQ(box.TextLabel()->width(), widest);
    EXPECT_TRUE(box.IconLabel()->isVisible());
    EXPECT_GE(box.ClientRect().bottom(), box.Button(0)->geometry().bottom());
}

TEST(MessageBox, LayoutFitsLongTextsAndCentresTheButtonRow) {
    const MessageBoxTemplate t = MessageBoxTemplateRects(6, 13);
    const int templateWidth = 224 * 6 / 4;
    const MessageBoxLayout wide = LayoutMessageBox(t, QSize(900, 13), true, 1);
    EXPECT_GT(wide.client.width(), templateWidth);
    EXPECT_EQ(wide.client.width(), t.text.left() + 900 + t.icon.left());

    const MessageBoxLayout small = LayoutMessageBox(t, QSize(20, 13), false, 3);
    EXPECT_EQ(small.text.topLeft(), t.icon.topLeft());  // no icon: the text takes its place
    EXPECT_GE(small.button[0].left(), t.button[0].left());
    EXPECT_EQ(small.button[0].left(), small.client.width() - 1 - small.button[2].right());
    EXPECT_EQ(small.button[1].left() - small.button[0].left(), t.button[1].left() - t.button[0].left());
    EXPECT_EQ(small.client.height(), small.button[0].bottom() + 1 + 5);
}

TEST(MessageBox, FocusFollowsTheDefaultButtonBitsAndIconsTheIconBits) {
    CMessageBoxFx yesNo(nullptr, u"Delete?", nullptr, 0x124);
    yesNo.show();
    EXPECT_EQ(yesNo.focusWidget(), yesNo.Button(1));
    EXPECT_TRUE(yesNo.IconLabel()->isVisible());
    QTest::keyClick(yesNo.focusWidget(), Qt::Key_Return);  // Enter answers the focused button
    EXPECT_EQ(yesNo.result(), IDNO);

    CMessageBoxFx plain(nullptr, u"Done", nullptr, 0x50);  // no icon for 0x50
    plain.show();
    EXPECT_FALSE(plain.IconLabel()->isVisible());
    EXPECT_EQ(plain.focusWidget(), plain.Button(0));
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
