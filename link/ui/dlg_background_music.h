#pragma once
// "Sound Config": the twenty background-music slots and the play-time schedule of a
// USB disk, on two tabs over one editable list. Music files are converted into card
// sound files by the converter the owner gives (the sound build dialog in the
// application; by default the conversion runs here).
#include <array>

#include <QString>

#include "link/music_slots.h"
#include "link/play_schedule.h"
#include "link/ui/drive_combo.h"
#include "link/ui/link_messages.h"
#include "toolkit/dialog_fx.h"

class QPushButton;
class QTabBar;

namespace ledsuite {

class CMyListCtrl;

enum MusicTab : int { kTabMusic = 0, kTabSchedule = 1 };

class CDlgBackGroundMusic : public CDialogFx {
    Q_OBJECT
public:
    explicit CDlgBackGroundMusic(QWidget* parent = nullptr);

    void SetMessageSink(LinkMessageSink sink) { message_ = std::move(sink); }
    // Converts the queued music files; false when any failed or the build was cancelled.
    void SetConverter(MusicConverter converter) { converter_ = std::move(converter); }

    // Loads the selected drive's slots and schedule and shows the current tab.
    void Reload();
    void SetTab(int tab);
    // A new source for a slot (empty: the slot is cleared when saved).
    void SetSource(int slot, const std::string& path);
    void SetEntry(int slot, const ScheduleEntry& entry);
    // "Save To UDisk": saves the current tab.
    void OnSave();

    const std::array<MusicSlot, kMusicSlots>& Slots() const { return slots_; }
    const ScheduleTable& Schedule() const { return schedule_; }
    CMyListCtrl* List() const { return list_; }
    QTabBar* Tabs() const { return tabs_; }
    QPushButton* SaveButton() const { return save_; }
    ledsuite::DriveCombo* Drives() const { return drive_; }

protected:
    bool OnInitDialog() override;

private:
    void ShowMusic();
    void ShowSchedule();
    void FitScheduleColumns();
    void OnBeginEdit(int column, int row);
    void OnEndEdit(int column, int row);
    void SaveMusic(const std::string& root);
    void SaveSchedule(const std::string& root);
    void Tell(const std::u16string& text) { message_(text, {}, 0); }

    LinkMessageSink message_;
    MusicConverter converter_ = ConvertMusicFiles;
    std::array<MusicSlot, kMusicSlots> slots_{};
    ScheduleTable schedule_{};
    // Fields typed into each schedule slot since the load (shown before a type is chosen).
    enum : uint8_t { kTypedStart = 1, kTypedEnd = 2, kTypedVolume = 4 };
    std::array<uint8_t, kScheduleSlots> typed_{};
    QString editStart_;  // the path cell's text when its editor opened
    int shownTab_ = -1;  // the tab whose rows the list holds (an ending edit belongs to it)
    ledsuite::DriveCombo* drive_ = nullptr;
    QTabBar* tabs_ = nullptr;
    CMyListCtrl* list_ = nullptr;
    QPushButton *save_ = nullptr, *ok_ = nullptr, *cancel_ = nullptr;
};

}  // namespace ledsuite
