#include "app/Platform.h"
#include "common/Cause.h"
#include "db/Connection.h"
#include "db/DataControl.h"
#include "reports/PainterSurface.h"
#include "support/FakeShell.h"
#include "support/PrintReport.h"
#include "support/TestDatabase.h"
#include "support/TestMain.h"
#include "ui/MessageBox.h"

#include <QBuffer>
#include <QPdfWriter>
#include <QProcess>
#include <QRegularExpression>
#include <QtTest>
#include <csignal>
#include <sys/resource.h>

using reports::PainterSurface;

namespace {

const QDateTime kRunTime(QDate(2026, 12, 9), QTime(17, 45, 3));

struct Word {
    QString text;
    double x, y; // millimetres from the printable area's corner
    double right;
};

// The words of a PDF's first page as pdftotext places them.
QList<Word> firstPageWords(const QString& pdf) {
    QProcess pdftotext;
    pdftotext.start(QStringLiteral("pdftotext"),
                    {QStringLiteral("-bbox"), QStringLiteral("-f"), QStringLiteral("1"),
                     QStringLiteral("-l"), QStringLiteral("1"), pdf, QStringLiteral("-")});
    if (!pdftotext.waitForFinished(30000) || pdftotext.exitCode() != 0)
        qFatal("pdftotext did not read %s", qPrintable(pdf));
    const QString html = QString::fromUtf8(pdftotext.readAllStandardOutput());
    static const QRegularExpression word(
        QStringLiteral("<word xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\" xMax=\"([0-9.]+)\"[^>]*>"
                       "([^<]*)</word>"));
    QList<Word> words;
    const double mm = 25.4 / 72, margin = PainterSurface::kPdfMarginMm;
    for (const auto& m : word.globalMatch(html))
        words.append({m.captured(4)
                          .replace(QStringLiteral("&amp;"), QStringLiteral("&"))
                          .replace(QStringLiteral("&apos;"), QStringLiteral("'")),
                      m.captured(1).toDouble() * mm - margin,
                      m.captured(2).toDouble() * mm - margin,
                      m.captured(3).toDouble() * mm - margin});
    return words;
}

// The width of one blank, in millimetres: a printed number's word starts after it.
double blank(const QString& family, double size) {
    QBuffer buffer;
    QPdfWriter writer(&buffer);
    writer.setResolution(PainterSurface::kPdfResolution);
    QFont font(family);
    font.setPointSizeF(size);
    return QFontMetricsF(font, &writer).horizontalAdvance(u' ') * 25.4 /
           PainterSurface::kPdfResolution;
}

struct Paper : TestDatabase {
    FakeShell shell{directory()};
    db::DataControl DataEditions, DataInscriptions;
    ui::MessageBox::Script script;
    QString folder = directory() + QStringLiteral("Impressions");

    QStringList print(const QString& report) {
        PainterSurface Printer(folder, kRunTime);
        printReport(report, shell, DataEditions, DataInscriptions, Printer);
        return Printer.files();
    }
    QStringList filesInFolder() const {
        return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }
};

} // namespace

class TestPainter : public QObject {
    Q_OBJECT
private slots:
    void numbersPrintWithTheirBlanks_data();
    void numbersPrintWithTheirBlanks();
    void wordsStandWhereTheLayoutPutsThem_data();
    void wordsStandWhereTheLayoutPutsThem();
    void longNamesStayInTheirColumn_data();
    void longNamesStayInTheirColumn();
    void filesAreNamedAndNeverWrittenOver();
    void aFailureLeavesNoFileUnderItsName();
    void aFileThatCannotBeWrittenIsToldInFrench_data();
    void aFileThatCannotBeWrittenIsToldInFrench();
    void theFolderOpensInTheDesktopsFileViewerOnly_data();
    void theFolderOpensInTheDesktopsFileViewerOnly();
};

