#include "PainterSurface.h"

#include "PdfSurface.h"
#include "common/Cause.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QPdfWriter>
#include <QPrinter>
#include <QSaveFile>
#include <algorithm>

namespace reports {

PainterSurface::PainterSurface(QString pdfFolder, QDateTime runTime)
    : m_folder(std::move(pdfFolder)), m_runTime(std::move(runTime)) {
    if (!m_folder.isEmpty() && qEnvironmentVariableIntValue("VELMORA_QT_PDF") != 1 &&
        PdfSurface::embedsTheReportsFaces())
        m_direct = std::make_unique<PdfSurface>(m_folder, m_runTime);
}

PainterSurface::~PainterSurface() {
    KillDoc();
}

PdfSurface& PainterSurface::direct() {
    m_direct->ScaleMode = ScaleMode;
    m_direct->DrawWidth = DrawWidth;
    m_direct->FontName = FontName;
    m_direct->FontSize = FontSize;
    m_direct->FontBold = FontBold;
    m_direct->CurrentX = CurrentX;
    m_direct->CurrentY = CurrentY;
    m_direct->DocumentName = DocumentName;
    return *m_direct;
}

int PainterSurface::Page() const {
    return m_direct ? m_direct->Page() : m_page;
}

const QStringList& PainterSurface::files() const {
    return m_direct ? m_direct->files() : m_files;
}

QString freeDocumentPath(const QString& folder, QString document, const QDateTime& when,
                         const QStringList& extensions) {
    if (document.isEmpty())
        document = QStringLiteral("Impression");
    // Nothing that a file name may not hold.
    for (QChar& c : document)
        if (QStringLiteral("/\\:*?\"<>|").contains(c))
            c = u'-';
    const QString base = document + when.toString(QStringLiteral(" - yyyy-MM-dd HH'h'mm'm'ss"));
    const QDir dir(folder);
    QString name = base;
    const auto taken = [&dir, &extensions](const QString& candidate) {
        for (const QString& extension : extensions)
            if (QFileInfo::exists(dir.filePath(candidate + extension)))
                return true;
        return false;
    };
    for (int n = 2; taken(name); ++n)
        name = QStringLiteral("%1 (%2)").arg(base).arg(n);
    return dir.filePath(name);
}

QString fileFailure(const QFileDevice& file, const QString& folder) {
    common::logDetail(QStringLiteral("Impression : %1 : %2")
                          .arg(QDir::toNativeSeparators(file.fileName()), file.errorString()));
    const QString shown = QDir::toNativeSeparators(folder);
    if (file.error() == QFileDevice::ResourceError)
        return QStringLiteral("le disque du dossier %1 est plein ; libérez de la place sur le "
                              "disque")
            .arg(shown);
    const QFileInfo where(folder);
    if (!where.isDir())
        return QStringLiteral("le dossier %1 n'existe plus (déplacé ou supprimé pendant "
                              "l'écriture)")
            .arg(shown);
    if (!where.isWritable())
        return QStringLiteral("le dossier %1 est protégé en écriture ; rendez-le modifiable")
            .arg(shown);
    return QStringLiteral("le fichier %1 n'a pas pu être écrit (le détail est noté dans "
                          "Velmora.log)")
        .arg(QDir::toNativeSeparators(file.fileName()));
}

std::unique_ptr<QSaveFile> openPdfFile(const QString& folder, const QString& document,
                                       const QDateTime& when) {
    if (!QDir().mkpath(folder))
        throw PrintError(QStringLiteral("le dossier %1 ne peut pas être créé")
                             .arg(QDir::toNativeSeparators(folder)));
    auto file = std::make_unique<QSaveFile>(
        freeDocumentPath(folder, document, when, {QStringLiteral(".pdf")}) +
        QStringLiteral(".pdf"));
    if (!file->open(QIODevice::WriteOnly))
        throw PrintError(fileFailure(*file, folder));
    return file;
}

void PainterSurface::begin() {
    if (m_document)
        return;
    if (m_folder.isEmpty()) {
        m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        m_printer->setDocName(DocumentName);
        m_printer->setPageSize(QPageSize(QPageSize::A4));
        m_printer->setPageOrientation(QPageLayout::Portrait);
        m_printer->setCopyCount(1);
        m_printer->setFullPage(false); // the origin is the printable area's corner
        if (!m_painter.begin(m_printer.get())) {
            m_printer.reset();
            throw PrintError(QStringLiteral("l'imprimante ne répond pas"));
        }
        m_device = m_printer.get();
    } else if (m_painter.isActive() && DocumentName == m_fileDocument) {
        if (!m_device->newPage())
            throw PrintError(QStringLiteral("la page suivante n'a pas pu être commencée"));
    } else {
        closeFile();
        openFile();
    }
    m_document = true;
    m_page = 1;
    m_dotsPerMm = m_device->logicalDpiY() / 25.4;
}

void PainterSurface::openFile() {
    m_file = openPdfFile(m_folder, DocumentName, m_runTime);
    m_pdf = std::make_unique<QPdfWriter>(m_file.get());
    m_pdf->setTitle(DocumentName);
    m_pdf->setCreator(QStringLiteral("Velmora"));
    m_pdf->setResolution(kPdfResolution);
    m_pdf->setPageLayout(
        QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                    QMarginsF(kPdfMarginMm, kPdfMarginMm, kPdfMarginMm, kPdfMarginMm),
                    QPageLayout::Millimeter));
    if (!m_painter.begin(m_pdf.get())) {
        KillDoc();
        throw PrintError(QStringLiteral("le fichier PDF ne peut pas être dessiné"));
    }
    m_device = m_pdf.get();
    m_fileDocument = DocumentName;
}

