#include "app/QtUiPort.h"
#include "views/FolderDialog.h"

#include "platform/DialogModel.h"
#include "views/DialogPresenters.h"
#include "views/Language.h"
#include "views/Print.h"

#include "app/FileDlgEx.h"

#include <QApplication>
#include <QClipboard>
#include <QColorDialog>
#include <QImage>
#include <QMimeData>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QFontInfo>
#include <QGridLayout>
#include <QLabel>
#include <QSpinBox>
#include <QMessageBox>

#include <algorithm>
#include <cstring>

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

QString g_strLastFolder;

QString PatternOf(const FileDialogRequest& request, const QString& nameFilter)
{
    for (const auto& filter : request.filters)
        if (CQtUiPort::NameFilter(filter) == nameFilter)
            return Q(filter.second);
    return {};
}

} // namespace

namespace {

const QString kClipMark = QStringLiteral("application/x-tesvan-picture");

QByteArray ProcessMark() { return QByteArray::number(QCoreApplication::applicationPid()); }

// None without a display (shell printing runs without one).
QClipboard* DesktopClipboard()
{
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) ? QGuiApplication::clipboard() : nullptr;
}

} // namespace

CQtUiPort::CQtUiPort() : m_pClipboardWatch(std::make_unique<QObject>())
{
    if (QClipboard* clipboard = DesktopClipboard())
        QObject::connect(clipboard, &QClipboard::dataChanged, m_pClipboardWatch.get(),
                         [this] { m_nHasPicture = -1; });
}

CQtUiPort::~CQtUiPort() = default;

QImage CQtUiPort::ImageFromPicture(const ClipboardPicture& picture)
{
    if (picture.width <= 0 || picture.height <= 0 ||
        picture.bgra.size() < size_t(picture.width) * size_t(picture.height) * 4)
        return {};
    // ARGB32 keeps each pixel as blue, green, red, alpha bytes in memory.
    QImage image(picture.width, picture.height, QImage::Format_ARGB32);
    for (int y = 0; y < picture.height && !image.isNull(); ++y)
        std::memcpy(image.scanLine(y), picture.bgra.data() + size_t(y) * size_t(picture.width) * 4,
                    size_t(picture.width) * 4);
    return image;
}

bool CQtUiPort::PictureFromImage(const QImage& image, ClipboardPicture& picture)
{
    if (image.isNull())
        return false;
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    picture.width = argb.width();
    picture.height = argb.height();
    picture.bgra.resize(size_t(picture.width) * size_t(picture.height) * 4);
    for (int y = 0; y < picture.height; ++y)
        std::memcpy(picture.bgra.data() + size_t(y) * size_t(picture.width) * 4, argb.constScanLine(y),
                    size_t(picture.width) * 4);
    return true;
}

void CQtUiPort::SetClipboardPicture(const ClipboardPicture& picture)
{
    QClipboard* clipboard = DesktopClipboard();
    const QImage image = ImageFromPicture(picture);
    if (!clipboard || image.isNull())
        return;
    auto* data = new QMimeData;
    data->setImageData(image);
    data->setData(kClipMark, ProcessMark());
    clipboard->setMimeData(data);
    m_nHasPicture = 1;
}

bool CQtUiPort::HasClipboardPicture()
{
    if (m_nHasPicture < 0) {
        QClipboard* clipboard = DesktopClipboard();
        const QMimeData* data = clipboard ? clipboard->mimeData() : nullptr;
        m_nHasPicture = data && data->hasImage() ? 1 : 0;
    }
    return m_nHasPicture == 1;
}

bool CQtUiPort::GetClipboardPicture(ClipboardPicture& picture, bool& foreign)
{
    QClipboard* clipboard = DesktopClipboard();
    const QMimeData* data = clipboard ? clipboard->mimeData() : nullptr;
    if (!data || !data->hasImage() || !PictureFromImage(qvariant_cast<QImage>(data->imageData()), picture))
        return false;
    foreign = data->data(kClipMark) != ProcessMark();
    return true;
}

QWidget* CQtUiPort::Owner()
{
    return QApplication::activeWindow();
}

void CQtUiPort::MessageBox(const std::string& text)
{
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Tesvan"), TrCore(Q(text)), QMessageBox::Ok, Owner());
    box.exec();
}

UiAnswer CQtUiPort::Question(const std::string& text, bool withCancel)
{
    QMessageBox::StandardButtons buttons = QMessageBox::Yes | QMessageBox::No;
    if (withCancel)
        buttons |= QMessageBox::Cancel;
    QMessageBox box(QMessageBox::Question, QStringLiteral("Tesvan"), TrCore(Q(text)), buttons, Owner());
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(withCancel ? QMessageBox::Cancel : QMessageBox::No);
    switch (box.exec()) {
    case QMessageBox::Yes: return UiAnswer::Yes;
    case QMessageBox::No: return UiAnswer::No;
    default: return withCancel ? UiAnswer::Cancel : UiAnswer::No;
    }
}

QString CQtUiPort::NameFilter(const std::pair<std::string, std::string>& filter)
{
    QString name = TrCore(Q(filter.first));
    if (name.endsWith(QLatin1Char(')')))
        return name;
    QString patterns = Q(filter.second);
    patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
    return name + QStringLiteral(" (") + patterns + QLatin1Char(')');
}

