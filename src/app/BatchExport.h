// "tesvan --export" for games and other tools: the sheet with its data, an
// animation slot as animated GIF or WebP, and one picture per cell, layer or
// step.
#pragma once

#include <QString>

struct GameExportRequest {
    QString out;              // --export
    QString data;             // --data (empty: none)
    QString format;           // --format (empty: json-hash)
    QString scale;            // --scale (empty: 1)
    QString anime;            // --anime (empty: none)
    bool hasAnime = false;
    bool hasScale = false;
    QString file;             // the document
};

// True when the export needs more than the plain sheet export: --data,
// --anime, --scale or a placeholder in the output name.
bool IsGameExport(const GameExportRequest& request);
// Runs it; the exit status (2 malformed invocation, 1 failed read or write).
int RunGameExport(const GameExportRequest& request);

// "tesvan --export=OUT --console=T [--first-bank=B] [--map=K] [--dedupe=D]".
struct ConsoleExportArgs {
    QString out;
    QString console;
    QString firstBank;        // empty: the target's default
    QString map;              // empty: the sheet itself
    QString dedupe;           // empty: flip
    QString file;
};
// The exit status (2 malformed invocation, 1 failed read or write or tiles
// against the console's rules, each listed on stderr).
int RunConsoleExport(const ConsoleExportArgs& args);
