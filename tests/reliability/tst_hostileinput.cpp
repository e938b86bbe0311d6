#include "common/Decimal.h"
#include "db/Connection.h"
#include "db/DataControl.h"
#include "db/Tournament.h"
#include "registration/Inscriptions.h"
#include "registration/Registration.h"
#include "reports/ScoreSheets.h"
#include "results/Correction.h"
#include "results/Resultats.h"
#include "settings/Parametres.h"
#include "settings/Settings.h"
#include "support/OpenedWindow.h"
#include "support/RecordingSurface.h"
#include "support/TestMain.h"
#include "ui/MessageBox.h"
#include "ui/Saisie.h"

#include <QClipboard>
#include <QInputMethodEvent>
#include <QPushButton>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QtTest>

// Hostile text typed and pasted into every field of every window, VELMORA_HOSTILE strings in all
// (a few hundred by default). Whatever comes, the window goes on, refuses with one French error
// box, and the file changes only as the rows this test expects of a valid entry. VELMORA_SEED
// replays a run.

using ui::MessageBox;

namespace {

constexpr int kQuickStrings = 400; // in all, shared by the windows
constexpr int kPlayers = 32;       // eight tables a round
constexpr int kRounds = 3;

using Points = std::array<qint64, 4>; // ten-thousandths, in seat order

// SQL, quotes, control and invisible characters, accents plain and composed, other scripts,
// numbers with signs and separators where they do not belong, blanks.
// clang-format off
const QStringList kPieces = {
    "'; DROP TABLE Inscriptions; --", "1 OR 1=1", "\" OR \"\"=\"", "'", "\"", ";", "--", "%", "_",
    "\\", "?1", "NULL", "DELETE * from Resultats", "\x01", "\t", "\n", "\r", "\x1b", "\x7f",
    "\u200b", "\u00a0", "\u202e", "é", "ÉÈÊ", "çœÿ", "e\u0301", "E\u0300\u0327", "Ωμέγα",
    "Жуков", "李小龍", "名前", "😀", "🂡🃏", "١٢٣", "５", "-0,0001", "1e5", "1.2.3", " 12 ", "+-3",
    "999999", "0,00001", "--1", "1,", ",5", "-", "+", ",", ".", "12,3456", "1 000", "0x1F", "inf",
    "NaN", "-1000000001", " ", "   "};
// clang-format on

// Words of the engine or of SQL, never shown; the small words of any French sentence.
const auto kWords =
    QRegularExpression::CaseInsensitiveOption | QRegularExpression::UseUnicodePropertiesOption;
const QRegularExpression kEngineWords(
    "\\b(select|insert|update|delete|drop|from|where|sql\\w*|syntax|error|near|constraint|"
    "failed|unable|database|disk|memory|column|token|such|the|of|is|not|and|null)\\b",
    kWords);
const QRegularExpression kFrenchWords("\\b(le|la|les|l|de|des|du|d|est|une?|n|ne|pas|à)\\b",
                                      kWords);

// A string as a failure message shows it: control characters, half characters and the
// column separator as code points.
QString visible(const QString& text) {
    QString shown;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            shown += text.mid(i++, 2);
        else if (c.unicode() < 0x20 || c.unicode() == 0x7f || c.isSurrogate() || c == u'|')
            shown += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
        else
            shown += c;
    }
    return shown;
}

QString line(const QStringList& values) {
    QStringList shown;
    for (const QString& value : values)
        shown.append(visible(value));
    return shown.join(u'|');
}

// The rows a statement reads from the file, one line each.
QStringList lines(TestDatabase& base, const QString& sql) {
    QStringList result;
    auto rows = base.connection().prepare(sql);
    while (rows->step()) {
        QStringList values;
        for (int i = 0; i < rows->columnCount(); ++i)
            values.append(rows->column(i).toString());
        result.append(line(values));
    }
    return result;
}

// One window's run: the seeded generator, the strings typed so far, the boxes of the current
// entry, and the file with the tables the window may not write.
struct Run {
    Run(quint32 seed, int strings, QString again) : random(seed), quota(strings), replay(again) {}

