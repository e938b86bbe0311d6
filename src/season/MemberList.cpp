#include "MemberList.h"

#include "registration/Registration.h"

#include <QStringDecoder>

namespace season {
namespace {

// A first name as the registration's field would have taken it typed: a capital at the start
// of each word (jean-pierre gives Jean-Pierre), the rest as written.
QString typedFirstName(const QString& written) {
    QString typed;
    typed.reserve(written.size());
    for (const QChar c : written)
        typed += QChar(char16_t(registration::firstNameKey(c.unicode(), typed)));
    return typed;
}

// Windows-1252 where it differs from Latin-1: 0x80 to 0x9F (0 where it leaves a byte unused).
constexpr char16_t kHigh1252[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

constexpr int kNameWidth = 25; // as the registration window's fields

// The fields of each record, quotes as a spreadsheet writes them ("a;b", "say ""hi""").
QList<QStringList> records(const QString& text, QChar separator, QList<int>& lineOf) {
    QList<QStringList> rows;
    QStringList fields;
    QString field;
    bool quoted = false;
    int line = 1;
    int startLine = 1;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == u'"') {
                if (i + 1 < text.size() && text[i + 1] == u'"') {
                    field += u'"';
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                if (c == u'\n')
                    ++line;
                field += c;
            }
            continue;
        }
        if (c == u'"') {
            quoted = true;
        } else if (c == separator) {
            fields.append(field);
            field.clear();
        } else if (c == u'\r' || c == u'\n') {
            if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
            fields.append(field);
            rows.append(fields);
            lineOf.append(startLine);
            fields.clear();
            field.clear();
            startLine = ++line;
        } else {
            field += c;
        }
    }
    if (!field.isEmpty() || !fields.isEmpty()) {
        fields.append(field);
        rows.append(fields);
        lineOf.append(startLine);
    }
    return rows;
}

// A heading as the organiser may have written it: "Nom", "NOM ", "Prénom", "prenom".
QString headingKey(const QString& heading) {
    return db::playerKey(heading, QString()).section(u'\t', 0, 0);
}

QString tidy(const QString& text) {
    return text.simplified();
}

} // namespace

QList<db::NewPlayer> MemberList::newPlayers() const {
    QList<db::NewPlayer> players;
    for (const MemberLine& line : lines)
        if (line.state == MemberLine::State::New)
            players.append({line.nom, line.prenom});
    return players;
}

QString decodedText(const QByteArray& bytes) {
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(bytes.mid(3));
    // Stateless: a sequence cut at the very end counts as an error, not as bytes held back.
    QStringDecoder utf8(QStringDecoder::Utf8, QStringConverter::Flag::Stateless);
    const QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    // Not UTF-8: what a spreadsheet on Windows saves as "CSV (séparateur : point-virgule)".
    QString latin;
    latin.reserve(bytes.size());
    for (const char byte : bytes) {
        const auto b = static_cast<unsigned char>(byte);
        const char16_t high = b >= 0x80 && b < 0xA0 ? kHigh1252[b - 0x80] : 0;
        latin += QChar(high ? high : char16_t(b));
    }
    return latin;
}

MemberList readMemberList(const QByteArray& bytes, const QSet<QString>& knownKeys) {
    MemberList list;
    const QString text = decodedText(bytes);
    // The separator is the one the first row uses: a French spreadsheet writes ";", others ",".
    const QString firstLine = text.section(u'\n', 0, 0);
    const QChar separator =
        firstLine.count(u';') >= firstLine.count(u',') && firstLine.contains(u';') ? QChar(u';')
                                                                                   : QChar(u',');
    QList<int> lineOf;
    const QList<QStringList> rows = records(text, separator, lineOf);
    int nomColumn = -1;
    int prenomColumn = -1;
    if (!rows.isEmpty())
        for (qsizetype c = 0; c < rows[0].size(); ++c) {
            const QString key = headingKey(rows[0][c]);
            if (nomColumn < 0 && (key == u"NOM" || key == u"NOMS" || key == u"NOM DE FAMILLE"))
                nomColumn = int(c);
            else if (prenomColumn < 0 && (key == u"PRENOM" || key == u"PRENOMS"))
                prenomColumn = int(c);
        }
    if (nomColumn < 0 || prenomColumn < 0) {
        list.refusal =
            QStringLiteral("La première ligne du fichier doit nommer la colonne des noms "
                           "(« Nom ») et celle des prénoms (« Prénom »).\n\nRien n'a "
                           "été lu.");
        return list;
    }

    QHash<QString, int> seen; // key -> line where the file first names that player
    for (qsizetype r = 1; r < rows.size(); ++r) {
        const QStringList& fields = rows[r];
        bool blank = true;
        for (const QString& field : fields)
            blank = blank && field.trimmed().isEmpty();
        if (blank)
            continue; // the empty rows a spreadsheet leaves at the end
        MemberLine line;
        line.line = lineOf[r];
        line.nom = tidy(fields.value(nomColumn)).toUpper();
        line.prenom = typedFirstName(tidy(fields.value(prenomColumn)));
        const QString key = db::playerKey(line.nom, line.prenom);
        if (line.nom.isEmpty())
            line.reason = QStringLiteral("le nom est vide");
        else if (line.prenom.isEmpty())
            line.reason = QStringLiteral("le prénom est vide");
        else if (line.nom.size() > kNameWidth)
            line.reason = QStringLiteral("le nom dépasse %1 caractères").arg(kNameWidth);
        else if (line.prenom.size() > kNameWidth)
            line.reason = QStringLiteral("le prénom dépasse %1 caractères").arg(kNameWidth);
        else if (seen.contains(key))
            line.reason = QStringLiteral("le même joueur qu'à la ligne %1").arg(seen.value(key));
        if (!line.reason.isEmpty()) {
            line.state = MemberLine::State::Refused;
            ++list.refused;
        } else {
            seen.insert(key, line.line);
            if (knownKeys.contains(key)) {
                line.state = MemberLine::State::Known;
                ++list.known;
            } else {
                ++list.added;
            }
        }
        list.lines.append(line);
    }
    return list;
}

} // namespace season
