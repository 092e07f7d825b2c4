#include <gtest/gtest.h>

#include <tuple>

#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTimeEdit>

#include "content/lang.h"
#include "editors/ui/dlg_sel_more_period.h"

using namespace ledsuite;

TEST(DlgSelMorePeriod, FillScrollPickAndTimeline) {
    ProgramSetRecord set;
    set.periods[0] = uint16_t(25 << 11 | 63 << 5);  // a start no clock has
    CDlgSelMorePeriod dlg(&set);
    dlg.show();
    // showing writes nothing
    EXPECT_EQ(std::tuple(dlg.windowTitle(), dlg.Picker(0, false)->time(), set.periods[0]),
              std::tuple(QString::fromUtf16(u"设置节目播放时间段"), QTime(0, 0, 0), uint32_t(25 << 11 | 63 << 5)));

    dlg.WindowPicker(false)->setTime(QTime(0, 5, 0));
    dlg.WindowPicker(true)->setTime(QTime(0, 35, 0));
    dlg.FillButton()->click();
    EXPECT_EQ(std::tuple(set.periods[23], dlg.Total()->text()),
              std::tuple(uint32_t(PackTime(23, 5, 0)) | uint32_t(PackTime(23, 35, 0)) << 16,
                         QString::fromUtf16(u"总时间: 12:00:00")));
    const QImage& line = dlg.Timeline();
    const int rowHeight = line.height() / 4;
    const int hour = line.width() / 6;
    EXPECT_EQ(line.pixel(hour / 4, 5) & 0xFFFFFF, 0xA000A0u);       // 00:15 inside the first bar
    EXPECT_NE(line.pixel(hour * 3 / 4, 5) & 0xFFFFFF, 0xA000A0u);   // 00:45 between bars
    EXPECT_EQ(line.pixel(hour / 4, rowHeight + 5) & 0xFFFFFF, 0xA000A0u);  // 06:15 in the second row

    dlg.ScrollBar()->setValue(dlg.ScrollBar()->maximum());
    EXPECT_EQ(std::tuple(dlg.RowNumber(0)->text(), dlg.RowNumber(5)->text(), dlg.Picker(5, true)->time()),
              std::tuple(QString("19"), QString("24"), QTime(23, 35, 0)));
    dlg.Picker(5, true)->setTime(QTime(23, 5, 0));  // period 24 becomes empty
    EXPECT_EQ(std::tuple(set.periods[23] >> 16, dlg.Total()->text()),
              std::tuple(uint32_t(PackTime(23, 5, 0)), QString::fromUtf16(u"总时间: 11:30:00")));

    QTest::keyClick(&dlg, Qt::Key_Return);  // Enter does not close it
    EXPECT_TRUE(dlg.isVisible());
}
