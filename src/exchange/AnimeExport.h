// Handing the sheet to games and other tools: the composed sheet scaled by
// pixel repetition with the data that says where each frame is, animation
// slots as animated GIF or WebP, and one picture per cell, layer or step.
#pragma once

#include "doc/ImageEx.h"
#include "platform/DialogModel.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class CTesvanDoc;

constexpr int kMinExportScale = 1;
constexpr int kMaxExportScale = 16;

enum class AnimeExportError {
    None,
    BadScale,          // scale outside 1..16
    NoSlot,            // no slot of that number or name
    EmptySlot,         // the slot plays no cell of the sheet
    NoImage,           // no layer holds an image
    UnknownType,       // the name's extension names no picture form
    NoPlaceholder,     // per-picture export without a placeholder
    SameNames,         // two pictures would get one name
    NothingToWrite,    // the placeholders select no picture
    TooLarge,          // the scaled picture exceeds what the form holds
    OutOfMemory,
    WriteFailed,       // the file could not be written
    Cancelled,
};

// The message the window shows for an error; `path` names the file.
std::string AnimeExportErrorText(AnimeExportError error, const std::string& path);

// Called with the pictures done and the total; false cancels.
using ExportProgress = std::function<bool(int done, int total)>;

// A copy of src enlarged `scale` times by repeating pixels (depth, colour
// table, alpha flag and transparent index kept). False when memory runs out.
bool ScaleImage(const CImageEx& src, int scale, CImageEx& out);
// The rectangle (x, y, w, h) of src, scaled.
bool CutScaled(const CImageEx& src, int x, int y, int w, int h, int scale, CImageEx& out);

// ---- sprite-sheet data
struct SheetFrame {
    int x = 0, y = 0, w = 0, h = 0;   // in the scaled sheet
    int durationMs = 0;
};
struct SheetTag {
    std::string name;
    int from = 0, to = 0;             // inclusive frame indexes
    std::string direction;            // "forward", "reverse", "pingpong"
};
struct SheetLayer {
    std::string name;
    int opacity = 255;
};
struct SheetData {
    std::string image;                // the sheet's file name, no folder
    int width = 0, height = 0;        // scaled sheet size
    int scale = 1;
    // The cells in reading order (100 ms each), then for each slot playing
    // cells one frame per step of its list (steps whose cell lies beyond the
    // sheet left out), at the slot's step time.
    std::vector<SheetFrame> frames;
    std::vector<SheetTag> tags;       // one per slot with frames
    std::vector<SheetLayer> layers;   // the layers the composition shows, bottom first
    bool indexed = false;             // the sheet picture holds palette indexes
};
SheetData BuildSheetData(const CTesvanDoc& doc, const std::string& imagePath, int scale);

// ---- writing
// On WriteFailed *why (optional) receives the writer's message, naming the
// file and the reason.

// One file of an export, made in memory before anything is written.
struct ExportFile {
    std::string path;
    std::vector<uint8_t> bytes;
};
// Writes the files as one set: all of them or, on failure, none (every old
// file as it was).
AnimeExportError WriteExportFiles(const std::vector<ExportFile>& files, std::string* why = nullptr);

// The composed sheet without background, scaled, in the picture form the
// extension names: encoded, or written.
AnimeExportError EncodeSheet(CTesvanDoc& doc, const std::string& path, int scale, std::vector<uint8_t>& bytes);
AnimeExportError ExportSheet(CTesvanDoc& doc, const std::string& path, int scale, std::string* why = nullptr);
// Slot `slot` (0..3) as a looping animated GIF or WebP (by the extension),
// its direction played out: encoded, or written.
AnimeExportError EncodeAnimation(CTesvanDoc& doc, int slot, const std::string& path, int scale,
                                 std::vector<uint8_t>& bytes, const ExportProgress& progress = {});
AnimeExportError ExportAnimation(CTesvanDoc& doc, int slot, const std::string& path, int scale,
                                 const ExportProgress& progress = {}, std::string* why = nullptr);
// True when the name holds {cell}, {layer}, {anime} or {frame}.
bool HasExportPlaceholder(const std::string& name);
// One picture per cell ({cell}), per layer slot holding an image ({layer}),
// per step of each slot with cells ({anime}: the slot's name, {frame}: the
// step from 0; {cell} then is the step's cell); {layer} with the others cuts
// that layer's image. Every name is decided before anything is written.
// {anime} without {frame} in a .gif or .webp name writes each slot's
// animation.
AnimeExportError ExportPictures(CTesvanDoc& doc, const std::string& pattern, int scale,
                                const ExportProgress& progress = {}, std::string* why = nullptr);

// "アニメーション書き出し": what to write and where.
class CExportAnimeDlg : public CDialogModel {
public:
    static constexpr const char* kTitle = "アニメーション書き出し";
    static const char* const kForms[4];      // GIF, WebP, シート+JSON, キャラ毎のPNG
    enum Form { FORM_GIF = 0, FORM_WEBP = 1, FORM_SHEET = 2, FORM_CELLS = 3 };

    const char* ClassName() const override { return "CExportAnimeDlg"; }
    bool SetField(const std::string& name, const std::string& value, std::string& error) override;
    bool Validate(std::string& message) override;

    // The output name with the form's extension (a name without one gets
    // it; the cell form gets "-{cell}" when it has no placeholder).
    std::string OutputPath() const;

    std::string m_SlotNames[4];      // shown in the slot list; not a field
    int m_nSlot = 0;                 // 0..3
    int m_nForm = FORM_GIF;
    int m_nScale = 1;
    std::string m_strPath;
};