    QRandomGenerator random;
    int quota;
    QString replay; // how to run this row alone again
    int strings = 0;
    QStringList entry; // the strings of the current entry, where and how they went
    MessageBox::Script script;
    TestDatabase* base = nullptr;
    QPointer<QWidget> window;
    QStringList touched, untouched;

    int below(qsizetype n) { return int(random.bounded(int(n))); }
    bool chance(int percent) { return below(100) < percent; }

    // The valid text when asked for, otherwise something hostile for a field of maxLength.
    QString next(int maxLength, QString valid, bool wantValid) {
        if (wantValid)
            return valid;
        QString text;
        switch (below(7)) {
        case 0:
            return text;
        case 1: // digits with blanks, signs and separators, mostly not quite a number
            for (int n = below(8); n > 0; --n)
                text += chance(70) ? QChar(u'0' + below(10)) : QStringLiteral(" +-,.e")[below(6)];
            return text;
        case 2: // the valid text spoilt
            return valid.insert(below(valid.size() + 1), kPieces[below(kPieces.size())]);
        case 3: // the valid text between blanks
            return QStringList{" ", "\t", "\u00a0", ""}[below(4)] + valid +
                   QStringList{" ", "\t", "\u00a0", ""}[below(4)];
        case 4: // the field's length and over
            for (const int length = maxLength + below(4); text.size() < length;)
                text += QStringList{"W", "é", "9", "'", ";", "😀", "e\u0301", " "}[below(8)];
            return text;
        default:
            for (int n = 1 + below(3); n > 0; --n)
                text += kPieces[below(kPieces.size())];
            return text;
        }
    }
    QString name() {
        const QString letters = QStringLiteral("abcdefghijklmnopqrstuvwxyzéèêëàâçôûüïœ -'");
        QString text(1, letters[below(26)]);
        for (int n = below(24); n > 0; --n)
            text += letters[below(letters.size())];
        return text;
    }
    // Four scores summing to 0, five characters at most, some with a decimal comma or point.
    QStringList scores() {
        const int a = below(100), b = below(100), c = below(199) - 99;
        QStringList texts{QString::number(a), QString::number(-b), QString::number(c),
                          QString::number(b - a - c)};
        if (chance(20)) { // halves that cancel: a + 0,5 and -b - 0,5
            texts[0] += QStringLiteral(",5");
            texts[1] = QStringLiteral("-%1,5").arg(b);
        }
        if (chance(50))
            texts.replaceInStrings(QStringLiteral(","), QStringLiteral("."));
        return texts;
    }

    void watch(TestDatabase& file, QWidget* w, const QStringList& tables) {
        base = &file;
        window = w;
        touched = tables;
        untouched = others();
    }
    QStringList others() const {
        QStringList rows;
        for (const QString& table :
             lines(*base, "SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name"))
            if (!touched.contains(table))
                rows += lines(*base, QStringLiteral("SELECT '%1', * FROM %1").arg(table));
        return rows;
    }
    // Whether another entry is due; its strings and boxes start afresh.
    bool nextEntry() {
        entry.clear();
        script.clear();
        return strings < quota;
    }
    void note(const QString& where, const char* how, const QString& text) {
        ++strings;
        entry.append(QStringLiteral("%1 %2 «%3»").arg(where, QLatin1String(how), visible(text)));
    }
    // The valid text or a hostile one, typed one character at a time as the keyboard sends it
    // (beyond ASCII, sometimes composed as a dead key does), pasted, or set.
    void put(ui::Saisie* field, const QString& valid, bool wantValid) {
        const QString text = next(field->maxLength(), valid, wantValid);
        const int how = below(10);
        for (const char32_t code : how < 7 ? text.toUcs4() : QList<uint>()) {
            const QString one = QString::fromUcs4(&code, 1);
            if (code >= 0x80 && chance(30)) {
                QInputMethodEvent composed;
                composed.setCommitString(one);
                QApplication::sendEvent(field, &composed);
            } else {
                const int key = code < 0x100 ? int(QChar::toUpper(code)) : int(Qt::Key_unknown);
                QTest::sendKeyEvent(QTest::Click, field, Qt::Key(key), one, Qt::NoModifier);
            }
        }
        if (how == 7 || how == 8) {
            QGuiApplication::clipboard()->setText(text);
            QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
        } else if (how == 9) {
            field->setText(text);
        }
        note(field->objectName(), how < 7 ? "typed" : how < 9 ? "pasted" : "set", text);
    }
    void press(QPushButton* button) {
        if (chance(50))
            QTest::mouseClick(button, Qt::LeftButton);
        else
            QTest::keyClick(button, Qt::Key_Return);
    }

