#include "TableList.h"

#include "db/DataControl.h"
#include "db/Departures.h"
#include "db/Tournament.h"

namespace reports {

TableList::TableList(ui::Shell& shell, db::DataControl& DataEditions, PrintSurface& Printer)
    : Report(shell, DataEditions, Printer, QStringLiteral("Edition de la liste des tables")) {}

void TableList::print() {
    run([this] { body(); });
}

void TableList::body() {
    if (!registeredAndDrawn())
        return;
    const int rounds = storedSettings().rounds;
    const QList<int> seated = seatedByRound(rounds);

    showPanel();
    const QList<TwoBlockPages::Column> columns = {
        {QStringLiteral("Code"), 9, 10},
        {QStringLiteral("Nom, prénom"), 25, 20, 47},
        {QStringLiteral("Position"), 67, 68},
        {QStringLiteral("Table"), 87, 90},
    };
    QList<int> notDrawn;
    for (int k = 1; k <= qMin(rounds, db::kMaxRounds); ++k) {
        const QString field = db::roundField(k);
        // k is a digit of our own, not a typed text.
        db::RecordSet& rows = DataEditions.Refresh(
            databasePath(), QStringLiteral("Select * from Inscriptions where %1  <> 0 and "
                                           "Mid(%1, 1, 1) = %2 order by Nom, Prenom")
                                .arg(field)
                                .arg(k));
        // The rounds were raised after the draw: an empty list would only mislead.
        if (rows.Eof()) {
            notDrawn.append(k);
            continue;
        }
        // Each round counts its own players towards the pages and the right-hand block.
        const int players = seated[k - 1];
        Printer.DocumentName = QStringLiteral("Liste des tables - manche %1").arg(k);
        TwoBlockPages list(Printer, QStringLiteral("Liste des tables de la manche n° %1").arg(k),
                           pagesFor(players), columns, players);
        list.start();
        // A player moved to another seat since this round was played keeps its seat here.
        const QHash<int, int> moved = db::keptSeats(DataEditions.Database().connection(), k);
        for (; !rows.Eof(); rows.MoveNext()) {
            const int code = rows.Fields(field).Value().toInt();
            const QVariant number = rows.Fields(QStringLiteral("CodeIndividuel")).Value();
            const auto seat = moved.constFind(number.toInt());
            list.row({PrintSurface::numberText(number.toDouble()),
                      rows.Fields(QStringLiteral("Nom")).Value().toString() + u' ' +
                          rows.Fields(QStringLiteral("Prenom")).Value().toString(),
                      seat != moved.cend()
                          ? db::seatName(*seat)
                          : rows.Fields(QStringLiteral("Position2")).Value().toString(),
                      tableNumberText(code)});
        }
        Printer.EndDoc();
    }
    if (!notDrawn.isEmpty())
        notice(roundsNotDrawn(notDrawn));
}

} // namespace reports
