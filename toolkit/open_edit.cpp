#include "toolkit/open_edit.h"

#include <QAbstractItemView>
#include <QApplication>

namespace ledsuite {

void CommitOpenEdit(QWidget* scope) {
    QWidget* focus = QApplication::focusWidget();
    if (!scope || !focus || !scope->isAncestorOf(focus)) return;
    // Every in-place editor of the suite sits on its view's viewport and commits when the
    // focus leaves it for the view, which is where Return leaves the focus as well.
    for (QWidget* w = focus; w && w != scope; w = w->parentWidget()) {
        QWidget* viewport = w->parentWidget();
        auto* view = viewport ? qobject_cast<QAbstractItemView*>(viewport->parentWidget()) : nullptr;
        if (view && view->viewport() == viewport) {
            view->setFocus(Qt::OtherFocusReason);
            return;
        }
    }
}

}  // namespace ledsuite
