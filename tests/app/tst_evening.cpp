#include "app/Depart.h"
#include "backup/Restauration.h"
#include "db/Connection.h"
#include "draw/Tirage.h"
#include "registration/Inscriptions.h"
#include "results/Correction.h"
#include "results/Resultats.h"
#include "settings/Parametres.h"
#include "support/Platform.h"
#include "support/TestDatabase.h"
#include "support/TestMain.h"
#include "ui/MessageBox.h"
#include "ui/Saisie.h"

#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QtTest>

using ui::MessageBox;

// A whole tournament evening through the real main window, driven only by keys and the mouse
// as the organiser drives it: menus by their accelerators, fields by typing, buttons by Enter
// or a click; the message boxes answered through the program's seam, the reports written as
// PDF files into the test's folder and read back.
class TestEvening : public QObject {
    Q_OBJECT
private slots:
    void fromAnEmptyFileToTheRankingAndBack();
};

namespace {

// Surname and first name as typed, in lower case where the fields must set the capitals.
const QList<std::pair<QString, QString>> kPlayers = {
    {"martin", "jean"},    {"MARTIN", "Paul"},   {"d'alembert", "sophie"}, {"garçon", "léa"},
    {"ÉMERY", "Noël"},     {"BERNARD", "Luc"},   {"PETIT", "Marie"},       {"ROUX", "Anne"},
    {"FAURE", "Hugo"},     {"BLANC", "Inès"},    {"GIRARD", "Théo"},       {"MOREL", "Chloé"},
    {"LEFÈVRE", "Jules"},  {"BONNET", "Zoé"},    {"DUPONT", "Éric"},       {"LAMBERT", "Rémi"},
    {"FONTAINE", "Célia"}, {"ROUSSEAU", "Aimé"},
};

// The scores of each table, in seat order: rounds 1 and 2, four tables each.
const QList<QStringList> kScores = {
    {"10", "-5", "-5", "0"},  {"2,5", "-1,5", "-1", "0"}, {"30", "-10", "-10", "-10"},
    {"-20", "20", "5", "-5"}, {"0", "0", "0", "0"},       {"12", "-4", "-4", "-4"},
    {"-9", "3", "3", "3"},    {"40", "-40", "0", "0"},
};

struct Organiser {
    TestDatabase base;
    Platform platform;
    app::Depart window{platform.environment(base.directory())};
    MessageBox::Script script;

    // Alt and the menu's letter, then the command's letter in the menu.
    void command(Qt::Key menu, Qt::Key item) {
        // The last menu closed, and a window closed gives the keyboard back to the main
        // window, as a desktop does.
        QTRY_VERIFY(!QApplication::activePopupWidget());
        if (QApplication::activeWindow() != &window) {
            window.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&window));
            // The offscreen platform may keep a closed menu as the active window.
            QApplication::setActiveWindow(&window);
        }
        QTest::keyClick(&window, menu, Qt::AltModifier);
        QWidget* popup = nullptr;
        QTRY_VERIFY2(
            (popup = QApplication::activePopupWidget()),
            qPrintable(QKeySequence(menu).toString() + u' ' + QKeySequence(item).toString()));
        QTest::keyClick(popup, item);
    }
    // Typed where the focus is, a key per character as the keyboard sends it, then Enter.
    void type(const QString& text) {
        QWidget* field = QApplication::focusWidget();
        for (const uint code : text.toUcs4()) {
            const QString one = QString::fromUcs4(reinterpret_cast<const char32_t*>(&code), 1);
            const int key = code < 0x100 ? QChar(code).toUpper().unicode() : int(Qt::Key_unknown);
            QTest::sendKeyEvent(QTest::Click, field, Qt::Key(key), one, Qt::NoModifier);
        }
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    }
    // The window a command opened, active as the desktop makes it.
    template <typename Window> Window* open() {
        Window* w = nullptr;
        [&] {
            QTRY_VERIFY((w = window.findChild<Window*>()) && w->isVisible());
            QTRY_VERIFY(!QApplication::activePopupWidget());
            w->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(w));
            QTRY_VERIFY(QApplication::focusWidget() && QApplication::focusWidget()->window() == w);
        }();
        return w;
    }
    void quit(QDialog* w) {
        QPointer<QDialog> closing(w);
        QTest::mouseClick(w->findChild<QPushButton*>(QStringLiteral("Quitter")), Qt::LeftButton);
        [&] { QTRY_VERIFY(closing.isNull()); }();
    }
    // The words of a printed file, as pdftotext reads them, page after page.
    QStringList words(const QString& pdf) {
        QProcess pdftotext;
        pdftotext.start(QStringLiteral("pdftotext"),
                        {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
        pdftotext.waitForFinished(30000);
        return QString::fromUtf8(pdftotext.readAllStandardOutput())
            .split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
    }
    QString printed(const QString& name) {
        const QStringList found = QDir(base.directory() + QStringLiteral("Impressions"))
                                      .entryList({name + QStringLiteral("*.pdf")});
        return found.isEmpty() ? QString()
                               : base.directory() + QStringLiteral("Impressions/") + found.last();
    }
    QStringList column(const QString& sql) {
        QStringList values;
        auto rows = base.connection().prepare(sql);
        while (rows->step())
            values.append(rows->column(0).toString());
        return values;
    }
};

} // namespace

