#include "Ranking.h"

#include "db/Connection.h"
#include "db/DataControl.h"
#include "db/Tournament.h"

namespace reports {

Ranking::Ranking(ui::Shell& shell, db::DataControl& DataEditions, db::DataControl& DataInscriptions,
                 PrintSurface& Printer)
    : Report(shell, DataEditions, Printer, QStringLiteral("Edition des résultats")),
      DataInscriptions(DataInscriptions) {}

void Ranking::print() {
    run([this] { body(); });
}

std::optional<db::Standings> Ranking::standings() {
    const int rounds = storedSettings().rounds; // opens the file
    auto found = db::standings(DataEditions.Database().connection(), rounds);
    if (const QString* fault = std::get_if<QString>(&found)) {
        refuse(impossible(*fault));
        return std::nullopt;
    }
    return std::get<db::Standings>(std::move(found));
}

void Ranking::body() {
    const std::optional<db::Standings> standings = this->standings();
    if (!standings)
        return;
    showPanel();
    Printer.DocumentName = QStringLiteral("Classement");
    TwoBlockPages list(Printer, standings->title, pagesFor(standings->expected),
                       {{QStringLiteral("Code"), 9, 10},
                        {QStringLiteral("Nom, prénom"), 25, 20, 47},
                        {QStringLiteral("Score"), 67, 68}},
                       standings->expected);
    list.start();
    bool leader = true;
    for (const db::Standing& row : standings->rows) {
        list.row({PrintSurface::numberText(double(row.number)), row.name(),
                  PrintSurface::numberText(row.total)},
                 leader);
        leader = false;
    }
    Printer.EndDoc();
}

} // namespace reports
