#include "dossier.h"

#include "dossiercontent.h"
#include "outputactions.h"

#include "data/database.h"
#include "output/ownerfiles.h"
#include "screens/common/messages.h"

#include <QDate>
#include <QDir>
#include <QPaintEngine>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrinter>

namespace Dossier {

namespace {

using Kind = DossierItem::Kind;
const QString RegisterName = QStringLiteral("Evidenta zavonilor");
constexpr int Flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap;

// Sizes in millimetres, turned into the printer's pixels once.
class Layout
{
public:
    Layout(QPainter *painter, const QRect &page)
        : m_painter(painter)
        , m_page(page)
        , m_mm(painter->device()->logicalDpiY() / 25.4)
    {
        m_body = QFont(QStringLiteral("DejaVu Sans"));
        m_body.setPointSizeF(9.5);
        m_bold = m_body;
        m_bold.setBold(true);
        m_section = m_bold;
        m_section.setPointSizeF(12);
        m_captionWidth = mm(38);
        m_headerHeight = textHeight(m_section, page.width(), RegisterName) * 2 + mm(4);
        m_footerHeight = textHeight(m_body, page.width(), RegisterName) + mm(3);
    }

    int mm(double millimetres) const { return int(millimetres * m_mm); }
    int bodyTop() const { return m_headerHeight; }
    int bodyBottom() const { return m_page.height() - m_footerHeight; }

    int height(const DossierItem &item) const
    {
        const int width = m_page.width();
        switch (item.kind) {
        case Kind::Section:
            return mm(4) + textHeight(m_section, width, item.caption) + mm(1.5);
        case Kind::Heading:
            return mm(3) + textHeight(m_bold, width, item.caption) + mm(1);
        case Kind::Field:
            return qMax(textHeight(m_bold, m_captionWidth - mm(2), item.caption),
                        textHeight(m_body, width - m_captionWidth, item.text))
                   + mm(1);
        case Kind::Paragraph:
            return textHeight(m_body, width - m_captionWidth, item.text) + mm(1.5);
        }
        return 0;
    }

    void paint(const DossierItem &item, int y) const
    {
        const int width = m_page.width();
        const int h = height(item);
        switch (item.kind) {
        case Kind::Section:
            draw(m_section, QRect(0, y + mm(4), width, h), item.caption);
            break;
        case Kind::Heading:
            draw(m_bold, QRect(0, y + mm(3), width, h), item.caption);
            break;
        case Kind::Field:
            draw(m_bold, QRect(0, y, m_captionWidth - mm(2), h), item.caption);
            [[fallthrough]];
        case Kind::Paragraph:
            draw(m_body, QRect(m_captionWidth, y, width - m_captionWidth, h), item.text);
            break;
        }
    }

    void paintFrame(const QString &title, int page, int pages) const
    {
        const int width = m_page.width();
        draw(m_section, QRect(0, 0, width, m_headerHeight), RegisterName);
        draw(m_bold, QRect(0, m_headerHeight / 2, width, m_headerHeight / 2), title);
        m_painter->drawLine(0, m_headerHeight - mm(2), width, m_headerHeight - mm(2));
        const QRect foot(0, bodyBottom() + mm(3), width, m_footerHeight);
        m_painter->drawLine(0, bodyBottom() + mm(1.5), width, bodyBottom() + mm(1.5));
        m_painter->setFont(m_body);
        m_painter->drawText(foot, Qt::AlignLeft | Qt::AlignTop,
                            QStringLiteral("Tipărit la %1")
                                .arg(QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy"))));
        m_painter->drawText(foot, Qt::AlignRight | Qt::AlignTop,
                            QStringLiteral("Pagina %1 din %2").arg(page).arg(pages));
    }

private:
    int textHeight(const QFont &font, int width, const QString &text) const
    {
        m_painter->setFont(font);
        return m_painter->boundingRect(QRect(0, 0, width, 1 << 20), Flags, text).height();
    }

    void draw(const QFont &font, const QRect &rect, const QString &text) const
    {
        m_painter->setFont(font);
        m_painter->drawText(rect, Flags, text);
    }

    QPainter *m_painter;
    QRect m_page;
    double m_mm;
    QFont m_body, m_bold, m_section;
    int m_captionWidth = 0;
    int m_headerHeight = 0;
    int m_footerHeight = 0;
};

struct Placed
{
    int item;
    int y;
};

// A caption stays with what it introduces.
bool keepsWithNext(const QList<DossierItem> &items, int i)
{
    const DossierItem &item = items.at(i);
    return i + 1 < items.size()
           && (item.kind == Kind::Section || item.kind == Kind::Heading
               || (item.kind == Kind::Field && item.text.isEmpty()));
}

QList<QList<Placed>> paginate(const Layout &layout, const QList<DossierItem> &items)
{
    QList<QList<Placed>> pages(1);
    int y = layout.bodyTop();
    for (int i = 0; i < items.size(); ++i) {
        int needed = layout.height(items.at(i));
        if (keepsWithNext(items, i))
            needed += layout.height(items.at(i + 1));
        if (y + needed > layout.bodyBottom() && !pages.last().isEmpty()) {
            pages.append(QList<Placed>());
            y = layout.bodyTop();
        }
        pages.last().append({i, y});
        y += layout.height(items.at(i));
    }
    return pages;
}

} // namespace

void setUp(QPrinter *printer, const QString &cnp)
{
    printer->setPageSize(QPageSize(QPageSize::A4));
    printer->setPageOrientation(QPageLayout::Portrait);
    printer->setPageMargins(QMarginsF(18, 15, 15, 15), QPageLayout::Millimeter);
    printer->setDocName(QStringLiteral("Dosar %1").arg(cnp));
    printer->setOutputFileName(
        QDir(OutputActions::documentsFolder()).filePath(QStringLiteral("Dosar-%1.pdf").arg(cnp)));
}

void paint(const DossierContent &content, QPrinter *printer)
{
    // The preview paints through its own engine; only a real PDF is a file.
    const bool toFile = printer->outputFormat() == QPrinter::PdfFormat
                        && printer->paintEngine()->type() == QPaintEngine::Pdf;
    if (toFile && !OwnerFiles::prepare(printer->outputFileName(), nullptr))
        return;
    QPainter painter;
    if (!painter.begin(printer))
        return;
    const QRect page(QPoint(0, 0), printer->pageLayout().paintRectPixels(printer->resolution())
                                       .size());
    const Layout layout(&painter, page);
    const QList<QList<Placed>> pages = paginate(layout, content.items());
    for (int p = 0; p < pages.size(); ++p) {
        if (p > 0)
            printer->newPage();
        layout.paintFrame(content.title(), p + 1, int(pages.size()));
        for (const Placed &placed : pages.at(p))
            layout.paint(content.items().at(placed.item), placed.y);
    }
    painter.end();
}

void show(QWidget *parent, const QString &registerFile, const QString &cnp)
{
    DataError error;
    const auto db = Database::open(registerFile, &error);
    DossierContent content;
    if (!db || !content.read(*db, cnp, &error)) {
        Messages::dataError(parent, QStringLiteral("Dosarul nu poate fi alcătuit."), error);
        return;
    }
    QPrinter printer(QPrinter::HighResolution);
    setUp(&printer, cnp);
    QPrintPreviewDialog preview(&printer, parent);
    preview.setObjectName(QStringLiteral("DossierPreview"));
    preview.setWindowTitle(content.title());
    QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview,
                     [&content](QPrinter *p) { paint(content, p); });
    preview.exec();
}

} // namespace Dossier
