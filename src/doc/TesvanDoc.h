// The single document of the editor: sheet geometry, depth, palette, the
// twelve layers, the working image the views paint, and the editing state.
#pragma once

#include "doc/AnimeSlots.h"
#include "doc/ColorPrecision.h"
#include "doc/ChipMap.h"
#include "doc/CommandList.h"
#include "doc/DrawingAids.h"
#include "doc/Geometry.h"
#include "doc/ImageEx.h"
#include "doc/Layer.h"
#include "doc/SelectionState.h"
#include "doc/TextEntry.h"
#include "doc/ToolState.h"
#include "doc/UndoStep.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

class CArchive;

// One remembered gradation run of the palette (20 bytes on file).
struct CGradationInfo {
    int32_t nCount = 0;
    uint32_t crFirst = 0;
    uint32_t crCenter = 0;
    uint32_t crLast = 0;
    int32_t nCenterPos = 0;
    bool operator==(const CGradationInfo&) const = default;
};
static_assert(sizeof(CGradationInfo) == 20);

struct CPaletteSnapshot {
    int32_t nLayer = 0;
    int32_t nFirst = 0;
    CGradationInfo Gradations[2];
    RGBQUAD Entries[16];
};

// A step of drawing, text, cut or paste (pixel entry: rectangles of layers)
// or of a colour change (palette entry: one 16-entry block).
struct CUndoEntry : CUndoStep {
    int32_t bPalette = 0;
    int32_t nCommand = 0;
    int32_t nRegions = 0;
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
    std::vector<CUndoRegion> regions;               // pixel entry
    std::unique_ptr<CPaletteSnapshot> pPalette;     // palette entry

    void Free();
    void Undo(CTesvanDoc& doc) override { Exchange(doc); }
    void Redo(CTesvanDoc& doc) override { Exchange(doc); }
    size_t Size() const override;
    std::string Name() const override;

private:
    void Exchange(CTesvanDoc& doc);
};

// A view registered with the document; told about changes by hint bits.
class CDocObserver {
public:
    virtual ~CDocObserver() = default;
    virtual void OnUpdate(int hint) = 0;
};

struct CAnimePlayer;
struct PrinterChoice;

// Update hint bits.
enum : int {
    HINT_PANE = 1,
    HINT_CANVAS = 2,
    HINT_PIXELS = 4,
    HINT_ERASE = 16,
    HINT_MAP = 32,       // the maps or the map window's state changed
};

