#include "FaultyVfs.h"

#include <QByteArray>
#include <QFile>
#include <cstring>
#include <map>
#include <random>
#include <sqlite3.h>
#include <string>

// What a power cut leaves, as this layer models it (the idea of the engine's own crash tests):
// - A write reaches the disk only with the next sync of its file; until then each disk page
//   it touched may hold the old content or the new one, and the file its old size or its new.
// - Creating or removing a file changes its folder, and the change reaches the disk only with
//   a sync of that folder. We assume the folder is synced exactly where the engine's unix layer
//   syncs it: after removing a file when the engine asks for it (synchronous = EXTRA), and at
//   the first sync of a rollback journal it has just opened with the create flag. Until then a
//   power cut brings a removed journal back with the content it had on the disk (and the
//   engine then plays it back), and takes away a journal just made.
// - The database file itself, and any file there before the layer was installed or restarted,
//   is on the disk.

namespace {

// The smallest part of a file a disk writes whole.
constexpr qint64 kDiskPage = 512;

enum class Kind { Database, Journal, Other };

struct File {
    sqlite3_file base;
    FaultyVfs::Private* vfs;
    Kind kind;
    const char* path; // the engine keeps it until the file is closed
    bool syncsFolder; // a journal just made: its first sync also syncs its folder
};

// The default layer's own file object follows ours, aligned as the engine aligns its own.
constexpr int kRealOffset = int((sizeof(File) + 15) & ~size_t(15));

sqlite3_file* real(File& file) {
    return reinterpret_cast<sqlite3_file*>(reinterpret_cast<char*>(&file) + kRealOffset);
}

File& shim(sqlite3_file* file) {
    return *reinterpret_cast<File*>(file);
}

std::string folderOf(const std::string& path) {
    return path.substr(0, path.rfind('/'));
}

} // namespace

struct FaultyVfs::Private {
    sqlite3_vfs vfs{};
    sqlite3_vfs* below = nullptr;
    int writePoints = 0;
    int syncs = 0;
    enum class Plan { None, Fail, Cut } plan = Plan::None;
    int at = 0;
    Failure failure = Failure::IoError;
    bool persistent = false;
    std::optional<quint64> keepSeed;
    bool struck = false;
    std::string garbled; // the path ending of the files written garbled; empty for none
    bool dead = false;   // the power is off: every operation fails
    int openFiles = 0;

    // What the disk holds of a database or journal file where it differs from the file.
    struct OnDisk {
        qint64 syncedSize = 0;
        // The disk pages written since the last sync, each with its content at that sync.
        std::map<qint64, QByteArray> syncedPages;
        // The file was made or removed since its folder's last sync: the disk still holds the
        // file as it was before (no value: no file).
        bool entryPending = false;
        std::optional<QByteArray> entryOnDisk;
    };
    std::map<std::string, OnDisk> disk;

    // Counts a write point of a database or journal file; the planned failure when it is due.
    int failing(const File& file, int ioError) {
        if (file.kind == Kind::Other)
            return SQLITE_OK;
        ++writePoints;
        if (plan != Plan::Fail || writePoints < at || (writePoints > at && !persistent))
            return SQLITE_OK;
        struck = true;
        return failure == Failure::DiskFull ? SQLITE_FULL : ioError;
    }

    bool garbles(const File& file) const {
        const std::string path = file.path;
        return file.kind == Kind::Database && !garbled.empty() && path.size() >= garbled.size() &&
               path.compare(path.size() - garbled.size(), garbled.size(), garbled) == 0;
    }

    // Counts a sync; true when the power goes there.
    bool cutHere() {
        ++syncs;
        if (plan != Plan::Cut || syncs != at)
            return false;
        cut();
        return true;
    }

