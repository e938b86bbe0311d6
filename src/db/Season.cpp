#include "Season.h"

#include "Connection.h"
#include "FrenchOrder.h"
#include "Tournament.h"
#include "Transaction.h"

#include <QSet>
#include <algorithm>
#include <cmath>

namespace db {
namespace {

const QString kMoment = QStringLiteral("yyyy-MM-dd HH:mm:ss");
const QString kDay = QStringLiteral("yyyy-MM-dd");

// One name folded: what the French order sees at its first level.
QString folded(const QString& text) {
    const QString decomposed = text.normalized(QString::NormalizationForm_KD);
    QString out;
    out.reserve(decomposed.size());
    bool blank = false;
    for (const QChar c : decomposed) {
        if (c.category() == QChar::Mark_NonSpacing)
            continue;
        if (c == u'\'' || c == u'\u2019' || c == u'\u2018' || c == u'\u02BC' || c == u'`')
            continue;
        if (c.isSpace()) {
            blank = !out.isEmpty();
            continue;
        }
        if (blank)
            out += u' ';
        blank = false;
        if (c == u'\u0152' || c == u'\u0153')
            out += QStringLiteral("OE");
        else if (c == u'\u00C6' || c == u'\u00E6')
            out += QStringLiteral("AE");
        else if (c == u'\u00DF')
            out += QStringLiteral("SS");
        else
            out += c.toUpper();
    }
    return out;
}

bool sameTotal(double a, double b) {
    return std::llround(a * 1e4) == std::llround(b * 1e4);
}

void log(Connection& connection, const QDateTime& when, const QString& operation,
         const QVariant& evening, const QVariant& player, const QVariant& other,
         const QString& detail) {
    auto insert = connection.prepare(
        QStringLiteral("INSERT INTO CorrectionsSaison (Moment, Operation, Soiree, Joueur, "
                       "AutreJoueur, Detail) VALUES (?1, ?2, ?3, ?4, ?5, ?6)"));
    insert->bindAll({when.toString(kMoment), operation, evening, player, other, detail.left(200)});
    insert->step();
}

int nextKnownNumber(Connection& connection) {
    auto next =
        connection.prepare(QStringLiteral("SELECT coalesce(max(Joueur), 0) + 1 FROM JoueursClub"));
    return next->step() ? int(next->columnInt64(0)) : 1;
}

void addKnown(Connection& connection, int number, const QString& nom, const QString& prenom) {
    auto insert = connection.prepare(QStringLiteral(
        "INSERT INTO JoueursClub (Joueur, Nom, Prenom, Cle) VALUES (?1, ?2, ?3, ?4)"));
    insert->bindAll({number, nom, prenom, playerKey(nom, prenom)});
    insert->step();
}

std::optional<KnownPlayer> knownByNumber(Connection& connection, int number) {
    auto find = connection.prepare(
        QStringLiteral("SELECT Nom, Prenom, (SELECT count(*) FROM SoireesJoueurs S WHERE "
                       "S.Joueur = P.Joueur) FROM JoueursClub P WHERE Joueur = ?1"));
    find->bind(1, number);
    if (!find->step())
        return std::nullopt;
    return KnownPlayer{number, find->column(0).toString(), find->column(1).toString(),
                       int(find->columnInt64(2))};
}

QList<KnownPlayer> readKnown(Statement& statement) {
    QList<KnownPlayer> players;
    while (statement.step())
        players.append({int(statement.columnInt64(0)), statement.column(1).toString(),
                        statement.column(2).toString(), int(statement.columnInt64(3))});
    std::stable_sort(players.begin(), players.end(),
                     [](const KnownPlayer& a, const KnownPlayer& b) {
                         const int byNom = compareFrench(a.nom, b.nom);
                         return byNom != 0 ? byNom < 0 : compareFrench(a.prenom, b.prenom) < 0;
                     });
    return players;
}

QString nameOf(const KnownPlayer& player) {
    return player.nom + u' ' + player.prenom;
}

} // namespace

QString playerKey(const QString& nom, const QString& prenom) {
    return folded(nom) + u'\t' + folded(prenom);
}

std::optional<int> keepEvening(Connection& connection, const QDateTime& when) {
    int rounds = 0;
    {
        auto settings = connection.prepare(QStringLiteral("SELECT Manches FROM Parametres"));
        if (settings->step())
            rounds = settings->column(0).toInt();
    }
    // The rounds complete so far, as the live ranking takes them: a round left half entered
    // keeps nothing of itself, and an evening without a complete round keeps nothing.
    auto found = standings(connection, rounds, RoundsRanked::CompleteSoFar);
    const Standings* kept = std::get_if<Standings>(&found);
    if (!kept || kept->rounds.isEmpty() || kept->rows.isEmpty())
        return std::nullopt;

    int number = 1;
    {
        auto next =
            connection.prepare(QStringLiteral("SELECT coalesce(max(Soiree), 0) + 1 FROM Soirees"));
        if (next->step())
            number = int(next->columnInt64(0));
    }
    connection.executeNative(QStringLiteral("INSERT INTO Soirees (Soiree, DateSoiree, Moment, "
                                            "Manches, Joueurs) VALUES (?1, ?2, ?3, ?4, ?5)"),
                             {number, when.date().toString(kDay), when.toString(kMoment),
                              int(kept->rounds.size()), int(kept->rows.size())});

    auto find = connection.prepare(
        QStringLiteral("SELECT Joueur FROM JoueursClub WHERE Cle = ?1 ORDER BY Joueur"));
    auto insert = connection.prepare(QStringLiteral(
        "INSERT INTO SoireesJoueurs (Soiree, Joueur, CodeIndividuel, Nom, Prenom, Place, Total, "
        "Points1, Points2, Points3, Points4, Points5, Points6, Points7) VALUES (?1, ?2, ?3, ?4, "
        "?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14)"));
    int nextKnown = nextKnownNumber(connection);
    QSet<int> linked; // two players of one evening under the same names are two people
    for (qsizetype i = 0; i < kept->rows.size(); ++i) {
        const Standing& row = kept->rows[i];
        int player = 0; // a number nobody holds stays in the evening, for no known player
        if (row.registered) {
            find->bind(1, playerKey(row.nom, row.prenom));
            while (find->step()) {
                const int candidate = int(find->columnInt64(0));
                if (!linked.contains(candidate)) {
                    player = candidate;
                    break;
                }
            }
            find->reset();
            if (player == 0) {
                player = nextKnown++;
                addKnown(connection, player, row.nom, row.prenom);
            }
            linked.insert(player);
        }
        QVariantList values = {
            number, player, row.number, row.nom, row.prenom, kept->places.value(i), row.total};
        for (int k = 1; k <= kMaxRounds; ++k) {
            const auto points = row.byRound.constFind(k);
            values.append(points == row.byRound.cend() ? QVariant() : QVariant(*points));
        }
        insert->bindAll(values);
        insert->step();
        insert->reset();
    }
    return number;
}

QList<Evening> evenings(Connection& connection) {
    QList<Evening> list;
    auto all = connection.prepare(QStringLiteral(
        "SELECT Soiree, DateSoiree, Joueurs, count(Points1), count(Points2), count(Points3), "
        "count(Points4), count(Points5), count(Points6), count(Points7) FROM Soirees E LEFT JOIN "
        "SoireesJoueurs S USING (Soiree) GROUP BY Soiree ORDER BY DateSoiree DESC, Soiree DESC"));
    while (all->step()) {
        Evening evening{int(all->columnInt64(0)),
                        QDate::fromString(all->column(1).toString(), kDay),
                        int(all->columnInt64(2)),
                        {}};
        for (int k = 1; k <= kMaxRounds; ++k)
            if (all->columnInt64(2 + k) > 0)
                evening.rounds.append(k);
        list.append(evening);
    }
    return list;
}

std::optional<Standings> eveningStandings(Connection& connection, int evening) {
    {
        auto exists = connection.prepare(QStringLiteral("SELECT 1 FROM Soirees WHERE Soiree = ?1"));
        exists->bind(1, evening);
        if (!exists->step())
            return std::nullopt;
    }
    Standings standings;
    // The order they were kept in is the ranking's own.
    auto rows = connection.prepare(QStringLiteral(
        "SELECT Joueur, CodeIndividuel, Nom, Prenom, Place, Total, Points1, Points2, Points3, "
        "Points4, Points5, Points6, Points7 FROM SoireesJoueurs WHERE Soiree = ?1 ORDER BY Place, "
        "rowid"));
    rows->bind(1, evening);
    QSet<int> rounds;
    while (rows->step()) {
        Standing row;
        row.registered = rows->columnInt64(0) != 0;
        row.number = rows->columnInt64(1);
        row.nom = rows->column(2).toString();
        row.prenom = rows->column(3).toString();
        row.total = rows->column(5).toDouble();
        for (int k = 1; k <= kMaxRounds; ++k) {
            const QVariant points = rows->column(5 + k);
            if (!points.isNull()) {
                row.byRound.insert(k, points.toDouble());
                rounds.insert(k);
            }
        }
        standings.rows.append(row);
        standings.places.append(int(rows->columnInt64(4)));
    }
    standings.rounds = rounds.values();
    std::sort(standings.rounds.begin(), standings.rounds.end());
    standings.title = standingsTitle(standings.rounds);
    standings.expected = int(standings.rows.size());
    return standings;
}

std::optional<QString> removeEvening(Connection& connection, int evening, const QDateTime& when) {
    Transaction removal(connection);
    auto find = connection.prepare(
        QStringLiteral("SELECT DateSoiree, Joueurs FROM Soirees WHERE Soiree = ?1"));
    find->bind(1, evening);
    if (!find->step())
        return QStringLiteral("Cette soirée n'est plus dans la saison.");
    const QDate date = QDate::fromString(find->column(0).toString(), kDay);
    const int players = int(find->columnInt64(1));
    find.reset();
    connection.executeNative(QStringLiteral("DELETE FROM SoireesJoueurs WHERE Soiree = ?1"),
                             {evening});
    connection.executeNative(QStringLiteral("DELETE FROM Soirees WHERE Soiree = ?1"), {evening});
    log(connection, when, QStringLiteral("suppression"), evening, QVariant(), QVariant(),
        QStringLiteral("Soirée du %1, %2 joueurs")
            .arg(date.toString(QStringLiteral("dd/MM/yyyy")))
            .arg(players));
    removal.commit();
    return std::nullopt;
}

std::optional<QString> redateEvening(Connection& connection, int evening, const QDate& date,
                                     const QDateTime& when) {
    if (!date.isValid())
        return QStringLiteral("La date n'est pas valide.");
    Transaction change(connection);
    auto find =
        connection.prepare(QStringLiteral("SELECT DateSoiree FROM Soirees WHERE Soiree = ?1"));
    find->bind(1, evening);
    if (!find->step())
        return QStringLiteral("Cette soirée n'est plus dans la saison.");
    const QDate before = QDate::fromString(find->column(0).toString(), kDay);
    find.reset();
    connection.executeNative(QStringLiteral("UPDATE Soirees SET DateSoiree = ?1 WHERE Soiree = ?2"),
                             {date.toString(kDay), evening});
    log(connection, when, QStringLiteral("date"), evening, QVariant(), QVariant(),
        QStringLiteral("Soirée du %1 datée du %2")
            .arg(before.toString(QStringLiteral("dd/MM/yyyy")),
                 date.toString(QStringLiteral("dd/MM/yyyy"))));
    change.commit();
    return std::nullopt;
}

QList<KnownPlayer> knownPlayersStartingWith(Connection& connection, const QString& typed,
                                            int limit) {
    QString prefix = folded(typed);
    if (prefix.isEmpty())
        return {};
    if (typed.back().isSpace())
        prefix += u' '; // "DE " looks for DE LA FONTAINE, not DESMOULINS
    // A range on the key's index: every key that begins with the prefix lies below the prefix
    // followed by the highest character.
    auto found = connection.prepare(QStringLiteral(
        "SELECT Joueur, Nom, Prenom, (SELECT count(*) FROM SoireesJoueurs S WHERE S.Joueur = "
        "P.Joueur) FROM JoueursClub P WHERE Cle >= ?1 AND Cle < ?2 ORDER BY Cle, Joueur LIMIT ?3"));
    found->bindAll({prefix, prefix + QString::fromUcs4(U"\U0010FFFF", 1), limit});
    return readKnown(*found);
}

QList<KnownPlayer> knownPlayers(Connection& connection) {
    auto all = connection.prepare(
        QStringLiteral("SELECT Joueur, Nom, Prenom, (SELECT count(*) FROM SoireesJoueurs S WHERE "
                       "S.Joueur = P.Joueur) FROM JoueursClub P"));
    return readKnown(*all);
}

std::optional<KnownPlayer> findKnownPlayer(Connection& connection, const QString& nom,
                                           const QString& prenom) {
    auto find = connection.prepare(
        QStringLiteral("SELECT Joueur FROM JoueursClub WHERE Cle = ?1 ORDER BY Joueur LIMIT 1"));
    find->bind(1, playerKey(nom, prenom));
    if (!find->step())
        return std::nullopt;
    const int number = int(find->columnInt64(0));
    find.reset();
    return knownByNumber(connection, number);
}

QSet<QString> knownKeys(Connection& connection) {
    QSet<QString> keys;
    auto all = connection.prepare(QStringLiteral("SELECT Cle FROM JoueursClub"));
    while (all->step())
        keys.insert(all->column(0).toString());
    return keys;
}

std::optional<QString> mergePlayers(Connection& connection, int kept, int gone,
                                    const QDateTime& when) {
    if (kept == gone)
        return QStringLiteral("Choisissez deux joueurs différents.");
    Transaction merge(connection);
    const std::optional<KnownPlayer> keeper = knownByNumber(connection, kept);
    const std::optional<KnownPlayer> other = knownByNumber(connection, gone);
    if (!keeper || !other)
        return QStringLiteral("L'un de ces joueurs n'est plus connu du club.");
    {
        auto together = connection.prepare(QStringLiteral(
            "SELECT E.DateSoiree FROM SoireesJoueurs A JOIN SoireesJoueurs B ON A.Soiree = "
            "B.Soiree JOIN Soirees E ON E.Soiree = A.Soiree WHERE A.Joueur = ?1 AND B.Joueur = ?2 "
            "LIMIT 1"));
        together->bindAll({kept, gone});
        if (together->step())
            return QStringLiteral("%1 et %2 ont joué tous les deux la soirée du %3 : ce sont deux "
                                  "personnes, pas deux orthographes d'un même joueur.\n\nRien n'a "
                                  "été changé.")
                .arg(nameOf(*keeper), nameOf(*other),
                     QDate::fromString(together->column(0).toString(), kDay)
                         .toString(QStringLiteral("dd/MM/yyyy")));
    }
    connection.executeNative(
        QStringLiteral("UPDATE SoireesJoueurs SET Joueur = ?1 WHERE Joueur = ?2"), {kept, gone});
    connection.executeNative(QStringLiteral("DELETE FROM JoueursClub WHERE Joueur = ?1"), {gone});
    log(connection, when, QStringLiteral("fusion"), QVariant(), kept, gone,
        QStringLiteral("%1 réuni à %2 (%3 soirées)")
            .arg(nameOf(*other), nameOf(*keeper))
            .arg(other->evenings));
    merge.commit();
    return std::nullopt;
}

int importPlayers(Connection& connection, const QList<NewPlayer>& players, const QDateTime& when) {
    Transaction import(connection);
    QSet<QString> keys = knownKeys(connection);
    int next = nextKnownNumber(connection);
    int added = 0;
    for (const NewPlayer& player : players) {
        const QString key = playerKey(player.nom, player.prenom);
        if (keys.contains(key))
            continue;
        keys.insert(key);
        addKnown(connection, next++, player.nom, player.prenom);
        ++added;
    }
    if (added > 0)
        log(connection, when, QStringLiteral("import"), QVariant(), QVariant(), QVariant(),
            QStringLiteral("%1 joueurs ajoutés").arg(added));
    import.commit();
    return added;
}

SeasonStandings seasonStandings(Connection& connection, const QDate& from, const QDate& to) {
    SeasonStandings season;
    season.from = from;
    season.to = to;
    const QVariantList period = {from.toString(kDay), to.toString(kDay)};
    {
        auto count = connection.prepare(QStringLiteral(
            "SELECT count(*) FROM Soirees WHERE DateSoiree >= ?1 AND DateSoiree <= ?2"));
        count->bindAll(period);
        if (count->step())
            season.evenings = int(count->columnInt64(0));
    }
    auto rows = connection.prepare(QStringLiteral(
        "SELECT P.Joueur, P.Nom, P.Prenom, count(*), round(sum(S.Total), 4), max(S.Total) FROM "
        "SoireesJoueurs S JOIN Soirees E ON E.Soiree = S.Soiree JOIN JoueursClub P ON P.Joueur = "
        "S.Joueur WHERE E.DateSoiree >= ?1 AND E.DateSoiree <= ?2 GROUP BY P.Joueur"));
    rows->bindAll(period);
    while (rows->step())
        season.rows.append({int(rows->columnInt64(0)), rows->column(1).toString(),
                            rows->column(2).toString(), int(rows->columnInt64(3)),
                            rows->column(4).toDouble(), rows->column(5).toDouble()});
    std::stable_sort(season.rows.begin(), season.rows.end(),
                     [](const SeasonStanding& a, const SeasonStanding& b) {
                         if (!sameTotal(a.total, b.total))
                             return a.total > b.total;
                         const int byNom = compareFrench(a.nom, b.nom);
                         return byNom != 0 ? byNom < 0 : compareFrench(a.prenom, b.prenom) < 0;
                     });
    for (qsizetype i = 0; i < season.rows.size(); ++i)
        season.places.append(i > 0 && sameTotal(season.rows[i].total, season.rows[i - 1].total)
                                 ? season.places.last()
                                 : int(i) + 1);
    return season;
}

QDate seasonStart(const QDate& day) {
    const QDate september(day.year(), 9, 1);
    return day >= september ? september : QDate(day.year() - 1, 9, 1);
}

} // namespace db
