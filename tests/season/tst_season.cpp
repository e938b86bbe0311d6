#include "db/Connection.h"
#include "db/Season.h"
#include "season/ClassementSaison.h"
#include "season/ImporterJoueurs.h"
#include "season/MemberList.h"
#include "season/Soirees.h"
#include "support/OpenedWindow.h"
#include "support/TestDatabase.h"
#include "support/TestMain.h"
#include "ui/MessageBox.h"

#include <QDateEdit>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>

using ui::MessageBox;

namespace {

const QDateTime kWhen(QDate(2026, 12, 10), QTime(22, 0));

// Two evenings kept: the first with DUPOND Jean and MARTIN Luc, the second with DUPONT Jean
// (and DUPOND Jean as well when `together`).
void twoEvenings(db::Connection& c, bool together) {
    for (const char* sql :
         {"INSERT INTO Soirees VALUES (1, '2026-10-01', '2026-10-01 23:00:00', 1, 2)",
          "INSERT INTO Soirees VALUES (2, '2026-10-08', '2026-10-08 23:00:00', 1, 2)",
          "INSERT INTO JoueursClub VALUES (1, 'DUPOND', 'Jean', 'DUPOND\tJEAN')",
          "INSERT INTO JoueursClub VALUES (2, 'MARTIN', 'Luc', 'MARTIN\tLUC')",
          "INSERT INTO JoueursClub VALUES (3, 'DUPONT', 'Jean', 'DUPONT\tJEAN')",
          "INSERT INTO SoireesJoueurs (Soiree, Joueur, CodeIndividuel, Nom, Prenom, Place, Total, "
          "Points1) VALUES (1, 1, 1, 'DUPOND', 'Jean', 1, 20, 20), (1, 2, 2, 'MARTIN', 'Luc', 2, "
          "-20, -20), (2, 3, 1, 'DUPONT', 'Jean', 1, 10, 10)"})
        c.executeNative(QString::fromUtf8(sql));
    c.executeNative(QStringLiteral("INSERT INTO SoireesJoueurs (Soiree, Joueur, CodeIndividuel, "
                                   "Nom, Prenom, Place, Total, Points1) VALUES (2, ?1, 2, ?2, "
                                   "'Jean', 2, -10, -10)"),
                    {together ? 1 : 2, together ? "DUPOND" : "MARTIN"});
}

QByteArray windows1252(const QString& text) {
    QByteArray bytes;
    for (const QChar c : text)
        bytes.append(c == u'€' ? '\x80' : c == u'œ' ? '\x9c' : char(c.unicode()));
    return bytes;
}

} // namespace

class TestSeason : public QObject {
    Q_OBJECT
private slots:
    void aMemberListIsRead_data();
    void aMemberListIsRead();
    void nothingIsWrittenBeforeImporter();
    void twoSpellingsMerged_data();
    void twoSpellingsMerged();
    void anEveningRemovedOnlyOnYes_data();
    void anEveningRemovedOnlyOnYes();
    void anEveningRedatedLeavesThePeriod();
    void theSeasonFromSeptember_data();
    void theSeasonFromSeptember();
};

void TestSeason::aMemberListIsRead_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("lines"); // each line read: "line:NOM/Prénom:state"
    QTest::addColumn<QString>("refusal");
    const QString list = QStringLiteral("Nom;Prénom;Licence\r\nDurand;Zoé;12\r\n");
    const QString expected = QStringLiteral("2:DURAND/Zoé:new");
    QTest::newRow("UTF-8 with its mark, ;") << ("\xEF\xBB\xBF" + list.toUtf8()) << expected << "";
    QTest::newRow("UTF-8 without its mark") << list.toUtf8() << expected << "";
    QTest::newRow("Windows-1252") << windows1252(list) << expected << "";
    QTest::newRow("commas, Windows-1252 œ")
        << windows1252(QStringLiteral("nom,prénom\nCœur,Zoé\n")) << "2:CŒUR/Zoé:new"
        << "";
    QTest::newRow("first names capitalised as the field types them")
        << QStringLiteral("Nom;Prénom\ndupont;jean-pierre\n").toUtf8() << "2:DUPONT/Jean-Pierre:new"
        << "";
    QTest::newRow("first name first, quoted fields")
        << QStringLiteral("\"Prénom\";\"Nom\"\n\"Jean; dit Jeannot\";\"d'Alembert\"\n").toUtf8()
        << "2:D'ALEMBERT/Jean; Dit Jeannot:new"
        << "";
    QTest::newRow("refused lines say why")
        << QStringLiteral("Nom;Prénom\n;Luc\nMARTIN;\nMARTIN;Paul\nmartin;paul\n;;\n"
                          "ABCDEFGHIJKLMNOPQRSTUVWXYZ;Jo\nZOLA;Émile\n")
               .toUtf8()
        << "2:/Luc:refusé, le nom est vide|3:MARTIN/:refusé, le prénom est vide|"
           "4:MARTIN/Paul:new|5:MARTIN/Paul:refusé, le même joueur qu'à la ligne 4|"
           "7:ABCDEFGHIJKLMNOPQRSTUVWXYZ/Jo:refusé, le nom dépasse 25 caractères|"
           "8:ZOLA/Émile:known"
        << "";
    QTest::newRow("no heading row") << QByteArray("DURAND;Zoé\n") << ""
                                    << "La première ligne du fichier doit nommer la colonne des "
                                       "noms (« Nom ») et celle des prénoms (« Prénom »).\n\nRien "
                                       "n'a été lu.";
}

