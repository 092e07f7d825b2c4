#pragma once
// COutlookBar: the navigation bar on the frame's left: a dock holding the navigation
// pages one above the other ("Program Manager", then "Program Release" when the
// multi-screen page is built). A change of the active page sends IMC_SET_VIEW_MODE
// with the new page index to its channel (the main frame's relay).
#include <QDockWidget>

#include "content/imc_codes.h"

class QToolBox;

namespace ledsuite {

class COutlookBar : public QDockWidget {
    Q_OBJECT
public:
    COutlookBar(QWidget* parent, InternalChannel* channel);

    // Adds a page; its index.
    int AddPage(QWidget* page, const QString& label);
    int PageCount() const;
    QString PageLabel(int index) const;
    void SetPageLabel(int index, const QString& label);
    void SetActivePage(int index);
    QToolBox* Pages() const { return pages_; }

private:
    InternalChannel* channel_;
    QToolBox* pages_;
    bool adding_ = false;  // pages being added do not change the mode
};

}  // namespace ledsuite
