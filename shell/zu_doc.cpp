#include "shell/zu_doc.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "shell/shell_texts.h"
#include "toolkit/qt_text.h"

namespace ledsuite {

bool CZUDoc::DoFileSave() {
    if (channel_) channel_->send(IMC_FILE_SAVE, 0);
    return false;
}

void CZUDoc::SetTitle(const QString&) { title_ = ToQString(kAppTitle); }

CAboutDlg::CAboutDlg(QWidget* parent) : CDialogFx(parent), text_(new QLabel(this)), ok_(new QPushButton(this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 12, 16, 12);
    layout->addWidget(text_);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok_);
    layout->addLayout(buttons);
    connect(ok_, &QPushButton::clicked, this, &CAboutDlg::accept);
    ok_->setDefault(true);
    SetClientSize(QSize(360, 90));
}

bool CAboutDlg::OnInitDialog() {
    if (!CDialogFx::OnInitDialog()) return false;
    setWindowTitle(ToQString(kAboutCaption));
    text_->setText(ToQString(kAboutText));
    ok_->setText(ToQString(kOkButton));
    return true;
}

}  // namespace ledsuite