void TestSeason::aMemberListIsRead() {
    QFETCH(QByteArray, file);
    QFETCH(QString, lines);
    QFETCH(QString, refusal);
    const season::MemberList list = season::readMemberList(
        file, {db::playerKey(QStringLiteral("Zola"), QStringLiteral("Emile"))});
    QCOMPARE(list.refusal, refusal);
    QStringList read;
    for (const season::MemberLine& line : list.lines)
        read.append(QStringLiteral("%1:%2/%3:%4")
                        .arg(line.line)
                        .arg(line.nom, line.prenom,
                             line.state == season::MemberLine::State::New ? QStringLiteral("new")
                             : line.state == season::MemberLine::State::Known
                                 ? QStringLiteral("known")
                                 : QStringLiteral("refusé, ") + line.reason));
    QCOMPARE(read.join(u'|'), lines);
    QCOMPARE(list.added + list.known + list.refused, int(list.lines.size()));
}

void TestSeason::nothingIsWrittenBeforeImporter() {
    OpenedWindow<season::ImporterJoueurs> o;
    db::importPlayers(o.base.connection(), {{QStringLiteral("ZOLA"), QStringLiteral("Émile")}},
                      kWhen);
    QVERIFY(o.open());
    const QString path = o.base.directory() + QStringLiteral("membres.csv");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("Nom;Prénom\nDURAND;Zoé\nzola;emile\n;Luc\nPETIT;Léo\n");
    file.close();
    const QString before = contents(o.base.connection());
    MessageBox::Script script;
    o.window->load(path);
    QCOMPARE(o.window->Bilan->text(), "2 nouveaux joueurs, 1 déjà connu, 1 ligne refusée.");
    QCOMPARE(o.window->Apercu->topLevelItem(2)->text(3), "refusé : le nom est vide");
    QVERIFY(o.window->Importer->isEnabled());
    QCOMPARE(contents(o.base.connection()), before);
    QVERIFY(script.shown().isEmpty());
    QTest::mouseClick(o.window->Importer, Qt::LeftButton);
    QCOMPARE(script.shown().size(), 1);
    QCOMPARE(script.shown()[0].text, "2 joueurs ajoutés aux joueurs du club.");
    QCOMPARE(o.base.scalar(QStringLiteral("SELECT group_concat(Nom || ' ' || Prenom, ', ') FROM "
                                          "(SELECT Nom, Prenom FROM JoueursClub ORDER BY Joueur)")),
             QVariant(QStringLiteral("ZOLA Émile, DURAND Zoé, PETIT Léo")));
    QCOMPARE(o.base.scalar(QStringLiteral("SELECT Operation || ' ' || Detail FROM "
                                          "CorrectionsSaison ORDER BY rowid DESC")),
             QVariant(QStringLiteral("import 2 joueurs ajoutés")));
    QVERIFY(!o.window->Importer->isEnabled());
}

void TestSeason::twoSpellingsMerged_data() {
    QTest::addColumn<bool>("together"); // both spellings played the second evening
    QTest::addColumn<QString>("refusal");
    QTest::newRow("the evenings follow") << false << "";
    QTest::newRow("two people, not two spellings")
        << true
        << "DUPONT Jean et DUPOND Jean ont joué tous les deux la soirée du 08/10/2026 : ce sont "
           "deux personnes, pas deux orthographes d'un même joueur.\n\nRien n'a été changé.";
}

void TestSeason::twoSpellingsMerged() {
    QFETCH(bool, together);
    QFETCH(QString, refusal);
    TestDatabase base;
    twoEvenings(base.connection(), together);
    const QString before = contents(base.connection());
    const std::optional<QString> refused = db::mergePlayers(base.connection(), 3, 1, kWhen);
    QCOMPARE(refused.value_or(QString()), refusal);
    if (refused) {
        QCOMPARE(contents(base.connection()), before);
        return;
    }
    const QList<db::KnownPlayer> known = db::knownPlayers(base.connection());
    QCOMPARE(known.size(), 2);
    QCOMPARE(known[0].nom + u' ' + known[0].prenom, "DUPONT Jean");
    QCOMPARE(known[0].evenings, 2);
    const db::SeasonStandings season =
        db::seasonStandings(base.connection(), QDate(2026, 9, 1), QDate(2026, 12, 31));
    QCOMPARE(season.rows[0].nom, "DUPONT");
    QCOMPARE(season.rows[0].total, 30.0);
    QCOMPARE(base.scalar(QStringLiteral("SELECT Operation || ' ' || Joueur || ' ' || AutreJoueur "
                                        "|| ' ' || Detail FROM CorrectionsSaison")),
             QVariant(QStringLiteral("fusion 3 1 DUPOND Jean réuni à DUPONT Jean (1 soirées)")));
}

