#include "link/ui/dlg_background_music.h"

#include <QFileDialog>
#include <QHeaderView>
#include <QPushButton>
#include <QTabBar>
#include <QTime>
#include <QVBoxLayout>

#include "content/model/lang.h"
#include "content/model/text_codec.h"
#include "link/link_text.h"
#include "toolkit/list_ctrl.h"
#include "toolkit/list_helpers.h"
#include "toolkit/qt_text.h"

namespace ledsuite {

namespace {

const LangText kCaption{{u"声音配置", u"聲音配置", u"Sound Config"}};
const LangText kSaveToUDisk{{u"保存到U盘", u"保存到U盤", u"Save To UDisk"}};
const LangText kOk{{u"确定", u"確定", u"OK"}};
const LangText kCancel{{u"取消", u"取消", u"Cancel"}};
const LangText kMusicTab{{u"添加/删除背景音乐", u"添加/刪除背景音樂", u"Add/Remove BackGround Music"}};
const LangText kScheduleTab{{u"时间表", u"時間表", u"Schedule"}};
const LangText kIndex{{u"序号", u"序號", u"Index"}};
const LangText kPath{{u"路径", u"路徑", u"Path"}};
const LangText kStart{{u"开始时间", u"開始時間", u"Start Time"}};
const LangText kEnd{{u"结束时间", u"結束時間", u"End Time"}};
const LangText kType{{u"类型", u"類型", u"Type"}};
const LangText kVolume{{u"音量", u"音量", u"Volume"}};
const LangText kOpenMusicTitle{{u"打加音乐文件", u"打開音樂文件", u"Open Music File"}};
const LangText kDiskNotWritten{{u"写入U盘失败", u"寫入U盤失敗", u"Writing to the USB disk failed"}};
const LangText kNoSuchFile{{u"文件不存在: %s", u"文件不存在: %s", u"The file does not exist: %s"}};
const LangText kConversionFailed{{u"音乐转换失败", u"音樂轉換失敗", u"The music could not be converted"}};
const LangText kScheduleSaved{{u"保存节目时间表成功!", u"保存節目時間表成功!", u"The schedule was saved!"}};
const LangText kScheduleNotSaved{{u"无法保存节目时间表!", u"無法保存節目時間表!", u"The schedule could not be saved!"}};
// Each schedule row holds four slots of four columns after the index.
constexpr int kSlotColumns = 4;

QString TimeText(uint16_t word) { return QString::fromStdString(FormatDosTime(word)); }

}  // namespace

CDlgBackGroundMusic::CDlgBackGroundMusic(QWidget* parent) : CDialogFx(parent), message_(MessageBoxSinkFor(this)) {
    auto* layout = new QVBoxLayout(this);
    drive_ = new ledsuite::DriveCombo(this);
    tabs_ = new QTabBar(this);
    tabs_->addTab(QString());
    tabs_->addTab(QString());
    list_ = new CMyListCtrl(this);
    list_->verticalHeader()->hide();
    list_->horizontalHeader()->setStretchLastSection(true);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    save_ = new QPushButton(this);
    ok_ = new QPushButton(this);
    cancel_ = new QPushButton(this);
    for (QWidget* w : {static_cast<QWidget*>(drive_), static_cast<QWidget*>(tabs_), static_cast<QWidget*>(list_),
                       static_cast<QWidget*>(save_), static_cast<QWidget*>(ok_), static_cast<QWidget*>(cancel_)})
        layout->addWidget(w);
    connect(drive_, &QComboBox::activated, this, &CDlgBackGroundMusic::Reload);
    connect(drive_, &DriveCombo::DrivesChanged, this, &CDlgBackGroundMusic::Reload);
    connect(tabs_, &QTabBar::currentChanged, this, &CDlgBackGroundMusic::SetTab);
    connect(list_, &CMyListCtrl::BeginCellEdit, this, &CDlgBackGroundMusic::OnBeginEdit);
    connect(list_, &CMyListCtrl::EndCellEdit, this, &CDlgBackGroundMusic::OnEndEdit);
    connect(save_, &QPushButton::clicked, this, &CDlgBackGroundMusic::OnSave);
    connect(ok_, &QPushButton::clicked, this, &CDlgBackGroundMusic::accept);
    connect(cancel_, &QPushButton::clicked, this, &CDlgBackGroundMusic::reject);
    SetClientSize(QSize(640, 480));
}

bool CDlgBackGroundMusic::OnInitDialog() {
    if (!CDialogFx::OnInitDialog()) return false;
    setWindowTitle(ToQString(kCaption));
    save_->setText(ToQString(kSaveToUDisk));
    ok_->setText(ToQString(kOk));
    cancel_->setText(ToQString(kCancel));
    tabs_->setTabText(kTabMusic, ToQString(kMusicTab));
    tabs_->setTabText(kTabSchedule, ToQString(kScheduleTab));
    drive_->Refresh();  // loads the first drive
    return true;
}

void CDlgBackGroundMusic::Reload() {
    const std::string root = drive_->SelectedRoot();
    if (root.empty()) {
        for (MusicSlot& s : slots_)
            if (s.state != kSlotNewSource) s = {};
        schedule_ = {};
    } else {
        LoadMusicSlots(root, slots_);
        schedule_ = LoadPlaytimeFile(root);
    }
    typed_ = {};
    SetTab(tabs_->currentIndex());
}

void CDlgBackGroundMusic::SetTab(int tab) {
    // An open cell edit belongs to the rows shown now: it ends, keeping its text, before they change.
    list_->EndInPlaceEdit();
    if (tabs_->currentIndex() != tab) tabs_->setCurrentIndex(tab);  // comes back here through the signal
    else if (tab == kTabMusic) ShowMusic();
    else ShowSchedule();
}

void CDlgBackGroundMusic::ShowMusic() {
    shownTab_ = kTabMusic;
    list_->clear();
    list_->setColumnCount(2);
    list_->setRowCount(kMusicSlots);
    list_->setHorizontalHeaderLabels({ToQString(kIndex), ToQString(kPath)});
    for (int row = 0; row < kMusicSlots; ++row) {
        const MusicSlot& s = slots_[size_t(row)];
        const QString text = s.state == kSlotOnDisk      ? ToQString(MusicSlotTitle(s))
                             : s.state == kSlotNewSource ? QString::fromStdString(s.source) + QLatin1Char('*')
                                                         : QString();
        list_->setItem(row, 0, new QTableWidgetItem(QString::number(row + 1)));
        list_->setItem(row, 1, new QTableWidgetItem(text));
    }
    // The path has the width the index leaves (the last column stretches); a longer one
    // shows whole in its tooltip.
    FitListColumn(list_, 0, {QString::number(kMusicSlots)});
    SetCellTips(list_, 1);
}

void CDlgBackGroundMusic::ShowSchedule() {
    shownTab_ = kTabSchedule;
    list_->clear();
    list_->setColumnCount(1 + kSlotColumns * int(kScheduleColumns));
    list_->setRowCount(int(kScheduleRows));
    QStringList headers{ToQString(kIndex)};
    for (size_t g = 0; g < kScheduleColumns; ++g)
        headers << ToQString(kStart) << ToQString(kEnd) << ToQString(kType) << ToQString(kVolume);
    list_->setHorizontalHeaderLabels(headers);
    for (int row = 0; row < int(kScheduleRows); ++row) {
        list_->setItem(row, 0, new QTableWidgetItem(QString::number(row + 1)));
        for (int g = 0; g < int(kScheduleColumns); ++g) {
            const ScheduleEntry& e = schedule_[size_t(row) * kScheduleColumns + size_t(g)];
            // A slot in use shows all of itself; a blank one what has been typed into it so far.
            const size_t slot = size_t(row) * kScheduleColumns + size_t(g);
            auto shown = [&](uint8_t field) { return e.type != 0 || (typed_[slot] & field); };
            const QString cells[kSlotColumns] = {
                shown(kTypedStart) ? TimeText(e.start) : QString(), shown(kTypedEnd) ? TimeText(e.end) : QString(),
                ToQString(ScheduleTypeText(e.type)),
                shown(kTypedVolume) ? ToQString(VolumeChoiceText(VolumeChoiceOf(e.volume))) : QString()};
            for (int c = 0; c < kSlotColumns; ++c) list_->setItem(row, 1 + g * kSlotColumns + c, new QTableWidgetItem(cells[c]));
        }
    }
    FitScheduleColumns();
}

void CDlgBackGroundMusic::FitScheduleColumns() {
    // Every column is as wide as the widest text it can hold, blank or not, so that no
    // choice is cut and the columns keep their places as slots fill.
    const QStringList times{TimeText(0)};
    const QStringList types{ToQString(ScheduleTypeText(1)), ToQString(ScheduleTypeText(2))};
    QStringList volumes;
    for (int k = 0; k < kVolumeChoices; ++k) volumes << ToQString(VolumeChoiceText(k));
    FitListColumn(list_, 0, {QString::number(kScheduleRows)});
    for (int g = 0; g < int(kScheduleColumns); ++g) {
        const int first = 1 + g * kSlotColumns;
        FitListColumn(list_, first, times);
        FitListColumn(list_, first + 1, times);
        FitListColumn(list_, first + 2, types);
        FitListColumn(list_, first + 3, volumes);
    }
}

void CDlgBackGroundMusic::SetSource(int slot, const std::string& path) {
    if (slot < 0 || slot >= kMusicSlots) return;
    slots_[size_t(slot)].source = path;
    slots_[size_t(slot)].state = kSlotNewSource;
    if (shownTab_ == kTabMusic) ShowMusic();
}

void CDlgBackGroundMusic::SetEntry(int slot, const ScheduleEntry& entry) {
    if (slot < 0 || size_t(slot) >= kScheduleSlots) return;
    schedule_[size_t(slot)] = entry;
    if (shownTab_ == kTabSchedule) ShowSchedule();
}

void CDlgBackGroundMusic::OnBeginEdit(int column, int row) {
    if (shownTab_ == kTabMusic) {
        if (column != 1) return;
        // A path typed or browsed for sets a new source; a cleared text removes the slot's music.
        CInPlaceEditBrowseCtrl* edit = list_->InPlaceBrowseEdit();
        edit->SetTitle(ToQString(kOpenMusicTitle));
        edit->SetFilter(QStringLiteral("(*.mp3);;(*.wav)"));
        const MusicSlot& s = slots_[size_t(row)];
        list_->ShowInPlaceBrowseEdit(row, column, s.state == kSlotNewSource ? QString::fromStdString(s.source)
                                                  : s.state == kSlotOnDisk  ? ToQString(MusicSlotTitle(s))
                                                                            : QString());
        editStart_ = edit->text();
        return;
    }
    if (column < 1) return;
    const ScheduleEntry& e = schedule_[size_t(row) * kScheduleColumns + size_t((column - 1) / kSlotColumns)];
    switch ((column - 1) % kSlotColumns) {
        case 0:
        case 1: {
            int h = 0, m = 0, s = 0;
            UnpackTime((column - 1) % kSlotColumns == 0 ? e.start : e.end, h, m, s);
            list_->ShowInPlaceTime(row, column, QDateTime(QDate(2000, 1, 1), QTime(h % 24, m % 60, s % 60)).toSecsSinceEpoch());
            break;
        }
        case 2:
            list_->ShowInPlaceList(row, column, {ToQString(ScheduleTypeText(1)), ToQString(ScheduleTypeText(2))},
                                   e.type == 2 ? 1 : 0);
            break;
        default: {
            QStringList items;
            for (int k = 0; k < kVolumeChoices; ++k) items << ToQString(VolumeChoiceText(k));
            list_->ShowInPlaceList(row, column, items, VolumeChoiceOf(e.volume));
            break;
        }
    }
}

void CDlgBackGroundMusic::OnEndEdit(int column, int row) {
    if (column < 1 || !list_->item(row, column)) return;
    const QString text = list_->item(row, column)->text();
    if (shownTab_ == kTabMusic) {
        const bool escaped = list_->InPlaceBrowseEdit()->Escaped();
        if (column == 1 && row < kMusicSlots && !escaped && text != editStart_) SetSource(row, text.toStdString());
        else ShowMusic();  // an unchanged or escaped edit shows the slot as it was
        return;
    }
    const size_t slot = size_t(row) * kScheduleColumns + size_t((column - 1) / kSlotColumns);
    if (slot >= kScheduleSlots) return;
    ScheduleEntry e = schedule_[slot];
    switch ((column - 1) % kSlotColumns) {
        case 0:
        case 1: {
            const QTime t = QTime::fromString(text, QStringLiteral("HH:mm:ss"));
            if (!t.isValid()) break;
            ((column - 1) % kSlotColumns == 0 ? e.start : e.end) = PackTime(t.hour(), t.minute(), t.second());
            typed_[slot] |= (column - 1) % kSlotColumns == 0 ? kTypedStart : kTypedEnd;
            break;
        }
        case 2:
            e.type = text == ToQString(ScheduleTypeText(2)) ? 2 : text == ToQString(ScheduleTypeText(1)) ? 1 : e.type;
            break;
        default:
            for (int k = 0; k < kVolumeChoices; ++k)
                if (text == ToQString(VolumeChoiceText(k))) e.volume = VolumeStoredOf(k), typed_[slot] |= kTypedVolume;
            break;
    }
    SetEntry(row * int(kScheduleColumns) + (column - 1) / kSlotColumns, e);
}

void CDlgBackGroundMusic::OnSave() {
    const std::string root = drive_->SelectedRoot();
    if (root.empty()) return;
    if (tabs_->currentIndex() == kTabMusic) SaveMusic(root);
    else SaveSchedule(root);
    Reload();
}

void CDlgBackGroundMusic::SaveMusic(const std::string& root) {
    const MusicSavePlan plan = PlanMusicSave(root, slots_);
    if (plan.folderFailed) return Tell(kDiskNotWritten());
    if (!plan.missing.empty()) return Tell(FillText(kNoSuchFile(), {Utf8ToWide(plan.missing)}));
    if (plan.sources.empty()) return;
    if (!converter_ || !converter_(plan.sources, plan.targets)) return Tell(kConversionFailed());
    for (MusicSlot& s : slots_)
        if (s.state == kSlotNewSource) s.state = kSlotEmpty;  // the reload reads what was written
}

void CDlgBackGroundMusic::SaveSchedule(const std::string& root) {
    Tell(SavePlaytimeFile(root, schedule_) ? kScheduleSaved() : kScheduleNotSaved());
}

}  // namespace ledsuite
