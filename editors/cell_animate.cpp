// "To Animate": selected plain text becomes picture cells whose frames animate it.
// Kinds 0-4 turn the whole selection into one picture of two frames (one for Frame);
// kinds 5-7 turn each character into its own picture whose frames move it.
#include <algorithm>

#include "content/render/item_painters.h"
#include "editors/cell_editor.h"

namespace ledsuite {

namespace {

// Every frame's three thresholds: any lit pixel of the drawn text counts.
constexpr uint8_t kAnimThreshold = 2;
// Each character of a bubbling run waits this much longer than the one before it.
constexpr int kBubblePauseStep = 15;

void SetThresholds(FrameVector& frames) {
    for (auto& f : frames.frames)
        if (f) f->redThreshold = f->greenThreshold = f->blueThreshold = kAnimThreshold;
}

void Outline(Surface& s) {
    s.SetPen(Pen{PenStyle::Solid, 1, 0xFFFFFF});
    const int r = s.width() - 1, b = s.height() - 1;
    s.MoveTo(0, 0);
    s.LineTo(r, 0);
    s.LineTo(r, b);
    s.LineTo(0, b);
    s.LineTo(0, 0);
    s.SetPixel(0, 0, 0xFFFFFF);
}

// The cells drawn left to right from x0, each standing on `baseline`.
void DrawRun(RenderContext& rc, Surface& s, std::span<const TextCell> cells, std::span<const CellSize> sizes, int x0,
             int baseline, bool card) {
    int x = x0;
    for (size_t i = 0; i < cells.size(); ++i) {
        const CellSize e = sizes[i];
        if (SelectCellFont(rc, s, cells[i], card))
            DrawCell(rc, s, cells[i], {x, baseline - e.height, x + e.width, baseline});
        x += e.width;
    }
}

CellSize RunSize(std::span<const CellSize> sizes) {
    CellSize run;
    for (const CellSize& e : sizes) {
        run.width += e.width;
        run.height = std::max(run.height, e.height);
    }
    return run;
}

}  // namespace

std::unique_ptr<PictureObject> CellEditor::AnimateRun(int kind, int lo, int hi) {
    const bool card = CardFonts();
    std::vector<TextCell> cells;
    std::vector<CellSize> sizes;
    for (int i = lo; i < hi; ++i) {
        cells.emplace_back(text_->cells[size_t(i)].code, text_->cells[size_t(i)].attr);
        sizes.push_back(CellExtent(cells.back(), rc_.measurer, card, card));
    }
    const CellSize pic = RunSize(sizes);
    Surface s(pic.width, pic.height, 0);
    if (s.width() == 0) return nullptr;
    DrawRun(rc_, s, cells, sizes, 0, pic.height, card);
    if (kind == kAnimFrame) Outline(s);
    auto picture = std::make_unique<PictureObject>();
    picture->frames.push_back(std::make_unique<RawImage>(CreateImageFromHBitmap(s)));
    auto second = std::make_unique<RawImage>(*picture->frames[0]);
    switch (kind) {
    case kAnimTwinkle: FillImage(*second, 0); break;
    case kAnimFlash: InvertImageRect(*second, 0, 0, second->width, second->height); break;
    case kAnimTwinkleFrame:
        Outline(s);
        *second = CreateImageFromHBitmap(s);
        break;
    case kAnimHeartBeat: {
        // The run again at 8/10 of each size (not below 8), centred both ways.
        s.Fill(0);
        for (size_t i = 0; i < cells.size(); ++i) {
            SetCellFontSize(cells[i], std::max(8, CellFontSize(cells[i]) * 8 / 10));
            sizes[i] = CellExtent(cells[i], rc_.measurer, card, card);
        }
        const CellSize small = RunSize(sizes);
        const int top = (pic.height - small.height) / 2;
        DrawRun(rc_, s, cells, sizes, (pic.width - small.width) / 2, top + small.height, card);
        *second = CreateImageFromHBitmap(s);
        break;
    }
    default: second.reset(); break;  // Frame: one frame
    }
    if (second) picture->frames.push_back(std::move(second));
    return picture;
}

void CellEditor::AnimateEach(int kind, int lo, int hi) {
    const bool card = CardFonts();
    const int n = hi - lo;
    for (int i = lo; i < hi; ++i) {
        TextCell& cell = text_->cells[size_t(i)];
        RawImage render = RenderCellImages(rc_, card, cell);
        if (!render.hasPixels()) continue;
        const int k = i - lo + 1;
        const int q = render.height / 4;
        auto picture = std::make_unique<PictureObject>();
        const int count = kind == kAnimBubbleUp ? 2 : 4;
        for (int f = 0; f < count; ++f) picture->frames.push_back(std::make_unique<RawImage>(render));
        auto& frames = picture->frames;
        if (kind == kAnimBubbleUp) {
            frames[0]->pause = uint8_t(kBubblePauseStep * k);
            frames[1]->pause = uint8_t(kBubblePauseStep * (n + 1) - kBubblePauseStep * k);
            frames[0]->placeX = 0;
            frames[1]->placeX = uint16_t(-q);
        } else {
            // Successive characters one phase apart: +q in frame k mod 4, -q two frames later.
            uint16_t RawImage::*place = kind == kAnimWave ? &RawImage::placeY : &RawImage::placeX;
            frames[size_t(k % 4)]->*place = uint16_t(q);
            frames[size_t((k + 2) % 4)]->*place = uint16_t(-q);
        }
        SetThresholds(picture->frames);
        FreeCellObject(cell);
        cell.code = FC_PICTURE;
        cell.attr = 0;
        cell.obj = std::move(picture);
    }
}

int CellEditor::ToAnimate(int kind) {
    if (!text_ || kind < kAnimTwinkle || kind > kAnimTurbulence || !SelectionIsPlainText()) return 0;
    const int lo = std::min(caret_, anchor_);
    const int hi = std::min(std::max(caret_, anchor_), CountCells(*text_));  // the whole selection, cell 2047 too
    if (kind >= kAnimWave) {
        AnimateEach(kind, lo, hi);
    } else {
        std::unique_ptr<PictureObject> picture = AnimateRun(kind, lo, hi);
        if (!picture) return 0;
        DeleteSelection();
        PictureObject* p = picture.get();
        if (!InsertObjectCell(FC_PICTURE, std::move(picture))) return 0;
        FitFramesToHeight(p->frames, int(CellAttr::SizeOf(currentAttr_)));
        SetThresholds(p->frames);
    }
    Relayout();
    Redraw();
    return 1;
}

}  // namespace ledsuite
