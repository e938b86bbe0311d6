#include "Evening.h"

#include "db/Connection.h"
#include "db/Deals.h"
#include "db/Departures.h"
#include "db/KeyStore.h"
#include "db/Transaction.h"

#include <QHash>
#include <QSet>

namespace draw {
namespace {

const QString kErreur = QStringLiteral("Erreur");
const QString kImpossible = QStringLiteral("\n\nConstitution des tables impossible !!");
const QString kRedrawTitle = QStringLiteral("Arrivées et départs");

bool hasColumn(db::Connection& connection, const QString& table, QStringView name) {
    for (const db::ColumnInfo& column : connection.columns(table))
        if (column.name.compare(name, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

QString noSuchRound(int round, int rounds) {
    return QStringLiteral("Il n'y a pas de manche %1 : la soirée compte %2 manche(s).")
        .arg(round)
        .arg(rounds);
}

QString described(const Evening::Player& p) {
    return QStringLiteral("n° %1 %2").arg(p.placement.number).arg(p.name);
}

} // namespace

std::optional<Refusal> checkParticipants(int participants, bool fives) {
    if (participants == 0)
        return Refusal{kErreur, QStringLiteral("Le nombre de participants est égal à zéro !!!") +
                                    kImpossible};
    // The window never asks for another count; a caller that did would see players dropped
    // unseen.
    const int tables = participants / 4;
    const int extra = participants % 4;
    if (participants < 0 || (extra != 0 && (!fives || extra > tables)))
        return Refusal{kErreur, QStringLiteral("Le nombre de participants (%1) doit être un "
                                               "multiple de 4, chaque table réunissant quatre "
                                               "joueurs !!!")
                                        .arg(participants) +
                                    kImpossible};
    // A table number has three digits: table 1000 would give a five-digit table code.
    if (tables > kMaxTables)
        return Refusal{kErreur, QStringLiteral("Le nombre de participants (%1) dépasse %2, le plus "
                                               "grand nombre que permettent les %3 tables d'une "
                                               "manche !!!")
                                        .arg(participants)
                                        .arg(fives ? kMaxParticipants + 3 : kMaxParticipants)
                                        .arg(kMaxTables) +
                                    kImpossible};
    return std::nullopt;
}

Choices storedChoices(db::Connection& connection) {
    Choices choices;
    const bool repeats = hasColumn(connection, QStringLiteral("Parametres"), u"EviterRencontres");
    const bool fives = hasColumn(connection, QStringLiteral("Parametres"), u"TablesDeCinq");
    if (!repeats && !fives)
        return choices;
    auto read = connection.prepare(
        QStringLiteral("SELECT %1, %2 FROM Parametres LIMIT 1")
            .arg(repeats ? QStringLiteral("EviterRencontres") : QStringLiteral("0"),
                 fives ? QStringLiteral("TablesDeCinq") : QStringLiteral("0")));
    if (read->step()) {
        choices.avoidRepeats = read->columnInt64(0) != 0;
        choices.fives = read->columnInt64(1) != 0;
    }
    return choices;
}

void storeChoices(db::Connection& connection, Choices choices) {
    // A file not brought up to date (only a test makes one) draws as the first build did.
    if (hasColumn(connection, QStringLiteral("Parametres"), u"EviterRencontres"))
        connection.executeNative(QStringLiteral("UPDATE Parametres SET EviterRencontres = ?1"),
                                 {choices.avoidRepeats ? 1 : 0});
    if (hasColumn(connection, QStringLiteral("Parametres"), u"TablesDeCinq"))
        connection.executeNative(QStringLiteral("UPDATE Parametres SET TablesDeCinq = ?1"),
                                 {choices.fives ? 1 : 0});
}

void writePlacements(db::Connection& connection, const QList<Placement>& players, int from,
                     const std::function<void(const Placement&)>& written) {
    from = std::clamp(from, 1, db::kMaxRounds);
    QStringList codes;
    for (int k = from; k <= db::kMaxRounds; ++k)
        codes.append(QStringLiteral("%1 = ?%2").arg(db::roundField(k)).arg(k - from + 3));
    const QString fields = codes.join(QStringLiteral(", "));
    const int rowid = db::kMaxRounds - from + 4;
    auto seat = connection.prepare(
        QStringLiteral(
            "UPDATE Inscriptions SET Position = ?1, Position2 = ?2, %1 WHERE rowid = ?%2")
            .arg(fields)
            .arg(rowid));
    auto none = connection.prepare(
        QStringLiteral("UPDATE Inscriptions SET Position = ?1, %1 WHERE rowid = ?%2")
            .arg(fields)
            .arg(rowid));
    for (const Placement& p : players) {
        db::Statement& write = p.seat > 0 ? *seat : *none;
        write.bind(1, p.seat);
        if (p.seat > 0)
            write.bind(2, db::seatName(p.seat));
        for (int k = from; k <= db::kMaxRounds; ++k)
            write.bind(k - from + 3, p.codes[k - 1]);
        write.bind(rowid, p.rowid);
        write.step();
        write.reset();
        if (written)
            written(p);
    }
}

Evening readEvening(db::Connection& connection) {
    Evening evening;
    {
        auto read = connection.prepare(QStringLiteral("SELECT Manches FROM Parametres LIMIT 1"));
        if (read->step()) {
            bool number = false;
            const double rounds = read->column(0).toDouble(&number);
            if (number && rounds == int(rounds) && rounds >= 1 && rounds <= db::kMaxRounds)
                evening.rounds = int(rounds);
        }
    }
    {
        auto read = connection.prepare(QStringLiteral("SELECT max(Manche) FROM Resultats"));
        if (read->step())
            evening.scoredRounds = static_cast<int>(read->columnInt64(0));
    }
    evening.choices = storedChoices(connection);
    const QHash<int, int> gone = db::departures(connection);
    auto read = connection.prepare(QStringLiteral(
        "SELECT rowid, CodeIndividuel, Nom || ' ' || Prenom, Position, CodeEquipe01, "
        "CodeEquipe02, CodeEquipe03, CodeEquipe04, CodeEquipe05, CodeEquipe06, CodeEquipe07 "
        "FROM Inscriptions ORDER BY CodeIndividuel, rowid"));
    while (read->step()) {
        Evening::Player p;
        p.placement.rowid = read->columnInt64(0);
        p.placement.number = static_cast<int>(read->columnInt64(1));
        p.name = read->column(2).toString();
        p.placement.seat = static_cast<int>(read->columnInt64(3));
        for (int k = 0; k < db::kMaxRounds; ++k) {
            p.placement.codes[k] = static_cast<int>(read->columnInt64(4 + k));
            evening.drawn = evening.drawn || p.placement.codes[k] != 0;
        }
        p.goneFrom = gone.value(p.placement.number);
        evening.players.append(p);
    }
    return evening;
}

int Evening::firstUndrawn() const {
    for (int k = std::max(firstOpen(), 1); k <= rounds; ++k)
        if (std::none_of(players.begin(), players.end(),
                         [k](const Player& p) { return p.placement.codes[k - 1] != 0; }))
            return k;
    return 0;
}

std::optional<QString> setGone(db::Connection& connection, int number, int from) {
    const Evening evening = readEvening(connection);
    const auto player =
        std::find_if(evening.players.begin(), evening.players.end(),
                     [number](const Evening::Player& p) { return p.placement.number == number; });
    if (player == evening.players.end())
        return QStringLiteral("Aucun joueur n'est inscrit sous le numéro %1.").arg(number);
    if (from != 0) {
        if (from < 1 || from > evening.rounds)
            return noSuchRound(from, evening.rounds);
        if (from < evening.firstOpen())
            return QStringLiteral("La manche %1 a déjà des résultats : le départ se marque à "
                                  "partir de la manche %2 au plus tôt.")
                .arg(from)
                .arg(evening.firstOpen());
    } else if (player->goneFrom != 0 && player->goneFrom < evening.firstOpen()) {
        // His empty rounds are played by now: nothing to come back to.
        return QStringLiteral("%1 est parti avant la manche %2, qui a déjà des résultats : son "
                              "retour ne peut plus être marqué.")
            .arg(described(*player))
            .arg(evening.firstOpen());
    }
    db::Transaction change(connection);
    db::setDeparture(connection, number, from);
    change.commit();
    return std::nullopt;
}

Redraw planRedraw(db::Connection& connection, int from, RandomSource& random) {
    const Evening evening = readEvening(connection);
    Redraw redraw;
    redraw.from = from;
    redraw.rounds = evening.rounds;
    const auto refuse = [&redraw](const QString& text) {
        redraw.refusal = Refusal{kRedrawTitle, text};
        return redraw;
    };
    if (evening.rounds == 0)
        return refuse(QStringLiteral("Aucun nombre de manches utilisable n'est enregistré : "
                                     "fixez-le par le menu Paramètres, Manches et parties !!!"));
    if (!evening.drawn)
        return refuse(QStringLiteral("Les tables ne sont pas encore tirées : faites d'abord la "
                                     "constitution des tables (menu Fichier)."));
    if (from < 1)
        return refuse(noSuchRound(from, evening.rounds));
    if (from < evening.firstOpen())
        return refuse(QStringLiteral("La manche %1 a déjà des résultats : elle ne peut pas être "
                                     "refaite. Les manches à venir commencent à la manche %2.")
                          .arg(from)
                          .arg(evening.firstOpen()));
    if (from > evening.rounds)
        return refuse(QStringLiteral("Il ne reste aucune manche à refaire : la soirée compte %1 "
                                     "manche(s). Pour en ajouter une, augmentez le nombre de "
                                     "manches par le menu Paramètres, Manches et parties.")
                          .arg(evening.rounds));
    QList<Placement> players;
    QSet<qint64> gone;
    for (const Evening::Player& p : evening.players) {
        players.append(p.placement);
        if (p.goneFrom == 0)
            continue;
        bool stillSeated = false; // in a round he no longer plays
        for (int k = p.goneFrom; k <= db::kMaxRounds; ++k)
            stillSeated = stillSeated || p.placement.codes[k - 1] != 0;
        if (p.goneFrom > from || (p.goneFrom < from && stillSeated))
            return refuse(QStringLiteral("%1 part à partir de la manche %2 : refaites les manches "
                                         "à partir de la manche %2.")
                              .arg(described(p))
                              .arg(p.goneFrom));
        gone.insert(p.placement.rowid);
    }
    if (players.size() - gone.size() < 4)
        return refuse(QStringLiteral("Il reste moins de quatre joueurs : aucune table ne peut "
                                     "être formée."));
    for (const Placement& p : std::as_const(players))
        for (int k = from; k <= db::kMaxRounds; ++k)
            redraw.replacesTables = redraw.replacesTables || p.codes[k - 1] != 0;
    Redrawn redrawn = redrawPlacements(players, gone, from, evening.rounds, random,
                                       evening.choices.avoidRepeats, evening.choices.fives);
    QHash<int, QString> names;
    for (const Evening::Player& p : evening.players)
        names.insert(p.placement.number, p.name);
    for (const int number : std::as_const(redrawn.sittingOut))
        redraw.sittingOut.append(QStringLiteral("n° %1 %2").arg(number).arg(names.value(number)));
    QHash<qint64, const Placement*> before;
    for (const Evening::Player& p : evening.players)
        before.insert(p.placement.rowid, &p.placement);
    for (const Placement& p : std::as_const(redrawn.players)) {
        const Placement* was = before.value(p.rowid);
        if (!was || was->seat <= 0 || was->seat == p.seat)
            continue;
        for (int k = 1; k < from; ++k)
            if (was->codes[k - 1])
                redraw.keptSeats.append({p.number, k, was->seat});
    }
    redraw.seatChanges = redrawn.seatChanges;
    redraw.repeats = repeatedPairs(redrawn.players);
    redraw.players = std::move(redrawn.players);
    return redraw;
}

std::optional<Refusal> writeRedraw(db::Connection& connection, const Redraw& redraw) {
    db::Transaction all(connection);
    auto scored = connection.prepare(QStringLiteral("SELECT 1 FROM Resultats WHERE Manche >= ?1"));
    scored->bind(1, redraw.from);
    if (scored->step())
        return Refusal{kRedrawTitle, QStringLiteral("Des résultats de la manche %1 ou d'une "
                                                    "manche suivante viennent d'être saisis : "
                                                    "rien n'a été changé. Regardez de nouveau "
                                                    "les manches à venir.")
                                         .arg(redraw.from)};
    for (const Redraw::KeptSeat& kept : redraw.keptSeats)
        db::keepSeat(connection, kept.number, kept.round, kept.seat);
    writePlacements(connection, redraw.players, redraw.from);
    // The keys of the phones went with the tables redrawn; those of the rounds kept stay.
    db::deleteTableKeysFrom(connection, db::tableCode(redraw.from, 0));
    db::deleteDealsFrom(connection, db::tableCode(redraw.from, 0)); // and their deals
    all.commit();
    return std::nullopt;
}

} // namespace draw
