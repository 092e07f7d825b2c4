#pragma once
// Helpers of the item dialog tests: answering message boxes and finding a modal dialog.
#include <QApplication>
#include <QMessageBox>
#include <QString>
#include <QTimer>

#include "tests/qt_main/qt_test_util.h"

namespace ledsuite::testing {

// Closes the next MessageBoxFx and keeps its text.
inline void CaptureNextBox(QString* text) {
    AnswerNextBox([text](CMessageBoxFx* box) {
        *text = box->TextLabel()->text();
        box->done(IDOK);
    });
}

// Closes the next visible QMessageBox (the framework's own box) and keeps its text.
inline void CaptureNextPlainBox(QString* text) {
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, text] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) {
                timer->stop();
                timer->deleteLater();
                *text = box->text();
                box->accept();
                return;
            }
    });
    timer->start(1);
}

}  // namespace ledsuite::testing
