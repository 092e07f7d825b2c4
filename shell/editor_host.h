#pragma once
// RSEditorWnd: the editor tab host below the view. Tabs at the bottom: "Program Editor"
// (the text editor), "Music Player" (the music pane), "Programs List" (the program-edit
// list). It shows the page that fits the tree selection and passes the codes meant for
// its pages on to them. A page whose window is not built is left out: its tab does not
// exist and codes meant for it go nowhere.
#include <array>

#include <QWidget>

#include "content/imc_codes.h"
#include "content/model/records.h"
#include "shell/frame_panes.h"

class QTabWidget;

namespace ledsuite {

class RSEditorWnd : public QWidget, public InternalTarget {
    Q_OBJECT
public:
    enum PageIndex { kPageEditor = 0, kPageMusic = 1, kPageList = 2, kPageCount = 3 };

    // `channel` is the main frame's relay; the pages are made from `panes`.
    RSEditorWnd(QWidget* parent, InternalChannel* channel, const FramePanes& panes);

    intptr_t onInternal(int code, intptr_t arg) override;

    QTabWidget* Tabs() const { return tabs_; }
    bool HasPage(int page) const { return pages_[size_t(page)].widget != nullptr; }
    QWidget* PageWidget(int page) const { return pages_[size_t(page)].widget; }
    bool IsPageShown(int page) const;
    // The page the tab control shows (-1 when no tab is visible or current).
    int CurrentPage() const;
    const ProgramRecord* LastProgram() const { return lastProgram_; }
    QSize minimumSizeHint() const override { return {200, 150}; }

private:
    void ShowPage(int page, bool show);
    void ActivatePage(int page);
    void SetPageTitles();
    void OnViewMode(intptr_t mode);
    int TabOf(int page) const;
    intptr_t To(int page, int code, intptr_t arg);

    InternalChannel* channel_;
    QTabWidget* tabs_;
    std::array<Pane, kPageCount> pages_{};
    const ProgramRecord* lastProgram_ = nullptr;
};

}  // namespace ledsuite
