// The shared file dialog's one rule: the default extension follows the
// selected filter's pattern.
#pragma once

#include <QString>

// "*.png" -> "png", "*.*" -> "*", "png" -> "png": leading "*" removed, then
// leading "." removed, from the first pattern of the filter.
QString DefaultExtensionForPattern(const QString& pattern);
// A typed name without an extension gets ".ext"; others stay as typed.
QString ApplyDefaultExtension(const QString& path, const QString& ext);
