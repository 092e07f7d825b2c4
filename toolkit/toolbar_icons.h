#pragma once
// The toolbars' command icons: PNGs of res/icons (drawn by scripts/draw_toolbar_icons.py),
// found as every other resource is, and toolbars whose buttons show them with the command
// texts as tooltips, so that a whole row of commands fits where their texts would not.
#include <QIcon>

class QToolBar;

namespace ledsuite {

// The side of every toolbar icon, in pixels.
constexpr int kToolbarIconSize = 20;

// The icon "icons/<name>.png" of the resources; null when the file is missing or unreadable.
// With `checkedName`, that picture is shown while the action is checked (Play shows Pause
// while playing).
QIcon ToolbarIcon(const char* name, const char* checkedName = nullptr);

// Makes the toolbar's buttons show only their icons, at the icons' size; the action texts
// stay and are shown as tooltips.
void UseIconButtons(QToolBar* toolbar);

}  // namespace ledsuite
