#include "views/WorkImage.h"

#include "doc/TesvanDoc.h"

#include <cstring>

QImage WorkImageRegion(const CTesvanDoc& doc, const QRect& sheetRect)
{
    const CImageEx& work = doc.m_imgWork;
    if (work.IsNull())
        return {};
    QRect r = sheetRect.intersected(QRect(0, 0, work.GetWidth(), work.GetHeight()));
    if (r.isEmpty())
        return {};
    const bool indexed = work.GetBPP() == 8;
    if (!indexed && work.GetBPP() != 32)
        return {};
    QImage image(r.size(), indexed ? QImage::Format_Indexed8 : QImage::Format_RGB32);
    if (image.isNull())
        return {};
    const int bytesPerPixel = indexed ? 1 : 4;
    for (int y = 0; y < r.height(); ++y)
        std::memcpy(image.scanLine(y), work.GetRow(r.top() + y) + r.left() * bytesPerPixel,
                    size_t(r.width()) * bytesPerPixel);
    if (indexed) {
        QList<QRgb> table(256);
        const RGBQUAD* entries = work.ColorTable();
        for (int i = 0; i < 256; ++i)
            table[i] = qRgb(entries[i].rgbRed, entries[i].rgbGreen, entries[i].rgbBlue);
        image.setColorTable(table);
    }
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
