// Colour reduction for GIF output: exact when the picture has few enough
// colours, median cut (boxes split at the count-weighted median of their
// widest channel) otherwise. No dithering: pixel art keeps flat areas flat.
#include "platform/ImageCodecInternal.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

namespace tesvan::codec {

namespace {

struct ColourCount {
    uint32_t rgb;  // 0xRRGGBB
    uint32_t count;
};

int Channel(uint32_t rgb, int c) { return int((rgb >> (16 - 8 * c)) & 0xFF); }

struct Box {
    size_t begin, end;
    uint64_t count;
    int widest;  // channel 0 red, 1 green, 2 blue
    int range;
};

Box MakeBox(const std::vector<ColourCount>& items, size_t begin, size_t end)
{
    int lo[3] = {255, 255, 255}, hi[3] = {0, 0, 0};
    uint64_t count = 0;
    for (size_t i = begin; i < end; ++i) {
        for (int c = 0; c < 3; ++c) {
            const int v = Channel(items[i].rgb, c);
            lo[c] = std::min(lo[c], v);
            hi[c] = std::max(hi[c], v);
        }
        count += items[i].count;
    }
    Box b{begin, end, count, 0, hi[0] - lo[0]};
    for (int c = 1; c < 3; ++c)
        if (hi[c] - lo[c] > b.range) {
            b.range = hi[c] - lo[c];
            b.widest = c;
        }
    return b;
}

}  // namespace

CodecStatus QuantizeColors(const ImageSource& src, bool skipTransparent, int maxColors,
                           int firstIndex, std::vector<PaletteEntry>& palette,
                           std::vector<uint8_t>& indices)
{
    palette.clear();
    std::unordered_map<uint32_t, uint32_t> counts;
    {
        uint32_t last = 0xFFFFFFFF;
        uint32_t* lastCount = nullptr;
        for (int y = 0; y < src.height; ++y) {
            const uint8_t* r = src.row(y);
            for (int x = 0; x < src.width; ++x) {
                uint8_t p[4];
                SourcePixel(src, r, x, p);
                if (skipTransparent && p[3] == 0)
                    continue;
                const uint32_t rgb = uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
                if (rgb != last || !lastCount) {
                    lastCount = &counts[rgb];
                    last = rgb;
                }
                ++*lastCount;
            }
        }
    }
    std::vector<ColourCount> items;
    items.reserve(counts.size());
    for (const auto& [rgb, n] : counts)
        items.push_back({rgb, n});
    std::sort(items.begin(), items.end(),
              [](const ColourCount& a, const ColourCount& b) { return a.rgb < b.rgb; });

    std::vector<Box> boxes;
    if (!items.empty())
        boxes.push_back(MakeBox(items, 0, items.size()));
    while (int(boxes.size()) < maxColors && items.size() > boxes.size()) {
        // Split the box whose widest channel spans most, weighted by how
        // many pixels it holds.
        int best = -1;
        double bestScore = -1;
        for (size_t i = 0; i < boxes.size(); ++i) {
            if (boxes[i].end - boxes[i].begin < 2)
                continue;
            const double score = double(boxes[i].range) * std::sqrt(double(boxes[i].count));
            if (score > bestScore) {
                bestScore = score;
                best = int(i);
            }
        }
        if (best < 0)
            break;
        Box b = boxes[size_t(best)];
        const int c = b.widest;
        std::sort(items.begin() + ptrdiff_t(b.begin), items.begin() + ptrdiff_t(b.end),
                  [c](const ColourCount& x, const ColourCount& y) {
                      return Channel(x.rgb, c) < Channel(y.rgb, c);
                  });
        uint64_t acc = 0;
        size_t split = b.begin + 1;
        for (size_t i = b.begin; i < b.end - 1; ++i) {
            acc += items[i].count;
            split = i + 1;
            if (acc * 2 >= b.count)
                break;
        }
        boxes[size_t(best)] = MakeBox(items, b.begin, split);
        boxes.push_back(MakeBox(items, split, b.end));
    }

    std::unordered_map<uint32_t, uint8_t> indexOf;
    indexOf.reserve(items.size());
    for (size_t i = 0; i < boxes.size(); ++i) {
        const Box& b = boxes[i];
        uint64_t sum[3] = {0, 0, 0};
        for (size_t k = b.begin; k < b.end; ++k) {
            for (int c = 0; c < 3; ++c)
                sum[c] += uint64_t(Channel(items[k].rgb, c)) * items[k].count;
            indexOf[items[k].rgb] = uint8_t(firstIndex + int(i));
        }
        const uint64_t n = std::max<uint64_t>(b.count, 1);
        palette.push_back({uint8_t((sum[2] + n / 2) / n), uint8_t((sum[1] + n / 2) / n),
                           uint8_t((sum[0] + n / 2) / n), 0});
    }

    indices.assign(size_t(src.width) * size_t(src.height), 0);
    uint32_t last = 0xFFFFFFFF;
    uint8_t lastIndex = 0;
    for (int y = 0; y < src.height; ++y) {
        const uint8_t* r = src.row(y);
        uint8_t* d = indices.data() + size_t(y) * size_t(src.width);
        for (int x = 0; x < src.width; ++x) {
            uint8_t p[4];
            SourcePixel(src, r, x, p);
            if (skipTransparent && p[3] == 0)
                continue;
            const uint32_t rgb = uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
            if (rgb != last) {
                last = rgb;
                lastIndex = indexOf[rgb];
            }
            d[x] = lastIndex;
        }
    }
    return CodecStatus::Ok;
}

}  // namespace tesvan::codec
