#include "PdfSurface.h"

#include "PainterSurface.h"

#include <QDir>
#include <QImage>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTextLayout>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <map>
#include <type_traits>

namespace reports {

// A face as the files embed it: its tables read once for the whole run, and what the file's
// font dictionaries say of it.
struct PdfFace {
    int id = 0; // its font's name in every file: /F0, /F1...
    QByteArray baseFont;
    QByteArray descriptor; // the font descriptor's entries, but the font file
    QList<std::pair<QByteArray, QByteArray>> tables; // by tag, but the glyphs and their places
    QByteArray glyf, loca;
    bool longOffsets = false;
    bool embeddable = false;    // TrueType outlines: the only ones the files embed
    std::vector<int> widths;    // by glyph, in thousandths of the em
    std::vector<char32_t> text; // by glyph: the character it shows, for a copied text
    // The last file's glyphs and their font file, compressed: the rounds of a table list use
    // the same letters and digits.
    std::vector<bool> used;
    QByteArray file;
    qsizetype length1 = 0; // the font file's own length
};

namespace {

constexpr int kPdfResolution = PainterSurface::kPdfResolution;
// Device pixels of the page to PDF points, as QPdfWriter scales them.
constexpr double kPointsPerPixel = 72.0 / kPdfResolution;

quint16 u16(const QByteArray& table, qsizetype at) {
    if (at + 2 > table.size())
        return 0;
    return quint16(quint8(table[at]) << 8 | quint8(table[at + 1]));
}
qint16 s16(const QByteArray& table, qsizetype at) {
    return qint16(u16(table, at));
}

template <typename Integer, std::enable_if_t<std::is_integral_v<Integer>, bool> = true>
void append(QByteArray& out, Integer value) {
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    out.append(digits, end - digits);
}

// A number as the content streams take it: at most so many decimals, no exponent.
void append(QByteArray& out, double value, int decimals = 4) {
    static constexpr long long kScale[] = {1, 10, 100, 1000, 10000};
    const long long scale = kScale[decimals];
    long long n = std::llround(value * scale);
    if (n < 0) {
        out += '-';
        n = -n;
    }
    append(out, n / scale);
    long long fraction = n % scale;
    if (fraction == 0)
        return;
    char digits[5] = {'.', '0', '0', '0', '0'};
    for (int i = decimals; i > 0; --i, fraction /= 10)
        digits[i] = char('0' + fraction % 10);
    int length = decimals + 1;
    while (digits[length - 1] == '0')
        --length;
    out.append(digits, length);
}

// A glyph number within a literal string, on two bytes.
void appendGlyph(QByteArray& out, quint32 glyph) {
    for (const char byte : {char(glyph >> 8), char(glyph)}) {
        if (byte == '(' || byte == ')' || byte == '\\')
            out += '\\';
        if (byte == '\r')
            out += "\\r";
        else if (byte == '\n')
            out += "\\n";
        else
            out += byte;
    }
}

void appendHex(QByteArray& out, quint32 value, int digits) {
    static const char hex[] = "0123456789ABCDEF";
    for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4)
        out += hex[(value >> shift) & 0xF];
}

// A zlib stream, as the Flate filter reads it.
QByteArray deflated(const QByteArray& data, int level) {
    // qCompress puts the length before zlib's own stream.
    return qCompress(data, level).mid(4);
}

// The whole block, or false with the system's reason in the file's error: a short write
// (the disk full, the size limit reached) is tried again to learn why it stopped.
bool writeAll(QSaveFile& file, const QByteArray& data) {
    for (qsizetype done = 0; done < data.size();) {
        const qint64 written = file.write(data.constData() + done, data.size() - done);
        if (written <= 0)
            return false;
        done += written;
    }
    return true;
}

QByteArray pdfName(const QByteArray& name) {
    QByteArray out;
    for (const char c : name) {
        if (c > ' ' && c < '\x7f' && !QByteArrayView("()<>[]{}/%#").contains(c))
            out += c;
        else {
            out += '#';
            appendHex(out, quint8(c), 2);
        }
    }
    return out;
}

QByteArray postScriptName(const QRawFont& raw) {
    const QByteArray names = raw.fontTable("name");
    const int count = u16(names, 2), strings = u16(names, 4);
    for (int i = 0; i < count; ++i) {
        const qsizetype record = 6 + 12 * qsizetype(i);
        if (u16(names, record + 6) != 6)
            continue;
        const int platform = u16(names, record), length = u16(names, record + 8);
        const QByteArray text = names.mid(strings + u16(names, record + 10), length);
        if (platform == 1)
            return text;
        if (platform == 3) {
            QByteArray latin;
            for (qsizetype k = 1; k < text.size(); k += 2)
                latin += text[k];
            return latin;
        }
    }
    QString name = raw.familyName().remove(u' ');
    if (raw.styleName() != u"Regular")
        name += u'-' + QString(raw.styleName()).remove(u' ');
    return name.toLatin1();
}

// A TrueType file of these tables.
QByteArray trueTypeFile(const QList<std::pair<QByteArray, QByteArray>>& tables) {
    const auto be16 = [](QByteArray& out, quint32 v) {
        out += char(v >> 8);
        out += char(v);
    };
    const auto be32 = [&be16](QByteArray& out, quint32 v) {
        be16(out, v >> 16);
        be16(out, v & 0xFFFF);
    };
    const int n = int(tables.size());
    int power = 1, log = 0;
    while (power * 2 <= n) {
        power *= 2;
        ++log;
    }
    QByteArray file;
    be32(file, 0x00010000);
    be16(file, n);
    be16(file, power * 16);
    be16(file, log);
    be16(file, n * 16 - power * 16);
    quint32 offset = 12 + 16 * n;
    QByteArray body;
    for (const auto& [tag, table] : tables) {
        QByteArray padded = table;
        while (padded.size() % 4)
            padded += '\0';
        quint32 sum = 0;
        for (qsizetype i = 0; i < padded.size(); i += 4)
            sum += quint32(quint8(padded[i])) << 24 | quint32(quint8(padded[i + 1])) << 16 |
                   quint32(quint8(padded[i + 2])) << 8 | quint8(padded[i + 3]);
        file += tag;
        be32(file, sum);
        be32(file, offset);
        be32(file, quint32(table.size()));
        body += padded;
        offset += quint32(padded.size());
    }
    return file + body;
}

// The face's file with only these glyphs drawn (and the parts of the accented ones), every
// glyph keeping its number: the file's text names glyphs by number.
QByteArray subsetFile(const PdfFace& face, std::vector<bool> used) {
    const auto place = [&face](int g) -> std::pair<quint32, quint32> {
        if (face.longOffsets) {
            const auto at = [&face](qsizetype i) {
                return quint32(u16(face.loca, 4 * i)) << 16 | u16(face.loca, 4 * i + 2);
            };
            return {at(g), at(g + 1)};
        }
        return {2u * u16(face.loca, 2 * qsizetype(g)), 2u * u16(face.loca, 2 * qsizetype(g) + 2)};
    };
    const int glyphs = int(used.size());
    used[0] = true; // the missing glyph
    std::vector<int> pending;
    for (int g = 0; g < glyphs; ++g)
        if (used[g])
            pending.push_back(g);
    while (!pending.empty()) {
        const int g = pending.back();
        pending.pop_back();
        const auto [start, end] = place(g);
        if (end <= start + 10 || end > quint32(face.glyf.size()) || s16(face.glyf, start) >= 0)
            continue;
        // A composite glyph: its parts are glyphs too.
        for (qsizetype at = start + 10; at + 4 <= qsizetype(end);) {
            const quint16 flags = u16(face.glyf, at);
            const int part = u16(face.glyf, at + 2);
            if (part < glyphs && !used[part]) {
                used[part] = true;
                pending.push_back(part);
            }
            at += 4 + ((flags & 0x1) ? 4 : 2) +
                  ((flags & 0x8)    ? 2
                   : (flags & 0x40) ? 4
                   : (flags & 0x80) ? 8
                                    : 0);
            if (!(flags & 0x20))
                break;
        }
    }
    QByteArray glyf, loca;
    const auto offset = [&loca](quint32 v) {
        for (const int shift : {24, 16, 8, 0})
            loca += char(v >> shift);
    };
    for (int g = 0; g < glyphs; ++g) {
        offset(quint32(glyf.size()));
        const auto [start, end] = place(g);
        if (used[g] && end > start && end <= quint32(face.glyf.size())) {
            glyf.append(face.glyf.constData() + start, end - start);
            while (glyf.size() % 4)
                glyf += '\0';
        }
    }
    offset(quint32(glyf.size()));
    QList<std::pair<QByteArray, QByteArray>> tables = face.tables;
    for (auto& [tag, table] : tables)
        if (tag == "head" && table.size() > 51) {
            table[50] = 0; // the places on four bytes
            table[51] = 1;
        }
    tables.append({"glyf", glyf});
    tables.append({"loca", loca});
    std::sort(tables.begin(), tables.end());
    return trueTypeFile(tables);
}

PdfFace* faceOf(const QRawFont& raw) {
    // Kept for the whole run: the same faces serve every report.
    static std::map<QString, std::unique_ptr<PdfFace>> faces;
    std::unique_ptr<PdfFace>& face =
        faces[raw.familyName() + u'|' + raw.styleName() + u'|' + QString::number(raw.weight())];
    if (face)
        return face.get();
    face = std::make_unique<PdfFace>();
    face->id = int(faces.size() - 1);
    const QByteArray head = raw.fontTable("head"), hhea = raw.fontTable("hhea"),
                     hmtx = raw.fontTable("hmtx"), maxp = raw.fontTable("maxp"),
                     post = raw.fontTable("post");
    const double em = u16(head, 18) > 0 ? u16(head, 18) : 2048;
    const double thousandths = 1000.0 / em;
    const int glyphs = u16(maxp, 4), metrics = u16(hhea, 34);
    face->widths.resize(std::max(glyphs, 1));
    face->text.resize(face->widths.size());
    int advance = 0;
    for (int g = 0; g < int(face->widths.size()); ++g) {
        if (g < metrics)
            advance = u16(hmtx, 4 * qsizetype(g));
        face->widths[g] = int(std::lround(advance * thousandths));
    }
    face->baseFont = pdfName(postScriptName(raw));
    QByteArray& d = face->descriptor;
    d = "/Type /FontDescriptor /FontName /" + face->baseFont + " /Flags 4 /FontBBox [";
    for (const int at : {36, 38, 40, 42}) {
        append(d, s16(head, at) * thousandths);
        d += at == 42 ? "]" : " ";
    }
    d += " /ItalicAngle ";
    append(d, double(qint32(u16(post, 4) << 16 | u16(post, 6))) / 65536);
    d += " /Ascent ";
    append(d, s16(hhea, 4) * thousandths);
    d += " /Descent ";
    append(d, s16(hhea, 6) * thousandths);
    d += " /CapHeight ";
    append(d, s16(hhea, 4) * thousandths);
    d += " /StemV ";
    append(d, s16(post, 10) * thousandths);
    // What a viewer needs to draw the glyphs, as Qt embeds them.
    for (const char* tag : {"cvt ", "fpgm", "head", "hhea", "hmtx", "maxp", "prep"}) {
        const QByteArray table = raw.fontTable(tag);
        if (!table.isEmpty())
            face->tables.append({QByteArray(tag), table});
    }
    face->glyf = raw.fontTable("glyf");
    face->loca = raw.fontTable("loca");
    face->longOffsets = s16(head, 50) == 1;
    face->embeddable = !face->glyf.isEmpty() && !face->loca.isEmpty();
    return face.get();
}

} // namespace

