#pragma once
// Helpers the GUI tests share: answering the next dialog, message box or file dialog, and
// reading a written workbook back with openpyxl.
#include <functional>
#include <string>

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QStyle>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include "tests/qt_main/qt_test_util.h"
#include "toolkit/message_box.h"

namespace ledsuite::testing {

// Presses `button` on the next message box; its text in `*text` and its caption in `*caption`.
inline void AnswerBox(QString* text, int button = IDOK, QString* caption = nullptr) {
    AnswerNextBox([=](CMessageBoxFx* box) {
        *text = box->TextLabel()->text();
        if (caption) *caption = box->windowTitle();
        box->done(button);
    });
}

// Picks `path` in the next file dialog.
inline void ChooseNextFile(const QString& path) {
    AnswerNext<QFileDialog>([path](QFileDialog* dialog) {
        dialog->selectFile(path);
        QMetaObject::invokeMethod(dialog, "accept");
    });
}

// Types `name` into the next file chooser as a user does: the chooser shows `folder`, a click
// on its name box gives the box the focus, then the keys and Return. A question the chooser
// asks on the way is answered with `answer` (a notice is closed), its text kept in `*asked`; a chooser still open
// after Return is cancelled.
inline void TypeInNextChooser(const QString& folder, const QString& name, QString* asked = nullptr,
                              QMessageBox::StandardButton answer = QMessageBox::No) {
    AnswerNext<QFileDialog>([=](QFileDialog* dialog) {
        dialog->setDirectory(folder);
        auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(edit, nullptr);
        dialog->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(dialog));
        QTest::mouseClick(edit, Qt::LeftButton);
        ASSERT_TRUE(edit->hasFocus());
        edit->selectAll();
        QTest::keyClicks(edit, name);
        QTimer questions;  // answers only what the Return brings up
        QObject::connect(&questions, &QTimer::timeout, [=] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) {
                    if (asked) *asked = box->text();
                    if (QAbstractButton* button = box->button(answer)) button->click();
                    else box->reject();  // a notice with its one button
                }
        });
        questions.start(2);
        QTest::keyClick(edit, Qt::Key_Return);
        questions.stop();
        if (dialog->isVisible()) dialog->reject();
    });
}

// Whether the list's column is wide enough to draw `text` without cutting it: an item view
// draws a cell's text inside the column less the style's focus margin plus one on each
// side and the grid line, and elides what does not fit there.
inline bool ColumnShowsWhole(const QTableView* list, int column, const QString& text) {
    const int margin = list->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, list) + 1;
    const int room = list->columnWidth(column) - 2 * margin - (list->showGrid() ? 1 : 0);
    return QFontMetrics(list->font()).horizontalAdvance(text) <= room;
}

// The workbook's active sheet: its title, then a line per row with cells split by tabs.
inline std::string ReadWorkbookText(const QString& file) {
    QProcess python;
    python.start("/usr/bin/python3", {"-c", R"(import sys, openpyxl
ws = openpyxl.load_workbook(sys.argv[1]).active
rows = [ws.title] + ['\t'.join('' if v is None else str(v) for v in r) for r in ws.iter_rows(values_only=True)]
sys.stdout.buffer.write('\n'.join(rows).encode()))", file});
    if (!python.waitForFinished() || python.exitCode() != 0)
        return "python failed: " + python.readAllStandardError().toStdString();
    return python.readAllStandardOutput().toStdString();
}

}  // namespace ledsuite::testing
