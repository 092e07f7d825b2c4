#pragma once
// "Download lyric": the choice among the matches of a lyric search, with a new search by
// title on either server. Its result is the chosen row, or -1 when cancelled.
#include <vector>

#include "music/lyric_search.h"
#include "toolkit/dialog_fx.h"

class QComboBox;
class QLineEdit;
class QPushButton;

namespace ledsuite {

class CMyListCtrl;

class CSelLrcDlg : public CDialogFx {
    Q_OBJECT
public:
    // `matches` is shown and replaced by a new search; `server` takes the Server choice.
    CSelLrcDlg(std::vector<LyricMatch>& matches, LyricServerConfig& server, QWidget* parent = nullptr);

    int Chosen() const { return chosen_; }
    CMyListCtrl* List() const { return list_; }
    QComboBox* ServerBox() const { return serverBox_; }
    QLineEdit* TitleEdit() const { return title_; }
    QPushButton* SearchButton() const { return search_; }
    void Search();

protected:
    bool OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;

private:
    void Fill();

    std::vector<LyricMatch>& matches_;
    LyricServerConfig& server_;
    int chosen_ = -1;
    CMyListCtrl* list_;
    QComboBox* serverBox_;
    QLineEdit* title_;
    QPushButton* search_;
};

}  // namespace ledsuite
