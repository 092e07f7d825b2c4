#include "toolkit/property_grid.h"

#include <algorithm>
#include <climits>

#include <QComboBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QSpinBox>
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

// The in-place editors of list, number and file items; their commits go to the grid.
class PropertyDelegate : public QStyledItemDelegate {
public:
    explicit PropertyDelegate(PropertyGrid* grid) : QStyledItemDelegate(grid), grid_(grid) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex& index) const override {
        const int key = index.siblingAtColumn(0).data(kKeyRole).toInt();
        const QString filter = index.data(kFilterRole).toString();
        switch (PropertyKind(index.siblingAtColumn(0).data(kKindRole).toInt())) {
            case PropertyKind::List: {
                auto* combo = new QComboBox(parent);
                combo->addItems(grid_->Options(key));
                combo->setCurrentIndex(grid_->GetOptionIndex(key));
                auto* self = const_cast<PropertyDelegate*>(this);
                connect(combo, &QComboBox::activated, self, [self, combo] {
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
    void setModelData(QWidget* editor, QAbstractItemModel*, const QModelIndex& index) const override {
        const int key = index.siblingAtColumn(0).data(kKeyRole).toInt();
        if (auto* combo = qobject_cast<QComboBox*>(editor)) {
            grid_->ChooseOption(key, combo->currentIndex());
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
    tree_->setItemDelegateForColumn(1, new PropertyDelegate(this));
    // The names keep their whole width (the values get what is left), and each name is its
    // own tooltip as well.
    tree_->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    tree_->header()->setStretchLastSection(true);
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
}

void PropertyGrid::AddItem(const PropertySpec& spec) {
    QTreeWidgetItem* parent = spec.parent >= 0 ? Item(spec.parent) : nullptr;
    auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(tree_);
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
    if (QTreeWidgetItem* item = Item(key)) item->setText(1, text);
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

void PropertyGrid::Changed(int key) { emit PropertyChanged(controlId_, key); }

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