    // What the entry left against what the test expects of it; empty when they agree.
    // echoed: what the organiser typed, which a box may quote whatever it holds.
    QString outcome(bool refused, int questions, const QStringList& now,
                    const QStringList& expected, const QStringList& echoed = {}) const {
        QStringList faults;
        QString boxes; // C for an error, I for an information, Q for a question
        for (const MessageBox::Shown& box : script.shown()) {
            if (box.icon == MessageBox::Icon::Input)
                continue;
            boxes += "CIQ"[int(box.icon)];
            QString said = box.title + u'\n' + box.text;
            for (const QString& text : echoed)
                if (!text.isEmpty())
                    said.replace(text, QStringLiteral("…"));
            if (said.contains(kEngineWords) ||
                !(said.contains(kFrenchWords) || said.contains(u"!!!")))
                faults.append(QStringLiteral("a box not in plain French: ") + visible(said));
        }
        if (boxes != QString(questions, u'Q') + (refused ? "C" : ""))
            faults.append(QStringLiteral("boxes «%1» for an entry %2")
                              .arg(boxes, refused ? "refused" : "accepted"));
        const auto differ = std::mismatch(now.begin(), now.end(), expected.begin(), expected.end());
        if (differ.first != now.end() || differ.second != expected.end())
            faults.append(QStringLiteral("the file holds «%1», expected «%2»")
                              .arg(differ.first == now.end() ? "nothing" : *differ.first,
                                   differ.second == expected.end() ? "nothing" : *differ.second));
        if (others() != untouched)
            faults.append(QStringLiteral("a table the window does not write has changed"));
        if (lines(*base, "PRAGMA integrity_check") != QStringList{"ok"})
            faults.append(QStringLiteral("the file is damaged"));
        if (window.isNull() && !touched.isEmpty()) // a window writes some table, a report none
            faults.append(QStringLiteral("the window has gone"));
        return faults.isEmpty()
                   ? QString()
                   : faults.join(QStringLiteral("; ")) +
                         "\n  entry: " + entry.join(QStringLiteral(", ")) + "\n  replay: " + replay;
    }
};

#define VERIFY_ENTRY(run, ...)                                                                     \
    do {                                                                                           \
        const QString fault = (run).outcome(__VA_ARGS__);                                          \
        QVERIFY2(fault.isEmpty(), qPrintable(fault));                                              \
    } while (false)

void inscriptions(Run& r) {
    OpenedWindow<registration::Inscriptions> o;
    QVERIFY(o.open());
    registration::Inscriptions* w = o.window;
    r.watch(o.base, w, {"Inscriptions"});
    const QString stored("SELECT CodeIndividuel, Nom, Prenom FROM Inscriptions ORDER BY rowid");
    QStringList expected;
    while (r.nextEntry()) {
        QTest::mouseClick(w->Annuler, Qt::LeftButton);
        const bool valid = r.chance(40);
        r.put(w->SaisieNom, r.name(), valid);
        QTest::keyClick(w->SaisieNom, Qt::Key_Return);
        r.put(w->SaisiePrenom, r.name(), valid);
        QTest::keyClick(w->SaisiePrenom, Qt::Key_Return);
        // Stored under the next number exactly as the fields show it, once neither is empty.
        const QString nom = w->SaisieNom->text(), prenom = w->SaisiePrenom->text();
        const bool accepted = !nom.isEmpty() && !prenom.isEmpty();
        // The names of a registered player typed again: the window asks first; "Oui".
        db::DataControl probe;
        const std::optional<registration::Registered> twice =
            accepted ? registration::sameNames(probe, o.base.path(), nom, prenom) : std::nullopt;
        if (twice)
            r.script.answer(MessageBox::Answer::Yes);
        if (accepted)
            expected.append(line({QString::number(expected.size() + 1), nom, prenom}));
        r.press(w->Valider);
        VERIFY_ENTRY(
            r, !accepted, twice ? 1 : 0, lines(o.base, stored), expected,
            {nom, prenom, twice ? twice->nom : QString(), twice ? twice->prenom : QString()});
    }
}

