#include "RankingExport.h"

#include "RankingFiles.h"
#include "common/RankingRows.h"
#include "db/DataControl.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QSaveFile>

namespace reports {

RankingExport::RankingExport(ui::Shell& shell, db::DataControl& DataEditions,
                             db::DataControl& DataInscriptions, QString folder, QDateTime when)
    : Report(shell, DataEditions, m_noPaper, QStringLiteral("Edition des résultats")),
      DataInscriptions(DataInscriptions), m_folder(std::move(folder)), m_when(std::move(when)) {}

void RankingExport::write() {
    m_files.clear();
    run([this] { body(); });
}

void RankingExport::body() {
    const int rounds = storedSettings().rounds; // opens the file
    auto found = db::standings(DataEditions.Database().connection(), rounds);
    if (const QString* fault = std::get_if<QString>(&found)) {
        refuse(impossible(*fault));
        return;
    }
    const db::Standings* standings = std::get_if<db::Standings>(&found);
    const QStringList columns = common::rankingHeadings(standings->rounds);
    const QList<QStringList> lines = common::rankingLines(*standings);

    const QString date = frenchDate(m_when.date());
    const QString csv = rankingCsv(columns, lines);
    const QString html =
        rankingHtml(QStringLiteral("Classement du %1").arg(date), QStringLiteral("Classement"),
                    standings->title, date, columns, lines);
    try {
        m_files = writeRankingFiles(m_folder, QStringLiteral("Classement"), m_when, csv, html);
    } catch (const PrintError& error) {
        m_files.clear();
        refuse(QStringLiteral("Le classement n'a pas pu être exporté : %1.\n\nRelancez "
                              "l'export une fois le problème réglé.")
                   .arg(error.message()));
    }
}

} // namespace reports
