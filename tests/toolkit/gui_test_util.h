#pragma once
// Helpers the GUI tests share: answering the next dialog, message box or file dialog,
// checking that a toolbar shows all its commands and that a list draws a text whole, and reading a
// written workbook back with openpyxl.
#include <algorithm>
#include <cstdlib>
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
#include <QPaintEngine>
#include <QPainter>
#include <QPushButton>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

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

// Opens the in-place editor of a list cell as the user does: a click, then a double click.
inline void OpenListCell(QTableWidget* list, int row, int column) {
    list->scrollToItem(list->item(row, column));
    const QPoint at = list->visualItemRect(list->item(row, column)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
}

// A paint device that keeps the texts painted on it and nothing else.
class TextRecorder : public QPaintDevice {
public:
    explicit TextRecorder(const QWidget* like) : dpiX_(like->logicalDpiX()), dpiY_(like->logicalDpiY()) {}
    QPaintEngine* paintEngine() const override { return &engine_; }
    QString Text() const { return engine_.texts.join(QString()); }

protected:
    int metric(PaintDeviceMetric m) const override {
        switch (m) {
        case PdmDpiX: case PdmPhysicalDpiX: return dpiX_;
        case PdmDpiY: case PdmPhysicalDpiY: return dpiY_;
        case PdmDepth: return 32;
        case PdmDevicePixelRatio: return 1;
        case PdmDevicePixelRatioScaled: return int(devicePixelRatioFScale());
        default: return 4096;
        }
    }

private:
    struct Engine : QPaintEngine {
        QStringList texts;
        Engine() : QPaintEngine(AllFeatures) {}
        bool begin(QPaintDevice*) override { return true; }
        bool end() override { return true; }
        void updateState(const QPaintEngineState&) override {}
        void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
        void drawPath(const QPainterPath&) override {}
        void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
        void drawTextItem(const QPointF&, const QTextItem& item) override { texts << item.text(); }
        Type type() const override { return User; }
    };
    mutable Engine engine_;
    int dpiX_, dpiY_;
};

// What the list paints in cell (row, column) when the cell shows `text`: the option the list
// and its delegate give that cell, in the cell's rectangle, drawn by the list's style and
// read back. A text the column cannot hold comes back elided.
inline QString DrawnCellText(const QTableView* list, int row, int column, const QString& text) {
    // The view and the delegate build a cell's option in protected members; a member pointer
    // taken in a derived class reaches them on the real objects.
    struct ViewAccess : QTableView {
        static auto Init() { return &ViewAccess::initViewItemOption; }
    };
    struct DelegateAccess : QStyledItemDelegate {
        static auto Init() { return &DelegateAccess::initStyleOption; }
    };
    const QModelIndex index = list->model()->index(row, column);
    QStyleOptionViewItem option;
    (list->*ViewAccess::Init())(&option);
    option.rect = list->visualRect(index);
    if (auto* delegate = qobject_cast<QStyledItemDelegate*>(list->itemDelegateForIndex(index)))
        (delegate->*DelegateAccess::Init())(&option, index);
    option.text = text;
    TextRecorder drawn(list);
    QPainter painter(&drawn);
    list->style()->drawControl(QStyle::CE_ItemViewItem, &option, &painter, list);
    painter.end();
    return drawn.Text();
}

// Whether the list draws `text` whole in `column` (in the cell of `row`): what its style paints there is
// the text itself, not an elided one.
inline bool ColumnShowsWhole(const QTableView* list, int column, const QString& text, int row = 0) {
    return DrawnCellText(list, row, column, text) == text;
}

// Pixels of `image` that stand out: opaque ones, or (with a `ground`) ones far from that colour.
inline int MarkedPixels(const QImage& image, const QColor* ground = nullptr) {
    int marked = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            const int distance = ground ? std::abs(c.red() - ground->red()) + std::abs(c.green() - ground->green()) +
                                              std::abs(c.blue() - ground->blue())
                                        : 0;
            marked += ground ? distance > 90 : c.alpha() > 128;
        }
    return marked;
}

// What keeps the toolbar from showing every command as a drawn icon with its tooltip: a line
// per fault, naming the command by its tooltip ("Open: behind the extension button"). `tips`
// are the tooltips expected, in order. Empty when every button shows whole inside the bar,
// the extension button is hidden, and each icon draws at least a few dozen pixels, on the
// button too (grabbed as the screen shows it).
inline QStringList ToolbarFaults(QToolBar* bar, const QStringList& tips) {
    QStringList faults;
    const QList<QAction*> actions = bar->actions();
    if (actions.size() != tips.size()) faults << QStringLiteral("%1 commands").arg(actions.size());
    if (auto* more = bar->findChild<QToolButton*>(QStringLiteral("qt_toolbar_ext_button")); more && more->isVisible())
        faults << QStringLiteral("the extension button shows");
    constexpr int kFewPixels = 30;
    for (int i = 0; i < std::min(int(actions.size()), int(tips.size())); ++i) {
        QAction* a = actions[i];
        QWidget* button = bar->widgetForAction(a);
        auto fault = [&](const QString& what) { faults << tips[i] + QStringLiteral(": ") + what; };
        if (a->toolTip() != tips[i]) fault(QStringLiteral("tooltip ") + a->toolTip());
        if (!button || !button->isVisible() || !bar->rect().contains(button->geometry())) {
            fault(QStringLiteral("behind the extension button"));
            continue;
        }
        if (a->icon().isNull() || MarkedPixels(a->icon().pixmap(bar->iconSize()).toImage()) < kFewPixels) {
            fault(QStringLiteral("no icon"));
            continue;
        }
        const QImage shot = button->grab().toImage();
        const QColor ground = shot.pixelColor(0, 0);
        if (MarkedPixels(shot, &ground) < kFewPixels) fault(QStringLiteral("icon not drawn"));
    }
    return faults;
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
