#include "map/MapExport.h"

#include "doc/ImageFiles.h"
#include "doc/TesvanDoc.h"
#include "map/MapRender.h"
#include "platform/ImageCodec.h"
#include "platform/SafeFile.h"
#include "platform/UiPort.h"

#include <cerrno>
#include <cstdio>

namespace {

// Pictures above this many pixels (256 MB at 32 bits) are refused.
constexpr int64_t kMaxPicturePixels = int64_t(1) << 26;

std::string Lower(std::string s)
{
    for (char& c : s)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    return s;
}

std::string Folder(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string Xml(const std::string& s)
{
    std::string out;
    for (char c : s) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default:
            // Control characters have no place in XML 1.0.
            if (static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n' && c != '\r')
                out += ' ';
            else
                out += c;
        }
    }
    return out;
}

std::string Json(const std::string& s)
{
    std::string out = "\"";
    for (char c : s) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", unsigned(static_cast<unsigned char>(c)));
            out += buf;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

// Tile animations: for each slot whose steps are all cells of the sheet,
// its first cell plays the steps. A cell keeps the first slot's.
struct TileAnimation {
    int tile;
    std::vector<int> frames;
    int ms;
};

std::vector<TileAnimation> Animations(const CTesvanDoc& doc)
{
    std::vector<TileAnimation> out;
    const int cells = doc.m_nColumns * doc.m_nRows;
    for (int k = 0; k < CTesvanDoc::kAnimeSlots; ++k) {
        const std::vector<int> seq = doc.AnimeSequence(k);
        if (seq.empty())
            continue;
        bool ok = true;
        for (int c : seq)
            ok = ok && c >= 0 && c < cells;
        bool taken = false;
        for (const TileAnimation& a : out)
            taken = taken || a.tile == seq[0];
        if (ok && !taken)
            out.push_back({seq[0], seq, std::max(1, doc.AnimeStepMs(k))});
    }
    return out;
}

std::string TilesetXml(const CTesvanDoc& doc, const std::string& base)
{
    std::string s = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    s += "<tileset version=\"1.8\" tiledversion=\"1.8.2\" name=\"" + Xml(base) + "\" tilewidth=\"" +
         std::to_string(doc.m_nCellWidth) + "\" tileheight=\"" + std::to_string(doc.m_nCellHeight) +
         "\" tilecount=\"" + std::to_string(doc.m_nColumns * doc.m_nRows) + "\" columns=\"" +
         std::to_string(doc.m_nColumns) + "\">\n";
    s += " <image source=\"" + Xml(base) + ".png\" width=\"" + std::to_string(doc.SheetWidth()) +
         "\" height=\"" + std::to_string(doc.SheetHeight()) + "\"/>\n";
    for (const TileAnimation& a : Animations(doc)) {
        s += " <tile id=\"" + std::to_string(a.tile) + "\">\n  <animation>\n";
        for (int f : a.frames)
            s += "   <frame tileid=\"" + std::to_string(f) + "\" duration=\"" + std::to_string(a.ms) + "\"/>\n";
        s += "  </animation>\n </tile>\n";
    }
    return s + "</tileset>\n";
}

std::string TilesetJson(const CTesvanDoc& doc, const std::string& base)
{
    std::string s = "{\n \"type\": \"tileset\",\n \"version\": \"1.8\",\n \"tiledversion\": \"1.8.2\",\n";
    s += " \"name\": " + Json(base) + ",\n \"tilewidth\": " + std::to_string(doc.m_nCellWidth) +
         ",\n \"tileheight\": " + std::to_string(doc.m_nCellHeight) + ",\n \"tilecount\": " +
         std::to_string(doc.m_nColumns * doc.m_nRows) + ",\n \"columns\": " + std::to_string(doc.m_nColumns) +
         ",\n \"margin\": 0,\n \"spacing\": 0,\n \"image\": " + Json(base + ".png") + ",\n \"imagewidth\": " +
         std::to_string(doc.SheetWidth()) + ",\n \"imageheight\": " + std::to_string(doc.SheetHeight());
    const std::vector<TileAnimation> anims = Animations(doc);
    if (!anims.empty()) {
        s += ",\n \"tiles\": [";
        for (size_t i = 0; i < anims.size(); ++i) {
            s += std::string(i ? "," : "") + "\n  {\"id\": " + std::to_string(anims[i].tile) + ", \"animation\": [";
            for (size_t f = 0; f < anims[i].frames.size(); ++f)
                s += std::string(f ? ", " : "") + "{\"tileid\": " + std::to_string(anims[i].frames[f]) +
                     ", \"duration\": " + std::to_string(anims[i].ms) + "}";
            s += "]}";
        }
        s += "\n ]";
    }
    return s + "\n}\n";
}

std::string MapXml(const CTesvanDoc& doc, const CChipMap& m, const std::string& base)
{
    std::string s = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    s += "<map version=\"1.8\" tiledversion=\"1.8.2\" orientation=\"orthogonal\" renderorder=\"right-down\" width=\"" +
         std::to_string(m.nWidth) + "\" height=\"" + std::to_string(m.nHeight) + "\" tilewidth=\"" +
         std::to_string(doc.m_nCellWidth) + "\" tileheight=\"" + std::to_string(doc.m_nCellHeight) +
         "\" infinite=\"0\" nextlayerid=\"" + std::to_string(m.layers.size() + 1) + "\" nextobjectid=\"1\">\n";
    s += " <tileset firstgid=\"1\" source=\"" + Xml(base) + ".tsx\"/>\n";
    s.reserve(s.size() + m.layers.size() * (size_t(m.nWidth) * m.nHeight * 4 + 200));
    for (size_t l = 0; l < m.layers.size(); ++l) {
        const CMapLayer& layer = m.layers[l];
        s += " <layer id=\"" + std::to_string(l + 1) + "\" name=\"" + Xml(layer.strName) + "\" width=\"" +
             std::to_string(m.nWidth) + "\" height=\"" + std::to_string(m.nHeight) + "\"" +
             (layer.bShown ? "" : " visible=\"0\"") + ">\n  <data encoding=\"csv\">\n";
        for (int y = 0; y < m.nHeight; ++y) {
            for (int x = 0; x < m.nWidth; ++x) {
                s += std::to_string(m.At(int(l), x, y));
                if (x + 1 < m.nWidth || y + 1 < m.nHeight)
                    s += ',';
            }
            s += '\n';
        }
        s += "</data>\n </layer>\n";
    }
    return s + "</map>\n";
}

std::string MapJson(const CTesvanDoc& doc, const CChipMap& m, const std::string& base)
{
    std::string s = "{\n \"type\": \"map\",\n \"version\": \"1.8\",\n \"tiledversion\": \"1.8.2\",\n"
                    " \"orientation\": \"orthogonal\",\n \"renderorder\": \"right-down\",\n";
    s += " \"width\": " + std::to_string(m.nWidth) + ",\n \"height\": " + std::to_string(m.nHeight) +
         ",\n \"tilewidth\": " + std::to_string(doc.m_nCellWidth) + ",\n \"tileheight\": " +
         std::to_string(doc.m_nCellHeight) + ",\n \"infinite\": false,\n \"compressionlevel\": -1,\n" +
         " \"nextlayerid\": " + std::to_string(m.layers.size() + 1) + ",\n \"nextobjectid\": 1,\n" +
         " \"tilesets\": [{\"firstgid\": 1, \"source\": " + Json(base + ".tsj") + "}],\n \"layers\": [";
    for (size_t l = 0; l < m.layers.size(); ++l) {
        const CMapLayer& layer = m.layers[l];
        s += std::string(l ? "," : "") + "\n  {\"type\": \"tilelayer\", \"id\": " + std::to_string(l + 1) +
             ", \"name\": " + Json(layer.strName) + ", \"x\": 0, \"y\": 0, \"width\": " + std::to_string(m.nWidth) +
             ", \"height\": " + std::to_string(m.nHeight) + ", \"opacity\": 1, \"visible\": " +
             (layer.bShown ? "true" : "false") + ",\n   \"data\": [";
        for (size_t i = 0; i < layer.cells.size(); ++i) {
            if (i)
                s += (i % size_t(m.nWidth)) ? "," : ",\n    ";
            s += std::to_string(layer.cells[i]);
        }
        s += "]}";
    }
    return s + "\n ]\n}\n";
}

bool EncodePng(const CImageEx& image, std::vector<uint8_t>& out, const std::string& path, std::string& error)
{
    tesvan::PaletteEntry table[256];
    const tesvan::CodecStatus st = tesvan::EncodeImage(ImageSourceOf(image, table), tesvan::ImageFormat::Png, out);
    if (st != tesvan::CodecStatus::Ok) {
        error = WriteErrorText(path, st == tesvan::CodecStatus::OutOfMemory ? ENOMEM : EIO);
        return false;
    }
    return true;
}

} // namespace

MapExportKind MapExportKindOf(const std::string& path)
{
    const std::string ext = Lower(tesvan::PathExtension(path));
    return ext == ".png" ? MapExportKind::Picture
           : ext == ".tmx" ? MapExportKind::Tmx
           : ext == ".tmj" ? MapExportKind::Tmj
                           : MapExportKind::None;
}

std::string MapTilesetBaseName(const CTesvanDoc& doc)
{
    std::string name = doc.GetPathName();
    const size_t slash = name.find_last_of('/');
    if (slash != std::string::npos)
        name = name.substr(slash + 1);
    if (name.size() > 4 && Lower(name.substr(name.size() - 4)) == ".tvn")
        name.resize(name.size() - 4);
    return name.empty() ? std::string("無題") : name;
}

bool ExportMap(CTesvanDoc& doc, int mapIndex, const std::string& path, int scale, std::string& error)
{
    const MapExportKind kind = MapExportKindOf(path);
    if (kind == MapExportKind::None || mapIndex < 0 || mapIndex >= int(doc.m_Maps.maps.size())) {
        error = WriteErrorText(path, EINVAL);
        return false;
    }
    const CChipMap& m = doc.m_Maps.maps[size_t(mapIndex)];
    CChipCache chips;
    if (!chips.Update(doc)) {
        error = WriteErrorText(path, ENOMEM);
        return false;
    }
    if (kind == MapExportKind::Picture) {
        const int64_t w = int64_t(m.nWidth) * doc.m_nCellWidth * scale;
        const int64_t h = int64_t(m.nHeight) * doc.m_nCellHeight * scale;
        CImageEx image;
        if (scale < 1 || scale > 16 || w > 65535 || h > 65535 || w * h > kMaxPicturePixels ||
            !image.CreateEx(int(w), int(h), 32, CImageEx::createAlphaChannel)) {
            error = WriteErrorText(path, w * h > kMaxPicturePixels ? EFBIG : ENOMEM);
            return false;
        }
        CMapRenderOptions options;
        options.zoom = scale;
        RenderMap(m, chips, CPixelTarget::Of(image), options);
        std::vector<uint8_t> png;
        if (!EncodePng(image, png, path, error))
            return false;
        return WriteFileSafely(path, png.data(), png.size(), &error);
    }
    const std::string base = MapTilesetBaseName(doc);
    const std::string folder = Folder(path);
    std::vector<uint8_t> png;
    if (!EncodePng(chips.Sheet(), png, folder + base + ".png", error))
        return false;
    const bool tmx = kind == MapExportKind::Tmx;
    const std::string mapText = tmx ? MapXml(doc, m, base) : MapJson(doc, m, base);
    const std::string tileset = tmx ? TilesetXml(doc, base) : TilesetJson(doc, base);
    return WriteFilesSafely({{path, mapText.data(), mapText.size()},
                             {folder + base + (tmx ? ".tsx" : ".tsj"), tileset.data(), tileset.size()},
                             {folder + base + ".png", png.data(), png.size()}},
                            &error);
}

void OnExportMap(CTesvanDoc& doc)
{
    const int k = doc.m_MapEdit.nMap;
    if (k < 0 || k >= int(doc.m_Maps.maps.size()))
        return;
    FileDialogRequest request;
    request.open = false;
    request.filters = {{"Tiledマップ (*.tmx)", "*.tmx"},
                       {"Tiledマップ JSON (*.tmj)", "*.tmj"},
                       {"PNGファイル (*.png)", "*.png"}};
    request.defaultExt = "tmx";
    request.extFollowsFilter = true;
    request.initialName = doc.m_Maps.maps[size_t(k)].strName;
    int scale = 1;
    request.scale = &scale;
    std::string path;
    if (!UiPort().FileDialog(request, path))
        return;
    std::string error;
    if (!ExportMap(doc, k, path, MapExportKindOf(path) == MapExportKind::Picture ? scale : 1, error))
        ReportFileFailure(error);
}
