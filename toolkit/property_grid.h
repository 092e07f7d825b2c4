#pragma once
// Our property grid: a two-column tree of named values in groups, each value edited in
// place by the editor of its kind (option list, number box held to the stored range,
// date, time of day, file path, or read-only text), with a description pane below.
// Items are described as data (PropertySpec), so building and relabelling use one table.
// Every committed edit raises one PropertyChanged; choosing an option of a list raises
// OptionChosen as well (also when the option chosen is the one already shown).
#include <functional>
#include <map>
#include <vector>

#include <QStringList>
#include <QWidget>

class QLabel;
class QTreeWidget;
class QTreeWidgetItem;

namespace ledsuite {

class CMFCPropertyGridDateTimeProperty;

enum class PropertyKind { Group, List, Spin, Date, Time, File, ReadOnly };

struct PropertySpec {
    int key = 0;      // unique in the grid; handlers find items by it
    int parent = -1;  // key of the group that holds the item; -1 at the top
    PropertyKind kind = PropertyKind::ReadOnly;
    std::function<QString()> label;        // the name in the current language
    std::function<QStringList()> options;  // a list's options in the current language
    bool relabelOptions = false;           // the options follow the language
    int lo = 0, hi = 0;                    // a number's stored range
    std::function<QString()> description;  // shown below the grid, in the current language
    QString fileFilter;  // "(*.mp3)|*.mp3|(*.wav)|*.wav||"
};

class PropertyGrid : public QWidget {
    Q_OBJECT
public:
    explicit PropertyGrid(int controlId, QWidget* parent = nullptr);

    int ControlId() const { return controlId_; }
    // Replaces every item by those of `specs` (groups before their items), in order.
    void Build(std::vector<PropertySpec> specs);
    // Names from the specs' labels; option texts of relabelled lists overwritten in
    // place, each list keeping the option it shows.
    void Relabel();
    void SetDescriptionVisible(bool visible);
    bool DescriptionVisible() const;
    QString DescriptionText() const;

    QTreeWidget* Tree() const { return tree_; }
    QTreeWidgetItem* Item(int key) const;
    int KeyOf(const QTreeWidgetItem* item) const;  // -1 for none
    int CurrentKey() const;
    void SetCurrentKey(int key);

    QString Name(int key) const;
    QString Value(int key) const;
    void SetValue(int key, const QString& text);
    int IntValue(int key) const;
    void SetIntValue(int key, int value);
    uint16_t PackedValue(int key) const;  // date and time items
    void SetPackedValue(int key, uint16_t word);

    QStringList Options(int key) const;
    void SetOptions(int key, const QStringList& options);
    // The index of the option equal to the shown value, -1 when none is.
    int GetOptionIndex(int key) const;
    // Shows option `index` when it exists; otherwise the value stays.
    void SelectOptionIndex(int key, int index);

    void SetItemEnabled(int key, bool enabled);
    bool IsItemEnabled(int key) const;

    // What an editor commits: the item becomes current, numbers are held to the stored
    // range, then the notices go out.
    void CommitText(int key, const QString& text);
    void ChooseOption(int key, int index);
    void CommitPacked(int key, uint16_t word);
    // Opens the in-place editor of an item's value; false for groups, read-only or greyed items.
    bool EditValue(int key);

signals:
    void PropertyChanged(int controlId, int key);
    void OptionChosen(int controlId, int key);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Shares the row between names and values (both cut with an ellipsis when they must be).
    void FitColumns();
    void ScheduleFit();
    void AddItem(const PropertySpec& spec);
    void ShowDescription();
    void Changed(int key);

    int controlId_;
    QTreeWidget* tree_;
    QLabel* description_;
    std::map<int, PropertySpec> specs_;
    std::map<int, QTreeWidgetItem*> items_;
    std::map<int, CMFCPropertyGridDateTimeProperty*> dateTimes_;
    bool fitPending_ = false;
};

}  // namespace ledsuite
