#include "shell/editor_host.h"

#include <QTabWidget>
#include <QVBoxLayout>

#include "shell/shell_texts.h"
#include "toolkit/qt_text.h"
#include "toolkit/view_tree.h"

namespace ledsuite {

namespace {
const LangText* const kTitles[RSEditorWnd::kPageCount] = {&kTabProgramEditor, &kTabMusicPlayer, &kTabProgramsList};
// Codes of the program-edit list (which ignores them all).
bool IsListCode(int code) {
    switch (code) {
        case 25: case 770: case 771: case 772: case 774: case 775: case 1537: case 28928: return true;
        default: return false;
    }
}
constexpr int kIgnoredCode = 32768;
}  // namespace

RSEditorWnd::RSEditorWnd(QWidget* parent, InternalChannel* channel, const FramePanes& panes)
    : QWidget(parent), channel_(channel), tabs_(new QTabWidget(this)) {
    tabs_->setTabPosition(QTabWidget::South);
    tabs_->setDocumentMode(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(tabs_);
    const PaneMaker* makers[kPageCount] = {&panes.textEditor, &panes.musicPane, &panes.programList};
    for (int page = 0; page < kPageCount; ++page) {
        if (!*makers[page]) continue;
        pages_[size_t(page)] = (*makers[page])(tabs_, channel);
        // Titled in Simplified Chinese until the language is applied.
        tabs_->addTab(pages_[size_t(page)].widget, ToQString(kTitles[page]->at(0)));
    }
}

int RSEditorWnd::TabOf(int page) const {
    const QWidget* w = pages_[size_t(page)].widget;
    return w ? tabs_->indexOf(w) : -1;
}

bool RSEditorWnd::IsPageShown(int page) const {
    const int tab = TabOf(page);
    return tab >= 0 && tabs_->isTabVisible(tab);
}

int RSEditorWnd::CurrentPage() const {
    const int tab = tabs_->currentIndex();
    if (tab < 0 || !tabs_->isTabVisible(tab)) return -1;
    for (int page = 0; page < kPageCount; ++page)
        if (TabOf(page) == tab) return page;
    return -1;
}

void RSEditorWnd::ShowPage(int page, bool show) {
    if (const int tab = TabOf(page); tab >= 0) tabs_->setTabVisible(tab, show);
}

void RSEditorWnd::ActivatePage(int page) {
    if (const int tab = TabOf(page); tab >= 0) tabs_->setCurrentIndex(tab);
}

void RSEditorWnd::SetPageTitles() {
    for (int page = 0; page < kPageCount; ++page)
        if (const int tab = TabOf(page); tab >= 0) tabs_->setTabText(tab, ToQString(*kTitles[page]));
}

intptr_t RSEditorWnd::To(int page, int code, intptr_t arg) {
    InternalTarget* target = pages_[size_t(page)].target;
    return target ? target->onInternal(code, arg) : 0;
}

void RSEditorWnd::OnViewMode(intptr_t mode) {
    if (mode != 0) {
        ShowPage(kPageEditor, false);
        ShowPage(kPageMusic, false);
        // The local program list belongs to the multi-screen mode: without this it could
        // never be seen again once the first single-screen mode hid it.
        ShowPage(kPageList, true);
        ActivatePage(kPageList);
        return;
    }
    ShowPage(kPageList, false);
    auto* tree = channel_ ? reinterpret_cast<CViewTree*>(channel_->send(IMC_GET_ACTIVE_TREE, 0)) : nullptr;
    const int depth = GetTreeItemDepth(tree);
    if (depth == 0) ShowPage(kPageMusic, true);
    else if (depth == 2) ShowPage(kPageEditor, true);
}

intptr_t RSEditorWnd::onInternal(int code, intptr_t arg) {
    switch (code) {
        case IMC_STARTUP_DONE:
            return To(kPageMusic, code, arg);
        case IMC_SHUTDOWN:
            return To(kPageMusic, code, 0);
        case IMC_SET_VIEW_MODE:
            OnViewMode(arg);
            return 0;
        case IMC_RELAYOUT_TEXT:
        case IMC_SET_FONT_CHIP:
        case IMC_COMMIT_PENDING_EDIT:
            return To(kPageEditor, code, arg);
        case IMC_SCREEN_SELECTED:
            ShowPage(kPageMusic, true);
            ActivatePage(kPageMusic);
            ShowPage(kPageEditor, false);
            return 0;
        case IMC_PROGRAM_SELECTED:
            lastProgram_ = reinterpret_cast<const ProgramRecord*>(arg);
            ShowPage(kPageMusic, false);
            ShowPage(kPageEditor, true);
            ActivatePage(kPageEditor);
            return To(kPageEditor, code, arg);
        case IMC_GET_VOICE_ROLES:
            return To(kPageMusic, code, arg);
        case IMC_LANGUAGE_CHANGED:
            SetPageTitles();
            To(kPageEditor, code, arg);
            To(kPageList, code, arg);
            return To(kPageMusic, code, arg);
        case kIgnoredCode:
            return 0;
        default:
            if (IsListCode(code)) return To(kPageList, code, arg);
            // Anything else (a program set selected among them) leaves the editor and music pages hidden.
            ShowPage(kPageEditor, false);
            ShowPage(kPageMusic, false);
            return 0;
    }
}

}  // namespace ledsuite
