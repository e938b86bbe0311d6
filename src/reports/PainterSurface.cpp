#include "PainterSurface.h"

#include <QDir>
#include <QFileInfo>
#include <QPdfWriter>
#include <QPrinter>
#include <QSaveFile>

namespace reports {

PainterSurface::PainterSurface(QString pdfFolder, QDateTime runTime)
    : m_folder(std::move(pdfFolder)), m_runTime(std::move(runTime)) {}

PainterSurface::~PainterSurface() {
    KillDoc();
}

QString PainterSurface::freeFileName() const {
    QString base = DocumentName.isEmpty() ? QStringLiteral("Impression") : DocumentName;
    // Nothing that a file name may not hold.
    for (QChar& c : base)
        if (QStringLiteral("/\\:*?\"<>|").contains(c))
            c = u'-';
    base += m_runTime.toString(QStringLiteral(" - yyyy-MM-dd HH'h'mm'm'ss"));
    const QDir dir(m_folder);
    QString name = base + QStringLiteral(".pdf");
    for (int n = 2; QFileInfo::exists(dir.filePath(name)); ++n)
        name = QStringLiteral("%1 (%2).pdf").arg(base).arg(n);
    return dir.filePath(name);
}

void PainterSurface::begin() {
    if (m_painter.isActive())
        return;
    m_page = 1;
    if (m_folder.isEmpty()) {
        m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        m_printer->setDocName(DocumentName);
        m_printer->setPageSize(QPageSize(QPageSize::A4));
        m_printer->setPageOrientation(QPageLayout::Portrait);
        m_printer->setCopyCount(1);
        m_printer->setFullPage(false); // the origin is the printable area's corner
        m_device = m_printer.get();
        if (!m_painter.begin(m_printer.get())) {
            m_printer.reset();
            throw PrintError(QStringLiteral("l'imprimante ne répond pas"));
        }
    } else {
        if (!QDir().mkpath(m_folder))
            throw PrintError(QStringLiteral("le dossier %1 ne peut pas être créé")
                                 .arg(QDir::toNativeSeparators(m_folder)));
        // Written under a temporary name and renamed only once complete: a failure leaves no
        // half-written file under the final name.
        m_file = std::make_unique<QSaveFile>(freeFileName());
        if (!m_file->open(QIODevice::WriteOnly)) {
            const QString cause = m_file->errorString();
            m_file.reset();
            throw PrintError(QStringLiteral("le dossier %1 n'accepte pas de fichier (%2)")
                                 .arg(QDir::toNativeSeparators(m_folder), cause));
        }
        m_pdf = std::make_unique<QPdfWriter>(m_file.get());
        m_pdf->setTitle(DocumentName);
        m_pdf->setCreator(QStringLiteral("Velmora"));
        m_pdf->setResolution(kPdfResolution);
        m_pdf->setPageLayout(
            QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                        QMarginsF(kPdfMarginMm, kPdfMarginMm, kPdfMarginMm, kPdfMarginMm),
                        QPageLayout::Millimeter));
        m_device = m_pdf.get();
        if (!m_painter.begin(m_pdf.get())) {
            KillDoc();
            throw PrintError(QStringLiteral("le fichier PDF ne peut pas être dessiné"));
        }
    }
    m_dotsPerMm = m_device->logicalDpiY() / 25.4;
}

QPointF PainterSurface::device(double x, double y) const {
    const double scale = unitInMm() * m_dotsPerMm;
    return {x * scale, y * scale};
}

void PainterSurface::printText(const QString& text) {
    begin();
    if (m_font.family() != FontName || m_font.pointSizeF() != FontSize ||
        m_font.bold() != FontBold) {
        m_font = QFont(FontName);
        m_font.setPointSizeF(FontSize);
        m_font.setBold(FontBold);
        m_painter.setFont(m_font);
    }
    const QFontMetricsF metrics(m_painter.font(), m_device);
    // The position names the top of the character cell; the painter wants the base line.
    m_painter.drawText(device(CurrentX, CurrentY) + QPointF(0, metrics.ascent()), text);
}

void PainterSurface::Line(double x1, double y1, double x2, double y2, bool box) {
    begin();
    m_painter.setPen(QPen(Qt::black, DrawWidth, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    m_painter.setBrush(Qt::NoBrush);
    if (box)
        m_painter.drawRect(QRectF(device(x1, y1), device(x2, y2)).normalized());
    else
        m_painter.drawLine(device(x1, y1), device(x2, y2));
}

void PainterSurface::NewPage() {
    begin();
    if (!m_device->newPage())
        throw PrintError(QStringLiteral("la page suivante n'a pas pu être commencée"));
    ++m_page;
}

void PainterSurface::EndDoc() {
    if (!m_painter.isActive())
        return;
    const bool drawn = m_painter.end();
    m_device = nullptr;
    m_font = QFont();
    if (m_printer) {
        const bool failed = !drawn || m_printer->printerState() == QPrinter::Error;
        m_printer.reset();
        if (failed)
            throw PrintError(QStringLiteral("l'imprimante a refusé le document"));
    } else {
        m_pdf.reset();
        const QString name = m_file->fileName();
        const bool written = drawn && m_file->commit();
        const QString cause = m_file->errorString();
        m_file.reset();
        if (!written)
            throw PrintError(QStringLiteral("le fichier %1 n'a pas pu être écrit (%2)")
                                 .arg(QDir::toNativeSeparators(name), cause));
        m_files.append(name);
    }
    m_page = 1;
}

void PainterSurface::KillDoc() {
    if (m_printer && m_painter.isActive())
        m_printer->abort();
    if (m_painter.isActive())
        m_painter.end();
    m_device = nullptr;
    m_font = QFont();
    m_printer.reset();
    m_pdf.reset();
    if (m_file) {
        m_file->cancelWriting();
        m_file.reset(); // the temporary file goes with it
    }
    m_page = 1;
}

} // namespace reports
