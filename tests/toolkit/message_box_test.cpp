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

struct ExpectedButtons {
    std::vector<std::u16string> en;
    std::vector<int> results;
};

ExpectedButtons Expected(int low) {
    switch (low) {
        case 1: return {{u"OK", u"Cancel"}, {1, 2}};
        case 2: return {{u"Abort", u"Retry", u"Ignore"}, {3, 4, 5}};
        case 3: return {{u"Yes", u"No", u"Cancel"}, {6, 7, 2}};
        case 4: return {{u"Yes", u"No"}, {6, 7}};
        case 5: return {{u"Retry", u"Cancel"}, {4, 2}};
        case 6: return {{u"Cancel", u"Retry", u"Continue"}, {2, 4, 11}};
        default: return {{u"OK"}, {1}};
    }
}

std::u16string Translate(const std::u16string& en, int language) {
    if (language == 2) return en;
    const bool tw = language == 1;
    if (en == u"OK") return tw ? u"確定" : u"确定";
    if (en == u"Cancel") return u"取消";
    if (en == u"Abort") return tw ? u"放棄" : u"放弃";
    if (en == u"Retry") return tw ? u"重試" : u"重试";
    if (en == u"Ignore") return u"忽略";
    if (en == u"Yes") return u"是";
    if (en == u"No") return u"否";
    return tw ? u"繼續" : u"继续";
}

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

TEST(MessageBox, EveryTypeShowsItsButtonsInEachLanguageAndAnswersTheirCodes) {
    for (int language = 0; language < 3; ++language) {
        SetUiLanguage(uint32_t(language + 1));
        for (int type = 0; type < 16; ++type) {
            const ExpectedButtons want = Expected(type);
            for (size_t pressed = 0; pressed < want.results.size(); ++pressed) {
                CMessageBoxFx box(nullptr, u"Text", u"Caption", uint32_t(type));
                box.show();
                for (int i = 0; i < 3; ++i) {
                    const bool shown = size_t(i) < want.en.size();
                    ASSERT_EQ(box.Button(i)->isVisible(), shown) << "type " << type << " button " << i;
                    if (shown) {
                        EXPECT_EQ(ToU16(box.Button(i)->text()), Translate(want.en[i], language));
                    }
                }
                box.Button(int(pressed))->click();
                EXPECT_EQ(box.result(), want.results[pressed]) << "type " << type;
                EXPECT_FALSE(box.isVisible());
            }
        }
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
