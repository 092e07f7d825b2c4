// The music pane's rows: adding, moving and deleting them, the list's texts, the
// playlist file, and the cell editors of role, rate and the three times.
#include <QDateTime>
#include <QFileInfo>

#include "music/ui/music_ctrl.h"
#include "music/ui/music_text.h"
#include "toolkit/list_ctrl.h"
#include "toolkit/message_box.h"
#include "toolkit/qt_text.h"

namespace ledsuite {

using namespace music_text;

namespace {

constexpr int kRateCount = 21;  // "-10" .. "10"

// Seconds since 1970 of today at the given time, in local time, as the time editor takes them.
int64_t TodayAt(int hour, int minute, int second) {
    return QDateTime(QDate::currentDate(), QTime(hour, minute, second)).toSecsSinceEpoch();
}

}  // namespace

void CMusicCtrl::FillRow(int row, const PlaylistEntry& e) {
    const int role = ClampVoiceRole(e.voiceRole, int(voices_.size()));
    const QString texts[kColumnCount] = {
        QString::number(row + 1),
        QFileInfo(ToQString(e.path)).fileName(),
        role < int(voices_.size()) ? ToQString(voices_[size_t(role)]) : QString(),
        ToQString(FormatSeconds(e.pauseAfter)),
        ToQString(FormatRate(e.rateIndex)),
        ToQString(FormatPackedTime(e.startTime)),
        ToQString(FormatPackedTime(e.stopTime)),
    };
    for (int c = 0; c < kColumnCount; ++c) {
        if (QTableWidgetItem* item = list_->item(row, c)) item->setText(texts[c]);
        else list_->setItem(row, c, new QTableWidgetItem(texts[c]));
    }
}

void CMusicCtrl::FillList() {
    std::vector<PlaylistEntry> rows;
    {
        std::lock_guard<std::mutex> lock(shared_.mutex);
        rows = shared_.rows;
    }
    list_->setRowCount(int(rows.size()));
    for (size_t i = 0; i < rows.size(); ++i) FillRow(int(i), rows[i]);
    UpdateCommandStates();
}

bool CMusicCtrl::AddFile(const QString& path) {
    std::u16string p = ToU16(path);
    if (p.size() >= kPlaylistPathUnits) {
        MessageBoxFx(this, kPathTooLong(), nullptr, MB_OK);
        return false;
    }
    PlaylistEntry entry;
    entry.path = p;
    {
        std::lock_guard<std::mutex> lock(shared_.mutex);
        if (shared_.rows.size() >= kMaxPlaylistRows) {
            MessageBoxFx(this, kListFull(), nullptr, MB_OK);
            return false;
        }
        shared_.rows.push_back(entry);
    }
    const int row = list_->rowCount();
    list_->setRowCount(row + 1);
    FillRow(row, entry);
    // A new row shows its pause as "0"; the file's rows and edited ones show hh:mm:ss.
    list_->item(row, kColPause)->setText(QStringLiteral("0"));
    UpdateCommandStates();
    return true;
}

void CMusicCtrl::OnStep(int delta) {
    const int count = int(shared_.RowCount());
    if (count == 0) return;
    const int row = std::clamp(shared_.currentRow + delta, 0, count - 1);
    shared_.currentRow = row;
    // While playing, the worker leaves its item and plays the new current row.
    if (shared_.runState == kRunPlaying || shared_.runState == kRunPaused) shared_.rowRequest = row;
    list_->selectRow(row);
}

void CMusicCtrl::OnShift(int delta) {
    const int row = list_->FirstSelectedRow();
    const int to = row + delta;
    // The worker's current row moves with its song, so the row now after it plays next.
    if (!shared_.ShiftRow(row, to)) return;
    FillList();
    list_->selectRow(to);
}

void CMusicCtrl::OnDel() {
    std::vector<int> selected;
    for (const QModelIndex& index : list_->selectionModel()->selectedRows()) selected.push_back(index.row());
    // The worker's current row follows the deletion, so the row after the playing one still plays next.
    shared_.RemoveRows(std::move(selected));
    FillList();
}

bool CMusicCtrl::SavePlaylist() {
    PlaylistFile file;
    {
        std::lock_guard<std::mutex> lock(shared_.mutex);
        file.settings = shared_.settings;
        file.rows = shared_.rows;
    }
    return SavePlaylistFile(file, PlaylistFilePath());
}

bool CMusicCtrl::LoadPlaylist() {
    auto file = LoadPlaylistFile(PlaylistFilePath());
    if (!file) return false;  // a missing or damaged file loads nothing, silently
    {
        std::lock_guard<std::mutex> lock(shared_.mutex);
        shared_.settings = file->settings;
        shared_.rows = std::move(file->rows);
    }
    FillList();
    return true;
}

void CMusicCtrl::OnBeginCellEdit(int column, int row) {
    auto entry = shared_.Row(row);
    if (!entry) return;
    switch (column) {
        case kColRole: {
            QStringList names;
            for (const auto& v : voices_) names << ToQString(v);
            list_->ShowInPlaceList(row, column, names, ClampVoiceRole(entry->voiceRole, int(voices_.size())));
            break;
        }
        case kColRate: {
            QStringList rates;
            for (int i = 0; i < kRateCount; ++i) rates << ToQString(FormatRate(uint32_t(i)));
            list_->ShowInPlaceList(row, column, rates, int(std::min<uint32_t>(entry->rateIndex, kRateCount - 1)));
            break;
        }
        case kColPause: {
            const uint32_t s = entry->pauseAfter % 86400;
            list_->ShowInPlaceTime(row, column, TodayAt(int(s / 3600), int(s / 60 % 60), int(s % 60)));
            break;
        }
        case kColStart:
        case kColStop: {
            const uint32_t t = column == kColStart ? entry->startTime : entry->stopTime;
            list_->ShowInPlaceTime(row, column, TodayAt(int(t >> 12) % 24, int(t >> 6 & 63) % 60, int(t & 63) % 60));
            break;
        }
        default:
            break;
    }
}

void CMusicCtrl::OnEndCellEdit(int column, int row) {
    const QTableWidgetItem* item = list_->item(row, column);
    if (!item) return;
    const std::u16string text = ToU16(item->text());
    {
        std::lock_guard<std::mutex> lock(shared_.mutex);
        if (row < 0 || size_t(row) >= shared_.rows.size()) return;
        PlaylistEntry& e = shared_.rows[size_t(row)];
        if (column == kColRole) {
            auto it = std::find(voices_.begin(), voices_.end(), text);
            if (it != voices_.end()) e.voiceRole = uint16_t(it - voices_.begin());
        } else if (column == kColRate) {
            bool ok = false;
            const int rate = item->text().toInt(&ok);
            if (ok && rate >= -10 && rate <= 10) e.rateIndex = uint32_t(rate + 10);
        } else if (auto t = ParseHms(text)) {
            if (column == kColPause) e.pauseAfter = uint32_t(t->hour * 3600 + t->minute * 60 + t->second);
            if (column == kColStart) e.startTime = PackDailyTime(t->hour, t->minute, t->second);
            if (column == kColStop) e.stopTime = PackDailyTime(t->hour, t->minute, t->second);
        }
    }
    if (auto entry = shared_.Row(row)) FillRow(row, *entry);
}

}  // namespace ledsuite
