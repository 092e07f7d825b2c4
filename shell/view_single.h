#pragma once
// CViewSingle: the outlook bar's "Program Manager" page. It holds the program tree of
// the screen being edited (a CViewTreeEx over a ProgramTree: the screen at depth 0, its
// program sets at depth 1, their programs at depth 2), adds, deletes, moves and renames
// items, announces every selection to the main frame, saves the tree as an ".lcs" file,
// opens ".lcs" files and imports program sets from an Excel sheet.
#include <array>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include <QWidget>

#include "content/imc_codes.h"
#include "shell/frame_panes.h"

class QAction;
class QMenu;
class QToolBar;

namespace ledsuite {

struct HardwareParams;
struct UDiskSaveRequest;
class CViewSingleMenuButton;
class CViewTree;
class CViewTreeEx;

// Commands of the page's toolbar and the tree's context menu.
enum SinglePageCommand : int {
    ID_ADD_PROGRAM_SET = 32775,
    ID_ADD_PROGRAM = 32776,
    ID_DELETE_ITEM = 32777,
    ID_SHIFT_UP = 32866,
    ID_SHIFT_DOWN = 32867,
    ID_SEND_TO = 32868,
};

// Answers of a save (IMC_FILE_SAVE): 0 written; the encoder's negative result or
// kProgramFileNotWritten (both shown to the user); kSaveCancelled when no name was chosen.
constexpr int kSaveCancelled = 1;
// IMC_FILE_SAVE_TO (the USB-disk build with sounds) answers 0 when written, the encoder's
// negative result, kProgramFileNotWritten, or kSaveToNotBuilt when the sound build did not
// end with OK.
constexpr int kSaveToNotBuilt = -20;

class CViewSingle : public QWidget, public InternalTarget {
    Q_OBJECT
public:
    CViewSingle(QWidget* parent, InternalChannel* channel);

    intptr_t onInternal(int code, intptr_t arg) override;

    CViewTreeEx* ActiveTree() const { return active_; }
    QToolBar* ToolBar() const { return toolbar_; }
    QMenu* ContextMenu() const { return contextMenu_; }
    QAction* Command(int id) const;
    void SetChannel(InternalChannel* channel) { channel_ = channel; }
    void SetMessageSink(MessageSink sink) { message_ = std::move(sink); }

    // Whether the programs differ from what was last saved: a change the page made (add,
    // delete, shift, import, read-back, or one a pane announced), an opened file whose
    // sounds a save would leave out, or bytes that a save would write differently from
    // the last save.
    bool Modified();
    void SetModified(bool modified = true) { modified_ = modified; }
    // Before the work is dropped (closing the window): with unsaved changes asks
    // Save / Discard / Cancel. True when the work may go (saved or discarded).
    bool ConfirmDiscardChanges();

    // The page's commands (also reached through Command(id)->trigger()).
    void OnAddProgramSet();
    void OnAddProgram();
    void OnDeleteItem();
    void OnShiftItem(bool up);
    void OnSendTo();
    // Enables the commands for the selection and the preview lock.
    void UpdateCommandStates();

    // Saves the active tree (`path` empty: asks for one). See the answers above.
    int SaveFile(std::string path);
    // Builds the program with its sounds behind the sound-build dialog and writes it to
    // the request's program path. See the answers above.
    int SaveToDisk(const UDiskSaveRequest& request);
    // Opens an ".lcs" file or imports an ".xls" workbook (`path` empty: asks for one). Both
    // add their program sets after those in the tree: nothing there is replaced.
    void OpenFile(std::string path);
    // True for names whose last three characters are "xls" in any case (at least four long).
    static bool IsExcelName(const std::string& path);
    // The file File > Open reads for a chosen name: the name itself when such a file exists,
    // else, for a name without a dot, the name with ".lcs" when that file exists; empty when
    // neither names a file.
    static std::string ExistingOpenName(const std::string& chosen);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void BuildToolbar();
    void BuildTrees();
    void SelectionNotice();
    void AddScreenRoot(const HardwareParams* screen);
    intptr_t SetProgramKind(uint8_t kind);
    void LoadProgramImage(const uint8_t* buffer);
    void Relabel();
    void OpenProgramFile(const std::string& path);
    void ImportExcel(const std::string& path);
    void ShowMessage(const std::u16string& text, const char16_t* caption = nullptr);
    QString ChooseFile(bool save);
    // The bytes a save would write now (header and image; a failed encode gives its code).
    std::vector<uint8_t> FileBytes() const;
    void MarkSaved(std::vector<uint8_t> fileBytes);  // what the file now holds

    InternalChannel* channel_;
    QToolBar* toolbar_ = nullptr;
    QMenu* contextMenu_ = nullptr;
    CViewSingleMenuButton* menuButton_ = nullptr;
    std::array<CViewTreeEx*, 3> trees_{};
    CViewTreeEx* active_ = nullptr;
    std::map<int, QAction*> commands_;
    MessageSink message_;
    bool modified_ = false;
    std::vector<uint8_t> saved_;  // FileBytes() at the last save (or start-up)
};

}  // namespace ledsuite