void PainterSurface::closeFile() {
    if (!m_file)
        return;
    const bool drawn = !m_painter.isActive() || m_painter.end();
    m_device = nullptr;
    m_font = QFont();
    m_metrics.reset();
    m_pdf.reset();
    const QString name = m_file->fileName();
    const bool written = drawn && m_file->commit();
    const QString cause = written ? QString() : fileFailure(*m_file, m_folder);
    m_file.reset();
    if (!written)
        throw PrintError(cause);
    m_files.append(name);
}

QPointF PainterSurface::device(double x, double y) const {
    const double scale = unitInMm() * m_dotsPerMm;
    return {x * scale, y * scale};
}

void PainterSurface::printText(const QString& text, double width) {
    if (m_direct)
        return direct().Print(text, width);
    begin();
    // A blank leaves no mark; drawn, it would only add its font to the file.
    if (text.trimmed().isEmpty())
        return;
    if (!m_metrics || m_font.family() != FontName || m_font.pointSizeF() != FontSize ||
        m_font.bold() != FontBold) {
        m_font = QFont(FontName);
        m_font.setPointSizeF(FontSize);
        m_font.setBold(FontBold);
        // Paper needs no hinting for a screen's pixels; it is most of the cost of a font.
        m_font.setHintingPreference(QFont::PreferNoHinting);
        m_painter.setFont(m_font);
        m_metrics = std::make_unique<QFontMetricsF>(m_painter.font(), m_device);
        m_ascent = m_metrics->ascent();
    }
    // The position names the top of the character cell; the painter wants the base line.
    const QPointF baseLine = device(CurrentX, CurrentY) + QPointF(0, m_ascent);
    // The gap is in millimetres, the width in the current unit.
    const double room =
        width > 0 ? std::max(device(width, 0).x() - kColumnGap * m_dotsPerMm, m_dotsPerMm) : 0;
    double advance = 0;
    if (room > 0) {
        // A name comes back in every round's list: measured once per font.
        QHash<QString, double>& measured = m_advances[m_font.key()];
        const auto known = measured.constFind(text);
        advance = known != measured.cend()
                      ? *known
                      : *measured.insert(text, m_metrics->horizontalAdvance(text));
    }
    if (advance <= room) {
        m_painter.drawText(baseLine, text);
        return;
    }
    // Too wide for its column: condensed as far as it still reads well, then cut.
    const double stretch = std::max(kNarrowest, room / advance);
    const QString shown =
        stretch > kNarrowest ? text : m_metrics->elidedText(text, Qt::ElideRight, room / stretch);
    m_painter.save();
    m_painter.translate(baseLine);
    m_painter.scale(stretch, 1);
    m_painter.drawText(QPointF(0, 0), shown);
    m_painter.restore();
}

void PainterSurface::Line(double x1, double y1, double x2, double y2, bool box) {
    if (m_direct)
        return direct().Line(x1, y1, x2, y2, box);
    begin();
    m_painter.setPen(QPen(Qt::black, DrawWidth, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    m_painter.setBrush(Qt::NoBrush);
    if (box)
        m_painter.drawRect(QRectF(device(x1, y1), device(x2, y2)).normalized());
    else
        m_painter.drawLine(device(x1, y1), device(x2, y2));
}

void PainterSurface::PaintPicture(const QImage& picture, double x, double y, double width,
                                  double height) {
    if (m_direct)
        return direct().PaintPicture(picture, x, y, width, height);
    begin();
    m_painter.save();
    m_painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    m_painter.drawImage(QRectF(device(x, y), device(x + width, y + height)), picture);
    m_painter.restore();
}

void PainterSurface::NewPage() {
    if (m_direct)
        return direct().NewPage();
    begin();
    if (!m_device->newPage())
        throw PrintError(QStringLiteral("la page suivante n'a pas pu être commencée"));
    ++m_page;
}

void PainterSurface::EndDoc() {
    if (m_direct)
        return direct().EndDoc();
    if (!m_document)
        return;
    m_document = false;
    m_page = 1;
    if (!m_printer)
        return; // the file stays open for a next document of the same name
    const bool drawn = m_painter.end();
    m_device = nullptr;
    m_font = QFont();
    m_metrics.reset();
    const bool failed = !drawn || m_printer->printerState() == QPrinter::Error;
    m_printer.reset();
    if (failed)
        throw PrintError(QStringLiteral("l'imprimante a refusé le document"));
}

void PainterSurface::EndJob() {
    if (m_direct)
        return direct().EndJob();
    EndDoc();
    closeFile();
}

void PainterSurface::KillDoc() {
    if (m_direct)
        return m_direct->KillDoc();
    if (m_printer && m_painter.isActive())
        m_printer->abort();
    if (m_painter.isActive())
        m_painter.end();
    m_document = false;
    m_device = nullptr;
    m_font = QFont();
    m_metrics.reset();
    m_printer.reset();
    m_pdf.reset();
    if (m_file) {
        // The open file goes whole, with any earlier document bound into it.
        m_file->cancelWriting();
        m_file.reset();
    }
    m_page = 1;
}

} // namespace reports
