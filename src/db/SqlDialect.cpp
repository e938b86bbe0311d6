#include "SqlDialect.h"

#include <QHash>
#include <QList>
#include <QRegularExpression>
#include <algorithm>

namespace db {
namespace {

struct Token {
    enum Kind { Word, Quoted, Number, Text, Symbol } kind;
    qsizetype start;
    qsizetype length;
};

bool isWordChar(QChar c) {
    return c.isLetterOrNumber() || c == u'_';
}

// Splits a statement into tokens, skipping blanks and comments. Only what the rewriting and
// the shape test need: words, quoted names, numbers, string literals and symbols.
QList<Token> tokenize(const QString& sql) {
    QList<Token> tokens;
    const qsizetype n = sql.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = sql.at(i);
        if (c.isSpace()) {
            ++i;
        } else if (c == u'-' && i + 1 < n && sql.at(i + 1) == u'-') {
            while (i < n && sql.at(i) != u'\n')
                ++i;
        } else if (c == u'/' && i + 1 < n && sql.at(i + 1) == u'*') {
            const qsizetype end = sql.indexOf(QStringLiteral("*/"), i + 2);
            i = end < 0 ? n : end + 2;
        } else if (c == u'\'' || c == u'"' || c == u'`' || c == u'[') {
            const QChar close = c == u'[' ? QChar(u']') : c;
            qsizetype j = i + 1;
            while (j < n) {
                if (sql.at(j) == close) {
                    // A doubled quote stands for itself inside the literal.
                    if (close != u']' && j + 1 < n && sql.at(j + 1) == close) {
                        j += 2;
                        continue;
                    }
                    break;
                }
                ++j;
            }
            const qsizetype end = std::min(j + 1, n);
            tokens.append({c == u'\'' ? Token::Text : Token::Quoted, i, end - i});
            i = end;
        } else if (c.isDigit() || (c == u'.' && i + 1 < n && sql.at(i + 1).isDigit())) {
            qsizetype j = i;
            while (j < n && (sql.at(j).isLetterOrNumber() || sql.at(j) == u'.'))
                ++j;
            tokens.append({Token::Number, i, j - i});
            i = j;
        } else if (isWordChar(c)) {
            qsizetype j = i;
            while (j < n && isWordChar(sql.at(j)))
                ++j;
            tokens.append({Token::Word, i, j - i});
            i = j;
        } else {
            tokens.append({Token::Symbol, i, 1});
            ++i;
        }
    }
    return tokens;
}

QStringView text(const QString& sql, const Token& t) {
    return QStringView(sql).mid(t.start, t.length);
}

bool isWord(const QString& sql, const Token& t, QLatin1StringView word) {
    return t.kind == Token::Word && text(sql, t).compare(word, Qt::CaseInsensitive) == 0;
}

bool isSymbol(const QString& sql, const Token& t, char16_t symbol) {
    return t.kind == Token::Symbol && sql.at(t.start) == symbol;
}

// A table or field name, bare or quoted, without its quotes.
QString nameOf(const QString& sql, const Token& t) {
    const QStringView v = text(sql, t);
    if (t.kind == Token::Quoted && v.size() >= 2)
        return v.mid(1, v.size() - 2).toString();
    return v.toString();
}

bool isName(const Token& t) {
    return t.kind == Token::Word || t.kind == Token::Quoted;
}

// Names sort in French order wherever a statement sorts by them, though the file declares no
// order of its own for them: the standard client must read it without the program.
bool isNameField(const QString& sql, const Token& t) {
    if (!isName(t))
        return false;
    const QString name = nameOf(sql, t);
    return name.compare(u"Nom", Qt::CaseInsensitive) == 0 ||
           name.compare(u"Prenom", Qt::CaseInsensitive) == 0;
}

// Where " COLLATE FRENCH" goes in the top-level ORDER BY of a statement: after every term that
// is a name field alone, bare or qualified, with or without its direction.
QList<qsizetype> frenchOrderPoints(const QString& sql, const QList<Token>& tokens) {
    QList<qsizetype> points;
    int depth = 0;
    qsizetype i = 0;
    for (; i + 1 < tokens.size(); ++i) {
        if (isSymbol(sql, tokens[i], u'('))
            ++depth;
        else if (isSymbol(sql, tokens[i], u')'))
            --depth;
        else if (depth == 0 && isWord(sql, tokens[i], QLatin1StringView("ORDER")) &&
                 isWord(sql, tokens[i + 1], QLatin1StringView("BY")))
            break;
    }
    if (i + 1 >= tokens.size())
        return points;
    qsizetype start = i + 2;
    depth = 0;
    for (qsizetype j = start; j <= tokens.size(); ++j) {
        const bool end = j == tokens.size() || isSymbol(sql, tokens[j], u';') ||
                         (depth == 0 && isWord(sql, tokens[j], QLatin1StringView("LIMIT")));
        if (j < tokens.size() && !end) {
            if (isSymbol(sql, tokens[j], u'('))
                ++depth;
            else if (isSymbol(sql, tokens[j], u')'))
                --depth;
            if (depth != 0 || !isSymbol(sql, tokens[j], u','))
                continue;
        }
        // The term is tokens[start, j).
        qsizetype last = j;
        if (last > start && (isWord(sql, tokens[last - 1], QLatin1StringView("ASC")) ||
                             isWord(sql, tokens[last - 1], QLatin1StringView("DESC"))))
            --last;
        const qsizetype length = last - start;
        const bool bare = length == 1;
        const bool qualified =
            length == 3 && isName(tokens[start]) && isSymbol(sql, tokens[start + 1], u'.');
        if ((bare || qualified) && isNameField(sql, tokens[last - 1]))
            points.append(tokens[last - 1].start + tokens[last - 1].length);
        if (end)
            break;
        start = j + 1;
    }
    return points;
}

} // namespace

