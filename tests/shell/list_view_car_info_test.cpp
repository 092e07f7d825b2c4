#include "shell/list_view_car_info.h"

#include <gtest/gtest.h>

#include <QHeaderView>
#include <QTemporaryDir>

#include "link/ui/quest_program_dlg.h"
#include "tests/link_ui/export_test_util.h"
#include "tests/qt_main/qt_test_util.h"

namespace ledsuite {
namespace {

std::vector<VehicleRow> Cars() {
    return {{u"300", u"bob", u"B-2", u"on", u""}, {u"100", u"Al", u"A-1", u"off", u""},
            {u"200", u"al", u"C-3", u"on", u""}};
}

QStringList Column(const CMyListCtrl* list, int c) {
    QStringList out;
    for (int r = 0; r < list->rowCount(); ++r) out << list->item(r, c)->text();
    return out;
}

TEST(ListViewCarInfo, HeaderClicksSortOrdinallyAndRenumber) {
    ListViewCarInfo pane(nullptr, nullptr);
    pane.SetRows(Cars());
    pane.List()->item(1, 0)->setCheckState(Qt::Checked);  // the check moves with its row
    emit pane.List()->horizontalHeader()->sectionClicked(2);
    EXPECT_EQ(Column(pane.List(), 2), (QStringList{"bob", "al", "Al"}));  // descending first, case-sensitive
    EXPECT_EQ(Column(pane.List(), 0), (QStringList{"0", "1", "2"}));
    EXPECT_EQ(pane.List()->item(2, 0)->checkState(), Qt::Checked);
    emit pane.List()->horizontalHeader()->sectionClicked(2);
    EXPECT_EQ(Column(pane.List(), 2), (QStringList{"Al", "al", "bob"}));
    emit pane.List()->horizontalHeader()->sectionClicked(1);
    EXPECT_EQ(Column(pane.List(), 1), (QStringList{"300", "200", "100"}));
    emit pane.List()->horizontalHeader()->sectionClicked(0);  // the index does not sort
    EXPECT_EQ(Column(pane.List(), 1), (QStringList{"300", "200", "100"}));
}

TEST(ListViewCarInfo, SearchFieldAndFirstMatch) {
    ListViewCarInfo pane(nullptr, nullptr);
    pane.SetRows(Cars());
    pane.SearchField()->setCurrentIndex(1);  // "Driver"
    pane.SearchEdit()->setText("l");
    pane.Search();
    ASSERT_EQ(pane.List()->selectionModel()->selectedRows().size(), 1);
    EXPECT_EQ(pane.List()->selectionModel()->selectedRows()[0].row(), 1);
    pane.SearchField()->setCurrentIndex(2);  // "License Plate"
    pane.SearchEdit()->setText("C-");
    pane.Search();
    EXPECT_EQ(pane.List()->selectionModel()->selectedRows()[0].row(), 2);
    pane.SearchEdit()->setText("none");
    pane.Search();
    EXPECT_TRUE(pane.List()->selectionModel()->selectedRows().isEmpty());
}

TEST(ListViewCarInfo, LanguageSwitchRefillsCombosKeepingTheFilter) {
    ResetUiLanguageForTests();
    ListViewCarInfo pane(nullptr, nullptr);
    EXPECT_EQ(pane.StateFilter()->count(), 6);
    EXPECT_EQ(pane.StateFilter()->currentText(), QString::fromUtf16(u"全部"));
    EXPECT_EQ(pane.SearchField()->itemText(1), QString::fromUtf16(u"司机"));
    pane.StateFilter()->setCurrentIndex(4);
    pane.onInternal(IMC_LANGUAGE_CHANGED, 0);  // English before any choice
    EXPECT_EQ(pane.StateFilter()->currentIndex(), 4);
    EXPECT_EQ(pane.StateFilter()->currentText(), "Power Off");
    EXPECT_EQ(pane.SearchField()->itemText(2), "License Plate");
    EXPECT_EQ(pane.onInternal(IMC_GET_VEHICLE_LIST, 0), reinterpret_cast<intptr_t>(pane.List()));
}

TEST(ListViewCarInfo, CheckCommandsAndViewProgram) {
    ListViewCarInfo pane(nullptr, nullptr);
    pane.SetRows(Cars());
    auto checks = [&] {
        QString s;
        for (int r = 0; r < 3; ++r) s += pane.List()->item(r, 0)->checkState() == Qt::Checked ? "x" : "-";
        return s;
    };
    pane.List()->item(0, 0)->setCheckState(Qt::Checked);
    pane.OnCommand(ListViewCarInfo::kSelectInverse);
    EXPECT_EQ(checks(), "-xx");
    pane.OnCommand(ListViewCarInfo::kSelectAll);
    EXPECT_EQ(checks(), "xxx");
    pane.OnCommand(ListViewCarInfo::kDeselect);
    EXPECT_EQ(checks(), "---");
    pane.List()->selectRow(2);
    std::u16string opened = u"unset";
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [&, timer] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* dlg = qobject_cast<CQuestProgramDlg*>(w); dlg && dlg->isVisible()) {
                timer->stop();
                timer->deleteLater();
                opened = dlg->VehicleId();
                dlg->reject();
            }
    });
    timer->start(1);
    pane.OnCommand(ListViewCarInfo::kViewProgram);
    EXPECT_EQ(opened, u"2");
}

TEST(ListViewCarInfo, ExportsAsGprs) {
    QTemporaryDir dir;
    const QString path = dir.filePath("cars.xlsx");
    ListViewCarInfo pane(nullptr, nullptr);
    pane.SetRows(Cars());
    QString shown;
    testing::ChooseNextFile(path);
    testing::AnswerNextBox([&](CMessageBoxFx* box) {
        shown = box->TextLabel()->text() + "|" + box->windowTitle();
        box->done(IDOK);
    });
    pane.OnCommand(ListViewCarInfo::kExportId);
    EXPECT_EQ(shown, "Save|Kesh Varn PC Suit");
    EXPECT_EQ(testing::ReadWorkbookText(path),
              "gprs\nIndex_\tGPRS_ID\tDriver\tLicense_Plate\tState\n0\t300\tbob\tB-2\ton\n1\t100\tAl\tA-1\toff\n"
              "2\t200\tal\tC-3\ton");
}

}  // namespace
}  // namespace ledsuite
