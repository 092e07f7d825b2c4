#pragma once
// The icon picker: a button holding candidate pictures (resource bitmaps, the pictures
// of "zu_img", picture files the user adds). Pressing it opens a popup grid of the
// pictures with "More..." and "Custom" below; the pick goes back to the picker and on
// to the picker's parent as internal messages, a code and an argument in a Qt signal.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include <QPixmap>
#include <QPointer>
#include <QPushButton>
#include <QVariant>

#include "content/model/raw_image.h"
#include "content/imc_codes.h"

namespace ledsuite {

// Internal message codes of the picker. The parent gets IMC_ICON_PICKED (or the
// notify code its picker was given) with argument 0 after a pick; the popup sends the
// picker IMC_ICON_PICK_SELECT with a cell index or one of the results below, and
// IMC_ICON_PICK_FILE with the path (a QString) of a file chosen under "Custom".
inline constexpr int kIconPickMore = -1;
inline constexpr int kIconPickCustom = -2;
inline constexpr int kIconPickCancel = -3;  // Esc, or the popup closed by a click elsewhere

// The popup grid for `count` pictures: columns = floor(sqrt(count)) + 1,
// rows = count / columns rounded up.
struct IconGrid {
    int columns = 0;
    int rows = 0;
};
IconGrid IconGridSize(size_t count);

enum IconEntryKind : uint32_t {
    kIconFromFile = 0,  // loaded from a picture file; the file is read again for the frames
    kIconBitmap = 1,    // only a bitmap (a resource or a pixmap handed in)
};
struct IconEntry {
    QPixmap bitmap;
    uint32_t kind = kIconBitmap;
    std::string path;  // kIconFromFile: the picture file (any length)
};

class CIconPicker;

// A cell of the popup, or (without a bitmap) one of its two text buttons. Drawn by
// hand: white, light blue with a dark frame while the mouse is over it.
class CInnerButton : public QPushButton {
    Q_OBJECT
public:
    CInnerButton(int id, const QPixmap& bitmap, const QString& text, QWidget* parent);
    int Id() const { return id_; }
    bool Hovered() const { return hover_; }

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    int id_;
    QPixmap bitmap_;  // null for a text button
    bool hover_ = false;
};

// The popup: one cell per picture of the picker, row by row, then "More..." and "Custom".
class CIconContainer : public QWidget {
    Q_OBJECT
public:
    static constexpr int kFirstCellId = 10000;  // cell i has id 10000 + i
    static constexpr int kMoreId = 9999;
    static constexpr int kCustomId = 9998;

    explicit CIconContainer(CIconPicker* picker);
    // Builds the popup with its top-left at the screen point (x, y); a picker without
    // pictures gets only "More..." and "Custom".
    virtual bool Create(int x, int y);

    int Columns() const { return grid_.columns; }
    int Rows() const { return grid_.rows; }
    int CellWidth() const { return cellWidth_; }
    int CellHeight() const { return cellHeight_; }
    // The cell or text button with the id; null when there is none.
    CInnerButton* Button(int id) const;

    // A button was clicked: its id less 10000 is the result. "Custom" first asks the
    // picker's file chooser for a picture file and sends its path.
    void OnCommand(int id);
    // Hides the popup, repaints what it covered in the picker's parent and reports
    // the result with IMC_ICON_PICK_SELECT (once).
    void ClosePopup(int result);

signals:
    void InternalMessage(int code, const QVariant& argument);

protected:
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void HidePopup();

    CIconPicker* picker_;
    IconGrid grid_;
    int cellWidth_ = 0, cellHeight_ = 0;
    bool closed_ = false;
};

class CIconPicker : public QPushButton {
    Q_OBJECT
public:
    // Asks for a picture file; an empty string when the user cancels.
    using FileChooser = std::function<QString(QWidget* parent)>;

    explicit CIconPicker(QWidget* parent = nullptr);

    // Each appends one entry and answers whether it did.
    // A bitmap read by QPixmap (a Qt resource ":/..." or a file).
    bool AddBitmapResource(const QString& name);
    // A null pixmap is ignored.
    bool AddBitmapHandle(const QPixmap& bitmap);
    // A picture file (every frame kept for CreateItemImage); the entry shows its first
    // frame at its display size. A file that does not load adds nothing.
    bool AddImageFile(const std::string& path);
    // Every picture of the resource folder (ScanImageFolder); the number added.
    size_t AddFolderImages(const std::string& folder = "zu_img");

    // The frames of entry `index` for a picture cell: a bitmap entry as one image, a
    // file entry as the frames loaded from its file again. Empty for an index out of
    // range or a file that no longer loads.
    FrameVector CreateItemImage(int index) const;

    // Opens the popup at the screen point, unless it is open already.
    void ShowPopup(const QPoint& screenPoint);
    // What the popup reports: a cell index becomes the selection and the parent gets
    // the notify code; any IMC_ICON_PICK_SELECT closes the popup. A chosen file is
    // appended (not selected).
    void OnInternalMessage(int code, const QVariant& argument);

    int Selection() const { return selection_; }
    const std::vector<IconEntry>& Entries() const { return entries_; }
    uint16_t NotifyCode() const { return notifyCode_; }
    void SetNotifyCode(uint16_t code) { notifyCode_ = code; }
    bool PopupOpen() const { return popupOpen_; }
    CIconContainer* Popup() const { return popup_; }

    // Replaces the file dialog of "Custom" (tests, or a caller with its own chooser).
    void SetFileChooser(FileChooser chooser) { chooser_ = std::move(chooser); }
    QString ChooseFile() const;

signals:
    void InternalMessage(int code, const QVariant& argument);

protected:
    // The left button opens the popup below the picker; the button's own click does not run.
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    int selection_ = 0;
    std::vector<IconEntry> entries_;
    uint16_t notifyCode_ = IMC_ICON_PICKED;
    bool popupOpen_ = false;
    QPointer<CIconContainer> popup_;
    FileChooser chooser_;
};

}  // namespace ledsuite
