#pragma once
// The play-periods dialog: the 24 daily play periods of a program set in six scrolling
// rows of start and end pickers, a button that gives every hour the same minute window,
// and a day timeline with the periods as bars and their total. Every change goes into
// the record at once; there is no OK (Enter does nothing), Esc or the close cell end it.
#include <array>

#include <QImage>

#include "content/model/records.h"
#include "editors/play_periods.h"
#include "toolkit/dialog_fx.h"

class QLabel;
class QPushButton;
class QScrollBar;
class QTimeEdit;

namespace ledsuite {

class CDlgSelMorePeriod : public CDialogFx {
    Q_OBJECT
public:
    // `set` is not owned and must outlive the dialog.
    CDlgSelMorePeriod(ProgramSetRecord* set, QWidget* parent = nullptr);

    QScrollBar* ScrollBar() const { return scroll_; }
    QTimeEdit* Picker(int row, bool end) const { return (end ? ends_ : starts_)[size_t(row)]; }
    QLabel* RowNumber(int row) const { return numbers_[size_t(row)]; }
    QTimeEdit* WindowPicker(bool end) const { return end ? windowEnd_ : windowStart_; }
    QPushButton* FillButton() const { return fill_; }
    QLabel* Total() const { return total_; }
    const QImage& Timeline() const { return timeline_; }

    void ShowPage();        // rows from the scroll position
    void RedrawTimeline();  // bars, ticks, hours and the total
    void OnFillAll();       // button "通设"

protected:
    void OnOK() override {}
    void keyPressEvent(QKeyEvent* event) override;

private:
    void OnPickerChanged(int row, bool end);
    void DrawRow(QPainter& p, int row, int rowHeight);

    ProgramSetRecord* set_;
    QScrollBar* scroll_;
    std::array<QLabel*, kPeriodRows> numbers_{};
    std::array<QTimeEdit*, kPeriodRows> starts_{}, ends_{};
    QTimeEdit *windowStart_, *windowEnd_;
    QPushButton* fill_;
    QLabel* frame_;
    QLabel* total_;
    QImage timeline_;
    bool showing_ = false;  // the pickers are being set from the record
};

}  // namespace ledsuite
