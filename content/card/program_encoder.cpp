#include "content/card/program_encoder.h"

#include <algorithm>
#include <array>

#include "content/card/bitmap_image.h"
#include "content/render/font_tables.h"
#include "content/render/item_painters.h"
#include "content/model/lang.h"
#include "content/model/text_codec.h"

namespace ledsuite {
namespace {

using Place = ByteWriter::Place;

const LangText kNoSetsText{{u"没有节目集", u"沒有節目集", u"No Progarms"}};
const LangText kEmptySetText{{u"节目集 [%d] 没有节目", u"節目集 [%d] 沒有節目", u"Progarms[%d] have no program"}};
const LangText kEmptyProgramText{{u"节目集 [%d] 的节目 [%d] 没有内容", u"節目集 [%d] 的節目 [%d] 沒有內容",
                                  u"The program[%d] in progarms[%d] has no content"}};
const LangText kEncodeFailedText{{u"节目编码失败, 请重新编辑节目", u"節目編碼失敗, 請重新編輯節目",
                                  u"Failed to code the program, \r\nplease re-edit the progarm"}};

// The text with each "%d" replaced by the next number.
std::u16string FormatNumbers(std::u16string_view format, std::initializer_list<uint32_t> numbers) {
    std::u16string out;
    auto next = numbers.begin();
    for (size_t i = 0; i < format.size(); ++i) {
        if (format.substr(i, 2) == u"%d" && next != numbers.end()) {
            out += FormatIntStatic(int(*next++));
            ++i;
        } else {
            out += format[i];
        }
    }
    return out;
}

bool HasClockCells(const TextContent& text) {
    const int n = CountCells(text);
    return std::any_of(text.cells.begin(), text.cells.begin() + n, [](const TextCell& c) { return c.code == FC_CLOCK; });
}

// Stand-ins for field cells that lost their object: the record is still written,
// so that the records keep matching the cells of the code stream one to one.
const AdcField kNoAdc{};
const TimerField kNoTimer{};
const CounterField kNoCounter{};
const PictureObject kNoPicture{};
const ClockObject kNoClock{};

template <class T>
const T& ObjectOr(const CellObject* object, const T& none) {
    const T* p = dynamic_cast<const T*>(object);
    return p ? *p : none;
}

// The rendered form of a system-font text: the clock table, the code stream,
// the picture entries with their field records, the pictures and the clock blocks.
// A failure fails the image.
void WriteRenderedText(ProgramImage& image, RenderContext& rc, const ProgramRecord& program,
                       const HardwareParams& screen, const ContentBody& body, std::vector<PendingItem>& items) {
    RenderedText r;
    if (RenderTextPictures(rc, program.content, program.mainAction.effect, program.width(), program.height(),
                           screen.colorCode, image.writer().remaining(), r) < 0) {
        image.Fail();
        return;
    }

    std::vector<std::pair<int32_t, int32_t>> clockAt;
    for (const FieldPosition& c : r.clocks) clockAt.emplace_back(c.x, c.y);
    const std::vector<Place> clockPlaces = clockAt.empty() ? std::vector<Place>{} : WriteClockTable(image, clockAt);
    if (SerializeTextForCard(program.content, image.writer()) < 0) image.Fail();

    std::vector<Place> picturePlaces;
    for (const TextPicture& pic : r.pictures) {
        picturePlaces.push_back(WritePictureEntry(image, pic.x, pic.y));
        for (const FieldPosition& f : pic.fields) {
            const char16_t code = f.cell->code;
            const int type = CardFieldType(code);
            if (type < 0) continue;
            const uint32_t attr = CellAttrValue(*f.cell);
            const uint8_t color = code == FC_PICTURE ? 5 : FieldColorCode(attr);
            const Place place = WriteFieldRecord(image, color, uint8_t(type), f.x, f.y);
            PendingItem item{kItemGlyphSet, FieldTableOf(code), attr & ~CellAttr::ColorMask, place,
                             f.cell->obj.get(), nullptr};
            if (code == FC_PICTURE) item.kind = kItemPicture;
            if (code == FC_ADC) item.kind = kItemAdc;
            if (code == FC_TIMER) item.kind = kItemTimer;
            if (code == FC_COUNTER) item.kind = kItemCounter;
            items.push_back(item);
        }
        EndPictureEntry(image);
    }
    EndPictureEntries(image);
    for (size_t i = 0; i < r.pictures.size() && image.ok(); ++i) {
        image.Patch(picturePlaces[i], WritePicture(image, r.pictures[i].image, screen.colorCode));
        r.pictures[i].image = RawImage{};
    }
    for (size_t i = 0; i < r.clocks.size() && image.ok(); ++i) {
        const ClockObject& clock = ObjectOr(r.clocks[i].cell->obj.get(), kNoClock);
        FrameVector drawn;
        RawImage face = ClockToImage(clock, false);
        if (face.hasPixels()) drawn.push_back(std::make_unique<RawImage>(std::move(face)));
        image.Patch(clockPlaces[i], WriteClockBlock(image, clock, drawn, screen.colorCode));
    }
    SetTextSize(image, body.textHead, r.size.width, r.size.height);
}

FieldRecordPlace WriteTimer(ProgramImage& image, RenderContext& rc, const TimerField& field, uint16_t colorCode) {
    std::array<RawImage, 4> labels;
    TimerLabels drawn;
    for (size_t k = 0; k < labels.size(); ++k) {
        const std::u16string label = TimerLabelText(field, int(k));
        if (label.empty()) continue;
        labels[k] = RenderTextImage(rc, label, field.attr);
        drawn.images[k] = &labels[k];
    }
    drawn.digitWidth = rc.measurer.CharWidth(u'J', field.attr, false);
    return WriteTimerRecord(image, field, drawn, colorCode);
}

}  // namespace

int CheckProgramTree(const ProgramTree& tree, uint32_t* errorPosition) {
    if (errorPosition) *errorPosition = 0;
    const auto& sets = tree.sets();
    if (sets.empty()) return kEncodeNoSet;
    for (size_t s = 0; s < sets.size(); ++s) {
        if (sets[s].programs.empty()) {
            if (errorPosition) *errorPosition = uint32_t(s) << 16;
            return kEncodeEmptySet;
        }
        for (size_t p = 0; p < sets[s].programs.size(); ++p) {
            const ProgramNode& program = sets[s].programs[p];
            if (program.kind() != kKindLyricShow && CountCells(program.record->content) == 0) {
                if (errorPosition) *errorPosition = uint32_t(s) << 16 | uint32_t(p);
                return kEncodeEmptyProgram;
            }
        }
    }
    return 0;
}

std::u16string FormatEncodeError(int result, uint32_t errorPosition) {
    const uint32_t set = (errorPosition >> 16) + 1, program = (errorPosition & 0xFFFF) + 1;
    switch (result) {
        case kEncodeNoSet: return kNoSetsText();
        case kEncodeEmptySet: return FormatNumbers(kEmptySetText(), {set});
        case kEncodeEmptyProgram:
            if (UiLanguageIndex() == 2) return FormatNumbers(kEmptyProgramText(), {program, set});
            return FormatNumbers(kEmptyProgramText(), {set, program});
        default: return kEncodeFailedText();
    }
}

int32_t BuildProgramImage(uint8_t* buffer, uint32_t* errorPosition, const ProgramTree& tree, size_t limit,
                          const EncodeHooks& hooks) {
    if (errorPosition) *errorPosition = 0;
    if (!buffer || limit < kPagedImageLimit || tree.sets().empty()) return kEncodeNoSet;
    if (tree.screen().cardType == 0) return BuildBitmapProgramImage(tree, errorPosition, buffer, limit);
    if (const int check = CheckProgramTree(tree, errorPosition)) return check;

    ProgramImage image(buffer, limit);
    std::vector<PendingContent> contents;
    if (WriteImageSkeleton(image, tree, contents) < 0) return kEncodeTooLarge;
    FontRenderer fonts;
    const FontTables faces = MakeFaceLists<FontTables>();
    RenderContext rc(fonts, faces);
    std::vector<PendingItem> items;
    std::vector<size_t> actions;
    std::vector<VoiceProgram> voice;
    if (EncodeProgramContents(image, rc, contents, items, actions, tree.screen()) < 0 ||
        WritePendingItems(image, rc, items, actions, tree.screen(), voice) < 0)
        return kEncodeTooLarge;
    const int32_t length = WriteImageEnd(image);
    if (length > 0 && hooks.voicePass && !voice.empty()) {
        hooks.voicePass(image, size_t(length), voice, hooks.progress);
        StoreImageCrc(buffer, size_t(length));
    }
    return length;
}

int EncodeProgramContents(ProgramImage& image, RenderContext& rc, std::span<const PendingContent> contents,
                          std::vector<PendingItem>& items, std::vector<size_t>& actions,
                          const HardwareParams& screen) {
    const uint8_t byteOrder = ByteOrderFlag(screen);
    for (const PendingContent& c : contents) {
        const ProgramRecord& program = *c.program;
        const TextHeader& header = program.content.header;
        const uint8_t form = TextFormOf(header, header.fontSet == 0 && HasClockCells(program.content));
        const ContentBody body = WriteContentBody(image, program, screen, c.body, form);
        if (!image.ok()) return kEncodeTooLarge;
        // A border item needs its offset word and its program; a voice item only its program and
        // the offset of its sound place.
        if (EffectiveBorderType(program))
            items.push_back({.kind = kItemBorder, .place = body.border, .program = &program});
        if (body.soundPlace && (screen.cardSubtype == 2 || screen.cardSubtype == 3))
            items.push_back({.kind = kItemVoice, .place = {.offset = body.soundPlace}, .program = &program});
        actions.insert(actions.end(), body.actions.begin(), body.actions.begin() + body.actionCount);

        if (form == kTextFormLyric) continue;
        if (form == kTextFormCommands) {
            WriteCommandStreamHead(image, header, byteOrder);
            const CellSize size = EncodeCommandStream(image, rc, program.content, program.width(),
                                                      program.height(), program.mainAction.effect, byteOrder, 0, 0,
                                                      items);
            SetTextSize(image, body.textHead, size.width, size.height);
        } else {
            WriteRenderedText(image, rc, program, screen, body, items);
        }
        if (!image.ok()) return kEncodeTooLarge;
    }
    return 0;
}

int32_t WritePictureFrames(ProgramImage& image, const PictureObject& picture, uint16_t colorCode) {
    FrameVector frames;
    for (const auto& frame : picture.frames.frames) {
        if (!frame) continue;
        const bool scale = frame->displayWidth != frame->width || frame->displayHeight != frame->height;
        std::unique_ptr<RawImage> shown = scale ? ScaleImage(*frame) : nullptr;
        frames.push_back(shown ? std::move(shown) : std::make_unique<RawImage>(*frame));
    }
    return WriteImageSet(image, frames, colorCode);
}

int WritePendingItems(ProgramImage& image, RenderContext& rc, std::vector<PendingItem>& items,
                      std::span<const size_t> actions, const HardwareParams& screen,
                      std::vector<VoiceProgram>& voice) {
    const uint16_t colorCode = screen.colorCode;
    std::vector<PendingItem> glyphSets, codeTables;
    // Field records queue their glyph sets behind the items, so the list grows here.
    for (size_t i = 0; i < items.size() && image.ok(); ++i) {
        const PendingItem item = items[i];
        auto queueDigits = [&](const FieldRecordPlace& rec, uint32_t attr) {
            items.push_back({kItemGlyphSet, kFieldTableDigits, attr & ~CellAttr::ColorMask, rec.glyphSet, nullptr,
                             nullptr});
            return rec.offset;
        };
        int32_t at = kEncodeTooLarge;
        switch (item.kind) {
            case kItemPicture: at = WritePictureFrames(image, ObjectOr(item.object, kNoPicture), colorCode); break;
            case kItemBorder: at = WriteBorderBlock(image, *item.program, colorCode); break;
            case kItemAdc: {
                const AdcField& f = ObjectOr(item.object, kNoAdc);
                at = queueDigits(WriteAdcRecord(image, f), f.attr);
                break;
            }
            case kItemTimer: {
                const TimerField& f = ObjectOr(item.object, kNoTimer);
                at = queueDigits(WriteTimer(image, rc, f, colorCode), f.attr);
                break;
            }
            case kItemCounter: {
                const CounterField& f = ObjectOr(item.object, kNoCounter);
                at = queueDigits(WriteCounterRecord(image, f), f.attr);
                break;
            }
            case kItemGlyphSet: glyphSets.push_back(item); continue;
            case kItemCodeTable: codeTables.push_back(item); continue;
            case kItemVoice: voice.push_back({item.program, item.place.offset}); continue;
            default: break;
        }
        image.Patch(item.place, at);
    }

    DissolveRandom random;
    for (size_t a : actions) CompleteCardAction(image, a, colorCode, random);
    const GlyphRenderer renderer = CardGlyphRenderer(rc);
    for (const PendingItem& g : glyphSets)
        if (image.ok()) image.Patch(g.place, WriteGlyphSet(image, FieldTable(g.subKind), g.attr, renderer));
    for (const PendingItem& t : codeTables)
        if (image.ok()) image.Patch(t.place, WriteCodeTable(image, FieldTable(t.subKind)));
    return image.ok() ? 0 : kEncodeTooLarge;
}

}  // namespace ledsuite
