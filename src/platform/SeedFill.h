// Span flood with an explicit stack (Heckbert's seed fill), for any pixel
// store: each entry is a row to explore and the span of the row it came
// from, which is never scanned again; only the parts reaching past that span
// look back.
#pragma once

#include <vector>

// Rows is the store's view of one row at a time:
//   void SelectRow(int y);      the row the calls below work on
//   bool Match(int x);          x belongs to the area and is not filled yet
//   int FillLeft(int x);        fills matching pixels leftwards from x, returns
//                               the first that does not match (or -1)
//   int FillRight(int x);       fills rightwards, returns the first that does
//                               not match (or the width)
//   void Span(int y, int x1, int x2);  a filled span, for callers that track it
template <class Rows>
void SeedFill(Rows& rows, int x, int y, int height)
{
    struct Seg {
        int y, x1, x2, dy;
    };
    std::vector<Seg> stack;
    const auto push = [&](int sy, int x1, int x2, int dy) {
        if (sy + dy >= 0 && sy + dy < height)
            stack.push_back({sy, x1, x2, dy});
    };
    push(y, x, x, 1);
    push(y + 1, x, x, -1);
    while (!stack.empty()) {
        const Seg seg = stack.back();
        stack.pop_back();
        const int row = seg.y + seg.dy;
        const int x1 = seg.x1, x2 = seg.x2, dy = seg.dy;
        rows.SelectRow(row);
        int cx = rows.FillLeft(x1);
        int left;
        if (cx < x1) {
            left = cx + 1;
            if (left < x1)
                push(row, left, x1 - 1, -dy);
            cx = x1 + 1;
        } else {
            // x1 itself does not match: look for the next run inside the span.
            for (++cx; cx <= x2 && !rows.Match(cx); ++cx) {
            }
            left = cx;
            if (cx > x2)
                continue;
        }
        do {
            cx = rows.FillRight(cx);
            rows.Span(row, left, cx - 1);
            push(row, left, cx - 1, dy);
            if (cx > x2 + 1)
                push(row, x2 + 1, cx - 1, -dy);
            for (++cx; cx <= x2 && !rows.Match(cx); ++cx) {
            }
            left = cx;
        } while (cx <= x2);
    }
}
