#pragma once
// "Select group": lists the groups of the multi-screen page's tree and hands back the
// chosen group's name (at most 10 characters).
#include <QDialog>
#include <QString>

class QListWidget;
class QTreeWidget;

namespace ledsuite {

class CGroupListDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kNameLimit = 10;

    CGroupListDlg(QWidget* parent, const QTreeWidget* tree);

    QListWidget* Groups() const { return list_; }
    const QString& ChosenName() const { return chosen_; }
    // With a selection: its text (cut to 10 characters) becomes the chosen name and the
    // dialog ends with OK; without one nothing happens.
    void accept() override;

private:
    QListWidget* list_;
    QString chosen_;
};

}  // namespace ledsuite
