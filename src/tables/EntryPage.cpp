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
    "</style>\n</head>\n<body>\n<h1>Saisie des scores</h1>\n";

// The sign key: puts a minus sign before the score, or takes it away.
const char kScript[] =
    "document.querySelectorAll('button.signe').forEach(function(b){"
    "b.addEventListener('click',function(){"
    "var f=document.getElementById(b.getAttribute('data-champ'));var v=f.value.trim();"
    "f.value=v.charAt(0)==='-'?v.substring(1):'-'+v;f.focus();});});";

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
