#include "link/ui/dlg_udisk.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTimeEdit>

#include "content/model/clock.h"
#include "content/model/lang.h"
#include "content/model/paths.h"
#include "link/udisk_export.h"
#include "toolkit/date_time_picker.h"
#include "toolkit/message_box.h"
#include "toolkit/qt_text.h"

namespace ledsuite {

namespace {

const LangText kCardId{{u"U盘卡号", u"U盤卡號", u"UDisk Card ID"}};
const LangText kSoundDevice{{u"声音存储", u"聲音存儲", u"Save Sound Device"}};
const LangText kFlash{{u"板载Flash", u"板載Flash", u"Flash On Board"}};
const LangText kUDisk{{u"U盘", u"U盤", u"UDisk"}};
const LangText kMulti{{u"多个文件", u"多個檔案", u"Multi Files"}};
const LangText kAdd{{u"添加", u"添加", u"Add"}};
const LangText kDel{{u"删除", u"刪除", u"Del"}};
const LangText kSave{{u"保存", u"保存", u"Save"}};
const LangText kSync{{u"同步时间", u"同步時間", u"Sync Time"}};
const LangText kNote{{u"U盘插入控制卡时的时间.", u"U盤插入控制卡時的時間.",
                      u"The time when usb disk is plugged into LED ctrl card."}};
const LangText kRemark{{u"备注:\n\nU盘控制卡只支持单设备、SCSI命令的U盘, \n在Fat12/Fat16/Fat32文件系统下工作良好",
                        u"備註:\n\nU盤控制卡只支援單裝置、SCSI命令的U盤, \n在Fat12/Fat16/Fat32檔案系統下工作良好",
                        u"Remark:\n\nThe usb disk ctrlcard only supports the usb disk with one device and SCSI command, "
                        u"\nit works well in the Fat12/Fat16/Fat32 filesystem"}};
const LangText kUDiskCaption{{u"U盘", u"U盤", u"UDisk"}};
constexpr uint8_t kSubtypeAsynVoice2 = 3;  // the only mode with a choice of sound device

}  // namespace

DlgUDisk::DlgUDisk(const ProgramTree* tree, InternalChannel* channel, QWidget* parent)
    : CDialogFx(parent), tree_(tree), channel_(channel), message_(MessageBoxSinkFor(this)) {
    auto* grid = new QGridLayout(this);
    drive_ = new ledsuite::DriveCombo(this);
    cardLabel_ = new QLabel(this);
    cardNumber_ = new QComboBox(this);
    for (int i = 0; i < 256; ++i) cardNumber_->addItem(QString::number(i));
    soundLabel_ = new QLabel(this);
    soundDevice_ = new QComboBox(this);
    soundDevice_->addItems({QString(), QString()});
    multi_ = new QCheckBox(this);
    files_ = new QListWidget(this);
    files_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    add_ = new QPushButton(this);
    del_ = new QPushButton(this);
    save_ = new QPushButton(this);
    sync_ = new QPushButton(this);
    date_ = MakeDatePicker(QStringLiteral("yyyy-MM-dd"), this);
    time_ = MakeTimePicker(QStringLiteral("HH:mm:ss"), this);
    note_ = new QLabel(this);
    remark_ = new QLabel(this);
    int row = 0;
    grid->addWidget(drive_, row++, 0, 1, 3);
    grid->addWidget(multi_, row++, 0, 1, 3);
    grid->addWidget(cardLabel_, row, 0);
    grid->addWidget(cardNumber_, row++, 1);
    grid->addWidget(soundLabel_, row, 0);
    grid->addWidget(soundDevice_, row++, 1);
    grid->addWidget(files_, row, 0, 2, 2);
    grid->addWidget(add_, row++, 2);
    grid->addWidget(del_, row++, 2);
    grid->addWidget(save_, row++, 0, 1, 3);
    grid->addWidget(date_, row, 0);
    grid->addWidget(time_, row, 1);
    grid->addWidget(sync_, row++, 2);
    grid->addWidget(note_, row++, 0, 1, 3);
    grid->addWidget(remark_, row++, 0, 1, 3);
    connect(multi_, &QCheckBox::toggled, this, &DlgUDisk::OnModeChanged);
    connect(add_, &QPushButton::clicked, this, [this] {
        const QString path = QFileDialog::getOpenFileName(this, {}, {}, QStringLiteral("LCS(*.lcs)"));
        if (!path.isEmpty()) AddFile(path);
    });
    connect(del_, &QPushButton::clicked, this, &DlgUDisk::OnDeleteFiles);
    connect(save_, &QPushButton::clicked, this, &DlgUDisk::OnSave);
    connect(sync_, &QPushButton::clicked, this, &DlgUDisk::OnSyncTime);
    connect(drive_, &DriveCombo::DrivesChanged, this, &DlgUDisk::UpdateSaveButton);
    SetClientSize(QSize(420, 520));
}

bool DlgUDisk::OnInitDialog() {
    if (!CDialogFx::OnInitDialog()) return false;
    setWindowTitle(ToQString(UDiskCaption()));
    drive_->Refresh();
    cardNumber_->setCurrentIndex(0);
    soundDevice_->setItemText(0, ToQString(kFlash));
    soundDevice_->setItemText(1, ToQString(kUDisk));
    soundDevice_->setCurrentIndex(0);
    cardLabel_->setText(ToQString(kCardId));
    soundLabel_->setText(ToQString(kSoundDevice));
    multi_->setText(ToQString(kMulti));
    add_->setText(ToQString(kAdd));
    del_->setText(ToQString(kDel));
    save_->setText(ToQString(kSave));
    sync_->setText(ToQString(kSync));
    note_->setText(ToQString(kNote));
    remark_->setText(ToQString(kRemark));
    const LocalTime now = CurrentLocalTime();
    date_->setDate(QDate(now.year, now.month, now.day));
    time_->setTime(QTime(now.hour, now.minute, now.second));
    soundDevice_->setEnabled(tree_ && tree_->screen().cardSubtype == kSubtypeAsynVoice2);
    OnModeChanged();
    return true;
}

void DlgUDisk::AddFile(const QString& path) {
    files_->addItem(path);
    UpdateSaveButton();
}

void DlgUDisk::OnDeleteFiles() {
    for (int row = files_->count() - 1; row >= 0; --row)
        if (files_->item(row)->isSelected()) delete files_->takeItem(row);
    UpdateSaveButton();
}

void DlgUDisk::OnModeChanged() {
    const bool multi = multi_->isChecked();
    for (QWidget* w : {static_cast<QWidget*>(files_), static_cast<QWidget*>(add_), static_cast<QWidget*>(del_)})
        w->setVisible(multi);
    for (QWidget* w : {static_cast<QWidget*>(cardNumber_), static_cast<QWidget*>(soundDevice_),
                       static_cast<QWidget*>(cardLabel_), static_cast<QWidget*>(soundLabel_)})
        w->setVisible(!multi);
    UpdateSaveButton();
}

void DlgUDisk::UpdateSaveButton() {
    save_->setEnabled(drive_->HasDrives() && (!multi_->isChecked() || files_->count() > 0));
}

void DlgUDisk::Tell(const std::u16string& text, const std::string& path, bool failed) {
    message_(WithPath(text, path), UDiskCaption(), failed ? MB_ICONHAND : MB_ICONASTERISK);
}

void DlgUDisk::OnSave() {
    const std::string root = drive_->SelectedRoot();
    if (root.empty() || !tree_) return;
    if (!multi_->isChecked()) {
        SaveSingle(root);
        return;
    }
    std::vector<std::string> sources;
    for (int row = 0; row < files_->count(); ++row) sources.push_back(files_->item(row)->text().toStdString());
    const auto confirm = [this] {
        return message_(UDiskDeleteQuestion(), kUDiskCaption(), MB_YESNO | MB_ICONQUESTION) == IDYES;
    };
    const UDiskResult r = ExportProgramFiles(root, tree_->screen().cardType, sources, confirm);
    if (r.error == UDiskError::Declined) return;
    Tell(UDiskErrorText(r.error), r.path, r.error != UDiskError::None);
}

void DlgUDisk::SaveSingle(const std::string& root) {
    const auto prefix = ModelPrefix(tree_->screen().cardType);
    if (!prefix) {
        Tell(UDiskErrorText(UDiskError::NoPrefix), {}, true);
        return;
    }
    if (!MakeFolderPath(UDiskFolderPath(root))) {
        Tell(UDiskSaveFailedText(), UDiskFolderPath(root), true);
        return;
    }
    UDiskSaveRequest request{UDiskProgramPath(root, *prefix, cardNumber_->currentIndex()), UDiskSoundPath(root), root};
    request.soundDevice = uint8_t(soundDevice_->currentIndex());
    request.compile = request.soundDevice == kSoundOnBoardFlash;
    const int code = UDiskSaveCode(tree_->screen().cardSubtype);
    const intptr_t arg = code == IMC_FILE_SAVE ? reinterpret_cast<intptr_t>(request.programPath.c_str())
                                               : reinterpret_cast<intptr_t>(&request);
    // The page answers 0 only when the file was written; a failure it explained itself
    // gets no second message.
    const intptr_t answer = channel_ ? channel_->send(code, arg) : 1;
    if (UDiskSaveAlreadyReported(answer)) return;
    const bool saved = answer == 0 && SyncParentFolder(request.programPath);
    Tell(saved ? UDiskSavedText() : UDiskSaveFailedText(), request.programPath, !saved);
}

void DlgUDisk::OnSyncTime() {
    const std::string root = drive_->SelectedRoot();
    if (root.empty()) return;
    const QDate d = date_->date();
    const QTime t = time_->time();
    const LocalTime when{d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second(), d.dayOfWeek() % 7, 0};
    const bool ok = WriteSyncTimeFile(root, CardTime::From(when));
    message_(SyncTimeText(ok), UDiskCaption(), MB_ICONASTERISK);
}

}  // namespace ledsuite
