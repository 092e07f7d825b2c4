#pragma once
// CZUDoc: the document of the single-document frame. It holds no data (the program tree
// lives in the single-screen page): it forwards File > Save to the page through the relay
// and supplies the window title. CAboutDlg: Help > About.
#include <QString>

#include "content/imc_codes.h"
#include "toolkit/dialog_fx.h"

class QLabel;
class QPushButton;

namespace ledsuite {

class CZUDoc {
public:
    explicit CZUDoc(InternalChannel* channel) : channel_(channel) {}

    // File > New on the open frame: nothing to initialise.
    bool OnNewDocument() { return true; }
    // Sends IMC_FILE_SAVE without a path (the page asks for one); the framework's own
    // save never runs, so the answer is always false.
    bool DoFileSave();
    // The language's title, whatever the argument.
    void SetTitle(const QString& ignored = {});
    const QString& Title() const { return title_; }

private:
    InternalChannel* channel_;
    QString title_;
};

class CAboutDlg : public CDialogFx {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);
    QLabel* Text() const { return text_; }
    QPushButton* OkButton() const { return ok_; }

protected:
    bool OnInitDialog() override;

private:
    QLabel* text_;
    QPushButton* ok_;
};

}  // namespace ledsuite
