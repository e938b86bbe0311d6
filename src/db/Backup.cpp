#include "Backup.h"

#include "Connection.h"
#include "DbError.h"
#include "Schema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMessageAuthenticationCode>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <algorithm>

namespace db {
namespace {

using Kind = DbError::Kind;

// "Velmora 2026-12-09 21h14m03 avant réinitialisation.dat", " (2)" before ".dat" when the
// second was taken already.
const QRegularExpression& copyName() {
    static const QRegularExpression name(QStringLiteral(
        R"(^Velmora (\d{4}-\d{2}-\d{2} \d{2}h\d{2}m\d{2}) (.+?)(?: \(\d+\))?\.dat$)"));
    return name;
}
const QString kTimeFormat = QStringLiteral("yyyy-MM-dd HH'h'mm'm'ss");

// PBKDF2-HMAC-SHA1 with Qt Core alone, so that the engine's library needs nothing else.
QByteArray pbkdf2Sha1(const QByteArray& password, const QByteArray& salt, int rounds, int length) {
    QMessageAuthenticationCode hmac(QCryptographicHash::Sha1, password);
    QByteArray key;
    for (quint32 block = 1; key.size() < length; ++block) {
        const char index[4] = {char(block >> 24), char(block >> 16), char(block >> 8), char(block)};
        hmac.reset();
        hmac.addData(salt);
        hmac.addData(index, 4);
        QByteArray round = hmac.result();
        QByteArray sum = round;
        for (int i = 1; i < rounds; ++i) {
            hmac.reset();
            hmac.addData(round);
            round = hmac.result();
            for (qsizetype j = 0; j < sum.size(); ++j)
                sum[j] = char(sum[j] ^ round[j]);
        }
        key += sum;
    }
    return key.left(length);
}

// The engine's key of a file: PBKDF2-HMAC-SHA1 of the password over the salt the file keeps in
// its first 16 bytes, 64 000 rounds, as the standard client derives it. Derived once per salt
// and handed over raw, it opens every copy of that salt without the derivation's 40 ms, and
// a copy written with it opens with the password alone all the same.
QString rawKey(const QByteArray& salt) {
    static QHash<QByteArray, QString> keys;
    const auto found = keys.constFind(salt);
    if (found != keys.cend())
        return *found;
    const QByteArray key = pbkdf2Sha1(QString::fromUtf16(kPassword).toUtf8(), salt, 64000, 32);
    return *keys.insert(salt, QStringLiteral("x'%1%2'").arg(QString::fromLatin1(key.toHex()),
                                                            QString::fromLatin1(salt.toHex())));
}

// The key a file opens with: raw from its salt, or the password when it has none (a file not
// encrypted, or empty), which then refuses itself as a tournament.
QString keyOf(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw DbError(
            QStringLiteral("Le fichier %1 ne peut pas être lu").arg(QDir::toNativeSeparators(path)),
            Kind::Missing);
    const QByteArray salt = file.read(16);
    if (salt.size() != 16 || salt.startsWith("SQLite format 3"))
        return QString::fromUtf16(kPassword);
    return rawKey(salt);
}

// Sound, and a tournament: what a copy must be to be restored.
void checkTournament(Connection& copy) {
    {
        auto check = copy.prepare(QStringLiteral("PRAGMA integrity_check"));
        if (!check->step() || check->column(0).toString() != u"ok")
            throw DbError(QStringLiteral("La copie est endommagée"), Kind::Damaged);
    }
    const QStringList missing = missingTables(copy);
    if (!missing.isEmpty())
        throw DbError(QStringLiteral("Ce fichier n'est pas un tournoi Velmora (il n'a pas de table "
                                     "%1)")
                          .arg(missing.join(QStringLiteral(", "))),
                      Kind::NotADatabase);
}

// The engine speaks of "the file": of a copy it would read as the tournament file's fault, and
// send the organiser to restore a copy from the very window he is in.
template <typename Reading> auto aboutTheCopy(Reading reading) {
    try {
        return reading();
    } catch (const DbError& error) {
        if (error.code() != 0 && error.kind() == Kind::NotADatabase)
            throw DbError(QStringLiteral("Cette copie ne s'ouvre pas avec le mot de passe du "
                                         "tournoi : elle a été écrite avec un autre mot de passe, "
                                         "ou ce n'est pas un fichier de tournoi Velmora."),
                          Kind::NotADatabase);
        if (error.code() != 0 && error.kind() == Kind::Damaged)
            throw DbError(QStringLiteral("La copie est endommagée"), Kind::Damaged);
        throw;
    }
}

std::shared_ptr<Connection> openCopy(const QString& path, bool readOnly) {
    return Connection::open(path, keyOf(path), readOnly, false);
}

void removeQuietly(const QString& path) {
    QFile::remove(path);
    QFile::remove(path + QStringLiteral("-journal"));
}

// Only the copies named by the program go; anything else the organiser put there stays.
void prune(const QString& folder) {
    QList<BackupCopy> ours = listBackups(folder);
    ours.removeIf([](const BackupCopy& c) {
        return !copyName().match(QFileInfo(c.path).fileName()).hasMatch();
    });
    for (qsizetype i = kBackupsKept; i < ours.size(); ++i)
        QFile::remove(ours[i].path);
}

} // namespace

QString backupFolder(const QString& programDirectory) {
    return programDirectory + QStringLiteral("Sauvegardes");
}

QString writeBackup(Connection& tournament, const QString& folder, const QString& reason,
                    const QDateTime& when) {
    const QDir dir(folder);
    if (!QDir().mkpath(folder))
        throw DbError(QStringLiteral("Le dossier %1 ne peut pas être créé")
                          .arg(QDir::toNativeSeparators(folder)),
                      Kind::ReadOnly);
    QString named = reason.simplified();
    for (QChar& c : named)
        if (QStringLiteral("/\\:*?\"<>|").contains(c) || !c.isPrint())
            c = u'-'; // nothing a file name may not hold
    const QString base = QStringLiteral("Velmora %1 %2").arg(when.toString(kTimeFormat), named);
    QString path = dir.filePath(base + QStringLiteral(".dat"));
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = dir.filePath(QStringLiteral("%1 (%2).dat").arg(base).arg(n));
    // Written under another name: a copy half written, or not checked, never looks like one.
    // What a copy killed half way left behind goes first.
    for (const QString& left : dir.entryList({QStringLiteral("*.part")}, QDir::Files))
        removeQuietly(dir.filePath(left));
    const QString partial = path + QStringLiteral(".part");
    try {
        const QString key = keyOf(tournament.path());
        tournament.copyInto(*Connection::create(partial, key));
        checkTournament(*Connection::open(partial, key, true, false));
        if (!QFile::rename(partial, path))
            throw DbError(QStringLiteral("La copie n'a pas pu être nommée %1")
                              .arg(QDir::toNativeSeparators(path)),
                          Kind::ReadOnly);
    } catch (const DbError&) {
        removeQuietly(partial);
        throw;
    }
    prune(folder);
    return path;
}

QList<BackupCopy> listBackups(const QString& folder) {
    QList<BackupCopy> copies;
    const QFileInfoList files =
        QDir(folder).entryInfoList({QStringLiteral("*.dat")}, QDir::Files | QDir::Readable);
    for (const QFileInfo& file : files) {
        BackupCopy copy{file.absoluteFilePath(), file.lastModified(), file.fileName(),
                        file.lastModified()};
        const auto named = copyName().match(file.fileName());
        if (named.hasMatch()) {
            const QDateTime when = QDateTime::fromString(named.captured(1), kTimeFormat);
            if (when.isValid()) {
                copy.when = when;
                copy.reason = named.captured(2);
            }
        }
        copies.append(copy);
    }
    std::sort(copies.begin(), copies.end(), [](const BackupCopy& a, const BackupCopy& b) {
        if (a.when != b.when)
            return a.when > b.when;
        return a.written != b.written ? a.written > b.written : a.path > b.path;
    });
    return copies;
}

BackupSummary summarize(const QString& copyPath) {
    return aboutTheCopy([&copyPath] {
        auto copy = openCopy(copyPath, true);
        checkTournament(*copy);
        BackupSummary summary;
        auto players = copy->prepare(QStringLiteral(
            "SELECT count(*), max(CodeEquipe01 <> 0) + max(CodeEquipe02 <> 0) + "
            "max(CodeEquipe03 <> 0) + max(CodeEquipe04 <> 0) + max(CodeEquipe05 <> 0) + "
            "max(CodeEquipe06 <> 0) + max(CodeEquipe07 <> 0) FROM Inscriptions"));
        if (players->step()) {
            summary.players = int(players->columnInt64(0));
            summary.roundsDrawn = int(players->columnInt64(1));
        }
        auto scores = copy->prepare(QStringLiteral("SELECT count(*) FROM Resultats"));
        if (scores->step())
            summary.scores = int(scores->columnInt64(0));
        return summary;
    });
}

void restoreBackup(Connection& tournament, const QString& copyPath,
                   const std::function<void()>& beforeReplacing) {
    // Checked and brought up to date on a copy of its own: the chosen file stays as it was.
    QTemporaryDir work;
    const QString working = work.filePath(QStringLiteral("Velmora.dat"));
    if (!work.isValid() || !QFile::copy(copyPath, working))
        throw DbError(QStringLiteral("La copie %1 ne peut pas être lue")
                          .arg(QDir::toNativeSeparators(copyPath)),
                      Kind::Missing);
    QFile::setPermissions(working, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    auto copy = aboutTheCopy([&working] {
        auto opened = openCopy(working, false);
        checkTournament(*opened);
        upgradeDatabase(*opened);
        return opened;
    });
    if (beforeReplacing)
        beforeReplacing();
    copy->copyInto(tournament);
}

} // namespace db
