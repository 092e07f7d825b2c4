#pragma once
// Helpers the GUI test programs share.
#include <functional>

#include <QApplication>
#include <QDateTimeEdit>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTest>
#include <QTimer>

#include "toolkit/message_box.h"

namespace ledsuite::testing {

// The object name of the timers AnswerNext leaves waiting; one whose window never came is
// removed when its test ends (qt_test_main.cpp), so it answers no window of a later test.
inline constexpr char kAnswerTimerName[] = "AnswerNext";

// Runs `answer` on the first visible window of type D (with `modal`, only the active modal
// window) once the event loop runs.
template <class D>
void AnswerNext(std::function<void(D*)> answer, bool modal = false) {
    auto* timer = new QTimer(qApp);
    timer->setObjectName(QLatin1String(kAnswerTimerName));
    QObject::connect(timer, &QTimer::timeout, [timer, answer, modal] {
        const QWidgetList windows = modal ? QWidgetList{QApplication::activeModalWidget()} : QApplication::topLevelWidgets();
        for (QWidget* w : windows) {
            if (auto* d = qobject_cast<D*>(w); d && d->isVisible()) {
                timer->stop();
                timer->deleteLater();
                answer(d);
                return;
            }
        }
    });
    timer->start(1);
}

// Runs `answer` on the first visible message box once the event loop runs.
inline void AnswerNextBox(std::function<void(CMessageBoxFx*)> answer) { AnswerNext<CMessageBoxFx>(std::move(answer)); }

// Delivers one mouse event at `local` (a move with a button held, which QTest cannot send).
inline void SendMouse(QWidget* w, QEvent::Type type, QPoint local, Qt::MouseButton button, Qt::MouseButtons buttons) {
    QMouseEvent event(type, local, w->mapToGlobal(local), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(w, &event);
}

// Clicks into section `section` (0: the first) of a date or time picker as a user does:
// between the first two digits of that section's text, the event loop running after the click.
inline void ClickSection(QDateTimeEdit* picker, int section) {
    auto* edit = picker->findChild<QLineEdit*>();
    const QString text = edit->text();
    int at = 0;
    for (int run = -1; at < text.size(); ++at) {
        if (text[at].isDigit() && (at == 0 || !text[at - 1].isDigit()) && ++run == section) break;
    }
    const int x = edit->contentsRect().left() + 2 + edit->fontMetrics().horizontalAdvance(text.left(at + 1));
    QTest::mouseClick(edit, Qt::LeftButton, {}, QPoint(x, edit->height() / 2));
    QTest::qWait(1);
}

// Clicks into the first section of a date or time picker and types `keys` where the focus is then.
inline void ClickFirstSectionAndType(QDateTimeEdit* picker, const QString& keys) {
    ClickSection(picker, 0);
    QTest::keyClicks(QApplication::focusWidget(), keys);
}

// Runs the event loop until `done` holds (a safety net of ten seconds against a hang).
inline bool WaitUntil(const std::function<bool()>& done) {
    for (int i = 0; i < 2000 && !done(); ++i) QTest::qWait(5);
    return done();
}

}  // namespace ledsuite::testing
