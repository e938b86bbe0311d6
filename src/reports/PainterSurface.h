#pragma once

#include "PrintSurface.h"

#include <QDateTime>
#include <QFont>
#include <QFontMetricsF>
#include <QHash>
#include <QPainter>
#include <QStringList>
#include <memory>

class QFileDevice;
class QPagedPaintDevice;
class QPdfWriter;
class QPrinter;
class QSaveFile;

namespace reports {

class PdfSurface;

// Where a document of the run goes in the folder: its name, the run's date and time, never an
// earlier file's name ("Classement - 2026-12-09 23h40m12", then " (2)"...), free for every one
// of the extensions. Without the extension.
QString freeDocumentPath(const QString& folder, QString document, const QDateTime& when,
                         const QStringList& extensions);

// Why a file of the reports could not be written into the folder, in the organiser's words,
// as a clause to follow a colon ("le disque est plein ; ..."): never the system's English,
// which goes to Velmora.log with the file's name.
QString fileFailure(const QFileDevice& file, const QString& folder);

// A new PDF file of the run for the document in the folder (made if need be), named as
// freeDocumentPath says, written under a temporary name and renamed only once complete: a
// failure leaves no half-written file under the final name. Throws PrintError.
std::unique_ptr<QSaveFile> openPdfFile(const QString& folder, const QString& document,
                                       const QDateTime& when);

// The print surface on paper. Each document goes to the system's default printer; or, given
// a folder, into a PDF file there (A4 portrait) named after the document and the time of the
// run, never written over an earlier file. Documents that follow one another under the same
// name (the score sheets of a round) share one file, a page each: a file costs the embedding
// of its fonts, about 5 ms, and one file of 999 sheets is also easier to print than 999.
// The PDF files are written by PdfSurface, the same pages at a fraction of QPdfWriter's cost;
// VELMORA_QT_PDF=1 in the environment draws them through QPdfWriter as before, to compare.
class PainterSurface : public PrintSurface {
public:
    // No folder: the default printer. The time names the run's files.
    explicit PainterSurface(QString pdfFolder = QString(),
                            QDateTime runTime = QDateTime::currentDateTime());
    ~PainterSurface() override;

    void Line(double x1, double y1, double x2, double y2, bool box) override;
    void PaintPicture(const QImage& picture, double x, double y, double width,
                      double height) override;
    void NewPage() override;
    void EndDoc() override;
    void KillDoc() override;
    void EndJob() override;
    int Page() const override;

    // The PDF files finished so far, in order.
    const QStringList& files() const;
    QString folder() const { return m_folder; }

    // Margins of the PDF page: where a printer's printable area usually starts.
    static constexpr double kPdfMarginMm = 5.0;
    static constexpr int kPdfResolution = 300;

protected:
    void printText(const QString& text, double width) override;

private:
    void begin();
    void openFile();
    void closeFile();
    QPointF device(double x, double y) const;
    // The state the reports set, handed to the PDF writer before each of its operations.
    PdfSurface& direct();

    QString m_folder;
    QDateTime m_runTime;
    std::unique_ptr<QPrinter> m_printer;
    std::unique_ptr<QSaveFile> m_file;
    std::unique_ptr<QPdfWriter> m_pdf;
    QString m_fileDocument; // the name of the documents in the open file
    QPagedPaintDevice* m_device = nullptr;
    QPainter m_painter;
    bool m_document = false; // a document is under way
    double m_dotsPerMm = 0;
    QFont m_font;
    std::unique_ptr<QFontMetricsF> m_metrics;          // of m_font on the device
    QHash<QString, QHash<QString, double>> m_advances; // widths of the texts fitted, by font
    double m_ascent = 0;
    int m_page = 1;
    QStringList m_files;
    std::unique_ptr<PdfSurface> m_direct; // the PDF files, unless drawn through QPdfWriter
};

} // namespace reports