    // Keeps what the disk pages in [from, to) held at the file's last sync, before they change.
    void beforeChange(File& file, qint64 from, qint64 to) {
        if (file.kind == Kind::Other || from >= to)
            return;
        OnDisk& on = disk[file.path];
        for (qint64 page = from / kDiskPage; page <= (to - 1) / kDiskPage; ++page) {
            if (on.syncedPages.count(page))
                continue;
            QByteArray content(kDiskPage, '\0');
            // Beyond the end the layer reads zeros, as the disk would give.
            real(file)->pMethods->xRead(real(file), content.data(), int(kDiskPage),
                                        page * kDiskPage);
            on.syncedPages.emplace(page, content);
        }
    }

    void synced(File& file) {
        OnDisk& on = disk[file.path];
        sqlite3_int64 size = 0;
        real(file)->pMethods->xFileSize(real(file), &size);
        on.syncedSize = size;
        on.syncedPages.clear();
        if (file.syncsFolder) {
            folderSynced(folderOf(file.path));
            file.syncsFolder = false;
        }
    }

    void folderSynced(const std::string& folder) {
        for (auto& [path, on] : disk)
            if (folderOf(path) == folder) {
                on.entryPending = false;
                on.entryOnDisk.reset();
            }
    }

    // The file's content on the disk, when every change since its last sync is lost.
    std::optional<QByteArray> onDisk(const std::string& path, const OnDisk& on) {
        if (on.entryPending)
            return on.entryOnDisk;
        QFile file(QString::fromStdString(path));
        if (!file.open(QIODevice::ReadOnly))
            return std::nullopt;
        QByteArray content = file.readAll();
        keepOrLose(content, on, nullptr);
        return content;
    }

    // The file's content after a power cut: each page written since the last sync kept or lost,
    // its size new or old, by the random source; everything lost without one.
    static void keepOrLose(QByteArray& content, const OnDisk& on, std::mt19937_64* random) {
        const auto kept = [random] { return random && (*random)() % 2 == 0; };
        const qint64 size = kept() ? content.size() : on.syncedSize;
        if (content.size() < on.syncedSize)
            content.append(QByteArray(on.syncedSize - content.size(), '\0'));
        for (const auto& [page, old] : on.syncedPages) {
            const qint64 from = page * kDiskPage;
            if (kept() || from >= content.size())
                continue;
            std::memcpy(content.data() + from, old.constData(),
                        size_t(std::min(kDiskPage, content.size() - from)));
        }
        if (content.size() < size)
            content.append(QByteArray(size - content.size(), '\0'));
        content.truncate(size);
    }