bool PdfSurface::embedsTheReportsFaces() {
    // Checked once: the faces fontconfig gives do not change while the program runs.
    static const bool embeds = [] {
        for (const char* family : {"Arial", "Times New Roman"})
            for (const bool bold : {false, true}) {
                QFont font(QString::fromLatin1(family));
                font.setBold(bold);
                if (!faceOf(QRawFont::fromFont(font))->embeddable)
                    return false;
            }
        return true;
    }();
    return embeds;
}

PdfSurface::PdfSurface(QString folder, QDateTime runTime)
    : m_folder(std::move(folder)), m_runTime(std::move(runTime)) {}

PdfSurface::~PdfSurface() {
    KillDoc();
}

double PdfSurface::scale() const {
    return unitInMm() * kPdfResolution / 25.4;
}

void PdfSurface::begin() {
    if (m_document)
        return;
    if (m_file && DocumentName == m_fileDocument) {
        endPage();
        startPage();
    } else {
        closeFile();
        openFile();
    }
    m_document = true;
    m_page = 1;
}

void PdfSurface::openFile() {
    m_file = openPdfFile(m_folder, DocumentName, m_runTime);
    ++m_fileSerial;
    m_fileDocument = DocumentName;
    m_out = "%PDF-1.4\n%\xE2\xE3\xCF\xD3\n";
    m_written = 0;
    // 1: the catalog, 2: the page tree, 3: the resources every page shares, 4: the title.
    m_offsets.assign(5, 0);
    m_pages.clear();
    m_faces.clear();
    m_images.clear();
    m_imageCount = 0;
    startPage();
}

