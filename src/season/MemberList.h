#pragma once

#include "db/Season.h"

#include <QByteArray>
#include <QList>
#include <QSet>
#include <QString>

namespace season {

// A member list as a French spreadsheet saves it in CSV: ";" or "," between fields, UTF-8 with
// or without its mark, or Windows-1252; a first row naming the surname and first-name columns,
// in any order, other columns ignored. Read only: nothing is written.
struct MemberLine {
    enum class State { New, Known, Refused };
    int line = 0; // in the file, the header being line 1
    QString nom;
    QString prenom;
    State state = State::New;
    QString reason; // why a line is refused
};

struct MemberList {
    QString refusal; // the whole file refused, and why; empty when it was read
    QList<MemberLine> lines;
    int added = 0;
    int known = 0;
    int refused = 0;
    // The players the import would add, in the file's order.
    QList<db::NewPlayer> newPlayers() const;
};

// Reads the file's bytes against the keys of the players already known.
MemberList readMemberList(const QByteArray& bytes, const QSet<QString>& knownKeys);

// The bytes as text: UTF-8 when they are (its mark dropped), otherwise Windows-1252.
QString decodedText(const QByteArray& bytes);

} // namespace season
