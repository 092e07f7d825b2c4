#include "toolkit/property_grid.h"

#include <algorithm>
#include <climits>

#include <QComboBox>
#include <QEvent>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QScrollBar>
#include <QSpinBox>
#include <QTimer>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "toolkit/property_item.h"

namespace ledsuite {

namespace {

// Item data: the key, kind and stored range on column 0; the options and file filter on column 1.
constexpr int kKeyRole = Qt::UserRole;
constexpr int kOptionsRole = Qt::UserRole + 1;
constexpr int kFilterRole = Qt::UserRole + 2;
constexpr int kKindRole = Qt::UserRole + 3;
constexpr int kRangeRole = Qt::UserRole + 4;

// "(*.mp3)|*.mp3|(*.wav)|*.wav||" -> "(*.mp3) (*.mp3);;(*.wav) (*.wav)"
QString QtFileFilter(const QString& filter) {
    const QStringList parts = filter.split('|', Qt::SkipEmptyParts);
    QStringList out;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) out << parts[i] + " (" + parts[i + 1] + ")";
    return out.join(";;");
}

// A path field with a browse button.
class FileEditor : public QWidget {
public:
    FileEditor(QWidget* parent, const QString& filter) : QWidget(parent), edit_(new QLineEdit(this)) {
        auto* layout = new QHBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
        auto* browse = new QToolButton(this);
        browse->setText(QStringLiteral("..."));
        layout->addWidget(edit_);
        layout->addWidget(browse);
        setFocusProxy(edit_);
        QObject::connect(browse, &QToolButton::clicked, this, [this, filter] {
            const QString path = QFileDialog::getOpenFileName(this, QString(), edit_->text(), QtFileFilter(filter));
            if (!path.isEmpty()) edit_->setText(path);
        });
    }
    QLineEdit* edit() const { return edit_; }

private:
    QLineEdit* edit_;
};

// A number field that takes whatever integer is typed (the grid holds it to the stored
// range on commit, so 300 typed into a 0..255 field becomes 255, not 30) while its
// arrows and Up / Down keys stay inside the range.
class NumberBox : public QSpinBox {
public:
    NumberBox(QWidget* parent, int lo, int hi) : QSpinBox(parent), lo_(lo), hi_(hi) {
        setRange(INT_MIN, INT_MAX);
    }
    void stepBy(int steps) override {
        const long long v = std::clamp<long long>(static_cast<long long>(value()) + steps, lo_, hi_);
        setValue(int(v));
        selectAll();
    }

protected:
    StepEnabled stepEnabled() const override {
        StepEnabled e = StepNone;
        if (value() < hi_) e |= StepUpEnabled;
        if (value() > lo_) e |= StepDownEnabled;
        return e;
    }

private:
    int lo_, hi_;
};

// The option list of a list item. Arrows, the wheel and typed letters only browse the
// options; an option is chosen by a click in the drop-down or by Return, so that no
// option (a "Custom" border opening its editor, say) acts while the user looks through them.
class OptionBox : public QComboBox {
public:
    using QComboBox::QComboBox;
    bool browsing = false;  // an activation now comes from browsing, not from a choice
    bool chosen = false;    // the option shown was chosen

protected:
    void keyPressEvent(QKeyEvent* event) override {
        browsing = true;
        QComboBox::keyPressEvent(event);
        browsing = false;
    }
    void wheelEvent(QWheelEvent* event) override {
        browsing = true;
        QComboBox::wheelEvent(event);
        browsing = false;
    }
};

// The in-place editors of list, number and file items; their commits go to the grid.
class PropertyDelegate : public QStyledItemDelegate {
public:
    explicit PropertyDelegate(PropertyGrid* grid) : QStyledItemDelegate(grid), grid_(grid) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex& index) const override {
        const int key = index.siblingAtColumn(0).data(kKeyRole).toInt();
        const QString filter = index.data(kFilterRole).toString();
        switch (PropertyKind(index.siblingAtColumn(0).data(kKindRole).toInt())) {
            case PropertyKind::List: {
                auto* combo = new OptionBox(parent);
                combo->addItems(grid_->Options(key));
                combo->setCurrentIndex(grid_->GetOptionIndex(key));
                auto* self = const_cast<PropertyDelegate*>(this);
                connect(combo, &QComboBox::activated, self, [self, combo] {
                    if (combo->browsing) return;
                    combo->chosen = true;
                    emit self->commitData(combo);
                    emit self->closeEditor(combo);
                });
                return combo;
            }
            case PropertyKind::Spin: {
                const auto range = index.siblingAtColumn(0).data(kRangeRole).toPoint();
                auto* spin = new NumberBox(parent, range.x(), range.y());
                spin->setValue(grid_->IntValue(key));
                return spin;
            }
            case PropertyKind::File: {
                auto* file = new FileEditor(parent, filter);
                file->edit()->setText(grid_->Value(key));
                return file;
            }
            default:
                return nullptr;
        }
    }
    void setEditorData(QWidget*, const QModelIndex&) const override {}  // set once, when made
    // Return on a closed option list chooses the option it shows.
    bool eventFilter(QObject* object, QEvent* event) override {
        auto* combo = dynamic_cast<OptionBox*>(object);
        if (combo && event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) combo->chosen = true;
        }
        return QStyledItemDelegate::eventFilter(object, event);
    }
    void setModelData(QWidget* editor, QAbstractItemModel*, const QModelIndex& index) const override {
        const int key = index.siblingAtColumn(0).data(kKeyRole).toInt();
        if (auto* combo = dynamic_cast<OptionBox*>(editor)) {
            if (combo->chosen) grid_->ChooseOption(key, combo->currentIndex());  // else nothing was chosen
        } else if (auto* spin = qobject_cast<QSpinBox*>(editor)) {
            spin->interpretText();
            grid_->CommitText(key, QString::number(spin->value()));
        } else if (auto* file = dynamic_cast<FileEditor*>(editor)) {
            grid_->CommitText(key, file->edit()->text());
        }
    }

