// CMainFrame: building the frame, the start-up steps, sizing and closing.
#include "shell/main_frame.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QLabel>
#include <QMenuBar>
#include <QScreen>
#include <QSettings>
#include <QSocketNotifier>
#include <QStatusBar>
#include <QStyleFactory>
#include <QToolBar>

#include "content/render/font_tables.h"
#include "content/model/settings.h"
#include "content/model/text_codec.h"
#include "link/link_text.h"
#include "link/removable_drives.h"
#include "link/serial.h"
#include "music/playlist.h"
#include "shell/editor_host.h"
#include "shell/outlook_bar.h"
#include "shell/shell_texts.h"
#include "shell/view_single.h"
#include "toolkit/open_edit.h"
#include "toolkit/qt_text.h"
#include "toolkit/small_widgets.h"
#include "toolkit/view_tree.h"

namespace ledsuite {

namespace {

// The one look of the suite, stored as the visual-style value the settings keep.
constexpr int kApplicationLook = 215;
constexpr QSize kViewInitial{500, 300}, kEditorInitial{500, 200}, kPropertyInitial{100, 500};

QPalette BluePalette(QPalette p) {
    p.setColor(QPalette::Window, QColor(0xD5, 0xE4, 0xF2));
    p.setColor(QPalette::Button, QColor(0xDC, 0xE8, 0xF5));
    p.setColor(QPalette::Highlight, QColor(0x33, 0x66, 0xAA));
    p.setColor(QPalette::AlternateBase, QColor(0xEA, 0xF1, 0xFA));
    return p;
}

// A plain framed widget standing where a pane that is not built yet goes.
QWidget* Placeholder(QWidget* parent, QSize initial, const char* name) {
    auto* frame = new QFrame(parent);
    frame->setObjectName(QLatin1String(name));
    frame->setFrameShape(QFrame::StyledPanel);
    frame->resize(initial);
    return frame;
}

}  // namespace

CMainFrame::CMainFrame(const FramePanes& panes, QWidget* parent)
    : QMainWindow(parent), relay_(this), doc_(&relay_), message_(MessageBoxSink(this)) {
    setObjectName(QStringLiteral("CMainFrame"));
    doc_.SetTitle();
    setWindowTitle(doc_.Title());
    setMinimumSize(kMinFrameSize);
    BuildClientArea(panes);
    ApplyVisualStyle();
    BuildMenus();
    BuildMainToolBar();
    BuildStatusBar();
    server_.ConnectFromSettings();  // bounded wait: start-up never hangs on a silent server
    BuildOutlookBar(panes);
    RunStartupSteps();
    // A drive plugged in or taken out changes whether UDisk can run.
    mountWatch_ = OpenMountWatch();
    if (mountWatch_ >= 0) {
        auto* notifier = new QSocketNotifier(mountWatch_, QSocketNotifier::Exception, this);
        connect(notifier, &QSocketNotifier::activated, this, [this] {
            MountTableChanged(mountWatch_, 0);
            UpdateCommandStates();
        });
    }
}

CMainFrame::~CMainFrame() {
    // Panes die with the frame's widgets; nothing may relay to them on the way.
    relay_.Panes() = {};
    CloseMountWatch(mountWatch_);
}

void CMainFrame::ApplyVisualStyle() {
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setPalette(BluePalette(QApplication::style()->standardPalette()));
    QSettings().setValue(QStringLiteral("ApplicationLook"), kApplicationLook);
    update();
}

void CMainFrame::BuildClientArea(const FramePanes& panes) {
    BuildFontTables();
    outer_ = new CFixedSplitter(Qt::Horizontal, this);
    inner_ = new CFixedSplitter(Qt::Vertical, outer_);
    view_ = panes.view ? panes.view(inner_, &relay_) : Pane{Placeholder(inner_, kViewInitial, "view"), nullptr};
    view_.widget->resize(kViewInitial);
    inner_->addWidget(view_.widget);
    editorHost_ = new RSEditorWnd(inner_, &relay_, panes);
    editorHost_->resize(kEditorInitial);
    inner_->addWidget(editorHost_);
    outer_->addWidget(inner_);
    property_ = panes.propertyWindow ? panes.propertyWindow(outer_, &relay_)
                                     : Pane{Placeholder(outer_, kPropertyInitial, "propertyWindow"), nullptr};
    outer_->addWidget(property_.widget);
    for (CFixedSplitter* s : {outer_, inner_}) s->setChildrenCollapsible(false);
    setCentralWidget(outer_);
    relay_.Panes().editorHost = editorHost_;
    relay_.Panes().propertyWindow = property_.target;
    relay_.Panes().view = [this] { return View(); };
}

void CMainFrame::BuildStatusBar() {
    messagePane_ = new QLabel(this);
    portPane_ = new QLabel(ToQString(kPortPaneText), this);
    statusBar()->addWidget(messagePane_, 1);
    statusBar()->addPermanentWidget(portPane_);
}

void CMainFrame::BuildOutlookBar(const FramePanes& panes) {
    outlook_ = new COutlookBar(this, &relay_);
    outlook_->setWindowTitle(ToQString(kOutlookCaption));
    single_ = new CViewSingle(outlook_, &relay_);
    single_->setObjectName(QStringLiteral("RARAZU"));
    outlook_->AddPage(single_, ToQString(kPageProgramManager));
    if (panes.multiPage) {
        multi_ = panes.multiPage(outlook_, &relay_, server_);
        multi_.widget->setObjectName(QStringLiteral("RARAZU"));
        outlook_->AddPage(multi_.widget, ToQString(kPageProgramRelease));
    }
    addDockWidget(Qt::LeftDockWidgetArea, outlook_);
    relay_.Panes().singlePage = single_;
    relay_.Panes().multiPage = multi_.target;
}

void CMainFrame::RunStartupSteps() {
    // The screen being edited: defaults, then "ini.dat" when it is valid.
    HardwareParams screen;
    DefaultSettings(screen);
    if (!LoadSettingsFile(screen)) DefaultSettings(screen);
    SetDefaultCardFonts(screen.fontChip);
    relay_.Panes().singlePage->onInternal(IMC_ADD_SCREEN_ROOT, reinterpret_cast<intptr_t>(&screen));
    if (CViewTree* tree = ActiveTree()) tree->setCurrentItem(tree->ScreenItem());
    relay_.send(IMC_SET_VIEW_MODE, 0);
    editorHost_->onInternal(IMC_SCREEN_SELECTED, 0);
    ready_ = true;
    SetUiLanguage(screen.language);
    ApplyLanguage();
    const intptr_t roles = editorHost_->onInternal(IMC_GET_VOICE_ROLES, 0);
    if (property_.target) property_.target->onInternal(IMC_SET_VOICE_ROLES, roles);
}

CViewTree* CMainFrame::ActiveTree() { return reinterpret_cast<CViewTree*>(relay_.send(IMC_GET_ACTIVE_TREE, 0)); }

HardwareParams* CMainFrame::ScreenRecord() {
    return reinterpret_cast<HardwareParams*>(relay_.send(IMC_GET_SCREEN_RECORD, 0));
}

intptr_t CMainFrame::OnReapplyState() {
    if (InternalTarget* view = View()) view->onInternal(IMC_SCREEN_SELECTED, reinterpret_cast<intptr_t>(ActiveTree()));
    ApplyLanguage();
    return 0;
}

void CMainFrame::SetMessageSink(MessageSink sink) {
    message_ = sink;
    single_->SetMessageSink(std::move(sink));
}

// ---- sizing ----

QSize CMainFrame::PaneArea() const {
    const int width = this->width() - (outlook_ && outlook_->isVisible() ? outlook_->width() : 0);
    const int bars = menuBar()->height() + (toolbar_ ? toolbar_->height() : 0) + statusBar()->height();
    return {std::max(width, 0), std::max(height() - bars, 0)};
}

FrameSplit CMainFrame::CurrentSplit() const {
    const QSize area = PaneArea();
    return ComputeFrameSplit(area.width(), area.height());
}

void CMainFrame::ApplySplit() {
    if (!ready_ || !editorHost_) return;
    const QSize area = PaneArea();
    const FrameSplit split = ComputeFrameSplit(area.width(), area.height());
    // The second pane takes what the splitter has left, so the first keeps its size exactly.
    auto room = [](const CFixedSplitter* s, int planned, int extent) {
        return (s->isVisible() ? extent : planned) - s->handleWidth();
    };
    const int outerRoom = room(outer_, area.width(), outer_->width());
    const int innerRoom = room(inner_, area.height(), inner_->height());
    outer_->setSizes({split.leftColumn, std::max(outerRoom - split.leftColumn, 0)});
    inner_->setSizes({split.viewRow, std::max(innerRoom - split.viewRow, 0)});
}

void CMainFrame::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    ApplySplit();
}