    void cut() {
        dead = true;
        struck = true;
        plan = Plan::None;
        std::mt19937_64 source(keepSeed.value_or(0));
        std::mt19937_64* random = keepSeed ? &source : nullptr;
        for (auto& [path, on] : disk) {
            const QString name = QString::fromStdString(path);
            if (on.entryPending && !(random && (*random)() % 2 == 0)) {
                if (!on.entryOnDisk) {
                    QFile::remove(name);
                    continue;
                }
                QFile file(name);
                if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
                    file.write(*on.entryOnDisk) != on.entryOnDisk->size())
                    qFatal("power cut: %s could not be put back", path.c_str());
                continue;
            }
            QFile file(name);
            if (!file.open(QIODevice::ReadWrite))
                continue; // removed, and the removal kept
            QByteArray content = file.readAll();
            keepOrLose(content, on, random);
            if (!file.resize(0) || !file.seek(0) || file.write(content) != content.size())
                qFatal("power cut: %s could not be rewritten", path.c_str());
        }
    }

    // ---- the file methods -----------------------------------------------------------------

    static int close(sqlite3_file* f) {
        File& file = shim(f);
        const int rc = real(file)->pMethods->xClose(real(file));
        --file.vfs->openFiles;
        return rc;
    }

    static int read(sqlite3_file* f, void* data, int amount, sqlite3_int64 offset) {
        File& file = shim(f);
        if (file.vfs->dead)
            return SQLITE_IOERR_READ;
        return real(file)->pMethods->xRead(real(file), data, amount, offset);
    }

    static int write(sqlite3_file* f, const void* data, int amount, sqlite3_int64 offset) {
        File& file = shim(f);
        Private& d = *file.vfs;
        if (d.dead)
            return SQLITE_IOERR_WRITE;
        if (const int rc = d.failing(file, SQLITE_IOERR_WRITE))
            return rc;
        d.beforeChange(file, offset, offset + amount);
        if (d.garbles(file) && offset > 0 && amount > 0) {
            QByteArray changed(static_cast<const char*>(data), amount);
            changed[amount / 2] = char(changed[amount / 2] ^ 0x5a);
            return real(file)->pMethods->xWrite(real(file), changed.constData(), amount, offset);
        }
        return real(file)->pMethods->xWrite(real(file), data, amount, offset);
    }

    static int truncate(sqlite3_file* f, sqlite3_int64 size) {
        File& file = shim(f);
        Private& d = *file.vfs;
        if (d.dead)
            return SQLITE_IOERR_TRUNCATE;
        if (const int rc = d.failing(file, SQLITE_IOERR_TRUNCATE))
            return rc;
        sqlite3_int64 now = 0;
        if (real(file)->pMethods->xFileSize(real(file), &now) == SQLITE_OK)
            d.beforeChange(file, size, now);
        return real(file)->pMethods->xTruncate(real(file), size);
    }

    static int sync(sqlite3_file* f, int) {
        File& file = shim(f);
        Private& d = *file.vfs;
        if (d.dead)
            return SQLITE_IOERR_FSYNC;
        if (file.kind != Kind::Other) {
            if (const int rc = d.failing(file, SQLITE_IOERR_FSYNC))
                return rc;
            if (d.cutHere())
                return SQLITE_IOERR_FSYNC;
        }
        // The disk is modelled here: a real sync would cost the tests time and prove nothing.
        if (file.kind != Kind::Other)
            d.synced(file);
        return SQLITE_OK;
    }

    static int fileSize(sqlite3_file* f, sqlite3_int64* size) {
        File& file = shim(f);
        if (file.vfs->dead)
            return SQLITE_IOERR_FSTAT;
        return real(file)->pMethods->xFileSize(real(file), size);
    }

    // Locks are no part of the disk: they work with the power off, so the engine can let go.
    static int lock(sqlite3_file* f, int level) {
        return real(shim(f))->pMethods->xLock(real(shim(f)), level);
    }
    static int unlock(sqlite3_file* f, int level) {
        return real(shim(f))->pMethods->xUnlock(real(shim(f)), level);
    }
    static int checkReservedLock(sqlite3_file* f, int* result) {
        return real(shim(f))->pMethods->xCheckReservedLock(real(shim(f)), result);
    }
    static int fileControl(sqlite3_file* f, int op, void* argument) {
        return real(shim(f))->pMethods->xFileControl(real(shim(f)), op, argument);
    }
    static int sectorSize(sqlite3_file* f) {
        return real(shim(f))->pMethods->xSectorSize(real(shim(f)));
    }
    static int deviceCharacteristics(sqlite3_file* f) {
        return real(shim(f))->pMethods->xDeviceCharacteristics(real(shim(f)));
    }

    // Version 1: no shared memory and no memory map, so that every read and write of the
    // rollback journal and the database passes here.
    static constexpr sqlite3_io_methods kMethods = {
        .iVersion = 1,
        .xClose = close,
        .xRead = read,
        .xWrite = write,
        .xTruncate = truncate,
        .xSync = sync,
        .xFileSize = fileSize,
        .xLock = lock,
        .xUnlock = unlock,
        .xCheckReservedLock = checkReservedLock,
        .xFileControl = fileControl,
        .xSectorSize = sectorSize,
        .xDeviceCharacteristics = deviceCharacteristics,
        .xShmMap = nullptr,
        .xShmLock = nullptr,
        .xShmBarrier = nullptr,
        .xShmUnmap = nullptr,
        .xFetch = nullptr,
        .xUnfetch = nullptr,
    };

    // ---- the layer's methods ----------------------------------------------------------------

    static Private& of(sqlite3_vfs* vfs) { return *static_cast<Private*>(vfs->pAppData); }

    static int open(sqlite3_vfs* vfs, const char* name, sqlite3_file* f, int flags, int* outFlags) {
        Private& d = of(vfs);
        File& file = shim(f);
        file.base.pMethods = nullptr;
        if (d.dead)
            return SQLITE_CANTOPEN;
        const Kind kind = !name                                ? Kind::Other
                          : (flags & SQLITE_OPEN_MAIN_DB)      ? Kind::Database
                          : (flags & SQLITE_OPEN_MAIN_JOURNAL) ? Kind::Journal
                                                               : Kind::Other;
        const bool made = kind == Kind::Journal && (flags & SQLITE_OPEN_CREATE) &&
                          !QFile::exists(QString::fromUtf8(name));
        const int rc = d.below->xOpen(d.below, name, real(file), flags, outFlags);
        if (rc != SQLITE_OK)
            return rc;
        file.path = name;
        file.vfs = &d;
        file.kind = kind;
        file.syncsFolder = kind == Kind::Journal && (flags & SQLITE_OPEN_CREATE);
        file.base.pMethods = &kMethods;
        ++d.openFiles;
        if (kind == Kind::Other)
            return rc;
        const auto [entry, first] = d.disk.try_emplace(file.path);
        OnDisk& on = entry->second;
        if (made) {
            if (!on.entryPending) {
                on.entryPending = true;
                on.entryOnDisk.reset();
            }
            on.syncedSize = 0;
            on.syncedPages.clear();
        } else if (first) {
            sqlite3_int64 size = 0;
            real(file)->pMethods->xFileSize(real(file), &size);
            on.syncedSize = size;
        }
        return rc;
    }

    static int remove(sqlite3_vfs* vfs, const char* name, int syncFolder) {
        Private& d = of(vfs);
        if (d.dead)
            return SQLITE_IOERR_DELETE;
        const auto found = d.disk.find(name);
        if (found == d.disk.end())
            return d.below->xDelete(d.below, name, syncFolder);
        // The folder's sync after a removal is where a commit in journal_mode DELETE is made
        // to last: a sync point like any other.
        if (syncFolder && d.cutHere())
            return SQLITE_IOERR_DIR_FSYNC;
        OnDisk& on = found->second;
        const bool wasPending = on.entryPending;
        if (!on.entryPending) {
            on.entryOnDisk = d.onDisk(name, on);
            on.entryPending = true;
        }
        const int rc = d.below->xDelete(d.below, name, syncFolder);
        if (rc != SQLITE_OK) {
            on.entryPending = wasPending;
            return rc;
        }
        on.syncedSize = 0;
        on.syncedPages.clear();
        if (syncFolder)
            d.folderSynced(folderOf(name));
        return rc;
    }

    static int access(sqlite3_vfs* vfs, const char* name, int flags, int* result) {
        Private& d = of(vfs);
        if (d.dead)
            return SQLITE_IOERR_ACCESS;
        return d.below->xAccess(d.below, name, flags, result);
    }

    static int fullPathname(sqlite3_vfs* vfs, const char* name, int size, char* out) {
        return of(vfs).below->xFullPathname(of(vfs).below, name, size, out);
    }
    static void* dlOpen(sqlite3_vfs* vfs, const char* name) {
        return of(vfs).below->xDlOpen(of(vfs).below, name);
    }
    static void dlError(sqlite3_vfs* vfs, int size, char* message) {
        of(vfs).below->xDlError(of(vfs).below, size, message);
    }
    static void (*dlSym(sqlite3_vfs* vfs, void* library, const char* symbol))(void) {
        return of(vfs).below->xDlSym(of(vfs).below, library, symbol);
    }
    static void dlClose(sqlite3_vfs* vfs, void* library) {
        of(vfs).below->xDlClose(of(vfs).below, library);
    }
    static int randomness(sqlite3_vfs* vfs, int size, char* out) {
        return of(vfs).below->xRandomness(of(vfs).below, size, out);
    }
    static int sleep(sqlite3_vfs* vfs, int microseconds) {
        return of(vfs).below->xSleep(of(vfs).below, microseconds);
    }
    static int currentTime(sqlite3_vfs* vfs, double* now) {
        return of(vfs).below->xCurrentTime(of(vfs).below, now);
    }
    static int lastError(sqlite3_vfs* vfs, int size, char* message) {
        return of(vfs).below->xGetLastError(of(vfs).below, size, message);
    }
    static int currentTimeInt64(sqlite3_vfs* vfs, sqlite3_int64* now) {
        return of(vfs).below->xCurrentTimeInt64(of(vfs).below, now);
    }
};

