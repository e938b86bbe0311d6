#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

namespace tables {

// What the page of score entry at the tables shows a phone: one screen, in French, a plain
// form that needs no resource from elsewhere. Its one script, the sign key beside each score
// (some phones' number keyboards have no minus sign), is of the page itself; without it the
// form works as well.
struct EntryPage {
    // The most characters of a score, as in the results window's score fields.
    static constexpr int kScoreLength = 5;

    enum class Step {
        Table,  // the table code and its key to type (or taken from the QR code)
        Scores, // the table's players (four, or five), a score field each, and "Valider"
        Done,   // the table's scores are stored: shown, nothing more to type
        Deals,  // the table's deals so far, its running totals, and the next deal to add
    };
    struct Seat {
        QString seat;   // Nord, Est, Sud, Ouest, and Cinquième at a table of five
        QString player; // "12 DUPONT Jean"
        QString score;  // typed, or as stored
    };

    Step step = Step::Table;
    QString code; // as given, typed back into the form
    QString key;
    QString message;    // above the form; empty for none
    bool fault = false; // the message says what to fix, rather than what was done
    QList<Seat> seats;  // Scores and Done; at Deals, the players, their totals as score

    // Deals: the grid so far, and what may be done next.
    struct DealLine {
        int number = 0;
        QString description; // "NOM Jean, Garde, 2 bouts, 45 points"
        QStringList points;  // one per seat
    };
    QList<DealLine> deals;
    int required = 0;               // the round's number of deals
    int dealer = 0;                 // at a table of five, the seat that deals the next one
    bool canAdd = false;            // "Ajouter une donne"
    bool canValidate = false;       // "Valider la table" (asks first with fewer deals)
    bool confirming = false;        // asks whether to validate with fewer deals
    QHash<QString, QString> chosen; // the next deal's choices as sent, kept after a refusal

    // The whole page, UTF-8.
    QByteArray html() const;
    // The page's script as the answers' security policy allows it: "sha256-...".
    static QByteArray scriptHash();
};

} // namespace tables
