#include "FaultyVfs.h"

#include <cstring>
#include <sqlite3.h>

namespace {

sqlite3_vfs *g_real = nullptr;
sqlite3_vfs g_faulty;
int g_countdown = 0; // 0: disarmed
bool g_failing = false;

struct FaultyFile {
    sqlite3_file base;
    sqlite3_file *real; // follows this struct in the same allocation
};

sqlite3_file *realOf(sqlite3_file *file)
{
    return reinterpret_cast<FaultyFile *>(file)->real;
}

bool writeFails()
{
    if (g_failing)
        return true;
    if (g_countdown > 0 && --g_countdown == 0)
        g_failing = true;
    return g_failing;
}

int fClose(sqlite3_file *f)
{
    sqlite3_file *real = realOf(f);
    return real->pMethods ? real->pMethods->xClose(real) : SQLITE_OK;
}
int fRead(sqlite3_file *f, void *b, int n, sqlite3_int64 o) { return realOf(f)->pMethods->xRead(realOf(f), b, n, o); }
int fWrite(sqlite3_file *f, const void *b, int n, sqlite3_int64 o)
{
    return writeFails() ? SQLITE_IOERR_WRITE : realOf(f)->pMethods->xWrite(realOf(f), b, n, o);
}
int fTruncate(sqlite3_file *f, sqlite3_int64 size)
{
    return writeFails() ? SQLITE_IOERR_TRUNCATE : realOf(f)->pMethods->xTruncate(realOf(f), size);
}
int fSync(sqlite3_file *f, int flags)
{
    return writeFails() ? SQLITE_IOERR_FSYNC : realOf(f)->pMethods->xSync(realOf(f), flags);
}
int fFileSize(sqlite3_file *f, sqlite3_int64 *s) { return realOf(f)->pMethods->xFileSize(realOf(f), s); }
int fLock(sqlite3_file *f, int l) { return realOf(f)->pMethods->xLock(realOf(f), l); }
int fUnlock(sqlite3_file *f, int l) { return realOf(f)->pMethods->xUnlock(realOf(f), l); }
int fCheck(sqlite3_file *f, int *r) { return realOf(f)->pMethods->xCheckReservedLock(realOf(f), r); }
int fControl(sqlite3_file *f, int op, void *a) { return realOf(f)->pMethods->xFileControl(realOf(f), op, a); }
int fSector(sqlite3_file *f) { return realOf(f)->pMethods->xSectorSize(realOf(f)); }
int fDevice(sqlite3_file *f) { return realOf(f)->pMethods->xDeviceCharacteristics(realOf(f)); }
int fShmMap(sqlite3_file *f, int p, int s, int e, void volatile **m)
{
    return realOf(f)->pMethods->xShmMap(realOf(f), p, s, e, m);
}
int fShmLock(sqlite3_file *f, int o, int n, int fl) { return realOf(f)->pMethods->xShmLock(realOf(f), o, n, fl); }
void fShmBarrier(sqlite3_file *f) { realOf(f)->pMethods->xShmBarrier(realOf(f)); }
int fShmUnmap(sqlite3_file *f, int d) { return realOf(f)->pMethods->xShmUnmap(realOf(f), d); }
int fFetch(sqlite3_file *f, sqlite3_int64 o, int n, void **p) { return realOf(f)->pMethods->xFetch(realOf(f), o, n, p); }
int fUnfetch(sqlite3_file *f, sqlite3_int64 o, void *p) { return realOf(f)->pMethods->xUnfetch(realOf(f), o, p); }

const sqlite3_io_methods g_methods = {3,        fClose,    fRead,       fWrite,    fTruncate, fSync,    fFileSize,
                                      fLock,    fUnlock,   fCheck,      fControl,  fSector,   fDevice,  fShmMap,
                                      fShmLock, fShmBarrier, fShmUnmap, fFetch,    fUnfetch};

int vOpen(sqlite3_vfs *, const char *name, sqlite3_file *file, int flags, int *outFlags)
{
    auto *faulty = reinterpret_cast<FaultyFile *>(file);
    faulty->real = reinterpret_cast<sqlite3_file *>(faulty + 1);
    std::memset(faulty->real, 0, size_t(g_real->szOsFile));
    const int rc = g_real->xOpen(g_real, name, faulty->real, flags, outFlags);
    faulty->base.pMethods = faulty->real->pMethods ? &g_methods : nullptr;
    return rc;
}
int vDelete(sqlite3_vfs *, const char *n, int s) { return g_real->xDelete(g_real, n, s); }
int vAccess(sqlite3_vfs *, const char *n, int f, int *r) { return g_real->xAccess(g_real, n, f, r); }
int vFullPath(sqlite3_vfs *, const char *n, int size, char *out) { return g_real->xFullPathname(g_real, n, size, out); }
void *vDlOpen(sqlite3_vfs *, const char *n) { return g_real->xDlOpen(g_real, n); }
void vDlError(sqlite3_vfs *, int n, char *m) { g_real->xDlError(g_real, n, m); }
void (*vDlSym(sqlite3_vfs *, void *h, const char *s))(void) { return g_real->xDlSym(g_real, h, s); }
void vDlClose(sqlite3_vfs *, void *h) { g_real->xDlClose(g_real, h); }
int vRandomness(sqlite3_vfs *, int n, char *o) { return g_real->xRandomness(g_real, n, o); }
int vSleep(sqlite3_vfs *, int us) { return g_real->xSleep(g_real, us); }
int vCurrentTime(sqlite3_vfs *, double *t) { return g_real->xCurrentTime(g_real, t); }
int vLastError(sqlite3_vfs *, int n, char *m) { return g_real->xGetLastError(g_real, n, m); }
int vCurrentTime64(sqlite3_vfs *, sqlite3_int64 *t) { return g_real->xCurrentTimeInt64(g_real, t); }

} // namespace

FaultyVfs::FaultyVfs()
{
    g_real = sqlite3_vfs_find(nullptr);
    g_faulty = sqlite3_vfs{};
    g_faulty.iVersion = 2;
    g_faulty.szOsFile = int(sizeof(FaultyFile)) + g_real->szOsFile;
    g_faulty.mxPathname = g_real->mxPathname;
    g_faulty.zName = "faulty";
    g_faulty.xOpen = vOpen;
    g_faulty.xDelete = vDelete;
    g_faulty.xAccess = vAccess;
    g_faulty.xFullPathname = vFullPath;
    g_faulty.xDlOpen = vDlOpen;
    g_faulty.xDlError = vDlError;
    g_faulty.xDlSym = vDlSym;
    g_faulty.xDlClose = vDlClose;
    g_faulty.xRandomness = vRandomness;
    g_faulty.xSleep = vSleep;
    g_faulty.xCurrentTime = vCurrentTime;
    g_faulty.xGetLastError = vLastError;
    g_faulty.xCurrentTimeInt64 = vCurrentTime64;
    sqlite3_vfs_register(&g_faulty, 1);
}

FaultyVfs::~FaultyVfs()
{
    disarm();
    sqlite3_vfs_unregister(&g_faulty);
    sqlite3_vfs_register(g_real, 1);
}

void FaultyVfs::failFrom(int n)
{
    g_countdown = n;
    g_failing = false;
}

void FaultyVfs::disarm()
{
    g_countdown = 0;
    g_failing = false;
}

bool FaultyVfs::failed() const
{
    return g_failing;
}