void TestEvening::fromAnEmptyFileToTheRankingAndBack() {
    Organiser o;
    writeHelp(o.base.directory());
    QVERIFY(o.window.Form_Load());
    o.window.show();
    QVERIFY(QTest::qWaitForWindowActive(&o.window));

    // Eighteen players at the door.
    o.command(Qt::Key_F, Qt::Key_I);
    auto* inscriptions = o.open<registration::Inscriptions>();
    for (const auto& [nom, prenom] : kPlayers) {
        o.type(nom);
        o.type(prenom); // Enter on the first name reaches "Valider"; the next Enter validates
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    }
    QCOMPARE(inscriptions->NombreInscrits->text(), "18");
    o.quit(inscriptions);
    QCOMPARE(o.column("SELECT CodeIndividuel || ' ' || Nom || ' ' || Prenom FROM Inscriptions "
                      "WHERE CodeIndividuel IN (1, 3, 4) ORDER BY 1"),
             QStringList({"1 MARTIN Jean", "3 D'ALEMBERT Sophie", "4 GARÇON Léa"}));

    // Three rounds of six deals.
    o.command(Qt::Key_P, Qt::Key_M);
    auto* parametres = o.open<settings::Parametres>();
    o.type(QStringLiteral("3"));
    o.type(QStringLiteral("6"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    o.quit(parametres);

    // The draw: sixteen take part, the last two registered sit out.
    o.command(Qt::Key_F, Qt::Key_C);
    auto* tirage = o.open<draw::Tirage>();
    QCOMPARE(tirage->Participants->text(), "16");
    QTest::mouseClick(tirage->Valider, Qt::LeftButton);
    QCOMPARE(tirage->Exclus->text(), "Ne jouent pas : n° 17 FONTAINE Célia, n° 18 ROUSSEAU Aimé");
    o.quit(tirage);
    QCOMPARE(
        o.column("SELECT count(*) FROM Inscriptions WHERE Position > 0 AND CodeEquipe03 > 3000")
            .first(),
        "16");

    // The table lists, and the score sheets of round 2.
    o.command(Qt::Key_E, Qt::Key_L);
    o.script.answerInput(QStringLiteral("2"));
    o.command(Qt::Key_E, Qt::Key_G);

    // Every table of rounds 1 and 2, the first one first typed with a wrong sum.
    QList<std::pair<int, QString>> expected; // (player, "round:points")
    o.command(Qt::Key_F, Qt::Key_S);
    auto* resultats = o.open<results::Resultats>();
    for (int t = 0; t < kScores.size(); ++t) {
        const int code = (t / 4 + 1) * 1000 + t % 4 + 1;
        const QStringList seats = o.column(
            QStringLiteral("SELECT CodeIndividuel FROM Inscriptions WHERE CodeEquipe0%1 = %2 "
                           "ORDER BY Position")
                .arg(t / 4 + 1)
                .arg(code));
        o.type(QString::number(code));
        QStringList typed = kScores[t];
        if (t == 0) {
            for (const char* wrong : {"10", "-5", "-5", "5"})
                o.type(QString::fromLatin1(wrong));
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            QCOMPARE(o.script.shown().last().text,
                     "La somme des 4 scores devrait être égale à 0,\n\nor cette somme est égale "
                     "à 5\n\nVeuillez reprendre !!!");
        }
        for (const QString& score : typed)
            o.type(score);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QVERIFY(resultats->SaisieEquipe->text().isEmpty()); // stored, back to the code
        for (int n = 0; n < 4; ++n)
            expected.append({seats[n].toInt(), QStringLiteral("%1:%2").arg(t / 4 + 1).arg(
                                                   QString(typed[n]).replace(u',', u'.'))});
    }
    o.quit(resultats);

    // Table 1002 was read wrongly: its first score becomes 3,5 and its third -2.
    o.command(Qt::Key_F, Qt::Key_R);
    auto* correction = o.open<results::Correction>();
    o.type(QStringLiteral("1002"));
    for (const char* score : {"3,5", "", "-2", ""}) {
        if (*score) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
            o.type(QString::fromLatin1(score));
        } else {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        }
    }
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCOMPARE(correction->DerniereCorrection->text(),
             "Les scores de la table 1002 sont enregistrés.");
    o.quit(correction);
    expected[4].second = QStringLiteral("1:3.5");
    expected[6].second = QStringLiteral("1:-2");

    // The ranking, and the file as it stands.
    o.command(Qt::Key_E, Qt::Key_R);
    QStringList stored, wanted;
    for (const auto& [player, points] : expected)
        wanted.append(QStringLiteral("%1 %2").arg(player).arg(points));
    for (const QString& row :
         o.column("SELECT CodeIndividuel || ' ' || Manche || ':' || Points FROM Resultats"))
        stored.append(QString(row).replace(QRegularExpression(QStringLiteral("\\.0$")), QString()));
    wanted.sort();
    stored.sort();
    QCOMPARE(stored, wanted);

    // The printed pages read back: each list in name order with its seats and tables, the
    // sheets of round 2 with their players, the ranking from the highest total down.
    const QStringList list = o.words(o.printed(QStringLiteral("Liste des tables - manche 1")));
    QStringList listed;
    for (const QString& row : o.column(
             "SELECT CodeIndividuel || ' ' || Nom || ' ' || Prenom || ' ' || Position2 || ' 00' "
             "|| (CodeEquipe01 - 1000) FROM Inscriptions WHERE CodeEquipe01 > 0 ORDER BY Nom "
             "COLLATE FRENCH, Prenom COLLATE FRENCH"))
        listed.append(row.split(u' '));
    const qsizetype first = list.indexOf(QStringLiteral("Table")) + 1;
    QCOMPARE(list.mid(first, listed.size()), listed);
    QCOMPARE(listed.mid(1, 3), QStringList({"BERNARD", "Luc"}) << listed[3]);
    const QStringList sheets = o.words(o.printed(QStringLiteral("Grilles de comptage - manche 2")));
    QCOMPARE(sheets.count(QStringLiteral("Grille")), 4);
    QCOMPARE(sheets.count(QStringLiteral("Partie")), 4 * 6);
    for (const QString& name : o.column("SELECT Nom FROM Inscriptions WHERE CodeEquipe02 > 0"))
        QVERIFY2(sheets.contains(name.section(u' ', 0, 0)), qPrintable(name));
    const QStringList ranking = o.words(o.printed(QStringLiteral("Classement")));
    QStringList ranked;
    for (QString row : o.column(
             "SELECT r.CodeIndividuel || ' ' || Nom || ' ' || Prenom || ' ' || "
             "replace(round(sum(Points), 4) || '', '.0', '') FROM Resultats r JOIN Inscriptions i "
             "ON i.CodeIndividuel = r.CodeIndividuel GROUP BY r.CodeIndividuel ORDER BY "
             "round(sum(Points), 4) DESC, r.CodeIndividuel"))
        ranked.append(row.replace(u'.', u',').split(u' '));
    QCOMPARE(ranking.mid(ranking.indexOf(QStringLiteral("Score")) + 1, ranked.size()), ranked);
    QVERIFY(ranking.contains(QStringLiteral("Résultats")));

    // The evening over: the reset keeps a copy, numbers start again, the settings stay.
    const QString evening = contents(o.base.connection());
    o.script.answer(MessageBox::Answer::Yes);
    o.command(Qt::Key_P, Qt::Key_R);
    QCOMPARE(o.column("SELECT count(*) FROM Inscriptions").first(), "0");
    QVERIFY(o.script.shown().last().text.contains(QStringLiteral("avant réinitialisation")));
    o.command(Qt::Key_F, Qt::Key_I);
    inscriptions = o.open<registration::Inscriptions>();
    o.type(QStringLiteral("NOUVEAU"));
    o.type(QStringLiteral("Arthur"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    o.quit(inscriptions);
    QCOMPARE(o.column("SELECT CodeIndividuel FROM Inscriptions"), QStringList{"1"});
    QCOMPARE(o.column("SELECT Manches || '/' || Parties FROM Parametres"), QStringList{"3/6"});

    // The copy put back: every row of the evening is there again.
    o.command(Qt::Key_P, Qt::Key_S);
    auto* restauration = o.open<backup::Restauration>();
    o.script.answer(MessageBox::Answer::Yes);
    QTest::mouseClick(restauration->Restaurer, Qt::LeftButton);
    QCOMPARE(contents(o.base.connection()), evening);
    o.quit(restauration);
}

VELMORA_TEST_MAIN(TestEvening)
#include "tst_evening.moc"