private:
    PropertyGrid* grid_;
};

// A row whose value is its own tooltip too: a value cut to the column's width (with an
// ellipsis) can still be read whole.
class GridItem : public QTreeWidgetItem {
public:
    using QTreeWidgetItem::QTreeWidgetItem;
    QVariant data(int column, int role) const override {
        if (role == Qt::ToolTipRole && column == 1) return text(1);
        return QTreeWidgetItem::data(column, role);
    }
};

// What a cell shows of its text at the least, where the row has room: its first characters,
// an ellipsis after them when there are more.
constexpr int kLeastValueCharacters = 6;
constexpr int kLeastNameCharacters = 2;

void SetName(QTreeWidgetItem* item, const QString& name) {
    item->setText(0, name);
    item->setToolTip(0, name);
}

}  // namespace

PropertyGrid::PropertyGrid(int controlId, QWidget* parent)
    : QWidget(parent), controlId_(controlId), tree_(new QTreeWidget(this)), description_(new QLabel(this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(tree_, 1);
    layout->addWidget(description_);
    tree_->setColumnCount(2);
    tree_->setHeaderHidden(true);
    tree_->setRootIsDecorated(true);
    tree_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    auto* delegate = new PropertyDelegate(this);
    tree_->setItemDelegateForColumn(1, delegate);
    // An editor scrolls its cell into view; once it closes the names are shown from their start again.
    connect(delegate, &QAbstractItemDelegate::closeEditor, this, [this] { tree_->horizontalScrollBar()->setValue(0); });
    // Names and values share the width (FitColumns); each name is its own tooltip, and so is each value.
    tree_->header()->setStretchLastSection(false);
    tree_->setTextElideMode(Qt::ElideRight);
    tree_->viewport()->installEventFilter(this);
    description_->setWordWrap(true);
    description_->setMinimumHeight(48);
    description_->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    connect(tree_, &QTreeWidget::currentItemChanged, this, [this] { ShowDescription(); });
    connect(tree_, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) { EditValue(KeyOf(item)); });
}

void PropertyGrid::Build(std::vector<PropertySpec> specs) {
    tree_->clear();
    items_.clear();
    specs_.clear();
    for (auto& [key, item] : dateTimes_) item->deleteLater();
    dateTimes_.clear();
    for (const PropertySpec& s : specs) AddItem(s);
    tree_->expandAll();
    FitColumns();
}

void PropertyGrid::AddItem(const PropertySpec& spec) {
    QTreeWidgetItem* parent = spec.parent >= 0 ? Item(spec.parent) : nullptr;
    auto* item = parent ? new GridItem(parent) : new GridItem(tree_);
    specs_[spec.key] = spec;
    items_[spec.key] = item;
    item->setData(0, kKeyRole, spec.key);
    item->setData(0, kKindRole, int(spec.kind));
    item->setData(0, kRangeRole, QPoint(spec.lo, spec.hi));
    item->setData(1, kFilterRole, spec.fileFilter);
    SetName(item, spec.label ? spec.label() : QString());
    if (spec.kind == PropertyKind::Group) {
        item->setFirstColumnSpanned(true);
        QFont bold = item->font(0);
        bold.setBold(true);
        item->setFont(0, bold);
        return;
    }
    if (spec.kind == PropertyKind::List) item->setData(1, kOptionsRole, spec.options ? spec.options() : QStringList());
    if (spec.kind == PropertyKind::Spin) item->setText(1, QString::number(spec.lo));
    if (spec.kind == PropertyKind::Date || spec.kind == PropertyKind::Time) {
        const QString description = spec.description ? spec.description() : QString();
        auto* dt = new CMFCPropertyGridDateTimeProperty(item->text(0), description, spec.kind == PropertyKind::Date, this);
        dateTimes_[spec.key] = dt;
        item->setText(1, dt->FormatProperty());
        const int key = spec.key;
        connect(dt, &CPropertyGridItem::PropertyChanged, this, [this, key, dt] {
            Item(key)->setText(1, dt->FormatProperty());
            SetCurrentKey(key);
            Changed(key);
        });
    }
    const bool editable = spec.kind == PropertyKind::List || spec.kind == PropertyKind::Spin ||
                          spec.kind == PropertyKind::File;
    if (editable) item->setFlags(item->flags() | Qt::ItemIsEditable);
}