FaultyVfs::FaultyVfs() : d(std::make_unique<Private>()) {
    d->below = sqlite3_vfs_find(nullptr);
    if (!d->below || d->below->iVersion < 2)
        qFatal("the engine has no default file layer to shim");
    sqlite3_vfs& vfs = d->vfs;
    vfs.iVersion = 2;
    vfs.szOsFile = kRealOffset + d->below->szOsFile;
    vfs.mxPathname = d->below->mxPathname;
    vfs.zName = "velmora-faulty";
    vfs.pAppData = d.get();
    vfs.xOpen = Private::open;
    vfs.xDelete = Private::remove;
    vfs.xAccess = Private::access;
    vfs.xFullPathname = Private::fullPathname;
    vfs.xDlOpen = Private::dlOpen;
    vfs.xDlError = Private::dlError;
    vfs.xDlSym = Private::dlSym;
    vfs.xDlClose = Private::dlClose;
    vfs.xRandomness = Private::randomness;
    vfs.xSleep = Private::sleep;
    vfs.xCurrentTime = Private::currentTime;
    vfs.xGetLastError = Private::lastError;
    vfs.xCurrentTimeInt64 = Private::currentTimeInt64;
    if (sqlite3_vfs_register(&vfs, 1) != SQLITE_OK)
        qFatal("the faulty file layer could not be registered");
}