QString toNative(const QString& sql) {
    const QList<Token> tokens = tokenize(sql);
    // Character ranges to replace, in increasing order: start, length, new text.
    struct Edit {
        qsizetype start;
        qsizetype length;
        QString text;
    };
    QList<Edit> edits;

    if (tokens.size() >= 3 && isWord(sql, tokens[0], QLatin1StringView("DELETE")) &&
        isSymbol(sql, tokens[1], u'*') && isWord(sql, tokens[2], QLatin1StringView("FROM"))) {
        edits.append({tokens[1].start, tokens[2].start - tokens[1].start, QString()});
    }

    if (tokens.size() >= 3 && isWord(sql, tokens[0], QLatin1StringView("UPDATE")) &&
        isName(tokens[1]) && isWord(sql, tokens[2], QLatin1StringView("SET"))) {
        const QString table = nameOf(sql, tokens[1]);
        int depth = 0;
        for (qsizetype i = 3; i < tokens.size(); ++i) {
            const Token& t = tokens[i];
            if (isSymbol(sql, t, u'('))
                ++depth;
            else if (isSymbol(sql, t, u')'))
                --depth;
            else if (depth == 0 && isWord(sql, t, QLatin1StringView("WHERE")))
                break;
            // "Table.Field" in the SET list: the engine wants the bare field name.
            if (depth == 0 && isName(t) && i + 2 < tokens.size() &&
                isSymbol(sql, tokens[i + 1], u'.') && isName(tokens[i + 2]) &&
                nameOf(sql, t).compare(table, Qt::CaseInsensitive) == 0) {
                edits.append({t.start, tokens[i + 2].start - t.start, QString()});
                i += 1;
            }
        }
    }

    if (!tokens.isEmpty() && isWord(sql, tokens[0], QLatin1StringView("SELECT"))) {
        for (const qsizetype point : frenchOrderPoints(sql, tokens))
            edits.append({point, 0, QStringLiteral(" COLLATE FRENCH")});
    }

    QString native = sql;
    for (auto it = edits.crbegin(); it != edits.crend(); ++it)
        native.replace(it->start, it->length, it->text);
    return native;
}

QString shiftParameters(const QString& sql, int offset) {
    const QList<Token> tokens = tokenize(sql);
    QString shifted;
    qsizetype copied = 0;
    int highest = 0; // as the engine numbers them: a bare "?" takes the next number
    QHash<QString, int> named;
    for (qsizetype i = 0; i < tokens.size(); ++i) {
        const Token& t = tokens[i];
        if (t.kind != Token::Symbol)
            continue;
        const QChar c = sql.at(t.start);
        if (c != u'?' && c != u':' && c != u'@' && c != u'$')
            continue;
        const bool joined = i + 1 < tokens.size() && tokens[i + 1].start == t.start + 1;
        qsizetype end = t.start + 1;
        int number = 0;
        if (c == u'?' && joined && tokens[i + 1].kind == Token::Number) {
            // "?1AND" is ?1 then AND to the engine: only the digits are the number.
            const QStringView digits = text(sql, tokens[i + 1]);
            qsizetype length = 0;
            while (length < digits.size() && digits[length].isDigit())
                ++length;
            number = digits.left(length).toInt();
            highest = std::max(highest, number);
            end = tokens[i + 1].start + length;
            ++i;
        } else if (c == u'?') {
            number = ++highest;
        } else if (joined &&
                   (tokens[i + 1].kind == Token::Word || tokens[i + 1].kind == Token::Number)) {
            // ":a" and "@a" are two parameters.
            const QString name = c + text(sql, tokens[i + 1]).toString();
            number = named.value(name);
            if (number == 0)
                named.insert(name, number = ++highest);
            end = tokens[i + 1].start + tokens[i + 1].length;
            ++i;
        } else {
            continue;
        }
        shifted += QStringView(sql).mid(copied, t.start - copied);
        shifted += u'?' + QString::number(number + offset);
        copied = end;
    }
    shifted += QStringView(sql).mid(copied);
    return shifted;
}

