#pragma once

#include "PrintSurface.h"

#include <QBuffer>
#include <QByteArray>
#include <QDateTime>
#include <QFont>
#include <QFontMetricsF>
#include <QHash>
#include <QList>
#include <QRawFont>
#include <QStringList>
#include <map>
#include <memory>
#include <vector>

class QPdfWriter;
class QSaveFile;

namespace reports {

struct PdfFace;

// The print surface of the PDF files, written by hand rather than through QPdfWriter: the
// same pages, the same words at the same places, in the same embedded faces, at a fraction of
// the cost. Each text is measured by the same QFontMetricsF as on the printer's path, and
// placed glyph by glyph where Qt's own layout puts it (kerning included). Files are named,
// shared by documents of the same name, and refused as PainterSurface does.
class PdfSurface : public PrintSurface {
public:
    PdfSurface(QString folder, QDateTime runTime);
    ~PdfSurface() override;

    void Line(double x1, double y1, double x2, double y2, bool box) override;
    void PaintPicture(const QImage& picture, double x, double y, double width,
                      double height) override;
    void NewPage() override;
    void EndDoc() override;
    void KillDoc() override;
    void EndJob() override;
    int Page() const override { return m_page; }

    // The PDF files finished so far, in order.
    const QStringList& files() const { return m_files; }
    QString folder() const { return m_folder; }

    // The faces of "Arial" and "Times New Roman" on this machine have TrueType outlines, the
    // ones this surface embeds (Liberation Sans and Serif, as the program installs them).
    static bool embedsTheReportsFaces();

protected:
    void printText(const QString& text, double width) override;

private:
    // A text as the page draws it: its width as the fitting measures it, its glyphs, and the
    // show operator that puts each one where Qt's layout would.
    struct Shaped {
        double advance = -1; // not measured yet
        std::vector<std::pair<PdfFace*, quint32>> glyphs;
        QByteArray show;       // empty: not shaped yet
        bool ownFonts = false; // the show sets the faces that stand in for missing letters
        quint64 markedIn = 0;  // the file whose glyph list already holds these glyphs
    };
    // One font of the report (family, size, weight) on 300 dpi paper.
    struct Font {
        QString family;
        double points = 0;
        bool bold = false;
        PdfFace* face = nullptr;
        QFont onPaper;
        QRawFont raw;
        std::unique_ptr<QFontMetricsF> metrics;
        double ascent = 0;
        QByteArray size; // the pixel size, as the font operator takes it
        QHash<QString, Shaped> texts;
    };
    // A face used in the open file.
    struct FileFace {
        PdfFace* face;
        std::vector<bool> used; // by glyph
    };

    void begin();
    void openFile();
    void closeFile();
    void startPage();
    void endPage();
    void textMode(bool on);
    Font& currentFont();
    void shape(Font& font, const QString& text, Shaped& s);
    void shapeWithStandIns(Font& font, const QString& text, Shaped& s);
    int fileFace(PdfFace* face);
    int newObject();
    void startObject(int id);
    void writeOut();
    double scale() const;

    QString m_folder;
    QDateTime m_runTime;
    QStringList m_files;
    int m_page = 1;
    bool m_document = false; // a document is under way

    // The measuring device: the same metrics as a QPdfWriter of the printer's resolution.
    QBuffer m_nowhere;
    std::unique_ptr<QPdfWriter> m_measure;
    std::map<QString, std::unique_ptr<Font>> m_fonts; // by QFont::key()
    Font* m_font = nullptr;

    // The open file.
    std::unique_ptr<QSaveFile> m_file;
    quint64 m_fileSerial = 0;
    QString m_fileDocument; // the name of the documents in the open file
    QByteArray m_out;       // written to the file by large blocks
    qint64 m_written = 0;
    std::vector<qint64> m_offsets; // of each object, by number
    QList<int> m_pages;            // page objects
    QList<FileFace> m_faces;
    QByteArray m_images; // the resource entries of the pictures
    int m_imageCount = 0;

    // The page under way.
    QByteArray m_content;
    bool m_inText = false;
    bool m_lineSet = false; // the line's start, in a text object
    double m_lineX = 0, m_lineY = 0;
    PdfFace* m_pageFace = nullptr;
    QByteArray m_pageSize;
    int m_pageWidth = -1;
};

} // namespace reports