void PropertyGrid::Relabel() {
    for (auto& [key, spec] : specs_) {
        QTreeWidgetItem* item = items_[key];
        if (spec.label) SetName(item, spec.label());
        if (spec.kind != PropertyKind::List || !spec.relabelOptions || !spec.options) continue;
        const int index = GetOptionIndex(key);
        QStringList options = Options(key);
        const QStringList fresh = spec.options();
        for (qsizetype i = 0; i < std::min(options.size(), fresh.size()); ++i) options[i] = fresh[i];
        item->setData(1, kOptionsRole, options);
        if (index >= 0) item->setText(1, options[index]);
    }
    ShowDescription();
    FitColumns();
}

bool PropertyGrid::eventFilter(QObject* watched, QEvent* event) {
    if (watched == tree_->viewport() && (event->type() == QEvent::Resize || event->type() == QEvent::FontChange))
        FitColumns();
    return QWidget::eventFilter(watched, event);
}

void PropertyGrid::FitColumns() {
    fitPending_ = false;
    const QFontMetrics metrics(tree_->font());
    const int margins = 2 * (tree_->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, tree_) + 1) + 2;
    // The width of `text` whole, and of its first `count` characters with an ellipsis.
    auto width = [&](const QString& text, qsizetype count = -1) {
        const bool cut = count >= 0 && text.size() > count;
        return metrics.horizontalAdvance(cut ? text.left(count) + QChar(0x2026) : text) + margins;
    };
    int names = 0, leastNames = 0, values = 0, leastValues = 0;
    for (const auto& [key, item] : items_) {
        if (specs_[key].kind == PropertyKind::Group) continue;  // group titles span the row
        int indent = tree_->indentation();  // the root decoration
        for (const QTreeWidgetItem* p = item->parent(); p; p = p->parent()) indent += tree_->indentation();
        names = std::max(names, indent + width(item->text(0)));
        leastNames = std::max(leastNames, indent + width(item->text(0), kLeastNameCharacters));
        values = std::max(values, width(item->text(1)));
        leastValues = std::max(leastValues, width(item->text(1), kLeastValueCharacters));
    }
    // Names keep their width while everything fits. Otherwise the values keep theirs when the
    // names can still have half the row, else the row is halved; within that, each column keeps
    // its first characters where the row has room, the values' before the names'.
    const int room = tree_->viewport()->width();
    int nameWidth = names;
    if (names + values > room) {
        nameWidth = std::max({room - values, room / 2, leastNames});
        nameWidth = std::min({nameWidth, room - leastValues, names});
    }
    // Both sections set here: the hidden header would not stretch its last one to a new width.
    const int least = tree_->header()->minimumSectionSize();
    nameWidth = std::max(nameWidth, least);
    tree_->header()->resizeSection(0, nameWidth);
    tree_->header()->resizeSection(1, std::max(room - nameWidth, least));
}

void PropertyGrid::ScheduleFit() {
    if (fitPending_) return;
    fitPending_ = true;
    QTimer::singleShot(0, this, [this] {
        if (fitPending_) FitColumns();
    });
}

void PropertyGrid::SetDescriptionVisible(bool visible) { description_->setVisible(visible); }
bool PropertyGrid::DescriptionVisible() const { return !description_->isHidden(); }
QString PropertyGrid::DescriptionText() const { return description_->text(); }

void PropertyGrid::ShowDescription() {
    const int key = CurrentKey();
    if (key < 0) {
        description_->clear();
        return;
    }
    const PropertySpec& spec = specs_[key];
    const QString text = spec.description ? spec.description() : QString();
    description_->setText("<b>" + Name(key).toHtmlEscaped() + "</b><br>" + text.toHtmlEscaped());
}

QTreeWidgetItem* PropertyGrid::Item(int key) const {
    const auto it = items_.find(key);
    return it == items_.end() ? nullptr : it->second;
}