bool isTableName(const QString& source) {
    static const QRegularExpression name(QStringLiteral("^\\s*[A-Za-z_][A-Za-z0-9_]*\\s*$"));
    return name.match(source).hasMatch();
}

std::optional<SimpleSelect> simpleSelect(const QString& source) {
    if (isTableName(source))
        return SimpleSelect{source.trimmed(), QStringLiteral("*"), QString(), false, true};

    const QList<Token> tokens = tokenize(source);
    if (tokens.isEmpty() || !isWord(source, tokens[0], QLatin1StringView("SELECT")))
        return std::nullopt;

    static const char* const aggregates[] = {"count", "sum",   "min",         "max",
                                             "avg",   "total", "group_concat"};
    static const char* const grouping[] = {"group",     "having", "limit",   "union",
                                           "intersect", "except", "distinct"};
    int depth = 0;
    qsizetype from = -1;
    for (qsizetype i = 1; i < tokens.size() && from < 0; ++i) {
        const Token& t = tokens[i];
        if (isSymbol(source, t, u'('))
            ++depth;
        else if (isSymbol(source, t, u')'))
            --depth;
        else if (depth == 0 && isWord(source, t, QLatin1StringView("FROM")))
            from = i;
        else if (isWord(source, t, QLatin1StringView("DISTINCT")))
            return std::nullopt;
        else if (t.kind == Token::Word && i + 1 < tokens.size() &&
                 isSymbol(source, tokens[i + 1], u'(')) {
            for (const char* a : aggregates)
                if (isWord(source, t, QLatin1StringView(a)))
                    return std::nullopt;
        }
    }
    if (from < 0 || from + 1 >= tokens.size() || !isName(tokens[from + 1]))
        return std::nullopt;

    const Token& table = tokens[from + 1];
    if (from + 2 < tokens.size()) {
        const Token& next = tokens[from + 2];
        if (!isWord(source, next, QLatin1StringView("WHERE")) &&
            !isWord(source, next, QLatin1StringView("ORDER")) && !isSymbol(source, next, u';'))
            return std::nullopt; // joins, aliases, several tables
    }
    bool ordered = false;
    bool orderFromTable = true;
    // A select list of anything but "*" or bare names may rename a field or compute one.
    for (qsizetype i = 1; i < from; ++i) {
        const Token& t = tokens[i];
        if (!isName(t) && !isSymbol(source, t, u',') && !isSymbol(source, t, u'*'))
            orderFromTable = false;
        if (isWord(source, t, QLatin1StringView("AS")) ||
            (i + 1 < from && isName(t) && isName(tokens[i + 1])))
            orderFromTable = false;
    }
    qsizetype end = source.size();
    depth = 0;
    for (qsizetype i = from + 2; i < tokens.size(); ++i) {
        const Token& t = tokens[i];
        for (const char* g : grouping)
            if (isWord(source, t, QLatin1StringView(g)))
                return std::nullopt;
        if (isSymbol(source, t, u'('))
            ++depth;
        else if (isSymbol(source, t, u')'))
            --depth;
        else if (depth == 0 && isWord(source, t, QLatin1StringView("ORDER")))
            ordered = true;
        else if (ordered && depth == 0 && t.kind == Token::Number && i > 0 &&
                 (isWord(source, tokens[i - 1], QLatin1StringView("BY")) ||
                  isSymbol(source, tokens[i - 1], u',')))
            orderFromTable = false; // "order by 1": a column of the select list
        else if (isSymbol(source, t, u';')) {
            if (i + 1 < tokens.size())
                return std::nullopt; // a second statement
            end = t.start;
        }
    }

    const qsizetype listStart = tokens[0].start + tokens[0].length;
    const qsizetype tailStart = table.start + table.length;
    return SimpleSelect{nameOf(source, table),
                        source.mid(listStart, tokens[from].start - listStart).trimmed(),
                        source.mid(tailStart, end - tailStart), ordered, orderFromTable};
}

} // namespace db
