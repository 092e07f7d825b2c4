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

// The parent of the answers still waiting for their window. The test program's main drops
// them when a test ends: an answer whose window never came would otherwise answer a window
// of a later test, with the variables of the test that set it long gone.
inline QObject& PendingAnswers() {
    static QObject* pending = new QObject;  // left to the end of the program, as the application is
    return *pending;
}

// Runs `answer` on the first visible window of type D (with `modal`, only the active modal
// window) once the event loop runs, within the test that asks.
template <class D>
void AnswerNext(std::function<void(D*)> answer, bool modal = false) {
    auto* timer = new QTimer(&PendingAnswers());
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

// Clicks into the first section of a date or time picker as a user does (between its first
// two digits, the event loop running after the click) and types `keys` where the focus is then.
inline void ClickFirstSectionAndType(QDateTimeEdit* picker, const QString& keys) {
    auto* edit = picker->findChild<QLineEdit*>();
    const int x = edit->contentsRect().left() + 2 + edit->fontMetrics().horizontalAdvance(edit->text().left(1));
    QTest::mouseClick(edit, Qt::LeftButton, {}, QPoint(x, edit->height() / 2));
    QTest::qWait(1);
    QTest::keyClicks(QApplication::focusWidget(), keys);
}

// Runs the event loop until `done` holds (a safety net of ten seconds against a hang).
inline bool WaitUntil(const std::function<bool()>& done) {
    for (int i = 0; i < 2000 && !done(); ++i) QTest::qWait(5);
    return done();
}

}  // namespace ledsuite::testing
