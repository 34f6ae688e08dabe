#include "views/Print.h"

#include "doc/ImageEx.h"
#include "doc/PrintLayout.h"
#include "doc/TesvanDoc.h"
#include "platform/SafeFile.h"
#include "views/Language.h"

#include <QBuffer>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QImage>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QVBoxLayout>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

QPrinter* g_pPrinter = nullptr;

// The printed picture at width x height device pixels from the origin.
void DrawOnPaper(QPainter& painter, const CImageEx& image, int width, int height)
{
    const QImage paper = RenderOnPaper(image);
    if (paper.isNull())
        return;
    // Whole pixels as blocks: no smoothing between them.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    // Pixel art must not come out blurred by a lossy encoding (PDF).
    painter.setRenderHint(QPainter::LosslessImageRendering, true);
    painter.drawImage(QRect(0, 0, width, height), paper);
}

// Prints one job on a Qt printer: the painter's origin is the top-left
// corner of the printable area.
class CQtPrintSink : public CPrintSink {
public:
    explicit CQtPrintSink(std::shared_ptr<QPrinter> printer) : m_pPrinter(std::move(printer)) {}

    bool StartDoc(const std::string& name) override
    {
        m_pPrinter->setDocName(Q(name));
        return m_Painter.begin(m_pPrinter.get());
    }
    // The painter's first page is open from the start of the job.
    bool StartPage() override { return m_Painter.isActive(); }
    void DrawImage(const CImageEx& image, int width, int height) override
    {
        DrawOnPaper(m_Painter, image, width, height);
    }
    void EndPage() override {}
    void EndDoc() override
    {
        if (m_Painter.isActive())
            m_Painter.end();
    }

private:
    std::shared_ptr<QPrinter> m_pPrinter;
    QPainter m_Painter;
};

// Printing into a PDF file: the toolkit's PDF writer renders into memory with
// the printer's page and resolution, and the file writer puts the bytes in
// place whole, so a failed or interrupted job never leaves a damaged file.
class CPdfFileSink : public CPrintSink {
public:
    CPdfFileSink(std::shared_ptr<QPrinter> printer, QString path)
        : m_pPrinter(std::move(printer)), m_strPath(std::move(path))
    {
    }

    bool StartDoc(const std::string& name) override
    {
        m_Buffer.open(QIODevice::WriteOnly);
        m_pWriter = std::make_unique<QPdfWriter>(&m_Buffer);
        m_pWriter->setResolution(m_pPrinter->resolution());
        m_pWriter->setPageLayout(m_pPrinter->pageLayout());
        m_pWriter->setTitle(Q(name));
        m_pWriter->setCreator(m_pPrinter->creator());
        m_bStarted = m_Painter.begin(m_pWriter.get());
        return m_bStarted;
    }
    bool StartPage() override { return m_Painter.isActive(); }
    void DrawImage(const CImageEx& image, int width, int height) override
    {
        DrawOnPaper(m_Painter, image, width, height);
    }
    void EndPage() override {}
    void EndDoc() override
    {
        if (!m_bStarted)
            return;
        const bool ended = m_Painter.end();
        m_pWriter.reset();
        m_Buffer.close();
        const QByteArray& bytes = m_Buffer.data();
        std::string error;
        if (!ended || bytes.isEmpty()) {
            m_bFailed = true;
            ReportFileFailure(WriteErrorText(m_strPath.toStdString(), ENOMEM));
        } else if (!WriteFileSafely(m_strPath.toStdString(), bytes.constData(), size_t(bytes.size()),
                                    &error)) {
            m_bFailed = true;
            ReportFileFailure(error);
        }
    }
    bool Failed() const override { return m_bFailed; }

private:
    std::shared_ptr<QPrinter> m_pPrinter;
    QString m_strPath;
    QBuffer m_Buffer;
    std::unique_ptr<QPdfWriter> m_pWriter;
    QPainter m_Painter;
    bool m_bStarted = false;
    bool m_bFailed = false;
};

} // namespace

QPrinter& AppPrinter()
{
    if (!g_pPrinter) {
        g_pPrinter = new QPrinter(QPrinter::HighResolution);
        qAddPostRoutine([] {
            delete g_pPrinter;
            g_pPrinter = nullptr;
        });
    }
    return *g_pPrinter;
}

QImage RenderOnPaper(const CImageEx& image)
{
    if (image.IsNull())
        return {};
    const int w = image.GetWidth(), h = image.GetHeight();
    CImageEx paper;
    if (!paper.CreateEx(w, h, 32))
        return {};
    for (int y = 0; y < h; ++y)
        std::memset(paper.GetRow(y), 0xFF, size_t(w) * 4);
    image.Draw(paper, 0, 0, w, h, 0, 0, w, h);
    QImage out(w, h, QImage::Format_RGB32);
    if (out.isNull())
        return {};
    for (int y = 0; y < h; ++y)
        std::memcpy(out.scanLine(y), paper.GetRow(y), size_t(w) * 4);
    return out;
}

