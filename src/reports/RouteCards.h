#pragma once

#include "Report.h"

#include <QHash>

namespace db {
struct Route;
}

namespace reports {

// The route cards: for every registered player, a card to cut out, eight to a page, with his
// number, his name and, for every round drawn, his table, its code and his seat; while score
// entry at the tables is started, also his own key and the QR code of his page. In French name
// order, as the table list on the wall: the organiser finds each player's card at once.
class RouteCards : public Report {
public:
    RouteCards(ui::Shell& shell, db::DataControl& DataEditions, PrintSurface& Printer);
    void print();

    // The cards' grid on a page: two across, four down, the outline of each its cut line.
    static constexpr int kAcross = 2;
    static constexpr int kDown = 4;
    static constexpr double kWidth = 98;
    static constexpr double kHeight = 71;

private:
    void body();
    void cutLines(int cards);
    void card(const db::Route& route, const QList<int>& rounds, int slot);

    QString m_pageAddress;         // of the players' page; empty while entry is not started
    QHash<qint64, QString> m_keys; // by player number
};

} // namespace reports