void CQtUiPort::PrepareFileDialog(QFileDialog& dialog, const FileDialogRequest& request)
{
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setAcceptMode(request.open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    dialog.setFileMode(request.open ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    if (!request.title.empty())
        dialog.setWindowTitle(TrCore(Q(request.title)));
    QStringList filters;
    for (const auto& filter : request.filters)
        filters << NameFilter(filter);
    if (!filters.isEmpty())
        dialog.setNameFilters(filters);
    if (request.selectedFilter >= 0 && request.selectedFilter < filters.size())
        dialog.selectNameFilter(filters[request.selectedFilter]);
    const QString folder = request.folder.empty() ? StartFolder() : Q(request.folder);
    if (!folder.isEmpty())
        dialog.setDirectory(folder);
    if (!request.initialName.empty())
        dialog.selectFile(request.initialNameIsText ? TrCore(Q(request.initialName)) : Q(request.initialName));

    if (request.extFollowsFilter) {
        auto follow = [&dialog, request](const QString& nameFilter) {
            QString ext = DefaultExtensionForPattern(PatternOf(request, nameFilter));
            if (ext.contains(QLatin1Char('*')) || ext.contains(QLatin1Char('?')))
                ext.clear();
            dialog.setDefaultSuffix(ext);
        };
        follow(dialog.selectedNameFilter());
        QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, follow);
    } else {
        dialog.setDefaultSuffix(Q(request.defaultExt));
    }
}

bool CQtUiPort::FileDialog(const FileDialogRequest& request, std::string& path)
{
    QFileDialog dialog(Owner());
    PrepareFileDialog(dialog, request);
    QSpinBox* scale = nullptr;
    if (request.scale) {
        // The toolkit's own dialog lays its controls out in a grid; the
        // scale goes in a row of its own below them.
        if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout())) {
            scale = new QSpinBox(&dialog);
            scale->setRange(1, 16);
            scale->setValue(std::clamp(*request.scale, 1, 16));
            const int row = grid->rowCount();
            grid->addWidget(new QLabel(TrCore(QStringLiteral("倍率")), &dialog), row, 0);
            grid->addWidget(scale, row, 1);
        }
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    if (scale)
        *request.scale = scale->value();
    QString chosen = dialog.selectedFiles().first();
    if (!request.open) {
        QString suffix = dialog.defaultSuffix();
        if (suffix.contains(QLatin1Char('*')))
            suffix.clear();
        chosen = ApplyDefaultExtension(chosen, suffix);
    }
    path = chosen.toStdString();
    g_strLastFolder = QFileInfo(chosen).absolutePath();
    return true;
}

QString CQtUiPort::StartFolder()
{
    const QString folder = s_documentFolder ? s_documentFolder() : QString();
    return folder.isEmpty() ? g_strLastFolder : folder;
}

bool CQtUiPort::ChooseColor(uint32_t& colour)
{
    QColor initial(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
    QColor chosen = QColorDialog::getColor(initial, Owner());
    if (!chosen.isValid())
        return false;
    colour = uint32_t(chosen.red()) | (uint32_t(chosen.green()) << 8) | (uint32_t(chosen.blue()) << 16);
    return true;
}

bool CQtUiPort::ChooseFolder(const std::string& title, std::string& folder)
{
    CFolderDialog dialog(Owner(), TrCore(Q(title)), Q(folder));
    if (dialog.DoModal() != 1)
        return false;
    folder = dialog.GetPath().toStdString();
    return true;
}

QFont CQtUiPort::FontFromLogFont(const LogFont& lf)
{
    QFont font(Q(lf.lfFaceName));
    int pixels = lf.lfHeight < 0 ? -lf.lfHeight : lf.lfHeight;
    // A cell height holds the internal leading too; the em is a little less.
    if (lf.lfHeight > 0)
        pixels = std::max(1, pixels * 7 / 8);
    font.setPixelSize(pixels > 0 ? pixels : 16);
    if (lf.lfWeight > 0)
        font.setWeight(QFont::Weight(std::clamp(int(lf.lfWeight), 1, 1000)));
    font.setItalic(lf.lfItalic != 0);
    font.setUnderline(lf.lfUnderline != 0);
    font.setStrikeOut(lf.lfStrikeOut != 0);
    return font;
}

void CQtUiPort::LogFontFromFont(const QFont& qfont, LogFont& lf)
{
    int pixels = qfont.pixelSize();
    if (pixels <= 0) {
        // The chooser speaks points; the record holds screen pixels (96 per inch).
        pixels = int(qfont.pointSizeF() * 96.0 / 72.0 + 0.5);
    }
    lf.lfHeight = -std::max(1, pixels);
    lf.lfWidth = 0;
    lf.lfWeight = qfont.weight();
    lf.lfItalic = qfont.italic() ? 1 : 0;
    lf.lfUnderline = qfont.underline() ? 1 : 0;
    lf.lfStrikeOut = qfont.strikeOut() ? 1 : 0;
    lf.lfFaceName = qfont.family().toStdString();
}

bool CQtUiPort::ChooseFont(LogFont& font)
{
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, FontFromLogFont(font), Owner(), QString(),
                                              QFontDialog::DontUseNativeDialog);
    if (!ok)
        return false;
    LogFontFromFont(chosen, font);
    return true;
}

bool CQtUiPort::DoModal(CDialogModel& dialog)
{
    const DialogPresenter* presenter = FindDialogPresenter(dialog.ClassName());
    if (!presenter) {
        MessageBox(std::string("この機能はまだ使えません。(") + dialog.ClassName() + ")");
        return false;
    }
    return (*presenter)(dialog, Owner());
}

bool CQtUiPort::ChoosePrinter(PrinterChoice& choice)
{
    return ChooseQtPrinter(choice, Owner());
}
