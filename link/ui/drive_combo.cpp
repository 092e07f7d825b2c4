#include "link/ui/drive_combo.h"

#include <QSocketNotifier>

namespace ledsuite {

DriveCombo::DriveCombo(QWidget* parent) : QComboBox(parent) {
    watch_ = OpenMountWatch();
    if (watch_ < 0) return;
    watcher_ = new QSocketNotifier(watch_, QSocketNotifier::Exception, this);
    connect(watcher_, &QSocketNotifier::activated, this, [this] {
        if (MountTableChanged(watch_, 0)) Refresh();
    });
}

DriveCombo::~DriveCombo() {
    delete watcher_;  // before the descriptor it watches
    CloseMountWatch(watch_);
}

void DriveCombo::Refresh() {
    drives_ = ListRemovableDrives();
    clear();
    for (const RemovableDrive& d : drives_) addItem(QString::fromStdString(DriveDisplayName(d)));
    if (!drives_.empty()) setCurrentIndex(0);
    emit DrivesChanged();
}

std::string DriveCombo::SelectedRoot() const {
    const int i = currentIndex();
    return i >= 0 && size_t(i) < drives_.size() ? drives_[size_t(i)].root : std::string();
}

}  // namespace ledsuite