void parametres(Run& r) {
    OpenedWindow<settings::Parametres> o;
    QVERIFY(o.open());
    settings::Parametres* w = o.window;
    r.watch(o.base, w, {"Parametres"});
    const QString stored("SELECT Manches, Parties FROM Parametres");
    QStringList expected = lines(o.base, stored);
    while (r.nextEntry()) {
        QTest::mouseClick(w->Annuler, Qt::LeftButton);
        const bool valid = r.chance(40);
        r.put(w->SaisieManches, QString::number(r.below(db::kMaxRounds + 1)), valid);
        QTest::keyClick(w->SaisieManches, Qt::Key_Return);
        r.put(w->SaisieParties, QString::number(r.below(settings::kMaxParties + 1)), valid);
        QTest::keyClick(w->SaisieParties, Qt::Key_Return);
        const settings::Checked checked =
            settings::checkSettings(w->SaisieManches->text(), w->SaisieParties->text());
        if (!checked.fault)
            expected = {QStringLiteral("%1|%2").arg(checked.manches).arg(checked.parties)};
        r.press(w->Valider);
        VERIFY_ENTRY(r, checked.fault.has_value(), 0, lines(o.base, stored), expected);
    }
}

// The scores as the window shows them, when all four are numbers summing to 0.
std::optional<Points> points(const results::TableWindow* w) {
    Points read{};
    const ui::Saisie* const fields[] = {w->Score01, w->Score02, w->Score03, w->Score04};
    for (int n = 0; n < 4; ++n) {
        const std::optional<qint64> value = common::readDecimal(fields[n]->text(), 4);
        if (!value)
            return std::nullopt;
        read[n] = *value;
    }
    return read[0] + read[1] + read[2] + read[3] == 0 ? std::optional(read) : std::nullopt;
}

// Each score by its table and seat, as the draw placed its player in the round; the log.
const QString kStoredScores(
    "SELECT CASE r.Manche WHEN 1 THEN p.CodeEquipe01 WHEN 2 THEN p.CodeEquipe02 WHEN 3 THEN "
    "p.CodeEquipe03 END AS code, p.Position, CAST(round(r.Points * 10000) AS INTEGER) FROM "
    "Resultats r LEFT JOIN Inscriptions p USING (CodeIndividuel) ORDER BY code, p.Position");
const QString kLoggedScores(
    "SELECT Operation, CodeEquipe, Manche, CAST(round(Ancien1 * 10000) AS INTEGER), CAST(round("
    "Ancien2 * 10000) AS INTEGER), CAST(round(Ancien3 * 10000) AS INTEGER), CAST(round(Ancien4 * "
    "10000) AS INTEGER), CAST(round(Nouveau1 * 10000) AS INTEGER), CAST(round(Nouveau2 * 10000) "
    "AS INTEGER), CAST(round(Nouveau3 * 10000) AS INTEGER), CAST(round(Nouveau4 * 10000) AS "
    "INTEGER) FROM CorrectionsResultats ORDER BY rowid");
const QRegularExpression kFourDigits("\\A[0-9]{4}\\z");

