#include "shell/outlook_bar.h"

#include <QScopedValueRollback>
#include <QToolBox>

namespace ledsuite {

namespace {
constexpr int kInitialWidth = 180;
}  // namespace

COutlookBar::COutlookBar(QWidget* parent, InternalChannel* channel)
    : QDockWidget(parent), channel_(channel), pages_(new QToolBox(this)) {
    setObjectName(QStringLiteral("Outlook Bar"));
    // The bar stays: without it the program tree could not be reached again.
    setFeatures(QDockWidget::DockWidgetMovable);
    setAllowedAreas(Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea);
    setWidget(pages_);
    pages_->setMinimumWidth(kInitialWidth);
    QFont bold = pages_->font();
    bold.setBold(true);
    pages_->setFont(bold);
    connect(pages_, &QToolBox::currentChanged, this, [this](int index) {
        if (!adding_ && channel_ && index >= 0) channel_->send(IMC_SET_VIEW_MODE, index);
    });
}

int COutlookBar::AddPage(QWidget* page, const QString& label) {
    const QScopedValueRollback guard(adding_, true);
    QFont normal = page->font();
    normal.setBold(false);
    page->setFont(normal);  // only the page buttons are bold
    return pages_->addItem(page, label);
}

int COutlookBar::PageCount() const { return pages_->count(); }
QString COutlookBar::PageLabel(int index) const { return pages_->itemText(index); }
void COutlookBar::SetPageLabel(int index, const QString& label) { pages_->setItemText(index, label); }
void COutlookBar::SetActivePage(int index) { pages_->setCurrentIndex(index); }

}  // namespace ledsuite