FaultyVfs::~FaultyVfs() {
    // A file left open would call into this object once it is gone.
    if (d->openFiles)
        qFatal("%d files still open through the faulty file layer", d->openFiles);
    sqlite3_vfs_unregister(&d->vfs);
    sqlite3_vfs_register(d->below, 1);
}

int FaultyVfs::writePoints() const {
    return d->writePoints;
}

int FaultyVfs::syncs() const {
    return d->syncs;
}

void FaultyVfs::failAt(int n, Failure failure, bool persistent) {
    disarm();
    d->plan = Private::Plan::Fail;
    d->at = n;
    d->failure = failure;
    d->persistent = persistent;
}

void FaultyVfs::cutPowerAt(int n, std::optional<quint64> keepSeed) {
    disarm();
    d->plan = Private::Plan::Cut;
    d->at = n;
    d->keepSeed = keepSeed;
}

void FaultyVfs::cutPowerNow(std::optional<quint64> keepSeed) {
    disarm();
    d->keepSeed = keepSeed;
    d->cut();
}

void FaultyVfs::garbleWritesTo(const QString& pathEnding) {
    d->garbled = pathEnding.toStdString();
}

bool FaultyVfs::struck() const {
    return d->struck;
}

void FaultyVfs::disarm() {
    d->plan = Private::Plan::None;
    d->garbled.clear();
    d->writePoints = 0;
    d->syncs = 0;
    d->struck = false;
}

void FaultyVfs::restart() {
    if (d->openFiles)
        qFatal("restart with %d files still open through the faulty file layer", d->openFiles);
    disarm();
    d->dead = false;
    d->disk.clear();
}
