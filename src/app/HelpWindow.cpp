#include "app/HelpWindow.h"

#include "views/Language.h"

#include <QFile>
#include <QHBoxLayout>
#include <QImage>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <QSplitter>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextDocument>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {

// The pages in the order of the contents list.
const char* const kPageNames[] = {"start",     "tools",    "aids",  "layers",   "palettes", "exchange",
                                  "animation", "printing", "batch", "settings", "commands"};

// The pictures are windows of the editor, pixel for pixel: each of their
// pixels becomes a whole square of device pixels at the ratio the page is
// shown at, never a resampled blur or moiré.
class CManualBrowser : public QTextBrowser {
public:
    using QTextBrowser::QTextBrowser;

    QVariant loadResource(int type, const QUrl& name) override
    {
        const QVariant resource = QTextBrowser::loadResource(type, name);
        if (type != QTextDocument::ImageResource)
            return resource;
        QImage image;
        if (resource.userType() == QMetaType::QByteArray)
            image.loadFromData(resource.toByteArray());
        else if (resource.userType() == QMetaType::QImage)
            image = resource.value<QImage>();
        else if (resource.userType() == QMetaType::QPixmap)
            image = resource.value<QPixmap>().toImage();
        if (image.isNull())
            return resource;
        const qreal ratio = viewport()->devicePixelRatioF();
        const int whole = std::max(1, int(std::lround(ratio)));
        if (whole > 1)
            image = image.scaled(image.size() * whole, Qt::IgnoreAspectRatio, Qt::FastTransformation);
        // Shown at (its size / ratio) logical pixels: one picture pixel is
        // one device pixel.
        image.setDevicePixelRatio(ratio);
        return image;
    }
};

} // namespace

CHelpWindow::CHelpWindow(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setWindowTitle(tr("Tesvan ヘルプ"));
    // Room for the pictures at their own size; smaller screens get less.
    resize(1200, 780);

    m_pSearch = new QLineEdit(this);
    m_pSearch->setPlaceholderText(tr("検索"));
    m_pSearch->setClearButtonEnabled(true);
    m_pContents = new QListWidget(this);
    m_pBrowser = new CManualBrowser(this);
    // Links to other pages open here; nothing goes to a browser or the network.
    m_pBrowser->setOpenExternalLinks(false);
    m_pBrowser->setOpenLinks(true);

    auto* side = new QWidget(this);
    auto* sideLayout = new QVBoxLayout(side);
    sideLayout->setContentsMargins(0, 0, 0, 0);
    sideLayout->addWidget(m_pSearch);
    sideLayout->addWidget(m_pContents, 1);
    auto* splitter = new QSplitter(this);
    splitter->addWidget(side);
    splitter->addWidget(m_pBrowser);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({220, 980});
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(splitter);

    LoadPages();
    connect(m_pContents, &QListWidget::currentRowChanged, this, [this](int row) {
        if (QListWidgetItem* item = m_pContents->item(row))
            ShowPage(item->data(Qt::UserRole).toInt());
    });
    connect(m_pBrowser, &QTextBrowser::sourceChanged, this, &CHelpWindow::OnSourceChanged);
    connect(m_pSearch, &QLineEdit::textChanged, this, &CHelpWindow::Search);
    connect(m_pSearch, &QLineEdit::returnPressed, this, [this] {
        const QString words = m_pSearch->text().trimmed();
        if (!words.isEmpty() && !m_pBrowser->find(words)) {
            m_pBrowser->moveCursor(QTextCursor::Start);
            m_pBrowser->find(words);
        }
    });
}

void CHelpWindow::LoadPages()
{
    const QString lang = LanguageCode(CurrentLanguage());
    for (const char* name : kPageNames) {
        const QString path = QStringLiteral(":/manual/%1/%2.md").arg(lang, QLatin1String(name));
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            continue;
        Page page;
        page.url = QStringLiteral("qrc") + path;
        page.text = QString::fromUtf8(file.readAll());
        page.title = page.text.section(QLatin1Char('\n'), 0, 0);
        if (page.title.startsWith(QLatin1String("# ")))
            page.title = page.title.mid(2).trimmed();
        auto* item = new QListWidgetItem(page.title, m_pContents);
        item->setData(Qt::UserRole, int(m_Pages.size()));
        m_Pages << page;
    }
    if (m_Pages.isEmpty())
        m_pBrowser->setPlainText(tr("このビルドにはマニュアルが含まれていません。"));
}

void CHelpWindow::ShowContents()
{
    if (m_nShown < 0 && !m_Pages.isEmpty())
        ShowPage(0);
    show();
    raise();
    activateWindow();
}

void CHelpWindow::ShowPage(int index)
{
    if (index < 0 || index >= m_Pages.size() || index == m_nShown)
        return;
    m_pBrowser->setSource(QUrl(m_Pages[index].url), QTextDocument::MarkdownResource);
}

void CHelpWindow::OnSourceChanged(const QUrl& url)
{
    m_nShown = -1;
    for (int i = 0; i < m_Pages.size(); ++i)
        if (QUrl(m_Pages[i].url).path() == url.path())
            m_nShown = i;
    for (int row = 0; row < m_pContents->count(); ++row) {
        QListWidgetItem* item = m_pContents->item(row);
        if (item->data(Qt::UserRole).toInt() == m_nShown && m_pContents->currentRow() != row) {
            QSignalBlocker block(m_pContents);
            m_pContents->setCurrentRow(row);
        }
    }
}

QString CHelpWindow::PageTitle() const
{
    return isVisible() && m_nShown >= 0 ? m_Pages[m_nShown].title : QString();
}

void CHelpWindow::Search(const QString& words)
{
    // The list keeps the pages that hold every word typed.
    const QStringList terms = words.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (int row = 0; row < m_pContents->count(); ++row) {
        QListWidgetItem* item = m_pContents->item(row);
        const Page& page = m_Pages[item->data(Qt::UserRole).toInt()];
        bool all = true;
        for (const QString& term : terms)
            all = all && page.text.contains(term, Qt::CaseInsensitive);
        item->setHidden(!all);
    }
}