void TestPainter::numbersPrintWithTheirBlanks_data() {
    QTest::addColumn<double>("number");
    QTest::addColumn<QString>("text");
    QTest::newRow("whole") << 17.0 << " 17 ";
    QTest::newRow("negative") << -5.0 << "-5 ";
    QTest::newRow("zero") << 0.0 << " 0 ";
    QTest::newRow("decimal with a comma") << 12.5 << " 12,5 ";
    QTest::newRow("binary noise dropped") << 12.499999999999 << " 12,5 ";
    QTest::newRow("four decimals") << -0.0125 << "-0,0125 ";
    QTest::newRow("nearly zero below") << -0.00001 << " 0 ";
    QTest::newRow("table code") << 3012.0 << " 3012 ";
    // Only an edited file holds such totals: printed as stored, never overflowing.
    QTest::newRow("beyond a 64-bit count of ten-thousandths") << 1e20 << " 100000000000000000000 ";
    QTest::newRow("just beyond") << -922337203685477.6 << "-922337203685477,6 ";
    QTest::newRow("largest double")
        << 1.7976931348623157e308
        << QStringLiteral(" 17976931348623157") + QString(292, u'0') + u' ';
    QTest::newRow("infinite") << -qInf() << "-∞ ";
}

void TestPainter::numbersPrintWithTheirBlanks() {
    QFETCH(double, number);
    QTEST(PainterSurface::numberText(number), "text");
}

void TestPainter::wordsStandWhereTheLayoutPutsThem_data() {
    QTest::addColumn<QString>("report");
    QTest::addColumn<int>("files");
    QTest::addColumn<int>("pages");         // of the first file
    QTest::addColumn<QStringList>("words"); // "word x y", a number's x before its blank
    QTest::addColumn<QStringList>("numbers");
    // clang-format off
    QTest::newRow("table list") << "table list" << 3 << 1
        << QStringList{"Page 10 0", "Liste 10 10", "Code 9 25", "Position 67 25", "Table 87 25",
                       "NOM992 20 30", "Ouest 68 30", "002 90 30", "NOM999 20 65"}
        << QStringList{"8 10 30 Times", "1 10 65 Times"};
    QTest::newRow("score sheet") << "score sheets" << 1 << 2
        << QStringList{"Grille 10 10", "Manche 10 25", "Table 70 25", "001 90 24", "Equipe 140 25",
                       "NOM999 25 40", "Jean 60 40", "Nord 100 40", "Partie 42 88", "Total 44 213"}
        << QStringList{"1001 162 24 Times16", "1 10 40 Times", "4 128 78 Times"};
    QTest::newRow("ranking") << "ranking" << 1 << 1
        << QStringList{"Page 10 0", "Résultats 10 10", "Score 67 25", "NOM992 20 30", "NOM999 20 65"}
        << QStringList{"8 10 30 Times", "16 68 30 Times"};
    // clang-format on
}

void TestPainter::wordsStandWhereTheLayoutPutsThem() {
    QFETCH(QString, report);
    Paper paper;
    paper.drawTournament(8, 3, 12);
    paper.connection().executeNative(QStringLiteral(
        "INSERT INTO Resultats SELECT 1, CodeIndividuel, 2 * CodeIndividuel FROM Inscriptions"));
    paper.script.answerInput(QStringLiteral("1"));
    const QStringList files = paper.print(report);
    QTEST(int(files.size()), "files");
    QVERIFY(paper.script.shown().size() <= 1); // the input box only
    QProcess pdfinfo;
    pdfinfo.start(QStringLiteral("pdfinfo"), {files.first()});
    QVERIFY(pdfinfo.waitForFinished(30000));
    QTEST(QString::fromUtf8(pdfinfo.readAllStandardOutput())
              .section(QStringLiteral("Pages:"), 1)
              .section(u'\n', 0, 0)
              .trimmed()
              .toInt(),
          "pages");
    const QList<Word> printed = firstPageWords(files.first());

    QFETCH(QStringList, words);
    QFETCH(QStringList, numbers);
    QStringList expected = words;
    for (const QString& n : numbers) {
        // A number's word starts after the blank before it.
        const QStringList parts = n.split(u' ');
        const double size = parts[3] == u"Times16" ? 16 : 12;
        expected.append(
            QStringLiteral("%1 %2 %3")
                .arg(parts[0])
                .arg(parts[1].toDouble() + blank(QStringLiteral("Times New Roman"), size))
                .arg(parts[2]));
    }
    for (const QString& e : expected) {
        const QStringList parts = e.split(u' ');
        const double x = parts[1].toDouble(), y = parts[2].toDouble();
        bool found = false;
        QString seen;
        for (const Word& w : printed)
            if (w.text == parts[0]) {
                seen += QStringLiteral(" (%1, %2)").arg(w.x).arg(w.y);
                found = found || (qAbs(w.x - x) <= 1.0 && qAbs(w.y - y) <= 1.0);
            }
        QVERIFY2(found, qPrintable(e + u':' + seen));
    }
}

