#include "views/WorkImage.h"

#include "console/ConsoleExport.h"
#include "doc/TesvanDoc.h"

#include <cstring>

QImage RenderWorkImage(const CTesvanDoc& doc, const QRect& src, const QSize& size)
{
    const CImageEx& work = doc.m_imgWork;
    if (work.IsNull() || src.isEmpty() || size.isEmpty())
        return {};
    CImageEx surface;
    if (!surface.CreateEx(size.width(), size.height(), 32))
        return {};
    const uint32_t fill = QColor(SheetBackground(doc)).rgb() | 0xFF000000u;
    for (int y = 0; y < size.height(); ++y) {
        auto* row = reinterpret_cast<uint32_t*>(surface.GetRow(y));
        std::fill(row, row + size.width(), fill);
    }
    work.Draw(surface, 0, 0, size.width(), size.height(), src.x(), src.y(), src.width(),
              src.height());
    QImage image(size, QImage::Format_RGB32);
    if (image.isNull())
        return {};
    for (int y = 0; y < size.height(); ++y)
        std::memcpy(image.scanLine(y), surface.GetRow(y), size_t(size.width()) * 4);
    return image;
}

QColor SheetBackground(const CTesvanDoc& doc)
{
    if (doc.m_nBitCount == 8) {
        const RGBQUAD& e = doc.m_Palette[0];
        return QColor(e.rgbRed, e.rgbGreen, e.rgbBlue);
    }
    return QColor(GetRValue(doc.m_crBackground), GetGValue(doc.m_crBackground),
                  GetBValue(doc.m_crBackground));
}

std::vector<QRect> ConsoleOutlines(const CTesvanDoc& doc)
{
    const auto& targets = ConsoleTargets();
    if (doc.m_nConsoleCheck < 0 || size_t(doc.m_nConsoleCheck) >= targets.size() || doc.m_nBitCount != 8)
        return {};
    // Every repaint asks; the check runs again only when the sheet's look
    // or the choice changed.
    struct Cache {
        const CTesvanDoc* doc = nullptr;
        const void* bits = nullptr;    // a new working image is a new sheet
        int target = -1, bank = 0, cellWidth = 0, cellHeight = 0;
        uint32_t lookAll = 0;
        std::vector<uint32_t> cellLook;
        std::vector<QRect> rects;
    };
    static Cache cache;
    if (cache.doc == &doc && cache.bits == doc.m_imgWork.GetBits() && cache.target == doc.m_nConsoleCheck && cache.bank == doc.m_nConsoleFirstBank &&
        cache.cellWidth == doc.m_nCellWidth && cache.cellHeight == doc.m_nCellHeight &&
        cache.lookAll == doc.m_nLookAll && cache.cellLook == doc.m_CellLook)
        return cache.rects;
    std::vector<QRect> out;
    const ConsoleBuild build =
        CheckConsole(doc, targets[size_t(doc.m_nConsoleCheck)], doc.m_nConsoleFirstBank, false);
    for (const ConsoleProblem& p : build.problems) {
        if (p.rule == ConsoleRule::CellSize)
            out.emplace_back(p.sheetX, p.sheetY, doc.m_nCellWidth, doc.m_nCellHeight);
        else
            out.emplace_back(p.sheetX, p.sheetY, 8, 8);
    }
    cache = Cache{&doc, doc.m_imgWork.GetBits(), doc.m_nConsoleCheck, doc.m_nConsoleFirstBank, doc.m_nCellWidth, doc.m_nCellHeight,
                  doc.m_nLookAll, doc.m_CellLook, out};
    return out;
}