int PdfSurface::newObject() {
    m_offsets.push_back(0);
    return int(m_offsets.size() - 1);
}

void PdfSurface::startObject(int id) {
    m_offsets[id] = m_written + m_out.size();
    append(m_out, id);
    m_out += " 0 obj\n";
}

void PdfSurface::writeOut() {
    // By large blocks: a write costs a call to the system.
    if (m_out.size() < (1 << 20))
        return;
    if (!writeAll(*m_file, m_out))
        throw PrintError(fileFailure(*m_file, m_folder));
    m_written += m_out.size();
    m_out.clear();
}

void PdfSurface::startPage() {
    // The printable area's corner at the origin, in the printer's pixels, Y downward: the
    // same page matrix as QPdfWriter's, so that every position is the same number.
    static const QByteArray matrix = [] {
        const QPageLayout layout(
            QPageSize(QPageSize::A4), QPageLayout::Portrait,
            QMarginsF(PainterSurface::kPdfMarginMm, PainterSurface::kPdfMarginMm,
                      PainterSurface::kPdfMarginMm, PainterSurface::kPdfMarginMm),
            QPageLayout::Millimeter);
        const QRect paint = layout.paintRectPixels(kPdfResolution);
        QByteArray m = "q ";
        append(m, kPointsPerPixel);
        m += " 0 0 ";
        append(m, -kPointsPerPixel);
        m += ' ';
        append(m, paint.left() * kPointsPerPixel);
        m += ' ';
        append(m, layout.fullRectPoints().height() - paint.top() * kPointsPerPixel);
        m += " cm\n2 J 0 j 2 M\n";
        return m;
    }();
    m_content = matrix;
    m_inText = false;
    m_pageFace = nullptr;
    m_pageSize.clear();
    m_pageWidth = -1;
}

