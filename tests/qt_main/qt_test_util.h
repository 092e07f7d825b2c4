#pragma once
// Helpers the GUI test programs share.
#include <functional>

#include <QApplication>
#include <QMouseEvent>
#include <QTest>
#include <QTimer>

#include "toolkit/message_box.h"

namespace ledsuite::testing {

// Runs `answer` on the first visible message box once the event loop runs.
inline void AnswerNextBox(std::function<void(CMessageBoxFx*)> answer) {
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
