#pragma once
// Helpers of the editor window tests: answering the dialogs and message boxes they open.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMessageBox>
#include <QString>
#include <QTimer>

#include "editors/ui/edit_ex.h"
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

// Triggers the command `id` of the editing surface's context menu, at any depth.
inline void RunSurfaceMenuCommand(CEditEx* surface, int id) {
    std::unique_ptr<QMenu> menu(surface->BuildContextMenu());
    std::vector<QMenu*> menus{menu.get()};
    for (size_t i = 0; i < menus.size(); ++i)
        for (QAction* a : menus[i]->actions()) {
            if (a->menu()) menus.push_back(a->menu());
            if (a->data().toInt() == id) return a->trigger();
        }
    ADD_FAILURE() << "no menu command " << id;
}

}  // namespace ledsuite::testing