void PdfSurface::endPage() {
    static const QByteArray mediaBox = [] {
        const QRect full = QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF())
                               .fullRectPoints();
        QByteArray box = "/MediaBox [0 0 ";
        append(box, full.width());
        box += ' ';
        append(box, full.height());
        return box + ']';
    }();
    textMode(false);
    m_content += "Q\n";
    // The table list is long and its pages alike: the fastest compression keeps it small.
    const QByteArray packed = deflated(m_content, 1);
    m_content.clear();
    const int contents = newObject(), page = newObject();
    startObject(contents);
    m_out += "<< /Length ";
    append(m_out, packed.size());
    m_out += " /Filter /FlateDecode >>\nstream\n" + packed + "\nendstream\nendobj\n";
    startObject(page);
    m_out += "<< /Type /Page /Parent 2 0 R " + mediaBox + " /Resources 3 0 R /Contents ";
    append(m_out, contents);
    m_out += " 0 R >>\nendobj\n";
    m_pages.append(page);
    writeOut();
}

void PdfSurface::closeFile() {
    if (!m_file)
        return;
    endPage();
    QByteArray fonts;
    for (int i = 0; i < m_faces.size(); ++i) {
        const FileFace& used = m_faces[i];
        const PdfFace& face = *used.face;
        const int type0 = newObject(), cid = newObject(), descriptor = newObject(),
                  file = newObject(), unicode = newObject();
        fonts += "/F";
        append(fonts, face.id);
        fonts += ' ';
        append(fonts, type0);
        fonts += " 0 R ";

        startObject(type0);
        m_out += "<< /Type /Font /Subtype /Type0 /BaseFont /" + face.baseFont +
                 " /Encoding /Identity-H /DescendantFonts [";
        append(m_out, cid);
        m_out += " 0 R] /ToUnicode ";
        append(m_out, unicode);
        m_out += " 0 R >>\nendobj\n";

        startObject(cid);
        m_out += "<< /Type /Font /Subtype /CIDFontType2 /BaseFont /" + face.baseFont +
                 " /CIDSystemInfo << /Registry (Adobe) /Ordering (Identity) /Supplement 0 >> "
                 "/FontDescriptor ";
        append(m_out, descriptor);
        m_out += " 0 R /CIDToGIDMap /Identity /W [";
        QByteArray map;
        int mapped = 0;
        QByteArray entries;
        for (int g = 0; g < int(used.used.size()); ++g) {
            if (!used.used[g])
                continue;
            append(m_out, g);
            m_out += " [";
            append(m_out, face.widths[g]);
            m_out += "] ";
            const char32_t c = face.text[g];
            if (c == 0)
                continue;
            entries += '<';
            appendHex(entries, g, 4);
            entries += "> <";
            if (c > 0xFFFF) {
                appendHex(entries, 0xD800 + ((c - 0x10000) >> 10), 4);
                appendHex(entries, 0xDC00 + ((c - 0x10000) & 0x3FF), 4);
            } else {
                appendHex(entries, c, 4);
            }
            entries += ">\n";
            if (++mapped % 100 == 0) {
                map += "100 beginbfchar\n" + entries + "endbfchar\n";
                entries.clear();
            }
        }
        if (mapped % 100) {
            append(map, mapped % 100);
            map += " beginbfchar\n" + entries + "endbfchar\n";
        }
        m_out += "] >>\nendobj\n";

        startObject(descriptor);
        m_out += "<< " + face.descriptor + " /FontFile2 ";
        append(m_out, file);
        m_out += " 0 R >>\nendobj\n";

        PdfFace& shared = *used.face;
        if (shared.file.isEmpty() || shared.used != used.used) {
            const QByteArray subset = subsetFile(shared, used.used);
            shared.used = used.used;
            shared.length1 = subset.size();
            shared.file = deflated(subset, 6);
        }
        startObject(file);
        m_out += "<< /Length ";
        append(m_out, face.file.size());
        m_out += " /Length1 ";
        append(m_out, face.length1);
        m_out += " /Filter /FlateDecode >>\nstream\n" + face.file + "\nendstream\nendobj\n";

        const QByteArray cmap =
            "/CIDInit /ProcSet findresource begin\n12 dict begin\nbegincmap\n/CIDSystemInfo << "
            "/Registry (Adobe) /Ordering (UCS) /Supplement 0 >> def\n/CMapName "
            "/Adobe-Identity-UCS def\n/CMapType 2 def\n1 begincodespacerange\n<0000> "
            "<FFFF>\nendcodespacerange\n" +
            map + "endcmap\nCMapName currentdict /CMap defineresource pop\nend\nend\n";
        startObject(unicode);
        m_out += "<< /Length ";
        append(m_out, cmap.size());
        m_out += " >>\nstream\n" + cmap + "endstream\nendobj\n";
        writeOut();
    }

    startObject(3);
    m_out += "<< /Font << " + fonts + ">> /XObject << " + m_images +
             ">> /ProcSet [/PDF /Text /ImageB /ImageC] >>\nendobj\n";
    startObject(2);
    m_out += "<< /Type /Pages /Kids [";
    for (const int page : std::as_const(m_pages)) {
        append(m_out, page);
        m_out += " 0 R ";
    }
    m_out += "] /Count ";
    append(m_out, m_pages.size());
    m_out += " >>\nendobj\n";
    startObject(1);
    m_out += "<< /Type /Catalog /Pages 2 0 R >>\nendobj\n";
    startObject(4);
    m_out += "<< /Title <FEFF";
    for (const QChar c : std::as_const(m_fileDocument))
        appendHex(m_out, c.unicode(), 4);
    m_out += "> /Creator (Velmora) /Producer (Velmora) /CreationDate (D:" +
             QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMddHHmmss")).toLatin1() +
             "Z) >>\nendobj\n";
    const qint64 xref = m_written + m_out.size();
    m_out += "xref\n0 ";
    append(m_out, m_offsets.size());
    m_out += "\n0000000000 65535 f \n";
    for (std::size_t id = 1; id < m_offsets.size(); ++id) {
        char entry[21];
        std::snprintf(entry, sizeof entry, "%010lld 00000 n \n", m_offsets[id]);
        m_out.append(entry, 20);
    }
    m_out += "trailer\n<< /Size ";
    append(m_out, m_offsets.size());
    m_out += " /Root 1 0 R /Info 4 0 R >>\nstartxref\n";
    append(m_out, xref);
    m_out += "\n%%EOF\n";

    const QString name = m_file->fileName();
    const bool written = writeAll(*m_file, m_out) && m_file->commit();
    m_out.clear();
    const QString cause = written ? QString() : fileFailure(*m_file, m_folder);
    m_file.reset();
    if (!written)
        throw PrintError(cause);
    m_files.append(name);
}

