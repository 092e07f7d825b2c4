#pragma once
// The shell's texts: window title, menus, main toolbar, outlook pages, tab pages and
// the messages of the frame and the tree page. One LangText row each.
#include <array>

#include <cstdint>
#include <string>

#include "content/model/lang.h"

namespace ledsuite {

// The window title of the document and the frame.
extern const LangText kAppTitle;
extern const LangText kAboutCaption;
extern const LangText kAboutText;
extern const LangText kOkButton;

// Menu bar.
extern const LangText kMenuFile, kMenuNew, kMenuOpen, kMenuClose, kMenuSave, kMenuSaveAs, kMenuPrint,
    kMenuPrintPreview, kMenuPrintSetup, kMenuExit;
extern const LangText kMenuSetting, kMenuLanguage, kMenuChangePassword, kMenuPreference;
extern const LangText kMenuTool, kMenuRemoteControl, kMenuLrcEditor, kMenuHelp, kMenuAbout;
extern const LangText kLangAuto, kLangSimplified, kLangTraditional, kLangEnglish;

// Main toolbar labels by button index (separators included: they are "Unknow").
constexpr int kToolbarButtons = 18;
const LangText& ToolbarLabel(int index);

// Outlook bar.
extern const LangText kOutlookCaption;  // "Shortcuts"
extern const LangText kPageProgramManager, kPageProgramRelease;

// Editor tab host pages.
extern const LangText kTabProgramEditor, kTabMusicPlayer, kTabProgramsList;

// Status bar: the start-up text, and the text for a screen's COM number and baud rate.
inline constexpr char16_t kPortPaneText[] = u"Serial  Port: Com1, Baurdrate: 28800";
std::u16string PortPaneText(int comNumber, uint32_t baudRate);

// Messages.
extern const LangText kNoScreenItem;
extern const LangText kCannotOpenDb, kErrorCaption;  // a workbook that does not open
extern const LangText kSendFailed;      // "%d": the transfer's result code
extern const LangText kFileNotWritten;  // "%s": the path
extern const LangText kFileNotRead;     // "%s": the path
extern const LangText kSoundNotRead;    // "%s": the sound files' paths; the speech was built without them
extern const LangText kFileNotFound;    // "%s": the name chosen in the file chooser
extern const LangText kSettingsNotWritten;
// The question before unsaved programs would be lost (Yes saves, No discards, Cancel stays).
extern const LangText kSaveChangesQuestion;
// The small card keeps only the start of the first program: characters kept, characters
// left out, other programs left out ("%d" each).
extern const LangText kTextCutForSmallCard;

}  // namespace ledsuite