void TestSeason::anEveningRemovedOnlyOnYes_data() {
    QTest::addColumn<bool>("yes");
    QTest::newRow("No, the default") << false;
    QTest::newRow("Yes") << true;
}

void TestSeason::anEveningRemovedOnlyOnYes() {
    QFETCH(bool, yes);
    OpenedWindow<season::Soirees> o;
    twoEvenings(o.base.connection(), false);
    QVERIFY(o.open());
    // The latest first, its ranking shown with the exported columns.
    QCOMPARE(o.window->ListeSoirees->topLevelItem(0)->text(0), "08/10/2026");
    QCOMPARE(o.window->Classement->headerItem()->text(4), "Manche 1");
    QCOMPARE(o.window->Classement->topLevelItem(0)->text(2), "DUPONT");
    const QString before = contents(o.base.connection());
    MessageBox::Script script;
    script.answer(yes ? MessageBox::Answer::Yes : MessageBox::Answer::No);
    QTest::mouseClick(o.window->Supprimer, Qt::LeftButton);
    QCOMPARE(script.shown().at(0).buttons, MessageBox::Buttons::NoYes);
    QCOMPARE(script.shown().at(0).text,
             "Supprimer la soirée du 08/10/2026 (2 joueurs) de la saison ?\n\nSon classement ne "
             "comptera plus dans celui de la saison.");
    if (!yes) {
        QCOMPARE(contents(o.base.connection()), before);
        return;
    }
    QCOMPARE(o.window->ListeSoirees->topLevelItemCount(), 1);
    QCOMPARE(o.base.scalar(QStringLiteral("SELECT count(*) FROM SoireesJoueurs WHERE Soiree = 2")),
             QVariant(0));
    QCOMPARE(o.base.scalar(QStringLiteral("SELECT Operation || ' ' || Soiree || ' ' || Detail FROM "
                                          "CorrectionsSaison")),
             QVariant(QStringLiteral("suppression 2 Soirée du 08/10/2026, 2 joueurs")));
}

// A reset made the week after: the evening given its own day falls out of the season begun since.
void TestSeason::anEveningRedatedLeavesThePeriod() {
    OpenedWindow<season::Soirees> o;
    twoEvenings(o.base.connection(), false);
    QVERIFY(o.open());
    QCOMPARE(o.window->SaisieDate->date(), QDate(2026, 10, 8));
    o.window->SaisieDate->setDate(QDate(2026, 8, 27));
    QTest::mouseClick(o.window->ChangerDate, Qt::LeftButton);
    QCOMPARE(o.window->ListeSoirees->currentItem()->text(0), "27/08/2026");
    const db::SeasonStandings season =
        db::seasonStandings(o.base.connection(), QDate(2026, 9, 1), QDate(2026, 12, 31));
    QCOMPARE(season.evenings, 1);
    QCOMPARE(season.rows.size(), 2); // DUPOND and MARTIN; DUPONT played only on the 27th
    QCOMPARE(o.base.scalar(QStringLiteral("SELECT Detail FROM CorrectionsSaison")),
             QVariant(QStringLiteral("Soirée du 08/10/2026 datée du 27/08/2026")));
}

void TestSeason::theSeasonFromSeptember_data() {
    QTest::addColumn<QDate>("today");
    QTest::addColumn<QDate>("from");
    QTest::addColumn<int>("ranked");
    QTest::newRow("December") << QDate(2026, 12, 10) << QDate(2026, 9, 1) << 3;
    QTest::newRow("the 1st of September") << QDate(2026, 9, 1) << QDate(2026, 9, 1) << 0;
    QTest::newRow("the last day of August") << QDate(2026, 8, 31) << QDate(2025, 9, 1) << 0;
}

void TestSeason::theSeasonFromSeptember() {
    QFETCH(QDate, today);
    QFETCH(QDate, from);
    QFETCH(int, ranked);
    TestDatabase base;
    twoEvenings(base.connection(), false);
    FakeShell shell(base.directory());
    MessageBox::Script script;
    season::ClassementSaison window(shell, nullptr, today);
    QVERIFY(window.start());
    QCOMPARE(window.SaisieDu->date(), from);
    QCOMPARE(window.SaisieAu->date(), today);
    QCOMPARE(window.Classement->topLevelItemCount(), ranked);
    // A period that ends before it starts prints nothing.
    window.SaisieDu->setDate(today.addDays(1));
    QCOMPARE(window.Classement->topLevelItemCount(), 0);
    QTest::mouseClick(window.Imprimer, Qt::LeftButton);
    QCOMPARE(script.shown().size(), 1);
    QCOMPARE(script.shown()[0].title, "Erreur de saisie");
}

VELMORA_TEST_MAIN(TestSeason)
#include "tst_season.moc"
