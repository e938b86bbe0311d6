#include "EntryPage.h"

#include <QCryptographicHash>

namespace tables {
namespace {

// Text from the file or the network, made harmless in a page; the line breaks of a message
// kept.
QString escaped(const QString& text) {
    return text.toHtmlEscaped().replace(u'\n', QStringLiteral("<br>"));
}

const char kHead[] =
    "<!DOCTYPE html>\n<html lang=\"fr\">\n<head>\n<meta charset=\"utf-8\">\n"
    "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
    "<title>Saisie des scores</title>\n<style>\n"
    "body{font-family:sans-serif;margin:0 auto;padding:12px;max-width:30em;font-size:17px;"
    "color:#222}\n"
    "h1{font-size:21px;color:#1f4e8c;margin:0 0 10px}\n"
    "p.message{padding:8px;border-radius:4px;background:#e6f2e6;border:1px solid #4a8a4a}\n"
    "p.faute{background:#fbe9e9;border-color:#b03030}\n"
    "label{display:block;margin-top:8px}\n"
    "input{font-size:20px;padding:6px;width:7em;box-sizing:border-box}\n"
    "table{border-collapse:collapse;width:100%;margin-top:8px}\n"
    "td{padding:6px 4px;border-bottom:1px solid #ccc;vertical-align:middle}\n"
    "td.place{color:#555;width:3.5em}td.score{width:6em;text-align:right}\n"
    "td.score{white-space:nowrap}\n"
    "td.score input{width:4.2em;text-align:right}\n"
    "button.signe{font-size:20px;padding:6px 0;margin:0 0 0 4px;width:2em;background:#e8eef6;"
    "color:#1f4e8c;border:1px solid #1f4e8c}\n"
    "p.aide{font-size:15px;color:#444;margin:6px 0 0}\n"
    "button{font-size:20px;padding:10px 24px;margin-top:14px;background:#1f4e8c;color:#fff;"
    "border:0;border-radius:4px}\n"
    "a{color:#1f4e8c}\n"
    "table.grille{table-layout:fixed}\n"
    "table.grille td,table.grille th{padding:4px 2px;text-align:right;font-size:15px;"
    "overflow-wrap:anywhere}\n"
    "table.grille th{font-weight:normal;color:#555;font-size:13px}\n"
    "table.grille td.detail{text-align:left;font-size:13px;color:#555;padding-top:0}\n"
    "table.grille tr.total td{font-weight:bold;border-top:2px solid #222}\n"
    "fieldset{border:0;padding:0;margin:12px 0 0}legend{font-weight:bold;padding:0}\n"
    ".choix{display:flex;flex-wrap:wrap;gap:6px;margin-top:4px}\n"
    ".choix input{position:absolute;opacity:0;width:1px;height:1px}\n"
    ".choix label{display:inline-block;margin:0;min-width:48px;min-height:48px;"
    "box-sizing:border-box;padding:12px 10px;border:1px solid #1f4e8c;border-radius:4px;"
    "color:#1f4e8c;background:#fff;text-align:center}\n"
    ".choix input:checked+label{background:#1f4e8c;color:#fff}\n"
    ".choix input:focus-visible+label{outline:3px solid #e0a000}\n"
    "button.second{background:#fff;color:#b03030;border:1px solid #b03030}\n"
    "</style>\n</head>\n<body>\n<h1>Saisie des scores</h1>\n";

// The sign key: puts a minus sign before the score, or takes it away.
const char kScript[] =
    "document.querySelectorAll('button.signe').forEach(function(b){"
    "b.addEventListener('click',function(){"
    "var f=document.getElementById(b.getAttribute('data-champ'));var v=f.value.trim();"
    "f.value=v.charAt(0)==='-'?v.substring(1):'-'+v;f.focus();});});";

// One row of choices, each a button that needs no script: a radio input its label covers.
QString choices(const EntryPage& page, const QString& name, const QString& legend,
                const QList<std::pair<QString, QString>>& options,
                const QString& usual = QString()) {
    QString row =
        QStringLiteral("<fieldset><legend>%1</legend><div class=\"choix\">").arg(escaped(legend));
    // The extras start on "none", so that a plain deal needs no press for them.
    const QString chosen = page.chosen.value(name, usual);
    for (const auto& [value, text] : options) {
        const QString id = name + u'-' + value;
        row += QStringLiteral("<input type=\"radio\" name=\"%1\" value=\"%2\" id=\"%3\"%4>"
                              "<label for=\"%3\">%5</label>")
                   .arg(name, value, id, chosen == value ? QStringLiteral(" checked") : QString(),
                        escaped(text));
    }
    return row + QStringLiteral("</div></fieldset>\n");
}

QList<std::pair<QString, QString>> counted(int first, int last, int step = 1) {
    QList<std::pair<QString, QString>> options;
    for (int n = first; n <= last; n += step)
        options.append({QString::number(n / step), QString::number(n)});
    return options;
}

// The running grid, then the next deal's choices, and the table's validation.
QString dealsHtml(const EntryPage& page) {
    const QString hidden = QStringLiteral("<input type=\"hidden\" name=\"table\" value=\"%1\">"
                                          "<input type=\"hidden\" name=\"cle\" value=\"%2\">"
                                          "<input type=\"hidden\" name=\"donne\" value=\"%3\">\n")
                               .arg(escaped(page.code), escaped(page.key));
    const int played = int(page.deals.size());
    QString html = QStringLiteral("<table class=\"grille\" id=\"grille\">\n<tr><th>Donne</th>");
    for (const EntryPage::Seat& s : page.seats)
        html += QStringLiteral("<th>%1<br>%2</th>").arg(escaped(s.seat), escaped(s.player));
    html += QStringLiteral("</tr>\n");
    const int columns = int(page.seats.size()) + 1;
    for (const EntryPage::DealLine& line : page.deals) {
        html += QStringLiteral("<tr id=\"donne%1\"><td>%1</td>").arg(line.number);
        for (const QString& points : line.points)
            html += QStringLiteral("<td>%1</td>").arg(escaped(points));
        html += QStringLiteral("</tr>\n<tr><td class=\"detail\" colspan=\"%1\">%2</td></tr>\n")
                    .arg(columns)
                    .arg(escaped(line.description));
    }
    html += QStringLiteral("<tr class=\"total\" id=\"totaux\"><td>Total</td>");
    for (const EntryPage::Seat& s : page.seats)
        html += QStringLiteral("<td>%1</td>").arg(escaped(s.score));
    html += QStringLiteral("</tr>\n</table>\n<p class=\"aide\" id=\"compte\">%1 donne%2 sur "
                           "%3.</p>\n")
                .arg(played)
                .arg(played > 1 ? QStringLiteral("s") : QString())
                .arg(page.required);

    if (page.confirming) {
        html += QStringLiteral("<form method=\"post\" action=\"/\">\n") + hidden.arg(played) +
                QStringLiteral("<button type=\"submit\" name=\"action\" value=\"confirmer\" "
                               "id=\"confirmer\">Oui, valider avec %1 donne%2</button>\n"
                               "</form>\n<p><a href=\"/?table=%3&amp;cle=%4\" id=\"revenir\">Non, "
                               "revenir à la grille</a></p>\n")
                    .arg(played)
                    .arg(played > 1 ? QStringLiteral("s") : QString(), escaped(page.code),
                         escaped(page.key));
        return html;
    }
    if (page.canAdd) {
        const int next = played + 1;
        html += QStringLiteral("<form method=\"post\" action=\"/\" id=\"ajout\">\n") +
                hidden.arg(next) +
                QStringLiteral("<h2 style=\"font-size:19px;margin:14px 0 0\">Donne %1</h2>\n")
                    .arg(next);
        QList<std::pair<QString, QString>> takers;
        for (int n = 0; n < page.seats.size(); ++n)
            if (n + 1 != page.dealer)
                takers.append({QString::number(n + 1), page.seats[n].player});
        takers.append({QStringLiteral("0"), QStringLiteral("Donne passée")});
        if (page.dealer > 0 && page.dealer <= page.seats.size())
            html += QStringLiteral("<p class=\"aide\" id=\"donneur\">%1 (%2) donne et ne joue "
                                   "pas cette donne.</p>\n")
                        .arg(escaped(page.seats[page.dealer - 1].player),
                             escaped(page.seats[page.dealer - 1].seat));
        html += choices(page, QStringLiteral("preneur"), QStringLiteral("Preneur"), takers);
        html +=
            choices(page, QStringLiteral("contrat"), QStringLiteral("Contrat"),
                    {{"1", "Prise"}, {"2", "Garde"}, {"3", "Garde sans"}, {"4", "Garde contre"}});
        html += choices(page, QStringLiteral("bouts"), QStringLiteral("Bouts du preneur"),
                        counted(0, 3));
        html +=
            choices(page, QStringLiteral("pdiz"),
                    QStringLiteral("Points du preneur (0 à 91) : dizaines"), counted(0, 90, 10));
        html += choices(page, QStringLiteral("puni"), QStringLiteral("unités"), counted(0, 9));
        html += choices(page, QStringLiteral("pdemi"), QStringLiteral("demi-point"),
                        {{"0", ",0"}, {"1", ",5"}}, QStringLiteral("0"));
        html += choices(page, QStringLiteral("ps"), QStringLiteral("Poignées simples"),
                        counted(0, 2), QStringLiteral("0"));
        html += choices(page, QStringLiteral("pd"), QStringLiteral("Poignées doubles"),
                        counted(0, 2), QStringLiteral("0"));
        html += choices(page, QStringLiteral("pt"), QStringLiteral("Poignée triple"), counted(0, 1),
                        QStringLiteral("0"));
        html += choices(page, QStringLiteral("petit"), QStringLiteral("Petit au bout"),
                        {{"0", "Non"}, {"1", "Preneur"}, {"2", "Défense"}}, QStringLiteral("0"));
        html += choices(page, QStringLiteral("chelem"), QStringLiteral("Chelem"),
                        {{"0", "Non"},
                         {"1", "Annoncé, réussi"},
                         {"2", "Réussi sans annonce"},
                         {"3", "Annoncé, chuté"}},
                        QStringLiteral("0"));
        html += QStringLiteral("<button type=\"submit\" name=\"action\" value=\"ajouter\" "
                               "id=\"ajouter\">Ajouter une donne</button>\n</form>\n");
    }
    if (page.canValidate)
        html += QStringLiteral("<form method=\"post\" action=\"/\">\n") + hidden.arg(played) +
                QStringLiteral("<button type=\"submit\" name=\"action\" value=\"valider\" "
                               "id=\"valider\">Valider la table</button>\n</form>\n");
    if (played > 0)
        html += QStringLiteral("<form method=\"post\" action=\"/\">\n") + hidden.arg(played) +
                QStringLiteral("<button type=\"submit\" name=\"action\" value=\"annuler\" "
                               "id=\"annuler\" class=\"second\">Annuler la dernière donne"
                               "</button>\n</form>\n");
    return html;
}

} // namespace

QByteArray EntryPage::scriptHash() {
    return "sha256-" +
           QCryptographicHash::hash(QByteArray(kScript), QCryptographicHash::Sha256).toBase64();
}

QByteArray EntryPage::html() const {
    QString page = QString::fromUtf8(kHead);
    if (!message.isEmpty())
        page += QStringLiteral("<p class=\"message%1\" id=\"message\">%2</p>\n")
                    .arg(fault ? QStringLiteral(" faute") : QString(), escaped(message));

    const QString attributes =
        QStringLiteral("autocomplete=\"off\" autocorrect=\"off\" spellcheck=\"false\"");
    if (step == Step::Table) {
        // A GET: the address then holds the code and key, as the QR code's does.
        page += QStringLiteral(
                    "<form method=\"get\" action=\"/\">\n"
                    "<label for=\"table\">Code de la table (4 chiffres, sur la grille)</label>\n"
                    "<input id=\"table\" name=\"table\" value=\"%1\" maxlength=\"4\" "
                    "inputmode=\"numeric\" %3>\n"
                    "<label for=\"cle\">Clé (6 caractères, sur la grille)</label>\n"
                    "<input id=\"cle\" name=\"cle\" value=\"%2\" maxlength=\"6\" "
                    "autocapitalize=\"characters\" %3>\n"
                    "<br><button type=\"submit\" id=\"afficher\">Afficher la table</button>\n"
                    "</form>\n")
                    .arg(escaped(code), escaped(key), attributes);
    } else {
        page += QStringLiteral("<p>Table <b id=\"code\">%1</b> (manche %2, table %3)</p>\n")
                    .arg(escaped(code), escaped(code.left(1)), escaped(code.mid(1)));
        if (step == Step::Deals)
            return (page + dealsHtml(*this) +
                    QStringLiteral("<p><a href=\"/\">Saisir une autre table</a></p>\n"
                                   "</body>\n</html>\n"))
                .toUtf8();
        if (step == Step::Scores)
            page += QStringLiteral(
                        "<p class=\"aide\" id=\"aide\">Pour chaque joueur, tapez le total de "
                        "sa colonne sur la grille de comptage (la ligne « Total : »), avec son "
                        "signe : par exemple -12,5. La touche ± met ou ôte le signe moins.</p>\n"
                        "<form method=\"post\" action=\"/\">\n"
                        "<input type=\"hidden\" name=\"table\" value=\"%1\">\n"
                        "<input type=\"hidden\" name=\"cle\" value=\"%2\">\n")
                        .arg(escaped(code), escaped(key));
        page += QStringLiteral("<table>\n");
        for (int n = 0; n < seats.size(); ++n) {
            const Seat& s = seats[n];
            const QString score =
                step == Step::Scores
                    ? QStringLiteral("<input name=\"s%1\" id=\"s%1\" value=\"%2\" "
                                     "maxlength=\"%5\" inputmode=\"decimal\" "
                                     "aria-label=\"Score de %3\" %4>"
                                     "<button type=\"button\" class=\"signe\" id=\"signe%1\" "
                                     "data-champ=\"s%1\" aria-label=\"Signe du score de "
                                     "%3\">±</button>")
                          .arg(QString::number(n + 1), escaped(s.score), escaped(s.player),
                               attributes, QString::number(kScoreLength))
                    : QStringLiteral("<b>%1</b>").arg(escaped(s.score));
            page += QStringLiteral("<tr><td class=\"place\">%1</td><td>%2</td>"
                                   "<td class=\"score\">%3</td></tr>\n")
                        .arg(escaped(s.seat), escaped(s.player), score);
        }
        page += QStringLiteral("</table>\n");
        if (step == Step::Scores)
            page += QStringLiteral("<button type=\"submit\" id=\"valider\">Valider</button>\n"
                                   "</form>\n<script>%1</script>\n")
                        .arg(QString::fromLatin1(kScript));
        page += QStringLiteral("<p><a href=\"/\">Saisir une autre table</a></p>\n");
    }
    page += QStringLiteral("</body>\n</html>\n");
    return page.toUtf8();
}

} // namespace tables
