#include "link/ui/dlg_loading.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <numeric>

#include <QApplication>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "tests/link/link_test_util.h"
#include "toolkit/message_box.h"
#include "tools/fakecard.h"

using namespace ledsuite;
using namespace ledsuite::testing;

namespace {

constexpr int kWaitMs = 200;  // every answer's wait in these tests

HardwareParams Screen() {
    HardwareParams s;
    s.cardType = 2;
    s.comIndex = 0;
    s.baudIndex = 8;
    return s;
}

std::vector<uint8_t> Image(size_t n) {
    std::vector<uint8_t> v(n);
    std::iota(v.begin(), v.end(), uint8_t(1));
    return v;
}

// Runs the event loop until `done` holds (a safety net of ten seconds against a hang).
bool WaitUntil(const std::function<bool()>& done) {
    for (int i = 0; i < 2000 && !done(); ++i) QTest::qWait(5);
    return done();
}

// A fake card of type 2 on COM index 0.
struct CardOnPort {
    FakeCard card;
    ScopedPorts ports;
    explicit CardOnPort(FakeCardScript s = {}) : card(std::move(s)), ports({card.slavePath()}) { card.Start(); }
};

FakeCardScript TypeTwo() {
    FakeCardScript s;
    s.info = MakeInfoReply(0, 2, 3);
    return s;
}

// A dialog with short waits, and what its owner was told.
struct Loading {
    CDlgLoading dlg;
    int reports = 0, code = 0;
    TransferResult result;

    Loading(std::vector<uint8_t> buffer, size_t length, TransferMode mode, TransferDirection direction,
            int waitMs = kWaitMs)
        : dlg(std::move(buffer), length, mode, Screen(), direction) {
        dlg.SetTimeouts({waitMs, waitMs});
        QObject::connect(&dlg, &CDlgLoading::InternalMessage, [this](int c, const TransferResult& r) {
            ++reports;
            code = c;
            result = r;
            EXPECT_FALSE(dlg.isVisible());  // closed before the owner hears of it
        });
    }
    bool Run() {
        dlg.show();
        return WaitUntil([&] { return reports > 0; });
    }
};

// Runs `answer` on the first visible message box once the event loop runs.
void AnswerNextBox(std::function<void(CMessageBoxFx*)> answer) {
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, answer] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* box = qobject_cast<CMessageBoxFx*>(w); box && box->isVisible()) {
                timer->stop();
                timer->deleteLater();
                answer(box);
                return;
            }
        }
    });
    timer->start(1);
}


}  // namespace

TEST(DlgLoading, SendReportsSuccessWithTheBarAtItsMaximum) {
    CardOnPort c(TypeTwo());
    const auto image = Image(1001);
    Loading l(image, 5000, TransferMode::Program, TransferDirection::Send);  // a length past the buffer
    ASSERT_TRUE(l.Run());
    EXPECT_EQ(l.reports, 1);
    EXPECT_EQ(l.code, IMC_TRANSFER_DONE);
    EXPECT_EQ(l.result.code, TransferResult::kSent);
    EXPECT_EQ(l.dlg.Result().code, TransferResult::kSent);
    EXPECT_EQ(l.dlg.result(), QDialog::Accepted);
    EXPECT_FALSE(l.dlg.IsRunning());
    EXPECT_EQ(l.dlg.windowTitle(), QString("Sending..."));
    EXPECT_EQ(l.dlg.ProgressBar()->minimum(), 0);
    EXPECT_EQ(l.dlg.ProgressBar()->maximum(), 100);
    EXPECT_EQ(l.dlg.ProgressBar()->value(), 100);
    // Only the buffer's bytes went, padded to whole words.
    auto sent = image;
    sent.insert(sent.end(), {0xFF, 0xFF, 0xFF});
    EXPECT_EQ(c.card.log().data, sent);
}

TEST(DlgLoading, FailuresAreReportedTheSameWay) {
    Loading empty({}, 0, TransferMode::Hardware, TransferDirection::Send);
    ASSERT_TRUE(empty.Run());
    EXPECT_EQ(empty.code, IMC_TRANSFER_DONE);
    EXPECT_EQ(empty.result.code, TransferResult::kNothingToSend);
    EXPECT_EQ(empty.dlg.result(), QDialog::Accepted);
    EXPECT_EQ(empty.dlg.ProgressBar()->value(), 0);
}

