#pragma once

#include "reports/PrintSurface.h"

#include <QImage>
#include <QList>
#include <QStringList>

// A print surface that keeps what the reports draw: every text with its font and millimetre
// position, every box, every page and document.
class RecordingSurface : public reports::PrintSurface {
public:
    struct Text {
        int document; // from 1
        int page;
        QString font;
        double size;
        bool bold;
        double x, y;
        QString text;
        double width; // the room it was given, 0 for none
    };
    struct Box {
        int document;
        double x1, y1, x2, y2;
        int width;
    };

    struct Picture {
        int document;
        int page;
        double x, y, width, height; // millimetres
        QImage image;
    };

    QList<Text> texts;
    QList<Box> boxes;
    QList<Picture> pictures;
    QList<int> pages;          // pages of each finished document
    QStringList documentNames; // of each finished document
    int killed = 0;
    QStringList* log = nullptr; // "document started" appended at each first output
    int failAtEndDoc = 0;       // the EndDoc that throws, from 1; 0 for none

    void Line(double x1, double y1, double x2, double y2, bool box) override {
        output();
        if (box)
            boxes.append({m_document, x1, y1, x2, y2, DrawWidth});
    }
    void PaintPicture(const QImage& picture, double x, double y, double width,
                      double height) override {
        output();
        const double mm = unitInMm();
        pictures.append({m_document, m_page, x * mm, y * mm, width * mm, height * mm, picture});
    }
    void NewPage() override {
        output();
        ++m_page;
    }
    void EndDoc() override {
        if (!m_open)
            return;
        if (++m_endDocs == failAtEndDoc)
            throw reports::PrintError(QStringLiteral("le disque est plein"));
        m_open = false;
        pages.append(m_page);
        documentNames.append(DocumentName);
        m_page = 1;
    }
    void KillDoc() override {
        if (m_open)
            ++killed;
        m_open = false;
        m_page = 1;
    }
    int Page() const override { return m_page; }

    // The visible texts of a document (or of all), as "page:x,y text" or, with fonts,
    // "page:x,y Font size[ bold] text".
    QStringList lines(int document = 0, bool withFont = false) const {
        QStringList result;
        for (const Text& t : texts) {
            if ((document && t.document != document) || t.text.trimmed().isEmpty())
                continue;
            QString line = QStringLiteral("%1:%2,%3 ").arg(t.page).arg(t.x).arg(t.y);
            if (withFont)
                line += QStringLiteral("%1 %2%3 ")
                            .arg(t.font)
                            .arg(t.size)
                            .arg(t.bold ? QStringLiteral(" bold") : QString());
            result.append(line + t.text);
        }
        return result;
    }

protected:
    void printText(const QString& text, double width) override {
        output();
        // Only millimetres are recorded: every report sets them first.
        texts.append({m_document, m_page, FontName, FontSize, FontBold, CurrentX * unitInMm(),
                      CurrentY * unitInMm(), text, width * unitInMm()});
    }

private:
    void output() {
        if (m_open)
            return;
        m_open = true;
        m_document = pages.size() + killed + 1;
        if (log)
            log->append(QStringLiteral("document started"));
    }
    bool m_open = false;
    int m_document = 0;
    int m_page = 1;
    int m_endDocs = 0;
};
