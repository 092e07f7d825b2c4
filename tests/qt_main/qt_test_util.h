#pragma once
// Helpers the GUI test programs share.
#include <functional>

#include <QApplication>
#include <QMouseEvent>
#include <QTest>
#include <QTimer>

#include "toolkit/message_box.h"

namespace ledsuite::testing {

// Runs `answer` on the first visible window of type D (with `modal`, only the active modal
// window) once the event loop runs.
template <class D>
void AnswerNext(std::function<void(D*)> answer, bool modal = false) {
    auto* timer = new QTimer;
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

// Runs the event loop until `done` holds (a safety net of ten seconds against a hang).
inline bool WaitUntil(const std::function<bool()>& done) {
    for (int i = 0; i < 2000 && !done(); ++i) QTest::qWait(5);
    return done();
}

}  // namespace ledsuite::testing
