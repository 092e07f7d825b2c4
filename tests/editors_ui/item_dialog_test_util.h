#pragma once
// Helpers of the editor window tests: answering the dialogs and message boxes they open.
#include <functional>
#include <vector>

#include <QApplication>
#include <QMessageBox>
#include <QString>
#include <QTimer>

#include "tests/qt_main/qt_test_util.h"

namespace ledsuite::testing {

// Answers every dialog of type T that shows while alive, once each.
template <class T>
struct Answerer {
    QTimer timer;
    int seen = 0;
    explicit Answerer(std::function<void(T*)> answer) {
        QObject::connect(&timer, &QTimer::timeout, [this, answer] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* d = qobject_cast<T*>(w); d && d->isVisible() && !d->property("answered").toBool()) {
                    d->setProperty("answered", true);
                    ++seen;
                    answer(d);
                }
        });
        timer.start(2);
    }
};

// Closes every MessageBoxFx that shows while alive and keeps the texts.
struct BoxCloser : Answerer<CMessageBoxFx> {
    std::vector<QString> texts;
    BoxCloser()
        : Answerer([this](CMessageBoxFx* b) {
              texts.push_back(b->TextLabel()->text());
              b->done(IDOK);
          }) {}
};

}  // namespace ledsuite::testing