void CMainFrame::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    ApplySplit();
}

void CMainFrame::changeEvent(QEvent* event) {
    // While the preview plays the window keeps its size: minimise, maximise and restore are undone.
    if (event->type() == QEvent::WindowStateChange && PreviewLock() && windowState() != Qt::WindowNoState)
        setWindowState(Qt::WindowNoState);
    QMainWindow::changeEvent(event);
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    // Unsaved programs: Save, Discard or Cancel (which keeps the window open).
    if (single_ && !single_->ConfirmDiscardChanges()) {
        event->ignore();
        return;
    }
    if (editorHost_ && editorHost_->onInternal(IMC_SHUTDOWN, 0) < 0)
        ShowMessage(FillText(kFileNotWritten(), {Utf8ToWide(PlaylistFilePath())}));
    QMainWindow::closeEvent(event);
}

void CMainFrame::CommitOpenEdit() { ledsuite::CommitOpenEdit(this); }

void CMainFrame::OnContentChanged(int code) {
    if (single_ && code != IMC_SCREEN_SELECTED) single_->SetModified();
    UpdatePortPane();
}

void CMainFrame::UpdatePortPane() {
    const HardwareParams* screen = single_ ? ScreenRecord() : nullptr;
    if (!portPane_ || !screen) return;
    portPane_->setText(ToQString(PortPaneText(screen->comIndex + 1, BaudRateOf(screen->baudIndex))));
}

}  // namespace ledsuite