void PdfSurface::textMode(bool on) {
    if (on == m_inText)
        return;
    m_content += on ? "BT\n" : "ET\n";
    m_inText = on;
    m_lineSet = false; // a text object starts at the origin
}

int PdfSurface::fileFace(PdfFace* face) {
    for (int i = 0; i < m_faces.size(); ++i)
        if (m_faces[i].face == face)
            return i;
    m_faces.append({face, std::vector<bool>(face->widths.size())});
    return int(m_faces.size() - 1);
}

PdfSurface::Font& PdfSurface::currentFont() {
    if (m_font && m_font->family == FontName && m_font->points == FontSize &&
        m_font->bold == FontBold)
        return *m_font;
    QFont font(FontName);
    font.setPointSizeF(FontSize);
    font.setBold(FontBold);
    // Paper needs no hinting for a screen's pixels.
    font.setHintingPreference(QFont::PreferNoHinting);
    std::unique_ptr<Font>& known = m_fonts[font.key()];
    if (known) {
        m_font = known.get();
        return *m_font;
    }
    known = std::make_unique<Font>();
    Font& f = *known;
    m_font = &f;
    if (!m_measure) {
        m_nowhere.open(QIODevice::WriteOnly);
        m_measure = std::make_unique<QPdfWriter>(&m_nowhere);
        m_measure->setResolution(kPdfResolution);
    }
    f.family = FontName;
    f.points = FontSize;
    f.bold = FontBold;
    f.onPaper = QFont(font, m_measure.get());
    f.metrics = std::make_unique<QFontMetricsF>(f.onPaper, m_measure.get());
    f.ascent = f.metrics->ascent();
    f.raw = QRawFont::fromFont(f.onPaper);
    append(f.size, f.raw.pixelSize());
    f.face = faceOf(f.raw);
    return f;
}