// The document's state is grouped by the concern that owns it: the
// selection and floating paste, the text entry, the tool and pointer, and
// the animation slots each live in a part of their own (doc/*State.h,
// TextEntry.h, AnimeSlots.h); the sheet, palette, layers and undo ring stay
// here.
class CTesvanDoc : public CSelectionState,
                   public CTextEntry,
                   public CToolState,
                   public CAnimeSlots {
public:
    static constexpr int kLayers = 12;
    // History depth: steps kept (settable 10 to 1000) and bytes kept.
    static constexpr int kUndoMinSteps = 10;
    static constexpr int kUndoMaxSteps = 1000;
    static constexpr int kUndoDefaultSteps = 100;
    static constexpr size_t kUndoDefaultBudget = size_t(512) << 20;
    static constexpr int kPencil = Cmd::ToolPencil;
    // Largest sheet, in pixels, a file or a resize may ask for: 16M pixels
    // (4096 x 4096). Twelve 32-bit layers and the working image of such a
    // sheet take 13 x 64 MB, which keeps a hostile file well below 1 GB.
    static constexpr int64_t kMaxSheetPixels = 16LL * 1024 * 1024;
    // The limit a file is held to; never above kMaxSheetPixels. The fuzzer
    // lowers it so that runs under the sanitizers stay short.
    static inline int64_t s_nMaxLoadPixels = kMaxSheetPixels;

    CTesvanDoc();
    ~CTesvanDoc();
    CTesvanDoc(const CTesvanDoc&) = delete;
    CTesvanDoc& operator=(const CTesvanDoc&) = delete;

    // ---- framework side: life cycle, path, title, modified flag, files
    bool OnNewDocument();
    // Whether the file's content is a picture the codecs read (not a .tvn).
    static bool IsPictureFile(const std::string& path);
    // A new 32-bit document of the picture: one cell per frame in one row,
    // the pixels on layer 0, an animation slot at the frames' time when
    // there are several; untitled under the picture's name. A picture that
    // cannot be read or is larger than a sheet is reported and changes
    // nothing.
    bool OpenPicture(const std::string& path);
    // Opens a .tvn file. On any failure the document stays exactly as it
    // was and the reason is shown through the user-interface port. Refused:
    // a depth other than 8 or 32, cell sizes or counts below 1, a sheet above
    // the pixel limit, a current layer, layer page or colour index outside
    // its table, a current cell outside the sheet, a run length of 0, and
    // counts or string lengths beyond the end of the file. A zoom other than
    // 4 or 8 and a grid step below 1 are set to what a resize would choose.
    // An empty file is not read: the document keeps its content, and its
    // modified flag, under the new path.
    bool OnOpenDocument(const std::string& path);
    // The same load from bytes in memory (path, title and modified flag are
    // left alone).
    bool LoadFromMemory(const void* data, size_t size);
    // Saves through a temporary file renamed over the target; a failure
    // shows a message and leaves the file on disk whole.
    bool OnSaveDocument(const std::string& path);
    // Reads a .tvn file's settings and layer records into this (fresh)
    // document without decoding any pixels: the layers get no images, and
    // hasPixels says which records hold pixels (an image of the sheet's
    // size once opened). False, with the reason reported, when the file
    // would not open.
    bool ReadSummary(const std::string& path, std::array<bool, kLayers>& hasPixels);
    // Save: asks for a name when the document has none.
    bool DoFileSave();
    // Save-as and the save of an untitled document: always asks.
    bool DoSave(const std::string& path, bool replace = true);
    // Asks "%1 への変更を保存しますか?" for a modified document; false when
    // the person cancels (or a requested save fails).
    bool SaveModified();
    void Serialize(CArchive& ar);

    // Clearing the flag marks the present history position as the saved
    // state, so undoing or redoing back to it clears the flag again.
    void SetModifiedFlag(bool modified = true);
    bool IsModified() const { return m_bModified; }
    const std::string& GetPathName() const { return m_strPathName; }
    void SetPathName(const std::string& path);
    // "無題" for a document without a path, else the file name.
    const std::string& GetTitle() const { return m_strTitle; }
    void SetTitle(const std::string& title) { m_strTitle = title; }

    void AddView(CDocObserver* view);
    void RemoveView(CDocObserver* view);
    void UpdateAllViews(int hint);

    // ---- document operations
    bool CreateWorkImage();
    bool Compose(bool fillBackground, int left, int top, int right, int bottom);
    void ComposeAll(bool fillBackground);
    // The same composition into another sheet-sized image of the working
    // image's depth (and colour table); without `preview` the floating paste
    // and the tool's figure are left out, so the target shows the layers.
    bool ComposeInto(CImageEx& target, bool fillBackground, int left, int top, int right,
                     int bottom, bool preview);
    // Counts a change of look for every cell the rectangle touches (Compose
    // does it); pictures made from cells compare the counts to stay current.
    void MarkLookChanged(int left, int top, int right, int bottom);
    // Reloads the 8-bit working image's colour table from m_Palette, so the
    // views show edited colours at once.
    void RefreshWorkPalette();
    void ResetPalette();
    void ResetSelection(bool redraw);
    void ClearUndo();
    void ResetAnime();
    void CreateAnimeWindow();
    void ClearText(bool redraw);
    uint32_t GetBackColor() const;

    int SheetWidth() const { return m_nColumns * m_nCellWidth; }
    int SheetHeight() const { return m_nRows * m_nCellHeight; }
    CLayer& CurrentLayer() { return m_Layers[m_nCurrentLayer]; }

    // Creates the animation window for a document; set by the shell.
    static CAnimeWindow* (*s_pfnCreateAnimeWindow)(CTesvanDoc* doc);
    // Draws the current tool's figure on top of a composition; set by the
    // editing layer (the document does not call upwards itself). Null: none.
    static void (*s_pfnDrawToolOverlay)(CTesvanDoc& doc, CImageEx& target);

    // ---- tools, strokes, figures and text

    int GetToolKind() const;
    // Tool commands (the nine drawing tools, the two selection tools, the
    // eyedropper, the thick and thin brushes), pen widths 1 to 3, and the
    // font command.
    void OnToolCommand(int id);
    void OnPenWidth(int width);
    void OnFontCommand();
    // Pointer input from the canvas; points are canvas logical coordinates
    // (client point plus scroll position). BeginStroke may replace the point
    // (grabbing a floating paste); nonzero: capture the pointer.
    int BeginStroke(CPoint& point, unsigned keyFlags, int button);
    void TrackStroke(CPoint point);
    // Nonzero: release the pointer capture (and place the text caret).
    int EndStroke(unsigned keyFlags);
    void OnEscapeKey();
    void SelectCell(int index);
    void PickColor();
    // Alt with a press of a drawing tool: the current layer's colour under a
    // canvas logical point becomes that button's colour (8-bit: the index;
    // 32-bit: as the eyedropper takes it). False for tools that draw nothing.
    bool PickColorAt(CPoint point, int button);
    // Cell-local pixel of a canvas logical point.
    CPoint CellPixel(CPoint point) const;
    // Draws the current tool's figure onto a sheet-sized target; 1 when the
    // figure counts as a change.
    // The flood fill tool's commit on the layer, its undo step included:
    // 1 when it filled, 0 when the seed was off the cell, -1 when the fill
    // takes the overlay's way (drawing aids on, an image it does not read).
    int CommitFill(CLayer& layer);
    int DrawToolOverlay(CImageEx& target);
    bool PrepareOverlay(CImageEx& overlay, CImageEx& target, bool fill);
    void MergeOverlay(const CImageEx& overlay, CImageEx& target);
    // Text tool: one character message (a byte of code page 932); 1 when the
    // document changed (the caret moves).
    int OnTextChar(unsigned c);
    void CommitText();
    void CancelText();
    // Writes typed text into the layer as Enter does before something that
    // would otherwise leave it behind (a tool, cell or layer change, a save,
    // an export, a palette file); nothing when no text is typed.
    void FixText();
    // Moves the screen pointer to a canvas logical point (the canvas installs
    // it; it converts to client and screen coordinates). Null: no warp.
    static void (*s_pfnMovePointer)(CTesvanDoc& doc, CPoint viewPoint);

    // ---- selection, paste and undo
    // End of a selection-tool drag: the stroke's points become m_rcSel.
    void FinishSelection();
    void OnEditCut();
    void OnEditCopy();
    void OnEditPaste();  // transparent while Shift is held
    void OnPasteTransparent();
    void OnPasteRotate();
    void OnPasteMirrorLR();
    void OnPasteMirrorUD();
    // Enable rules of the commands above (cut, copy and paste: the selection
    // part's CanCutCopy and CanPaste).
    bool CanRotatePaste() const;   // a floating paste whose turned size fits the cell
    // Paste and transparent paste: a floating paste to write, kept pieces or
    // a picture on the desktop clipboard to float.
    bool CanPasteAnything() const;
    // Whether the kept pieces can float in the current document (same depth,
    // fitting the cell).
    bool HasKeptPieces() const;
    // Moves the floating paste back inside the current cell; 1 if it moved.
    int KeepPasteInCell();
    // The selection frame in canvas pixels: 0 none (or its corner lies in
    // another cell), 1 a selection of the current layer or of all layers,
    // 2 one of another layer.
    int GetSelViewRect(CRect& rect) const;

    // Undo pushes. Each drops what could be redone, saves what is about to be
    // overwritten and, when it saved something, appends the step (the oldest
    // steps go beyond the step limit or the memory budget); the result says
    // whether it did.
    // One layer: that layer's rectangle (strokes and text, command m_nTool).
    bool PushUndo(const CLayer& layer, int command, int bitCount, const CRect& rect);
    // One layer's rectangle saved row by row, calling change(y) for each row
    // right after that row is saved, so the rows are read only once; every
    // row is changed even when nothing could be saved.
    bool PushUndoChanging(CLayer& layer, int command, const CRect& rect,
                          const std::function<void(uint8_t* row, int y)>& change);
    // All layers that have an image, in layer order.
    bool PushUndo(int command, int bitCount, const CRect& rect);
    // The selection: its layer, or all layers when m_nSelLayer is -1; m_rcSel.
    bool PushUndo(int command);
    // Palette: the 16-entry block holding `entry` and its gradation records;
    // `layerId` is the current layer's m_nPage.
    bool PushUndo(int layerId, int entry);
    // Appends a finished step (drops the redo steps first).
    void PushStep(std::unique_ptr<CUndoStep> step);
    void Undo();                   // EditUndo
    void Redo();                   // EditRedo
    bool CanUndo() const { return m_nUndoCount >= 1; }
    bool CanRedo() const { return m_nUndoCount < int(m_Undo.size()); }
    // Name of the newest undoable (or the next redoable) step; empty when none.
    std::string GetUndoName() const;
    std::string GetRedoName() const;
    // The items' texts: "元に戻す(&U)\tCtrl+Z" or "元に戻す(name)(&U)\tCtrl+Z",
    // and "やり直し(&R)\tCtrl+Y" or "やり直し(name)(&R)\tCtrl+Y".
    std::string GetUndoMenuText() const;
    std::string GetRedoMenuText() const;
    // Steps kept (clamped to 10 .. 1000) and the bytes they may hold.
    void SetUndoLimits(int steps, size_t budget);
    int GetUndoStepLimit() const { return m_nUndoLimit; }
    size_t GetUndoBudget() const { return m_nUndoBudget; }
    // Bytes the history holds now.
    size_t GetUndoMemory() const;

    // ---- how the document is shown (none of it enters the history)
    // The canvas's magnifications, smallest first.
    static constexpr int kZoomSteps[] = {1, 2, 3, 4, 6, 8, 12, 16, 24, 32};
    // The next factor of the range inward (+1) or outward (-1); an end stays.
    static int StepZoom(int zoom, int direction);
    // Any factor of the range: pending text and the selection are dropped,
    // the views told with hint 19; the document is not modified.
    void SetZoom(int zoom);
    void OnZoom();                 // ViewZoom: 8 <-> 4
    void OnZoomIn();               // ViewZoomIn
    void OnZoomOut();              // ViewZoomOut
    bool CanZoomIn() const;
    bool CanZoomOut() const;
    void OnShowAllLayers();        // ViewCurrentLayerOnly
    // ViewBackgroundColor: the colour chooser, then SetBackColor (32-bit documents only).
    void OnBackColor();
    // True when the colour changed (the document is then modified).
    bool SetBackColor(uint32_t colour);
    void OnGrid();                 // ViewGrid
    void OnCharLines();            // ViewCharLines
    void OnNeighbours();           // ViewNeighbours

    // ---- palettes and gradations
    // Sets palette entry `entry` to `color` (0x00BBGGRR) with an undo entry,
    // recolouring and repainting; 1 if it changed, 0 if it had that colour.
    int ChangePaletteColor(int entry, uint32_t color);
    // Entry `entry` becomes `color`. In a 32-bit document, for entries 64 and
    // above, the layer's non-zero pixels of the old colour take the new one
    // (alpha kept).
    void SetPaletteEntry(CLayer& layer, int entry, uint32_t color);
    // A colour at the document's colour precision.
    uint32_t SnapToPrecision(uint32_t color) const { return SnapColor(color, m_nColorPrecision); }
    // Drops the remembered gradation that covers `entry`.
    void ForgetGradation(int entry);
    // 8-bit documents: every layer image's colour table (and the working
    // image's) follows m_Palette.
    void ApplyPaletteToLayers();
    // A release on a palette entry: entry n (absolute 1: of the shared area;
    // 0: a colour 0..15 of the current layer's page) into colour slot 0 or 1.
    void SelectColor(int entry, int slot, int absolute);
    // "カラー変更": the colour chooser for entry n, then the change.
    void OnChangeColor(int entry, int absolute);
    void OnSavePalette();
    void OnLoadPalette();
    // The palette file (.plt): 1,024 palette bytes and 600 record bytes.
    static constexpr size_t kPaletteFileSize = 1624;
    // The form follows the extension: .gpl, .pal, .act and .hex write the
    // colour entries (all but the transparency key or the alpha levels) in
    // that editor's form, any other name the palette file.
    bool SavePaletteFile(const std::string& path) const;
    // Refuses a file shorter than a whole palette file, or a malformed one of
    // another editor, with a message and changes nothing; otherwise replaces
    // palette and records, or loads the colours (LoadPaletteColours).
    bool LoadPaletteFile(const std::string& path);
    // Colours of another editor's palette: up to 16 into the current layer's
    // page, more into the entries from 1 (8-bit) or 16 (32-bit) on, those
    // beyond the last entry dropped with a message. The colour at index
    // `transparent` (-1: none) marks transparency and is skipped.
    void LoadPaletteColours(const std::vector<uint32_t>& colours, int transparent);
    // Gradations of 8 or 16 colours for entry n.
    void MakeGradation(int entry, int count, int absolute);
    // The palette entry n names (absolute, or of the current layer's page).
    int AbsoluteEntry(int entry, int absolute);

    // ---- image exchange and layer files
    // Export: the composed sheet without background to a picture file.
    void OnExportImage();
    // The export's work once a path is chosen; true when the file was written.
    bool ExportImage(const std::string& path);
    // Imports a picture into a layer of a 32-bit document; 1 when
    // imported or cancelled, 0 on failure.
    // With a path the picture is taken from it instead of a file dialog.
    int ImportImage(int layer, const std::string& path = {});
    // Size dialog.
    void OnSheetSize();
    // Rebuilds the working image and every layer image at the current
    // geometry and depth. False, with every image as it was, when the sheet
    // cannot be built (the caller then restores the geometry).
    bool ApplySheetSize(bool keepContent);
    // Layer files.
    void SaveLayerFile(int layer);
    bool LoadLayerFile(int layer);
    // The layer-file save once a path is chosen: a layer file for the
    // extension "lay", else the layer's image as a picture; a failure is
    // reported.
    bool SaveLayerFileTo(int layer, const std::string& path);
    // Writes a layer file of slot `layer` to an archive.
    void WriteLayerFile(int layer, CArchive& ar) const;
    // Reads a layer file into slot `layer` (everything after the dialog);
    // false with the slot unchanged on a size mismatch or damaged data.
    bool ReadLayerFile(int layer, CArchive& ar);

    // ---- animation and printing
    // Prepares a player from animation slot `slot`: its frames from the
    // slot's list, nWait the slot's speed, nPos 0; returns the frame count
    // (an empty list leaves the player empty and returns 0).
    int PrepareAnimePlayer(int slot, CAnimePlayer& player) const;
    // The "設定" button of a slot: CSetAnimeDlg, then the slot takes the
    // confirmed list (refused whole, with a message, when a cell lies outside
    // the sheet) and speed. True when the slot changed; the document is then
    // modified and the player must be prepared again.
    bool EditAnimeSlot(int slot);
    // The sheet rectangle of cell number `cell` (row-major); false when the
    // cell lies outside the sheet.
    bool AnimeCellRect(int cell, CRect& rc) const;
    // A slot's name; an empty one counts as the default.
    std::string AnimeName(int slot) const;
    // How long one step of a slot shows in the preview, in milliseconds: the
    // speed (ticks a step, at least 1) times the timer period.
    int AnimeStepMs(int slot) const;
    // The cell numbers of one loop of a slot as the preview plays them (its
    // direction played out); empty for an empty list.
    std::vector<int> AnimeSequence(int slot) const;
    // The slot named `key`: "1".."4" or a slot's name; -1 when none is.
    int FindAnimeSlot(const std::string& key) const;
    // Print: enabled while a layer holds an image.
    bool CanPrint() const;
    void OnFilePrint();
    // Prints the working image on one page of the chosen printer: the scale
    // dialog (when askScale) for a sheet that fits, fitting otherwise.
    // True when the page was drawn.
    bool PrintSheet(const PrinterChoice& choice, bool askScale);

    // ---- fields of the sheet, palette, layers and undo ring
    int m_nBitCount = 32;
    uint32_t m_crBackground = 0xFFFFFF;
    int m_bInitialized = 0;
    int m_nCellWidth = 64;
    int m_nCellHeight = 64;
    int m_nColumns = 3;
    int m_nRows = 4;
    int m_nEditColumn = 0;
    int m_nEditRow = 0;
    int m_nZoom = 8;
    RGBQUAD m_Palette[256];
    CGradationInfo m_Gradations[30];
    CImageEx m_imgWork;
    int m_bWorkValid = 0;
    uint32_t m_crGridColor = 0xFFFF00;
    uint32_t m_crGridStepColor = 0xC8C8C8;
    int m_nGridStep = 8;
    int m_bShowCharLines = 1;
    int m_bShowGrid = 1;
    int m_bShowNeighbours = 1;     // the canvas shows the cells around, dimmed
    int m_nColorPrecision = PRECISION_FULL;   // "色の精度" (ColorPrecision)
    CLayer m_Layers[kLayers];
    int m_nCurrentLayer = 0;
    int m_bShowAllLayers = 1;
    int m_nUndoCount = 0;          // steps that can be undone
    int m_nUndoIndex = 0;          // where the next step goes (= m_nUndoCount)
    // Oldest first: [0, m_nUndoCount) undoable, the rest redoable.
    std::vector<std::unique_ptr<CUndoStep>> m_Undo;
    CDrawingAids m_Aids;
    // The console check the views outline: a target's index, -1 off; and
    // its first bank (-1: the target's default). View state, not saved.
    int m_nConsoleCheck = -1;
    int m_nConsoleFirstBank = -1;
    CChipMaps m_Maps;
    CMapEditState m_MapEdit;
    // Per sheet cell, bumped at each change of its composed look; a change
    // of the whole (palette, geometry) bumps m_nLookAll.
    std::vector<uint32_t> m_CellLook;
    uint32_t m_nLookAll = 0;

    // f(a's field, b's field) for every field of the document's content but
    // the layers: the one list that swapping and copying content go through.
    template <class A, class B, class F>
    static void PairContent(A& a, B& b, F f)
    {
        PairSheetSettings(a, b, f);
        f(a.m_bInitialized, b.m_bInitialized);
        f(a.m_bAnimeShown, b.m_bAnimeShown);
    }
    // The part of the content an operation on the sheet may change besides
    // the layers (what undoing an import or a resize puts back).
    template <class A, class B, class F>
    static void PairSheetSettings(A& a, B& b, F f)
    {
        f(a.m_nBitCount, b.m_nBitCount);
        f(a.m_crBackground, b.m_crBackground);
        f(a.m_nCellWidth, b.m_nCellWidth);
        f(a.m_nCellHeight, b.m_nCellHeight);
        f(a.m_nColumns, b.m_nColumns);
        f(a.m_nRows, b.m_nRows);
        f(a.m_nEditColumn, b.m_nEditColumn);
        f(a.m_nEditRow, b.m_nEditRow);
        f(a.m_nZoom, b.m_nZoom);
        f(a.m_Palette, b.m_Palette);
        f(a.m_Gradations, b.m_Gradations);
        f(a.m_crGridColor, b.m_crGridColor);
        f(a.m_crGridStepColor, b.m_crGridStepColor);
        f(a.m_nGridStep, b.m_nGridStep);
        f(a.m_bShowCharLines, b.m_bShowCharLines);
        f(a.m_bShowGrid, b.m_bShowGrid);
        f(a.m_nCurrentLayer, b.m_nCurrentLayer);
        f(a.m_Anime, b.m_Anime);
        f(a.m_nColorPrecision, b.m_nColorPrecision);
        f(a.m_Maps, b.m_Maps);
    }
    // The field functions for the pairs: copy (arrays element by element)
    // and compare.
    struct CopyField {
        template <class T, class U>
        void operator()(T& to, const U& from) const
        {
            if constexpr (std::is_array_v<T>)
                std::copy(std::begin(from), std::end(from), std::begin(to));
            else
                to = from;
        }
    };
    template <class T, class U>
    static bool SameField(const T& a, const U& b)
    {
        if constexpr (std::is_array_v<T>)
            return std::equal(std::begin(a), std::end(a), std::begin(b));
        else
            return a == b;
    }

private:
    bool LoadFrom(CArchive& ar, const std::string& path = {});
    void ReadContent(CArchive& ar, std::array<bool, kLayers>* hasPixels = nullptr);
    void WriteContent(CArchive& ar) const;
    void SwapContent(CTesvanDoc& other) noexcept;
    // The extension block after the standard content (DocExtension.cpp).
    void WriteExtension(CArchive& ar) const;
    // False when a block is there but damaged: nothing of it is applied.
    bool ReadExtension(CArchive& ar);
    void FinishLoad();

    std::vector<CDocObserver*> m_Views;
    std::string m_strPathName;
    std::string m_strTitle = "無題";
    bool m_bModified = false;
    bool m_bExtensionDamaged = false;    // set by ReadContent

    friend class CUndoRecorder;
    void TrimUndo();
    void AfterHistoryMove(const CUndoStep& step);
    int m_nUndoLimit = kUndoDefaultSteps;
    size_t m_nUndoBudget = kUndoDefaultBudget;
    int m_nSavedStep = 0;          // history position of the saved state; -1: gone
    bool m_bUntracked = false;     // changed outside the history since the save
    bool m_bStepPending = false;   // a step was pushed by the change under way
    int m_nRecording = 0;          // nested CUndoRecorder scopes
};

// Records an operation that replaces layers, the palette or the sheet's
// geometry wholesale (import, resize, palette and layer file loads): the
// document is captured when the recorder starts, and when it ends one step
// with what the operation changed is pushed; nothing when nothing changed.
// Nested recorders leave the recording to the outermost one.
class CUndoRecorder {
public:
    CUndoRecorder(CTesvanDoc& doc, const char* name);
    ~CUndoRecorder();
    CUndoRecorder(const CUndoRecorder&) = delete;
    CUndoRecorder& operator=(const CUndoRecorder&) = delete;

private:
    CTesvanDoc& m_Doc;
    std::unique_ptr<CUndoStep> m_pStep;
};

static_assert(CSelectionState::kPieces == CTesvanDoc::kLayers);
