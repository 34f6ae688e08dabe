#include "app/AppSettings.h"

#include "platform/SafeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>

#include <cerrno>

QString SettingsFilePath()
{
    QSettings settings;
    return settings.fileName();
}

namespace {

// A settings file that cannot be written is said once a session: every
// later change would only repeat it.
bool g_reported = false;

void ReportFailure(const std::string& message)
{
    if (g_reported) {
        CountFileFailure();
        return;
    }
    g_reported = true;
    ReportFileFailure(message);
}

} // namespace

bool ChangeSettings(const std::function<void(QSettings&)>& change)
{
    const QString path = SettingsFilePath();
    const std::string target = path.toStdString();
    QTemporaryDir staging;
    if (!staging.isValid()) {
        ReportFailure(WriteErrorText(target, ENOSPC));
        return false;
    }
    const QString copy = staging.filePath(QStringLiteral("settings.conf"));
    if (QFileInfo::exists(path) && !QFile::copy(path, copy)) {
        ReportFailure(ReadErrorText(target, EACCES));
        return false;
    }
    {
        // On Unix the native format is the settings file's own text form.
        QSettings staged(copy, QSettings::NativeFormat);
        change(staged);
        staged.sync();
        if (staged.status() != QSettings::NoError) {
            ReportFailure(WriteErrorText(target, ENOSPC));
            return false;
        }
    }
    QFile file(copy);
    QByteArray bytes;
    if (file.exists()) {
        if (!file.open(QIODevice::ReadOnly)) {
            ReportFailure(WriteErrorText(target, EIO));
            return false;
        }
        bytes = file.readAll();
    }
    QDir().mkpath(QFileInfo(path).absolutePath());
    std::string error;
    if (!WriteFileSafely(target, bytes.constData(), size_t(bytes.size()), &error)) {
        ReportFailure(error);
        return false;
    }
    return true;
}
