// BSTR with the Windows layout: a 4-byte byte count, then the characters, then a NUL. The
// BSTR points at the first character, so the count sits just before it.
#include "ledger.h"
#include "runtime_internal.h"

#include <platform/platform.h>
#include <portable/test_support.h>

#include <cstdlib>
#include <cstring>

namespace {

constexpr size_t kPrefixBytes = sizeof(uint32_t);
// The byte count must fit the 32-bit prefix.
constexpr UINT kMaxChars = (UINT32_MAX - kPrefixBytes - sizeof(WCHAR)) / sizeof(WCHAR);

unsigned char* BlockOf(BSTR s) { return reinterpret_cast<unsigned char*>(s) - kPrefixBytes; }

uint32_t ByteCountOf(BSTR s) {
    uint32_t bytes;
    std::memcpy(&bytes, BlockOf(s), sizeof bytes);
    return bytes;
}

// Short BSTRs (names, prefixes, attribute values) come and go by the dozen in every
// conversion, so each thread keeps a few freed blocks of each small size for the next
// allocation, as OLE's own string cache does. Sanitizer builds go straight to malloc so that a
// use after free is still caught.
#ifdef QP_RUNTIME_SANITIZED
constexpr bool kCacheBlocks = false;
#else
constexpr bool kCacheBlocks = true;
#endif

// Bins by eight characters: the empty string, 1 to 8, 9 to 16, ... 57 to 64.
constexpr size_t kBins = 9;
constexpr size_t kPerBin = 4;
constexpr UINT kLargestCached = 8 * (kBins - 1);

size_t BinOf(UINT chars) { return (chars + 7) / 8; }
size_t BlockBytes(UINT chars) { return kPrefixBytes + (size_t{chars} + 1) * sizeof(WCHAR); }

enum class CacheState : unsigned char { Unopened, Open, Closed };

// Trivially destructible, so that it stays usable (as closed) after the thread's cleanup ran:
// a BSTR may still be freed by another thread-local's destructor or at exit.
struct BlockCache {
    struct Bin {
        unsigned char* blocks[kPerBin];
        size_t count;
    };
    Bin bins[kBins];
    CacheState state;
};
// Initial-exec: the runtime is loaded with its host, and every BSTR allocation reaches this.
[[gnu::tls_model("initial-exec")]] thread_local BlockCache t_cache;

struct BlockCacheCloser {
    ~BlockCacheCloser() {
        for (BlockCache::Bin& bin : t_cache.bins) {
            while (bin.count > 0) std::free(bin.blocks[--bin.count]);
        }
        t_cache.state = CacheState::Closed;
    }
};

// The thread's cache, opened on first use (which arranges its cleanup at thread exit), or null
// once closed and in sanitizer builds.
BlockCache* ThreadCache() {
    if (!kCacheBlocks) return nullptr;
    if (t_cache.state == CacheState::Open) return &t_cache;
    if (t_cache.state == CacheState::Closed) return nullptr;
    static thread_local BlockCacheCloser closer;
    static_cast<void>(closer);
    t_cache.state = CacheState::Open;
    return &t_cache;
}

// A block for `chars` characters, its prefix and its terminator. A short string's block always
// has its bin's full size, whatever the state of this thread's cache: it may be freed on a
// thread that keeps it for any string of that bin.
unsigned char* NewBlock(UINT chars) {
    if (chars > kLargestCached) return static_cast<unsigned char*>(std::malloc(BlockBytes(chars)));
    const size_t bin = BinOf(chars);
    if (BlockCache* cache = ThreadCache(); cache != nullptr && cache->bins[bin].count > 0) {
        BlockCache::Bin& cached = cache->bins[bin];
        return cached.blocks[--cached.count];
    }
    return static_cast<unsigned char*>(std::malloc(BlockBytes(static_cast<UINT>(8 * bin))));
}

void FreeBlock(unsigned char* block, UINT chars) {
    BlockCache* cache = chars <= kLargestCached ? ThreadCache() : nullptr;
    if (cache != nullptr) {
        BlockCache::Bin& cached = cache->bins[BinOf(chars)];
        if (cached.count < kPerBin) {
            cached.blocks[cached.count++] = block;
            return;
        }
    }
    std::free(block);
}

}  // namespace

WINOLEAUTAPI_(BSTR) SysAllocStringLen(const OLECHAR* strIn, UINT ui) {
    if (ui > kMaxChars) return nullptr;
    if (PortableFaultNextAllocationFails()) return nullptr;
    const uint32_t bytes = ui * static_cast<uint32_t>(sizeof(WCHAR));
    unsigned char* block = NewBlock(ui);
    if (block == nullptr) return nullptr;
    std::memcpy(block, &bytes, sizeof bytes);
    BSTR s = reinterpret_cast<BSTR>(block + kPrefixBytes);
    // Without a source the content is left unset, as on Windows; only the terminator is written.
    if (strIn != nullptr) CopyUnits(s, strIn, ui);
    s[ui] = 0;
    PortableLedgerAddBstrs(1);
    return s;
}

WINOLEAUTAPI_(BSTR) SysAllocString(const OLECHAR* psz) {
    if (psz == nullptr) return nullptr;
    const size_t length = WStrLen(psz);
    if (length > kMaxChars) return nullptr;
    return SysAllocStringLen(psz, static_cast<UINT>(length));
}

WINOLEAUTAPI_(void) SysFreeString(BSTR bstrString) {
    if (bstrString == nullptr) return;
    PortableLedgerAddBstrs(-1);
    FreeBlock(BlockOf(bstrString), SysStringLen(bstrString));
}

WINOLEAUTAPI_(UINT) SysStringLen(BSTR pbstr) {
    return pbstr == nullptr ? 0 : ByteCountOf(pbstr) / static_cast<uint32_t>(sizeof(WCHAR));
}

WINOLEAUTAPI_(UINT) SysStringByteLen(BSTR bstr) { return bstr == nullptr ? 0 : ByteCountOf(bstr); }