void TestPainter::longNamesStayInTheirColumn_data() {
    QTest::addColumn<QString>("report");
    QTest::addColumn<QList<double>>("columns"); // each name column's left edge, then the next's
    QTest::newRow("table list") << "table list" << QList<double>{20, 68, 115, 163};
    QTest::newRow("ranking") << "ranking" << QList<double>{20, 68, 115, 163};
    QTest::newRow("score sheet") << "score sheets" << QList<double>{25, 60, 60, 100};
}

void TestPainter::longNamesStayInTheirColumn() {
    QFETCH(QString, report);
    QFETCH(QList<double>, columns);
    Paper paper;
    paper.drawTournament(8, 1, 12);
    // Names of the 25 characters a field holds, wide letters and accents, at table 1 and in
    // both lists; and one only condensed, its score's minus sign right after it.
    paper.connection().executeNative(
        QStringLiteral("UPDATE Inscriptions SET Nom = ?1, Prenom = ?2 WHERE CodeIndividuel = 1"),
        {QStringLiteral("D'ALEMBERT-MONTMORENCY-XY"), QStringLiteral("Jean-pierre-marie-charles")});
    paper.connection().executeNative(
        QStringLiteral("UPDATE Inscriptions SET Nom = ?1, Prenom = ?2 WHERE CodeIndividuel = 2"),
        {QString(25, u'W'), u'W' + QString(24, u'w')});
    paper.connection().executeNative(
        QStringLiteral("UPDATE Inscriptions SET Nom = ?1, Prenom = ?2 WHERE CodeIndividuel = 3"),
        {QStringLiteral("CHÂTEAUMÉNIL-DE-MÉRÉVILLE"), QStringLiteral("Marie-Françoise-Amélie-MW")});
    paper.connection().executeNative(
        QStringLiteral("UPDATE Inscriptions SET Nom = ?1, Prenom = ?2 WHERE CodeIndividuel = 4"),
        {QStringLiteral("CHÂTEAU"), QStringLiteral("François-Xavier")});
    paper.connection().executeNative(QStringLiteral(
        "INSERT INTO Resultats SELECT 1, CodeIndividuel, CASE CodeIndividuel WHEN 4 THEN -292.5 "
        "ELSE CodeIndividuel END FROM Inscriptions"));
    paper.script.answerInput(QStringLiteral("1"));
    const QList<Word> printed = firstPageWords(paper.print(report).first());
    const double lastRow = report == u"score sheets" ? 56 : 276; // the grid below is not
    int held = 0;
    bool cut = false;
    for (const Word& w : printed) {
        for (int c = 0; c + 1 < columns.size(); c += 2) {
            if (w.y < 29 || w.y > lastRow || w.x < columns[c] - 0.5 || w.x >= columns[c + 1] - 0.5)
                continue;
            // The next column's text on the same line, a clear gap before it.
            double next = 1e9;
            for (const Word& v : printed)
                if (qAbs(v.y - w.y) < 1 && v.x >= columns[c + 1] - 0.5)
                    next = std::min(next, v.x);
            QVERIFY2(next < 1e9, qPrintable(w.text));
            QVERIFY2(next - w.right >= PainterSurface::kColumnGap - 0.01,
                     qPrintable(QStringLiteral("%1: %2 mm").arg(w.text).arg(next - w.right)));
            ++held;
            cut = cut || w.text.endsWith(u'…');
        }
    }
    QVERIFY(held >= 8);
    QVERIFY(cut);
    // The start of each long name is still there to read.
    QVERIFY(std::any_of(printed.begin(), printed.end(),
                        [](const Word& w) { return w.text.startsWith("D'ALEMBERT"); }));
}