void PdfSurface::shape(Font& font, const QString& text, Shaped& s) {
    const QList<quint32> glyphs = font.raw.glyphIndexesForString(text);
    const QList<uint> characters = text.toUcs4();
    // A letter the face lacks ("ễ" of a Vietnamese name): Qt draws it from another face.
    bool lacking = glyphs.size() != characters.size();
    for (qsizetype i = 0; !lacking && i < glyphs.size(); ++i)
        lacking = glyphs[i] == 0 && characters[i] > u' ';
    if (lacking)
        return shapeWithStandIns(font, text, s);
    const QList<QPointF> advances =
        font.raw.advancesForGlyphIndexes(glyphs, QRawFont::KernedAdvances);
    PdfFace& face = *font.face;
    const double pixels = font.raw.pixelSize();
    // Where the viewer puts each glyph (the widths of the file) against where the layout
    // puts it (kerned, in the printer's pixels): a gap beyond a tenth of a pixel is closed.
    double drawn = 0, laid = 0;
    QByteArray shown = "(";
    bool moved = false;
    for (qsizetype i = 0; i < glyphs.size(); ++i) {
        const quint32 g = glyphs[i] < face.widths.size() ? glyphs[i] : 0;
        if (i > 0) {
            drawn += face.widths[s.glyphs.back().second] * pixels / 1000;
            laid += advances[i - 1].x();
            if (std::abs(drawn - laid) > 0.1) {
                const double shift = std::round((drawn - laid) * 1000000 / pixels) / 1000;
                shown += ") ";
                append(shown, shift, 3);
                shown += " (";
                drawn -= shift * pixels / 1000;
                moved = true;
            }
        }
        appendGlyph(shown, g);
        s.glyphs.push_back({font.face, g});
        if (g && !face.text[g])
            face.text[g] = characters[i];
    }
    s.show = moved ? '[' + shown + ")] TJ" : shown + ") Tj";
}

void PdfSurface::shapeWithStandIns(Font& font, const QString& text, Shaped& s) {
    // Qt's own layout: the glyphs, faces and places drawText would give, face by face.
    QTextLayout layout(text, font.onPaper, m_measure.get());
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    struct Placed {
        double x;
        PdfFace* face;
        double pixels;
        quint32 glyph;
    };
    std::vector<Placed> placed;
    const QList<uint> characters = text.toUcs4();
    for (const QGlyphRun& run : layout.glyphRuns()) {
        const QRawFont raw = run.rawFont();
        PdfFace* face = faceOf(raw);
        const QList<quint32> glyphs = run.glyphIndexes();
        const QList<QPointF> places = run.positions();
        for (qsizetype i = 0; i < glyphs.size() && i < places.size(); ++i) {
            // A face of other outlines than TrueType's: the missing letter's box, at its place.
            if (!face->embeddable)
                placed.push_back({places[i].x(), font.face, font.raw.pixelSize(), 0});
            else
                placed.push_back({places[i].x(), face, raw.pixelSize(),
                                  glyphs[i] < face->widths.size() ? glyphs[i] : 0});
        }
        // The letters this face draws, for a copied text.
        for (const uint c : characters) {
            const QList<quint32> one = raw.glyphIndexesForString(
                QString::fromUcs4(reinterpret_cast<const char32_t*>(&c), 1));
            if (!one.isEmpty() && one[0] && one[0] < face->text.size() && !face->text[one[0]])
                face->text[one[0]] = c;
        }
    }
    // From left to right, as the letters are read: a copied name keeps its order.
    std::stable_sort(placed.begin(), placed.end(),
                     [](const Placed& a, const Placed& b) { return a.x < b.x; });
    double drawn = 0; // where the viewer stands, from the text's origin
    const PdfFace* face = nullptr;
    double pixels = 0;
    bool open = false;
    for (const Placed& p : placed) {
        if (p.face != face || p.pixels != pixels) {
            s.show += face ? (open ? ")] TJ /F" : "] TJ /F") : "/F";
            append(s.show, p.face->id);
            s.show += ' ';
            append(s.show, p.pixels);
            s.show += " Tf [";
            face = p.face;
            pixels = p.pixels;
            open = false;
        }
        if (std::abs(drawn - p.x) > 0.1) {
            const double shift = std::round((drawn - p.x) * 1000000 / pixels) / 1000;
            s.show += open ? ") " : "";
            append(s.show, shift, 3);
            s.show += ' ';
            drawn -= shift * pixels / 1000;
            open = false;
        }
        if (!open)
            s.show += '(';
        open = true;
        appendGlyph(s.show, p.glyph);
        s.glyphs.push_back({p.face, p.glyph});
        drawn += p.face->widths[p.glyph] * pixels / 1000;
    }
    s.show += face ? (open ? ")] TJ" : "] TJ") : "() Tj";
    s.ownFonts = true;
}

