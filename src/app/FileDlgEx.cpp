#include "app/FileDlgEx.h"

#include <QFileInfo>

QString DefaultExtensionForPattern(const QString& pattern)
{
    // Only the first of several patterns ("*.jpg;*.jpeg") names an extension.
    QString ext = pattern.section(QLatin1Char(';'), 0, 0).trimmed();
    int i = 0;
    while (i < ext.size() && ext[i] == QLatin1Char('*'))
        ++i;
    ext = ext.mid(i);
    i = 0;
    while (i < ext.size() && ext[i] == QLatin1Char('.'))
        ++i;
    return ext.mid(i);
}

QString ApplyDefaultExtension(const QString& path, const QString& ext)
{
    // A wildcard is no extension to append ("*.*" leaves "*").
    if (ext.isEmpty() || ext.contains(QLatin1Char('*')) || ext.contains(QLatin1Char('?')))
        return path;
    QString name = QFileInfo(path).fileName();
    if (name.isEmpty() || name.contains(QLatin1Char('.')))
        return path;
    return path + QLatin1Char('.') + ext;
}