int PropertyGrid::KeyOf(const QTreeWidgetItem* item) const { return item ? item->data(0, kKeyRole).toInt() : -1; }
int PropertyGrid::CurrentKey() const { return KeyOf(tree_->currentItem()); }

void PropertyGrid::SetCurrentKey(int key) {
    if (QTreeWidgetItem* item = Item(key); item && tree_->currentItem() != item) tree_->setCurrentItem(item, 1);
}

QString PropertyGrid::Name(int key) const { return Item(key) ? Item(key)->text(0) : QString(); }
QString PropertyGrid::Value(int key) const { return Item(key) ? Item(key)->text(1) : QString(); }

void PropertyGrid::SetValue(int key, const QString& text) {
    QTreeWidgetItem* item = Item(key);
    if (!item || item->text(1) == text) return;
    item->setText(1, text);
    ScheduleFit();  // once, after a whole record is shown
}

int PropertyGrid::IntValue(int key) const { return Value(key).toInt(); }

void PropertyGrid::SetIntValue(int key, int value) { SetValue(key, QString::number(value)); }

uint16_t PropertyGrid::PackedValue(int key) const {
    const auto it = dateTimes_.find(key);
    return it == dateTimes_.end() ? 0 : it->second->GetPackedValue();
}

void PropertyGrid::SetPackedValue(int key, uint16_t word) {
    const auto it = dateTimes_.find(key);
    if (it == dateTimes_.end()) return;
    it->second->SetPackedValue(word);
    SetValue(key, it->second->FormatProperty());
}

QStringList PropertyGrid::Options(int key) const {
    return Item(key) ? Item(key)->data(1, kOptionsRole).toStringList() : QStringList();
}

void PropertyGrid::SetOptions(int key, const QStringList& options) {
    if (QTreeWidgetItem* item = Item(key)) item->setData(1, kOptionsRole, options);
}

int PropertyGrid::GetOptionIndex(int key) const { return int(Options(key).indexOf(Value(key))); }

void PropertyGrid::SelectOptionIndex(int key, int index) {
    const QStringList options = Options(key);
    if (index >= 0 && index < options.size()) SetValue(key, options[index]);
}

void PropertyGrid::SetItemEnabled(int key, bool enabled) {
    if (QTreeWidgetItem* item = Item(key)) item->setDisabled(!enabled);
}

bool PropertyGrid::IsItemEnabled(int key) const { return Item(key) && !Item(key)->isDisabled(); }

void PropertyGrid::Changed(int key) {
    tree_->horizontalScrollBar()->setValue(0);  // the edit is over: names from their start
    emit PropertyChanged(controlId_, key);
}

void PropertyGrid::CommitText(int key, const QString& text) {
    if (!Item(key)) return;
    SetCurrentKey(key);
    const PropertySpec& spec = specs_[key];
    if (spec.kind == PropertyKind::Spin) {
        bool ok = false;
        const qlonglong v = text.trimmed().toLongLong(&ok);
        if (!ok) return;  // not a number: the value stays
        SetIntValue(key, int(std::clamp<qlonglong>(v, spec.lo, spec.hi)));
    } else {
        SetValue(key, text);
    }
    Changed(key);
}

void PropertyGrid::ChooseOption(int key, int index) {
    if (!Item(key) || index < 0 || index >= Options(key).size()) return;
    SetCurrentKey(key);
    const bool changed = index != GetOptionIndex(key);
    SelectOptionIndex(key, index);
    if (changed) Changed(key);
    emit OptionChosen(controlId_, key);
}

void PropertyGrid::CommitPacked(int key, uint16_t word) {
    const auto it = dateTimes_.find(key);
    if (it == dateTimes_.end()) return;
    it->second->SetPackedValue(word);
    it->second->CommitEdit(it->second->Value());
}

bool PropertyGrid::EditValue(int key) {
    QTreeWidgetItem* item = Item(key);
    if (!item || item->isDisabled()) return false;
    const PropertyKind kind = specs_[key].kind;
    SetCurrentKey(key);
    if (kind == PropertyKind::Date || kind == PropertyKind::Time) {
        // The shared editor goes over the value's cell; drawing the value records that rectangle.
        QImage scratch(1, 1, QImage::Format_RGB32);
        QPainter painter(&scratch);
        CMFCPropertyGridDateTimeProperty* dt = dateTimes_[key];
        dt->OnDrawValue(&painter, tree_->visualItemRect(item).intersected(
                                      QRect(tree_->columnViewportPosition(1), 0, tree_->columnWidth(1), INT_MAX / 2)));
        return dt->CreateInPlaceEdit(tree_->viewport());
    }
    if (!(item->flags() & Qt::ItemIsEditable)) return false;
    tree_->editItem(item, 1);
    return true;
}

}  // namespace ledsuite
