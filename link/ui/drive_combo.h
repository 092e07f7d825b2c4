#pragma once
// A combo box of the removable drives that rebuilds itself when a volume is mounted or
// unmounted (the mount table's descriptor in a socket notifier).
#include <string>
#include <vector>

#include <QComboBox>

#include "link/removable_drives.h"

class QSocketNotifier;

namespace ledsuite {

class DriveCombo : public QComboBox {
    Q_OBJECT
public:
    explicit DriveCombo(QWidget* parent = nullptr);
    ~DriveCombo() override;

    // Lists the drives again ("<mount>/" or "<mount>/ [label]"), the first selected.
    void Refresh();
    bool HasDrives() const { return !drives_.empty(); }
    // The selected drive's mount point; empty when none.
    std::string SelectedRoot() const;

signals:
    void DrivesChanged();

private:
    std::vector<RemovableDrive> drives_;
    int watch_ = -1;
    QSocketNotifier* watcher_ = nullptr;
};

}  // namespace ledsuite
