// Command ids of the drawing tools and pen widths, shared by the document's
// tool code and the shell's command table.
#pragma once

enum : int {
    ID_TOOL_PEN_1 = 32791,
    ID_TOOL_PEN_2 = 32792,
    ID_TOOL_PEN_3 = 32793,
    ID_TOOL_THICK_BRUSH = 32795,
    ID_TOOL_SELECT = 32796,
    ID_TOOL_LINE = 32797,
    ID_TOOL_PENCIL = 32798,
    ID_TOOL_RECT_FRAME = 32799,
    ID_TOOL_ELLIPSE_FILL = 32802,
    ID_TOOL_FILL = 32804,
    ID_TOOL_RECT_FILL = 32805,
    ID_TOOL_ELLIPSE_FRAME = 32806,
    ID_TOOL_SELECT_ALL = 32820,
    ID_TOOL_THIN_BRUSH = 32830,
    ID_TOOL_CURVE = 32832,
    ID_TOOL_TEXT = 32872,
    ID_TOOL_FONT = 32874,
    ID_TOOL_DROPPER = 32889,
};

// Every command that makes a tool current.
inline constexpr int kToolCommands[] = {
    ID_TOOL_PENCIL,      ID_TOOL_LINE,       ID_TOOL_RECT_FRAME, ID_TOOL_RECT_FILL,
    ID_TOOL_ELLIPSE_FRAME, ID_TOOL_ELLIPSE_FILL, ID_TOOL_CURVE,   ID_TOOL_FILL,
    ID_TOOL_TEXT,        ID_TOOL_SELECT,     ID_TOOL_SELECT_ALL, ID_TOOL_DROPPER,
    ID_TOOL_THICK_BRUSH, ID_TOOL_THIN_BRUSH,
};

// Installs the tool preview into the composition, which cannot call the
// editing layer itself. The shell does it once when it sets up the tools;
// headless callers that compose with a tool in progress do it themselves.
void InstallToolOverlay();
