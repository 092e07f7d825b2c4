#pragma once
// The toolbars of the two navigation pages and the tree page's menu button. Each is the
// page's own class over the Qt toolbar or tool button it would otherwise use, so that the
// page's bars can be told apart from every other toolbar of the window.
#include <QToolBar>
#include <QToolButton>

namespace ledsuite {

// A toolbar of the single-screen tree page: its commands stay with the page (the page
// owns and triggers them), icons 16 pixels, no handle to drag it by.
class CClassToolBar : public QToolBar {
    Q_OBJECT
public:
    explicit CClassToolBar(QWidget* parent) : QToolBar(parent) {
        setIconSize({16, 16});
        setMovable(false);
    }
};

// The tree page's menu button: the tree's commands (shift up, shift down, send to) in a
// drop-down, drawn with the style's toolbar arrow like every other toolbar button.
class CViewSingleMenuButton : public QToolButton {
    Q_OBJECT
public:
    explicit CViewSingleMenuButton(QWidget* parent) : QToolButton(parent) {
        setPopupMode(QToolButton::InstantPopup);
        setAutoRaise(true);
    }
};

// The multi-screen page's toolbar; styled as the tree page's.
class CViewMultiToolBar : public QToolBar {
    Q_OBJECT
public:
    explicit CViewMultiToolBar(QWidget* parent) : QToolBar(parent) {
        setIconSize({16, 16});
        setMovable(false);
    }
};

}  // namespace ledsuite