void PdfSurface::printText(const QString& text, double width) {
    begin();
    // A blank leaves no mark.
    if (text.trimmed().isEmpty())
        return;
    Font& font = currentFont();
    const double dotsPerMm = kPdfResolution / 25.4;
    const double x = CurrentX * scale(), y = CurrentY * scale() + font.ascent;
    // The same fitting, on the same measures, as on the printer's path.
    const double room =
        width > 0 ? std::max(width * scale() - kColumnGap * dotsPerMm, dotsPerMm) : 0;
    // A name comes back in every round's list: measured and shaped once per font.
    Shaped* shaped = &font.texts[text];
    double advance = 0;
    if (room > 0) {
        if (shaped->advance < 0)
            shaped->advance = font.metrics->horizontalAdvance(text);
        advance = shaped->advance;
    }
    double stretch = 1;
    QString cut;
    if (advance > room) {
        // Too wide for its column: condensed as far as it still reads well, then cut.
        stretch = std::max(kNarrowest, room / advance);
        if (stretch == kNarrowest) {
            cut = font.metrics->elidedText(text, Qt::ElideRight, room / stretch);
            shaped = &font.texts[cut];
        }
    }
    if (shaped->show.isEmpty())
        shape(font, cut.isNull() ? text : cut, *shaped);
    if (shaped->markedIn != m_fileSerial) {
        PdfFace* face = nullptr;
        std::vector<bool>* used = nullptr;
        for (const auto& [of, g] : shaped->glyphs) {
            if (of != face) {
                face = of;
                used = &m_faces[fileFace(face)].used;
            }
            (*used)[g] = true;
        }
        shaped->markedIn = m_fileSerial;
    }
    textMode(true);
    if (!shaped->ownFonts && (font.face != m_pageFace || font.size != m_pageSize)) {
        m_content += "/F";
        append(m_content, font.face->id);
        m_content += ' ' + font.size + " Tf\n";
        m_pageFace = font.face;
        m_pageSize = font.size;
    }
    if (stretch != 1) {
        append(m_content, stretch * 100);
        m_content += " Tz ";
    }
    // Positions to a hundredth of a pixel, the next one from the last: most texts of a row
    // share its line.
    if (!m_lineSet) {
        m_lineX = std::round(x * 100) / 100;
        m_lineY = std::round(y * 100) / 100;
        m_content += "1 0 0 -1 ";
        append(m_content, m_lineX, 2);
        m_content += ' ';
        append(m_content, m_lineY, 2);
        m_content += " Tm ";
        m_lineSet = true;
    } else {
        const double dx = std::round((x - m_lineX) * 100) / 100;
        const double dy = std::round((m_lineY - y) * 100) / 100;
        append(m_content, dx, 2);
        m_content += ' ';
        append(m_content, dy, 2);
        m_content += " Td ";
        m_lineX += dx;
        m_lineY -= dy;
    }
    m_content += shaped->show;
    if (shaped->ownFonts)
        m_pageFace = nullptr; // the next text sets its font again
    m_content += stretch != 1 ? " 100 Tz\n" : "\n";
}

