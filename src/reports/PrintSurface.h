#pragma once

#include <QString>
#include <stdexcept>

class QImage;

namespace reports {

// The print surface failed (printer gone, folder not writable, disk full); the text says why,
// in the organiser's words.
class PrintError : public std::runtime_error {
public:
    explicit PrintError(const QString& message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    QString message() const { return m_message; }

private:
    QString m_message;
};

// The page-drawing printer the reports draw on. The reports set the state below, then call
// the operations; a document starts by itself with its first output. Every operation may
// throw PrintError.
class PrintSurface {
public:
    virtual ~PrintSurface() = default;

    // 6: positions and lengths in millimetres from the top-left corner of the printable area
    // (X to the right, Y downward); anything else: twips, as a fresh printer starts.
    int ScaleMode = 1;
    int DrawWidth = 1; // outline width of Line, in device pixels
    QString FontName = QStringLiteral("Arial");
    double FontSize = 10; // points
    bool FontBold = false;
    double CurrentX = 0; // the top-left corner of the next text's character cell
    double CurrentY = 0;
    // What the next document is called: the print job, or the PDF file's name.
    QString DocumentName;

    // Text is drawn as it stands; a number in plain decimal with a comma, a minus sign before
    // it when negative and a blank otherwise, and a blank after it: " 17 ", "-5 ", " 12,5 ".
    void Print(const QString& text) { printText(text, 0); }
    void Print(double number) { printText(numberText(number), 0); }
    // Text that must stay within a column `width` wide, up to the next column's text: it keeps
    // kColumnGap clear before that text; when it would run into it, it is narrowed (the same
    // font condensed, down to 70 %), then cut with "…" if still too wide.
    void Print(const QString& text, double width) { printText(text, width); }
    // The outline of the rectangle with these opposite corners (box), or the line between
    // them, in black, DrawWidth wide; a box is never filled.
    virtual void Line(double x1, double y1, double x2, double y2, bool box) = 0;
    // A picture drawn over the rectangle of top-left corner (x, y), width by height in the
    // current unit, each of its pixels a sharp-edged square: a QR code stays readable.
    virtual void PaintPicture(const QImage& picture, double x, double y, double width,
                              double height) = 0;
    // Ends the page; what follows goes to the next page of the same document.
    virtual void NewPage() = 0;
    // Ends the document and hands it over; the next output starts a new one at page 1.
    virtual void EndDoc() = 0;
    // Drops the document under way, so that nothing half drawn is printed or kept.
    virtual void KillDoc() = 0;
    // The report is over: hands over whatever the surface still holds.
    virtual void EndJob() {}
    // The current page within the current document, from 1.
    virtual int Page() const = 0;

    // How a number is printed: at most four decimals, as the scores are typed.
    static QString numberText(double number);
    // The narrowest a text may be condensed to before it is cut.
    static constexpr double kNarrowest = 0.7;
    // The blank, in millimetres, a fitted text leaves before the next column: less, and a long
    // name reads as one word with the score or the seat after it.
    static constexpr double kColumnGap = 1.5;

protected:
    // width: the room the text has, in the current unit; 0 for no limit.
    virtual void printText(const QString& text, double width) = 0;
    // Millimetres in one unit of the current ScaleMode.
    double unitInMm() const { return ScaleMode == 6 ? 1.0 : 25.4 / 1440.0; }
};

} // namespace reports