// The results window, or the correction window over rounds 1 and 2 stored: a code, then four
// scores, or for a correction sometimes "Supprimer".
template <typename Window> void tables(Run& r) {
    constexpr bool correcting = std::is_same_v<Window, results::Correction>;
    OpenedWindow<Window> o;
    o.base.drawTournament(kPlayers, kRounds);
    QList<int> drawn; // the draw seats players 4n-3 to 4n at one table in every round
    for (int k = 1; k <= kRounds; ++k)
        for (int t = 1; t <= kPlayers / 4; ++t)
            drawn.append(db::tableCode(k, t));
    QMap<int, Points> stored;
    // The tables never run out: entered all, they start afresh; for correcting, rounds 1 and 2
    // are stored (the first seat 3, the others -1), and again once half of them are deleted.
    const auto refill = [&] {
        if (!correcting && stored.size() == drawn.size()) {
            o.base.connection().executeNative("DELETE FROM Resultats");
            stored.clear();
        }
        if (!correcting || stored.size() >= kPlayers / 4)
            return;
        o.base.connection().executeNative(
            "INSERT INTO Resultats SELECT k, CodeIndividuel, CASE Position WHEN 1 THEN 3 ELSE -1 "
            "END FROM Inscriptions i, (SELECT 1 AS k UNION SELECT 2) WHERE NOT EXISTS (SELECT * "
            "FROM Resultats r WHERE r.Manche = k AND r.CodeIndividuel = i.CodeIndividuel)");
        for (const int code : drawn)
            if (code < 3000 && !stored.contains(code))
                stored[code] = {30000, -10000, -10000, -10000};
    };
    refill();
    QVERIFY(o.open());
    Window* w = o.window;
    r.watch(o.base, w, {"Resultats", "CorrectionsResultats"});
    QStringList log; // CorrectionsResultats as expected
    while (r.nextEntry()) {
        refill();
        QTest::mouseClick(w->Annuler, Qt::LeftButton);
        const bool valid = r.chance(50);
        const QString table = QString::number(drawn[r.below(drawn.size())]);
        r.put(w->SaisieEquipe, table, valid || r.chance(50));
        QTest::keyClick(w->SaisieEquipe, Qt::Key_Return);
        // Four digits naming a drawn table show it; to be corrected, it must be stored.
        const QString code = w->SaisieEquipe->text();
        const int t =
            kFourDigits.match(code).hasMatch() && drawn.contains(code.toInt()) ? code.toInt() : 0;
        const Points old = stored.value(t);
        const auto logged = [&](const char* operation, const std::optional<Points>& now) {
            QStringList values{operation, code, code.left(1)};
            for (int n = 0; n < 8; ++n)
                values.append(n < 4 ? QString::number(old[n])
                              : now ? QString::number((*now)[n - 4])
                                    : QString());
            log.append(line(values));
        };
        bool refused = !t || (correcting && !stored.contains(t));
        int questions = 0;
        if (!refused && correcting)
            QVERIFY2(points(w) == old, qPrintable(r.replay)); // the stored scores shown
        if constexpr (correcting) {
            if (!refused && r.chance(15)) {
                // Deleted only on a Yes; an unanswered question takes No.
                questions = 1;
                const bool yes = r.chance(50);
                r.entry.append(yes ? "Supprimer, Oui" : "Supprimer, Non");
                if (yes) {
                    r.script.answer(MessageBox::Answer::Yes);
                    logged("Suppression", std::nullopt);
                    stored.remove(t);
                }
                QTest::mouseClick(w->Supprimer, Qt::LeftButton);
            }
        }
        if (!refused && !questions) {
            // The four scores, Enter after each; correcting, a field is selected whole first,
            // or left showing the stored score (all four, sometimes).
            QStringList scores = r.scores();
            if (!valid) // numbers all the same, but one of them off
                scores[r.below(4)] = QString::number(r.below(199) - 99);
            const bool untouched = correcting && r.chance(10);
            for (ui::Saisie* field : {w->Score01, w->Score02, w->Score03, w->Score04}) {
                if (!untouched && (!correcting || valid || r.chance(70))) {
                    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
                    r.put(field, scores[field->objectName().right(1).toInt() - 1],
                          valid || r.chance(40));
                }
                QTest::keyClick(field, Qt::Key_Return);
            }
            // Entered once; corrected, and logged when they differ from the stored ones.
            const std::optional<Points> typed = points(w);
            refused = !typed || (!correcting && stored.contains(t));
            if (!refused && correcting && *typed != old)
                logged("Correction", typed);
            if (!refused)
                stored[t] = *typed;
            r.press(w->Valider);
        }
        QStringList rows;
        for (auto s = stored.begin(); s != stored.end(); ++s)
            for (int n = 0; n < 4; ++n)
                rows.append(QStringLiteral("%1|%2|%3").arg(s.key()).arg(n + 1).arg(s.value()[n]));
        VERIFY_ENTRY(r, refused, questions,
                     lines(o.base, kStoredScores) + lines(o.base, kLoggedScores), rows + log);
    }
}

