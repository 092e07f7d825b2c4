#include "link/ui/dlg_loading.h"

#include <gtest/gtest.h>

#include <QProgressBar>
#include <QPushButton>

#include "tests/link/link_test_util.h"
#include "tests/qt_main/qt_test_util.h"

using namespace ledsuite;
using namespace ledsuite::testing;

namespace {

const HardwareParams kScreen{.cardType = 2, .comIndex = 0, .baudIndex = 8};

// A dialog with short waits, and what its owner was told.
struct Loading {
    CDlgLoading dlg;
    int reports = 0, code = 0;
    TransferResult result;

    Loading(std::vector<uint8_t> buffer, size_t length, TransferDirection direction)
        : dlg(std::move(buffer), length, TransferMode::Program, kScreen, direction) {
        dlg.SetTimeouts({kWaitMs, kWaitMs});
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

}  // namespace

TEST(DlgLoading, SendAndNoCardAreReportedTheSameWay) {
    const auto image = Image(1001);
    for (const bool cardAnswers : {true, false}) {
        CardOnPort c({.baud = cardAnswers ? 115200u : 0u});  // rate 0: the card never answers
        Loading l(image, 5000, TransferDirection::Send);  // a length past the buffer
        ASSERT_TRUE(l.Run());
        EXPECT_EQ(l.reports, 1);
        EXPECT_EQ(l.code, IMC_TRANSFER_DONE);
        EXPECT_EQ(l.result.code, cardAnswers ? TransferResult::kSent : TransferResult::kNoCard);
        EXPECT_EQ(l.dlg.Result().code, l.result.code);  // kept for the owner too
        EXPECT_EQ(l.dlg.result(), QDialog::Accepted);
        EXPECT_FALSE(l.dlg.IsRunning());
        EXPECT_EQ(l.dlg.windowTitle(), QString("Sending..."));
        EXPECT_EQ(l.dlg.ProgressBar()->value(), cardAnswers ? l.dlg.ProgressBar()->maximum() : 0);
        // Only the buffer's bytes went, padded to whole words.
        auto sent = image;
        sent.insert(sent.end(), {0xFF, 0xFF, 0xFF});
        EXPECT_EQ(c.card.log().data, cardAnswers ? sent : std::vector<uint8_t>{});
    }
}

TEST(DlgLoading, ReadBackAsksAboutASlowAdapterOnTheUiThreadIgnoresClosingAndReturnsTheBytes) {
    CardOnPort c({.readBackData = Image(64)});
    ScopedPl2303 adapter(c.card.slavePath());
    for (const int button : {1, 0}) {  // No, then Yes
        Loading l({}, 1024, TransferDirection::ReadBack);
        bool asked = false, heldOpen = false;
        AnswerNextBox([&](CMessageBoxFx* box) {
            asked = true;
            EXPECT_EQ(box->windowTitle(), QString("Kesh Varn"));
            EXPECT_EQ(box->focusWidget(), box->Button(1));  // No is the default
            // The worker is blocked on the answer: the dialog stays whatever the user does.
            QTest::keyClick(&l.dlg, Qt::Key_Escape);
            l.dlg.accept();
            QTest::mouseClick(&l.dlg, Qt::LeftButton, {}, l.dlg.ButtonRects().close.center());
            l.dlg.close();
            heldOpen = l.dlg.isVisible() && l.dlg.IsRunning() && l.reports == 0;
            box->Button(button)->click();
        });
        ASSERT_TRUE(l.Run());
        EXPECT_TRUE(asked);
        EXPECT_TRUE(heldOpen);
        EXPECT_EQ(l.code, IMC_TRANSFER_DONE);
        EXPECT_EQ(l.result.code, button == 1 ? TransferResult::kDeclined : TransferResult::kRead);
        EXPECT_EQ(l.result.data, button == 1 ? std::vector<uint8_t>{} : Image(64));
        EXPECT_EQ(l.dlg.BytesRead(), l.result.data.size());
        EXPECT_EQ(l.dlg.ProgressBar()->value(), button == 1 ? 0 : 100);
        EXPECT_EQ(l.dlg.windowTitle(), QString("Reading..."));
    }
    EXPECT_EQ(c.card.log().count(0x09), 1u);  // only the accepted read-back reached the card
}

TEST(DlgLoading, DestroyingTheDialogStopsItsWorkerFirst) {
    CardOnPort c({.readBackData = Image(64)});
    ScopedPl2303 adapter(c.card.slavePath());
    int reports = 0;
    {
        CDlgLoading dlg({}, 1024, TransferMode::Program, kScreen, TransferDirection::ReadBack);
        QObject::connect(&dlg, &CDlgLoading::InternalMessage, [&] { ++reports; });
        dlg.show();
        EXPECT_TRUE(dlg.IsRunning());
    }  // the question never got an answer: the worker gives up and is joined
    QTest::qWait(20);
    EXPECT_EQ(reports, 0);
    EXPECT_EQ(c.card.log().count(0x09), 0u);
}