TEST(DlgLoading, EscAndCloseAreIgnoredWhileTheWorkerRuns) {
    FakeCardScript s = TypeTwo();
    s.ackDelays = {{0, -1}};  // the first block is never acknowledged: the worker waits twice
    CardOnPort c(std::move(s));
    Loading l(Image(1001), 1001, TransferMode::Program, TransferDirection::Send, 400);
    l.dlg.show();
    ASSERT_TRUE(WaitUntil([&] { return !c.card.log().blocks.empty(); }));
    QTest::keyClick(&l.dlg, Qt::Key_Escape);
    QTest::mouseClick(&l.dlg, Qt::LeftButton, {}, l.dlg.ButtonRects().close.center());
    l.dlg.close();
    QTest::keyClick(&l.dlg, Qt::Key_Return);
    EXPECT_EQ(l.reports, 0);
    EXPECT_TRUE(l.dlg.isVisible());
    EXPECT_TRUE(l.dlg.IsRunning());

    ASSERT_TRUE(WaitUntil([&] { return l.reports > 0; }));
    EXPECT_EQ(l.result.code, TransferResult::kSendTimeout);
    EXPECT_FALSE(l.dlg.isVisible());
    EXPECT_EQ(l.dlg.result(), QDialog::Accepted);
}

TEST(DlgLoading, ReadBackAsksAboutASlowAdapterOnTheUiThreadAndReturnsTheBytes) {
    FakeCardScript s;
    s.readBackData = Image(64);
    CardOnPort c(std::move(s));
    ScopedPl2303 adapter(c.card.slavePath());
    for (const int button : {1, 0}) {  // No, then Yes
        Loading l({}, 1024, TransferMode::Program, TransferDirection::ReadBack);
        bool asked = false, heldOpen = false;
        AnswerNextBox([&](CMessageBoxFx* box) {
            asked = true;
            EXPECT_EQ(box->windowTitle(), QString("Kesh Varn"));
            EXPECT_EQ(box->focusWidget(), box->Button(1));  // No is the default
            // The worker is blocked on the answer: the dialog stays whatever the user does.
            QTest::keyClick(&l.dlg, Qt::Key_Escape);
            l.dlg.close();
            heldOpen = l.dlg.isVisible() && l.dlg.IsRunning() && l.reports == 0;
            box->Button(button)->click();
        });
        ASSERT_TRUE(l.Run());
        EXPECT_TRUE(asked);
        EXPECT_TRUE(heldOpen);
        EXPECT_EQ(l.result.code, button == 1 ? TransferResult::kDeclined : TransferResult::kRead);
        EXPECT_EQ(l.code, IMC_TRANSFER_DONE);
        EXPECT_EQ(l.result.data, button == 1 ? std::vector<uint8_t>{} : Image(64));
        EXPECT_EQ(l.dlg.BytesRead(), l.result.data.size());
        EXPECT_EQ(l.dlg.ProgressBar()->value(), button == 1 ? 0 : 100);
        EXPECT_EQ(l.dlg.windowTitle(), QString("Reading..."));
        EXPECT_FALSE(l.dlg.isVisible());
    }
    EXPECT_EQ(c.card.log().count(0x09), 1u);  // only the accepted read-back reached the card
}

TEST(DlgLoading, DestroyingTheDialogStopsItsWorkerFirst) {
    FakeCardScript s;
    s.readBackData = Image(64);
    CardOnPort c(std::move(s));
    ScopedPl2303 adapter(c.card.slavePath());
    int reports = 0;
    {
        auto dlg = std::make_unique<CDlgLoading>(std::vector<uint8_t>{}, 1024, TransferMode::Program, Screen(),
                                                 TransferDirection::ReadBack);
        QObject::connect(dlg.get(), &CDlgLoading::InternalMessage, [&] { ++reports; });
        dlg->show();
        EXPECT_TRUE(dlg->IsRunning());
    }  // the question never got an answer: the worker gives up and is joined
    QTest::qWait(20);
    EXPECT_EQ(reports, 0);
    EXPECT_EQ(c.card.log().count(0x09), 0u);
}