void scoreSheets(Run& r) {
    TestDatabase base;
    base.drawTournament(kPlayers, kRounds);
    FakeShell shell{base.directory()};
    db::DataControl DataEditions;
    r.watch(base, nullptr, {});
    while (r.nextEntry()) {
        RecordingSurface Printer;
        const bool valid = r.chance(50);
        const QString answer = r.next(1, QString::number(1 + r.below(7)), valid);
        r.note("Quelle manche ?", "answered", answer);
        r.script.answerInput(answer);
        reports::ScoreSheets(shell, DataEditions, Printer).print();
        // Only a round's digit up to the stored rounds prints: a sheet per table of the round;
        // or a drawn table's four-digit code: its sheet alone.
        const bool printed =
            answer.size() == 1 && answer[0] >= u'1' && answer[0] < QChar(u'1' + kRounds);
        const bool table = answer.size() == 4 &&
                           std::all_of(answer.begin(), answer.end(),
                                       [](QChar c) { return c >= u'0' && c <= u'9'; }) &&
                           answer[0] >= u'1' && answer[0] < QChar(u'1' + kRounds) &&
                           answer.mid(1).toInt() >= 1 && answer.mid(1).toInt() <= kPlayers / 4;
        VERIFY_ENTRY(r, !printed && !table, 0, {QString::number(Printer.pages.size())},
                     {QString::number(printed ? kPlayers / 4
                                      : table ? 1
                                              : 0)});
    }
}

const std::pair<const char*, void (*)(Run&)> kWindows[] = {
    {"Inscriptions", inscriptions},
    {"Parametres", parametres},
    {"Resultats", tables<results::Resultats>},
    {"Correction", tables<results::Correction>},
    {"Grilles de comptage", scoreSheets}};

} // namespace

class TestHostileInput : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void hostileEntries_data();
    void hostileEntries();

private:
    quint32 m_seed = 0;
    int m_strings = kQuickStrings;
};

void TestHostileInput::initTestCase() {
    bool given = false;
    m_seed = qEnvironmentVariable("VELMORA_SEED").toUInt(&given);
    if (!given)
        m_seed = QRandomGenerator::system()->generate();
    m_strings = std::max(kQuickStrings, qEnvironmentVariableIntValue("VELMORA_HOSTILE"));
    qInfo("seed %u, %d strings in all", m_seed, m_strings);
}

void TestHostileInput::hostileEntries_data() {
    QTest::addColumn<int>("window");
    for (int i = 0; i < int(std::size(kWindows)); ++i)
        QTest::newRow(kWindows[i].first) << i;
}

void TestHostileInput::hostileEntries() {
    QFETCH(int, window);
    const int windows = int(std::size(kWindows));
    // Each row has a seed of its own, so that it replays alone.
    Run r(m_seed + quint32(window), (m_strings + windows - 1) / windows,
          QStringLiteral("VELMORA_SEED=%1 tst_hostileinput \"hostileEntries:%2\"")
              .arg(m_seed)
              .arg(QLatin1String(kWindows[window].first)));
    kWindows[window].second(r);
    qInfo("%s: %d strings", kWindows[window].first, r.strings);
}

VELMORA_TEST_MAIN(TestHostileInput)
#include "tst_hostileinput.moc"