void TestPainter::filesAreNamedAndNeverWrittenOver() {
    Paper paper;
    paper.drawTournament(8, 2);
    paper.print(QStringLiteral("table list"));
    paper.print(QStringLiteral("table list"));
    QCOMPARE(paper.filesInFolder(),
             QStringList({"Liste des tables - manche 1 - 2026-12-09 17h45m03 (2).pdf",
                          "Liste des tables - manche 1 - 2026-12-09 17h45m03.pdf",
                          "Liste des tables - manche 2 - 2026-12-09 17h45m03 (2).pdf",
                          "Liste des tables - manche 2 - 2026-12-09 17h45m03.pdf"}));
}

void TestPainter::aFailureLeavesNoFileUnderItsName() {
    Paper paper;
    paper.drawTournament(8, 2);
    // A file where the folder should be: nothing can be written.
    QFile blocker(paper.folder);
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    QVERIFY(paper.print(QStringLiteral("table list")).isEmpty());
    QCOMPARE(paper.script.shown().size(), 1);
    QVERIFY(paper.script.shown().first().text.startsWith(
        "L'impression s'est arrêtée : le dossier " + QDir::toNativeSeparators(paper.folder) +
        " ne peut pas être créé.\n\n"));
    QVERIFY(!paper.shell.message);
    QVERIFY(paper.shell.cartes);

    QVERIFY(blocker.remove());
    // A sheet dropped half way takes the sheets bound with it into the file: nothing is
    // left, not even the temporary file.
    {
        PainterSurface Printer(paper.folder, kRunTime);
        Printer.DocumentName = QStringLiteral("Grilles de comptage - manche 1");
        Printer.Print(QStringLiteral("table 1"));
        Printer.EndDoc();
        Printer.Print(QStringLiteral("table 2, à moitié"));
        QVERIFY(paper.filesInFolder().filter(".pdf").isEmpty()); // no final name while written
        Printer.KillDoc();
        Printer.EndJob();
        QVERIFY(Printer.files().isEmpty());
    }
    QCOMPARE(paper.filesInFolder(), QStringList());
}

void TestPainter::aFileThatCannotBeWrittenIsToldInFrench_data() {
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("told"); // {folder}: the Impressions folder
    QTest::addColumn<QString>("logged");
    // clang-format off
    QTest::newRow("disk full") << "full" << "le disque du dossier /dev est plein ; libérez de la place sur le disque"
        << "/dev/full : No space left on device";
    QTest::newRow("folder removed while printing") << "removed"
        << "le dossier {folder} n'existe plus (déplacé ou supprimé pendant l'écriture)" << "No such file";
    QTest::newRow("refused by the system: the report's whole message") << "too large"
        << "L'impression s'est arrêtée : le fichier {folder}/Liste des tables - manche 1 - 2026-12-09 "
           "17h45m03.pdf n'a pas pu être écrit (le détail est noté dans Velmora.log).\n\nRelancez "
           "l'édition une fois le problème réglé." << "File too large";
    // clang-format on
}

void TestPainter::aFileThatCannotBeWrittenIsToldInFrench() {
    QFETCH(QString, fault);
    QFETCH(QString, told);
    QFETCH(QString, logged);
    Paper paper;
    common::setLogDirectory(paper.directory());
    const auto noLog = qScopeGuard([] { common::setLogDirectory(QString()); });
    QString said;
    QFile full(QStringLiteral("/dev/full"));
    if (fault == u"full" && full.open(QIODevice::WriteOnly | QIODevice::Unbuffered) &&
        full.write("page") < 0)
        said = reports::fileFailure(full, QStringLiteral("/dev"));
    if (fault == u"removed") {
        PainterSurface Printer(paper.folder, kRunTime);
        Printer.Print(QStringLiteral("page 1"));
        QVERIFY(QDir(paper.folder).removeRecursively());
        try {
            Printer.EndJob();
        } catch (const reports::PrintError& error) {
            said = error.message();
        }
    }
    if (fault == u"too large") {
        paper.drawTournament(8, 1);
        // Files of 4 KiB at most for a while: the PDF goes beyond, the log's line does not.
        rlimit before{}, small{4096, 4096};
        getrlimit(RLIMIT_FSIZE, &before);
        const auto handler = std::signal(SIGXFSZ, SIG_IGN);
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        paper.print(QStringLiteral("table list"));
        setrlimit(RLIMIT_FSIZE, &before);
        std::signal(SIGXFSZ, handler);
        QCOMPARE(paper.filesInFolder(), QStringList());
        said = paper.script.shown().value(0).text;
    }
    QCOMPARE(said,
             told.replace(QStringLiteral("{folder}"), QDir::toNativeSeparators(paper.folder)));
    // The system's own words in the log only.
    QFile log(paper.directory() + QStringLiteral("Velmora.log"));
    QVERIFY(log.open(QIODevice::ReadOnly));
    const QString details = QString::fromUtf8(log.readAll());
    QVERIFY2(details.contains("Impression : ") && details.contains(logged), qPrintable(details));
}