PrinterChoice PrinterChoiceFor(std::shared_ptr<QPrinter> printer)
{
    PrinterChoice choice;
    const QRectF paper = printer->paperRect(QPrinter::DevicePixel);
    const QRectF page = printer->pageRect(QPrinter::DevicePixel);
    choice.nPageWidth = qRound(paper.width());
    choice.nPageHeight = qRound(paper.height());
    choice.nOffsetX = qRound(page.left() - paper.left());
    choice.nOffsetY = qRound(page.top() - paper.top());
    // Printing to a file (the dialog's choice or a .pdf name) goes through
    // the file writer.
    if (printer->outputFormat() == QPrinter::PdfFormat && !printer->outputFileName().isEmpty()) {
        const QString path = printer->outputFileName();
        choice.pSink = std::make_shared<CPdfFileSink>(std::move(printer), path);
    } else {
        choice.pSink = std::make_shared<CQtPrintSink>(std::move(printer));
    }
    return choice;
}

bool ChooseQtPrinter(PrinterChoice& choice, QWidget* owner)
{
    QPrinter& printer = AppPrinter();
    QPrintDialog dialog(&printer, owner);
    // One page is printed; a page range has nothing to choose from.
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    // The application keeps its printer; the job only borrows it.
    choice = PrinterChoiceFor(std::shared_ptr<QPrinter>(&printer, [](QPrinter*) {}));
    return true;
}

bool PresentPrintScaleDlg(CDialogModel& model, QWidget* owner)
{
    auto& dlg = dynamic_cast<CPrintScaleDlg&>(model);
    QDialog dialog(owner);
    dialog.setWindowTitle(TrCore(Q(CPrintScaleDlg::kTitle)));
    auto* fit = new QCheckBox(TrCore(Q(CPrintScaleDlg::kFitLabel)), &dialog);
    fit->setChecked(dlg.m_bFit != 0);
    auto* scale = new QLineEdit(Q(dlg.ScaleText()), &dialog);
    scale->setMaximumWidth(60);
    scale->setAlignment(Qt::AlignRight);
    auto* maxText = new QLabel(TrCore(Q(dlg.m_strMax)), &dialog);
    auto syncEdit = [&] { scale->setEnabled(dlg.m_nMaxScale > 1 && !fit->isChecked()); };
    syncEdit();
    QObject::connect(fit, &QCheckBox::toggled, &dialog, syncEdit);

    auto* buttons = new QDialogButtonBox(&dialog);
    buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(QCoreApplication::translate("Print", "キャンセル"), QDialogButtonBox::RejectRole);

    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(TrCore(Q(CPrintScaleDlg::kScaleLabel)), &dialog));
    row->addWidget(scale);
    row->addWidget(new QLabel(TrCore(Q(CPrintScaleDlg::kScaleUnit)), &dialog));
    row->addStretch(1);
    auto* column = new QVBoxLayout(&dialog);
    column->addWidget(fit);
    column->addLayout(row);
    column->addWidget(maxText);
    column->addWidget(buttons);

    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, [&] {
        CPrintScaleDlg confirmed = dlg;
        confirmed.m_bFit = fit->isChecked() ? 1 : 0;
        confirmed.SetScaleText(scale->text().toStdString());
        std::string message;
        if (!confirmed.Validate(message)) {
            UiPort().MessageBox(message);
            scale->setFocus();
            scale->selectAll();
            return;
        }
        dlg = confirmed;
        dialog.accept();
    });
    return dialog.exec() == QDialog::Accepted;
}

int PrintFromShell(const QString& file, const QString& printerName, bool named)
{
    auto printer = std::make_shared<QPrinter>(QPrinter::HighResolution);
    if (named && printerName.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive)) {
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(QFileInfo(printerName).absoluteFilePath());
    } else {
        const QPrinterInfo info =
            named ? QPrinterInfo::printerInfo(printerName) : QPrinterInfo::defaultPrinter();
        if (info.isNull()) {
            const QString text =
                named ? QCoreApplication::translate("Print", "プリンター %1 が見つかりません。").arg(printerName)
                      : QCoreApplication::translate("Print", "既定のプリンターがありません。");
            std::fprintf(stderr, "tesvan: %s\n", text.toLocal8Bit().constData());
            return 1;
        }
        printer->setPrinterName(info.printerName());
    }

    CTesvanDoc doc;
    doc.OnNewDocument();
    // A failed open has been reported with the file and the reason.
    const QString path = QFileInfo(file).absoluteFilePath();
    if (!doc.OnOpenDocument(path.toStdString()))
        return 1;
    const unsigned failures = FileFailureCount();
    if (!doc.PrintSheet(PrinterChoiceFor(printer), false)) {
        if (FileFailureCount() == failures)
            std::fprintf(stderr, "tesvan: %s\n",
                         QCoreApplication::translate("Print", "印刷できませんでした。").toLocal8Bit().constData());
        return 1;
    }
    return 0;
}
