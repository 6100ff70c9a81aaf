#include "store/GatheredLogWrites.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <new>
#include <sqlite3.h>
#include <string>

namespace {

constexpr const char* kVfsName = "wendar-gathered-log";
// Large enough that the calls stop mattering, small enough to be nothing beside the page cache.
constexpr size_t kGatherBytes = 1 << 20;
// SQLite's Unix layer writes less than 128 KiB a call (it masks the length to 17 bits).
constexpr size_t kWriteBytes = 64 * 1024;
// A log frame begins with a header of this size; its second word, the database's size in pages,
// is set only in the frame that commits a transaction.
constexpr int kFrameHeaderBytes = 24;

sqlite3_vfs* g_platform = nullptr;

// The platform's file follows this one in the memory SQLite gives the layer.
struct GatheringFile
{
    sqlite3_file base{};
    sqlite3_file* platform = nullptr;
    bool isLog = false;
    // Log files only: the pages not yet written, which belong at gatheredAt.
    std::string gathered;
    sqlite3_int64 gatheredAt = 0;
    sqlite3_int64 commitPageAt = -1; // where the page of the commit frame just begun goes
    // The last piece read from the file, until the next write.
    std::string lastRead;
    sqlite3_int64 lastReadAt = -1;
};

GatheringFile* Self(sqlite3_file* file)
{
    return reinterpret_cast<GatheringFile*>(file);
}

const sqlite3_io_methods* Platform(GatheringFile* self)
{
    return self->platform->pMethods;
}

int WriteGathered(GatheringFile* self)
{
    if (self->gathered.empty()) {
        return SQLITE_OK;
    }
    int rc = SQLITE_OK;
    for (size_t done = 0; done < self->gathered.size() && rc == SQLITE_OK; done += kWriteBytes) {
        const size_t amount = std::min(kWriteBytes, self->gathered.size() - done);
        rc = Platform(self)->xWrite(self->platform, self->gathered.data() + done, static_cast<int>(amount),
                                    self->gatheredAt + static_cast<sqlite3_int64>(done));
    }
    self->gathered.clear();
    return rc;
}

bool IsCommitFrameHeader(const void* data, int amount)
{
    if (amount != kFrameHeaderBytes) {
        return false;
    }
    unsigned char pages[4];
    std::memcpy(pages, static_cast<const char*>(data) + 4, sizeof pages);
    return (pages[0] | pages[1] | pages[2] | pages[3]) != 0;
}

// A frame's header and a page (a power of two) in one piece.
bool IsWholeFrame(int amount)
{
    const int page = amount - kFrameHeaderBytes;
    return page > 0 && (page & (page - 1)) == 0;
}

int WriteThrough(GatheringFile* self, const void* data, int amount, sqlite3_int64 offset)
{
    if (const int rc = WriteGathered(self); rc != SQLITE_OK) {
        return rc;
    }
    return Platform(self)->xWrite(self->platform, data, amount, offset);
}

int Gather(GatheringFile* self, const void* data, int amount, sqlite3_int64 offset)
{
    // A commit's last frame goes to the file at once, after everything gathered before it: SQLite
    // makes the commit visible to other connections without another call on the log.
    const bool commitPage = offset == self->commitPageAt;
    self->commitPageAt = -1;
    if (IsCommitFrameHeader(data, amount)) {
        self->commitPageAt = offset + amount;
        return WriteThrough(self, data, amount, offset);
    }
    if (commitPage) {
        const int rc = WriteThrough(self, data, amount, offset);
        std::string().swap(self->gathered); // a connection at rest holds no buffer
        std::string().swap(self->lastRead);
        return rc;
    }
    // SQLite writes the headers of a transaction's frames again (new checksums) when it wrote a page
    // twice, reading each frame just before: with the page read, the whole frame is gathered.
    bool frameStart = amount == kFrameHeaderBytes;
    if (frameStart && offset == self->lastReadAt) {
        std::memcpy(self->lastRead.data(), data, kFrameHeaderBytes);
        data = self->lastRead.data();
        amount = static_cast<int>(self->lastRead.size());
    }
    const auto end = self->gatheredAt + static_cast<sqlite3_int64>(self->gathered.size());
    if (!self->gathered.empty() && offset >= self->gatheredAt && offset + amount <= end) {
        // A page written again in the same transaction.
        std::memcpy(self->gathered.data() + (offset - self->gatheredAt), data, static_cast<size_t>(amount));
        return SQLITE_OK;
    }
    if (self->gathered.empty() || offset != end) {
        // Frames are appended header first; anything else elsewhere (a page rewritten in place,
        // the log's own header) is written as it comes.
        if (!frameStart) {
            return WriteThrough(self, data, amount, offset);
        }
        if (const int rc = WriteGathered(self); rc != SQLITE_OK) {
            return rc;
        }
        self->gatheredAt = offset;
    }
    self->gathered.append(static_cast<const char*>(data), static_cast<size_t>(amount));
    return self->gathered.size() >= kGatherBytes ? WriteGathered(self) : SQLITE_OK;
}

int Close(sqlite3_file* file)
{
    GatheringFile* self = Self(file);
    int rc = self->isLog ? WriteGathered(self) : SQLITE_OK;
    const int closed = Platform(self)->xClose(self->platform);
    self->~GatheringFile();
    return rc != SQLITE_OK ? rc : closed;
}

int Read(sqlite3_file* file, void* data, int amount, sqlite3_int64 offset)
{
    GatheringFile* self = Self(file);
    // A transaction that outgrows the page cache reads back pages it wrote to the log meanwhile.
    const auto end = self->gatheredAt + static_cast<sqlite3_int64>(self->gathered.size());
    if (!self->gathered.empty() && offset < end && offset + amount > self->gatheredAt) {
        if (offset >= self->gatheredAt && offset + amount <= end) {
            std::memcpy(data, self->gathered.data() + (offset - self->gatheredAt), static_cast<size_t>(amount));
            return SQLITE_OK;
        }
        if (const int rc = WriteGathered(self); rc != SQLITE_OK) {
            return rc;
        }
    }
    const int rc = Platform(self)->xRead(self->platform, data, amount, offset);
    // Only whole frames (header and page) are kept: every connection reads pages from the log, but
    // only a rewrite of checksums reads frames.
    if (self->isLog && rc == SQLITE_OK && IsWholeFrame(amount)) {
        self->lastRead.assign(static_cast<const char*>(data), static_cast<size_t>(amount));
        self->lastReadAt = offset;
    }
    return rc;
}

int Write(sqlite3_file* file, const void* data, int amount, sqlite3_int64 offset)
{
    GatheringFile* self = Self(file);
    if (self->isLog) {
        const int rc = Gather(self, data, amount, offset);
        self->lastReadAt = -1; // the file changed
        return rc;
    }
    return Platform(self)->xWrite(self->platform, data, amount, offset);
}

int Truncate(sqlite3_file* file, sqlite3_int64 size)
{
    GatheringFile* self = Self(file);
    if (const int rc = WriteGathered(self); rc != SQLITE_OK) {
        return rc;
    }
    return Platform(self)->xTruncate(self->platform, size);
}

int Sync(sqlite3_file* file, int flags)
{
    GatheringFile* self = Self(file);
    if (const int rc = WriteGathered(self); rc != SQLITE_OK) {
        return rc;
    }
    return Platform(self)->xSync(self->platform, flags);
}

int FileSize(sqlite3_file* file, sqlite3_int64* size)
{
    GatheringFile* self = Self(file);
    if (const int rc = WriteGathered(self); rc != SQLITE_OK) {
        return rc;
    }
    return Platform(self)->xFileSize(self->platform, size);
}

int Lock(sqlite3_file* file, int level)
{
    return Platform(Self(file))->xLock(Self(file)->platform, level);
}

int Unlock(sqlite3_file* file, int level)
{
    return Platform(Self(file))->xUnlock(Self(file)->platform, level);
}

int CheckReservedLock(sqlite3_file* file, int* reserved)
{
    return Platform(Self(file))->xCheckReservedLock(Self(file)->platform, reserved);
}

int FileControl(sqlite3_file* file, int op, void* arg)
{
    GatheringFile* self = Self(file);
    if (const int rc = WriteGathered(self); rc != SQLITE_OK) {
        return rc;
    }
    return Platform(self)->xFileControl(self->platform, op, arg);
}

int SectorSize(sqlite3_file* file)
{
    return Platform(Self(file))->xSectorSize(Self(file)->platform);
}

int DeviceCharacteristics(sqlite3_file* file)
{
    return Platform(Self(file))->xDeviceCharacteristics(Self(file)->platform);
}

int ShmMap(sqlite3_file* file, int region, int size, int extend, void volatile** memory)
{
    return Platform(Self(file))->xShmMap(Self(file)->platform, region, size, extend, memory);
}

int ShmLock(sqlite3_file* file, int offset, int count, int flags)
{
    return Platform(Self(file))->xShmLock(Self(file)->platform, offset, count, flags);
}

void ShmBarrier(sqlite3_file* file)
{
    Platform(Self(file))->xShmBarrier(Self(file)->platform);
}

int ShmUnmap(sqlite3_file* file, int deleteFlag)
{
    return Platform(Self(file))->xShmUnmap(Self(file)->platform, deleteFlag);
}

int Fetch(sqlite3_file* file, sqlite3_int64 offset, int amount, void** page)
{
    return Platform(Self(file))->xFetch(Self(file)->platform, offset, amount, page);
}

int Unfetch(sqlite3_file* file, sqlite3_int64 offset, void* page)
{
    return Platform(Self(file))->xUnfetch(Self(file)->platform, offset, page);
}

// Shared memory and memory mapping pass through to the platform's file; a file without them gets
// the version without them.
const sqlite3_io_methods kMethods = {3,
                                     Close,
                                     Read,
                                     Write,
                                     Truncate,
                                     Sync,
                                     FileSize,
                                     Lock,
                                     Unlock,
                                     CheckReservedLock,
                                     FileControl,
                                     SectorSize,
                                     DeviceCharacteristics,
                                     ShmMap,
                                     ShmLock,
                                     ShmBarrier,
                                     ShmUnmap,
                                     Fetch,
                                     Unfetch};

const sqlite3_io_methods kPlainMethods = [] {
    sqlite3_io_methods methods = kMethods;
    methods.iVersion = 1;
    return methods;
}();

constexpr int PlatformOffset()
{
    return static_cast<int>((sizeof(GatheringFile) + 7) / 8 * 8);
}

int Open(sqlite3_vfs*, sqlite3_filename name, sqlite3_file* file, int flags, int* outFlags)
{
    auto* self = new (file) GatheringFile;
    self->platform = reinterpret_cast<sqlite3_file*>(reinterpret_cast<char*>(file) + PlatformOffset());
    self->isLog = (flags & SQLITE_OPEN_WAL) != 0;
    const int rc = g_platform->xOpen(g_platform, name, self->platform, flags, outFlags);
    if (!self->platform->pMethods) {
        self->~GatheringFile();
        file->pMethods = nullptr;
        return rc;
    }
    file->pMethods = self->platform->pMethods->iVersion < kMethods.iVersion ? &kPlainMethods : &kMethods;
    return rc;
}

int Delete(sqlite3_vfs*, const char* name, int syncDir)
{
    return g_platform->xDelete(g_platform, name, syncDir);
}

int Access(sqlite3_vfs*, const char* name, int flags, int* result)
{
    return g_platform->xAccess(g_platform, name, flags, result);
}

int FullPathname(sqlite3_vfs*, const char* name, int size, char* out)
{
    return g_platform->xFullPathname(g_platform, name, size, out);
}

void* DlOpen(sqlite3_vfs*, const char* name)
{
    return g_platform->xDlOpen(g_platform, name);
}

void DlError(sqlite3_vfs*, int size, char* out)
{
    g_platform->xDlError(g_platform, size, out);
}

void (*DlSym(sqlite3_vfs*, void* library, const char* symbol))()
{
    return g_platform->xDlSym(g_platform, library, symbol);
}

void DlClose(sqlite3_vfs*, void* library)
{
    g_platform->xDlClose(g_platform, library);
}

int Randomness(sqlite3_vfs*, int size, char* out)
{
    return g_platform->xRandomness(g_platform, size, out);
}

int Sleep(sqlite3_vfs*, int microseconds)
{
    return g_platform->xSleep(g_platform, microseconds);
}

int CurrentTime(sqlite3_vfs*, double* now)
{
    return g_platform->xCurrentTime(g_platform, now);
}

int GetLastError(sqlite3_vfs*, int size, char* out)
{
    return g_platform->xGetLastError ? g_platform->xGetLastError(g_platform, size, out) : 0;
}

int CurrentTimeInt64(sqlite3_vfs*, sqlite3_int64* now)
{
    return g_platform->xCurrentTimeInt64(g_platform, now);
}

sqlite3_vfs g_vfs{};

} // namespace