void PdfSurface::Line(double x1, double y1, double x2, double y2, bool box) {
    begin();
    textMode(false);
    if (DrawWidth != m_pageWidth) {
        append(m_content, DrawWidth);
        m_content += " w\n";
        m_pageWidth = DrawWidth;
    }
    const double s = scale();
    if (box) {
        append(m_content, std::min(x1, x2) * s);
        m_content += ' ';
        append(m_content, std::min(y1, y2) * s);
        m_content += ' ';
        append(m_content, std::abs(x2 - x1) * s);
        m_content += ' ';
        append(m_content, std::abs(y2 - y1) * s);
        m_content += " re S\n";
    } else {
        append(m_content, x1 * s);
        m_content += ' ';
        append(m_content, y1 * s);
        m_content += " m ";
        append(m_content, x2 * s);
        m_content += ' ';
        append(m_content, y2 * s);
        m_content += " l S\n";
    }
}

void PdfSurface::PaintPicture(const QImage& picture, double x, double y, double width,
                              double height) {
    begin();
    if (picture.isNull())
        return;
    // What shows through a transparent pixel is the paper. A picture without transparency,
    // as every QR code, is read as it stands: a page of route cards holds eight.
    QImage flat = picture;
    if (picture.hasAlphaChannel()) {
        flat = QImage(picture.size(), QImage::Format_RGB32);
        flat.fill(Qt::white);
        QPainter painter(&flat);
        painter.drawImage(0, 0, picture);
    }
    const bool gray = flat.allGray();
    const QImage::Format format = gray ? QImage::Format_Grayscale8 : QImage::Format_RGB888;
    const QImage samples = flat.format() == format ? flat : flat.convertToFormat(format);
    const int w = samples.width(), h = samples.height();
    bool twoTones = gray;
    for (int row = 0; twoTones && row < h; ++row) {
        const uchar* line = samples.constScanLine(row);
        twoTones = std::all_of(line, line + w, [](uchar v) { return v == 0 || v == 255; });
    }
    QByteArray data;
    if (twoTones) {
        // A QR code: one bit a pixel, black or white.
        const int stride = (w + 7) / 8;
        data = QByteArray(qsizetype(stride) * h, '\0');
        uchar* bits = reinterpret_cast<uchar*>(data.data());
        for (int row = 0; row < h; ++row) {
            const uchar* line = samples.constScanLine(row);
            for (int col = 0; col < w; ++col)
                if (line[col])
                    bits[row * stride + col / 8] |= uchar(0x80 >> (col % 8));
        }
    } else {
        const int rowBytes = gray ? w : 3 * w;
        for (int row = 0; row < h; ++row)
            data.append(reinterpret_cast<const char*>(samples.constScanLine(row)), rowBytes);
    }
    // A QR code's few hundred bytes are kept as they are: compressing them costs more than
    // the bytes saved.
    const bool raw = twoTones && data.size() < 4096;
    const QByteArray packed = raw ? data : deflated(data, 6);
    const int image = newObject();
    startObject(image);
    m_out += "<< /Type /XObject /Subtype /Image /Width ";
    append(m_out, w);
    m_out += " /Height ";
    append(m_out, h);
    m_out += gray ? " /ColorSpace /DeviceGray /BitsPerComponent "
                  : " /ColorSpace /DeviceRGB /BitsPerComponent ";
    m_out += twoTones ? "1" : "8";
    m_out +=
        raw ? " /Interpolate false /Length " : " /Interpolate false /Filter /FlateDecode /Length ";
    append(m_out, packed.size());
    m_out += " >>\nstream\n" + packed + "\nendstream\nendobj\n";
    const QByteArray name = "/Im" + QByteArray::number(++m_imageCount);
    m_images += name + ' ' + QByteArray::number(image) + " 0 R ";

    textMode(false);
    const double s = scale();
    m_content += "q ";
    append(m_content, width * s);
    m_content += " 0 0 ";
    append(m_content, -height * s);
    m_content += ' ';
    append(m_content, x * s);
    m_content += ' ';
    append(m_content, (y + height) * s);
    m_content += " cm " + name + " Do Q\n";
    writeOut();
}

void PdfSurface::NewPage() {
    begin();
    endPage();
    startPage();
    ++m_page;
}

void PdfSurface::EndDoc() {
    if (!m_document)
        return;
    // The file stays open for a next document of the same name.
    m_document = false;
    m_page = 1;
}

void PdfSurface::EndJob() {
    EndDoc();
    closeFile();
}

void PdfSurface::KillDoc() {
    m_document = false;
    if (m_file) {
        // The open file goes whole, with any earlier document bound into it.
        m_file->cancelWriting();
        m_file.reset();
    }
    m_out.clear();
    m_content.clear();
    m_page = 1;
}

} // namespace reports