void TestPainter::theFolderOpensInTheDesktopsFileViewerOnly_data() {
    QTest::addColumn<QString>("associations"); // mimeapps.list | mimeinfo.cache
    QTest::addColumn<QString>("exec");         // of viewer.desktop
    QTest::addColumn<QString>("started");      // the viewer's arguments; empty: none started
    const QString folders = QStringLiteral("inode/directory=viewer.desktop");
    // clang-format off
    QTest::newRow("the desktop's default") << "[Default Applications]\ninode/directory=absent.desktop;viewer.desktop|"
        << "viewer.sh -w %U" << "-w file://{folder}";
    QTest::newRow("from the cache, no field code") << "|[MIME Cache]\n" + folders << "viewer.sh --seul" << "--seul {folder}";
    // Never the web browser xdg-open falls back to: the caller names the folder instead.
    QTest::newRow("none for folders, a browser for pages")
        << "[Default Applications]\ntext/html=viewer.desktop|[MIME Cache]\ntext/html=viewer.desktop" << "viewer.sh %U" << "";
    QTest::newRow("its program gone") << "[Added Associations]\n" + folders + u'|' << "parti.sh %f" << "";
    QTest::newRow("association taken away") << "[Removed Associations]\n" + folders + "|[MIME Cache]\n" + folders
        << "viewer.sh %f" << "";
    // clang-format on
}

void TestPainter::theFolderOpensInTheDesktopsFileViewerOnly() {
    QFETCH(QString, associations);
    QFETCH(QString, exec);
    QFETCH(QString, started);
    QTemporaryDir home;
    const QString dir = home.path() + u'/', folder = dir + QStringLiteral("Impressions");
    QVERIFY(QDir().mkpath(dir + QStringLiteral("data/applications")) && QDir().mkpath(folder));
    const QStringList files = {"mimeapps.list", "data/applications/mimeinfo.cache",
                               "data/applications/viewer.desktop", "viewer.sh"};
    const QStringList texts = {
        associations.section(u'|', 0, 0), associations.section(u'|', 1),
        "[Desktop Entry]\nType=Application\nExec=" + dir + exec,
        QStringLiteral("#!/bin/sh\necho \"$@\" > %1tmp && mv %1tmp %1started\n").arg(dir)};
    for (qsizetype i = 0; i < files.size(); ++i) {
        QFile file(dir + files[i]);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(texts[i].toUtf8() + '\n') > 0);
        file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    const char* const names[] = {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CONFIG_DIRS",
                                 "XDG_DATA_DIRS", "XDG_CURRENT_DESKTOP"};
    const QStringList values = {dir, dir + "data", dir + u'-', dir + u'-', QString()};
    QList<QByteArray> saved;
    for (int i = 0; i < 5; ++i) {
        saved.append(qgetenv(names[i]));
        qputenv(names[i], values[i].toUtf8());
    }
    const auto restored = qScopeGuard([&] {
        for (int i = 0; i < 5; ++i)
            qputenv(names[i], saved[i]);
    });
    QCOMPARE(app::Environment::running().openFolder(folder), !started.isEmpty());
    QFile seen(dir + QStringLiteral("started"));
    if (!started.isEmpty())
        QTRY_VERIFY(seen.exists());
    QCOMPARE(QString::fromUtf8(seen.open(QIODevice::ReadOnly) ? seen.readAll() : "").trimmed(),
             started.replace(QStringLiteral("{folder}"), folder));
}

VELMORA_TEST_MAIN(TestPainter)
#include "tst_painter.moc"