const char* GatheredLogWritesVfs()
{
    static std::once_flag once;
    static bool registered = false;
    std::call_once(once, [] {
        g_platform = sqlite3_vfs_find(nullptr);
        // The unix layer of every SQLite this builds with is of version 3 at least.
        if (!g_platform || g_platform->iVersion < 2 || !g_platform->xCurrentTimeInt64) {
            return;
        }
        g_vfs.iVersion = 2;
        g_vfs.szOsFile = PlatformOffset() + g_platform->szOsFile;
        g_vfs.mxPathname = g_platform->mxPathname;
        g_vfs.zName = kVfsName;
        g_vfs.xOpen = Open;
        g_vfs.xDelete = Delete;
        g_vfs.xAccess = Access;
        g_vfs.xFullPathname = FullPathname;
        g_vfs.xDlOpen = DlOpen;
        g_vfs.xDlError = DlError;
        g_vfs.xDlSym = DlSym;
        g_vfs.xDlClose = DlClose;
        g_vfs.xRandomness = Randomness;
        g_vfs.xSleep = Sleep;
        g_vfs.xCurrentTime = CurrentTime;
        g_vfs.xGetLastError = GetLastError;
        g_vfs.xCurrentTimeInt64 = CurrentTimeInt64;
        registered = sqlite3_vfs_register(&g_vfs, 0) == SQLITE_OK;
    });
    return registered ? kVfsName : nullptr;
}
