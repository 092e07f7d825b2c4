#pragma once
// Setting > Preference: the row colours of the vehicle and program lists by status, on
// the run's 128-byte preference block (low four bits of bytes 1 to 8, one combo each).
#include <array>
#include <cstdint>

#include "toolkit/color_combo.h"
#include "toolkit/dialog_fx.h"

namespace ledsuite {

class ServerSession;

inline constexpr size_t kPreferenceBlockSize = 128;
using PreferenceBlock = std::array<uint8_t, kPreferenceBlockSize>;

// The combo control of block bytes 1 to 8 (bytes 4 and 5 are crossed over).
inline constexpr std::array<int, 8> kPreferenceCombos = {1324, 1325, 1326, 1328, 1327, 1329, 1330, 1331};
// Writes a colour index into the low four bits of a block byte, keeping the high four.
void SetPreferenceColor(PreferenceBlock& block, int byteIndex, int colorIndex);

class DlgPreference : public CDialogFx {
    Q_OBJECT
public:
    enum : int { kSaveId = 1338, kDefaultId = 1340 };

    // "Save" uploads the session's group table (null: no connection).
    DlgPreference(QWidget* parent, PreferenceBlock* block, ServerSession* server);

    // The combo of a control id (1324-1331), or null.
    CComboBoxColor* Combo(int controlId) const;
    // "Save": true when the upload did not fail; a refused or failed upload says why.
    bool Save();
    // "Default": the block as it was at this opening.
    void RestoreDefault();

protected:
    bool OnInitDialog() override;

private:
    void ShowBlock();

    PreferenceBlock* block_;
    PreferenceBlock opening_{};
    ServerSession* server_;
    std::array<CComboBoxColor*, 8> combos_{};
};

}  // namespace ledsuite
