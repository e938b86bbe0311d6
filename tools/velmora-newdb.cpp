// Writes the empty tournament file that ships with the program.
//
//   velmora-newdb <path>              writes a new file; refuses to replace an existing one
//   velmora-newdb --if-missing <path> does nothing when the file already exists
//
// A build writes the shipped file with --if-missing, so that building again never wipes a
// tournament in progress.

#include "db/DbError.h"
#include "db/Schema.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <cstdio>

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    QStringList args = QCoreApplication::arguments().mid(1);
    const bool ifMissing = args.removeAll(QStringLiteral("--if-missing")) > 0;
    if (args.size() != 1) {
        std::fprintf(stderr, "usage: velmora-newdb [--if-missing] <fichier>\n");
        return 2;
    }
    const QString path = args.first();
    if (ifMissing && QFileInfo::exists(path))
        return 0;
    try {
        db::createDatabase(path, QString::fromUtf16(db::kPassword));
    } catch (const db::DbError& error) {
        std::fprintf(stderr, "velmora-newdb: %s\n", qPrintable(error.message()));
        return 1;
    }
    return 0;
}
