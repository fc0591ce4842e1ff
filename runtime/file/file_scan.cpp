// The item scan: most of an item's bytes need no decision (they are no
// separator, quote, line end or NUL, and no blank where a number ends at
// one), so the reader finds the next byte that does in the read-ahead
// block and takes the bytes before it in one move, instead of a byte at a
// time through the reader's calls. Where the processor has SSE2 (asked of
// it once: the 32-bit product may meet an older one), sixteen bytes are
// compared with the stop bytes per step; else, and for the last few bytes,
// a table says for each byte value under which rules it stops the scan,
// eight bytes looked up per step and only a step that holds a stop looked
// at byte by byte.
#include <emmintrin.h>

#include "file_read_buffer.h"

namespace {

enum : unsigned char { StopQuoted = 1, StopString = 2, StopNumber = 4 };

struct StopTable {
    unsigned char stops[256];
    constexpr StopTable() : stops() {
        for (unsigned char c : {'\0', '\n', '\r', '"'}) stops[c] = StopQuoted | StopString | StopNumber;
        stops[(unsigned char)','] = StopString | StopNumber;
        stops[(unsigned char)' '] = stops[(unsigned char)'\t'] = StopNumber;
    }
};
constexpr StopTable kTable;

// Whether the processor has SSE2: -1 until asked. Program thread only.
int8_t HasSse2 = -1;

// The whole 16-byte steps before the first stop: how many bytes they hold.
__attribute__((target("sse2"))) uint32_t ScanSse2(const unsigned char* p, uint32_t n, unsigned char mask) {
    const __m128i nul = _mm_setzero_si128(), lf = _mm_set1_epi8('\n'), cr = _mm_set1_epi8('\r'),
                  quote = _mm_set1_epi8('"'), comma = _mm_set1_epi8(','), blank = _mm_set1_epi8(' '),
                  tab = _mm_set1_epi8('\t');
    uint32_t i = 0;
    for (; i + 16 <= n; i += 16) {
        const __m128i v = _mm_loadu_si128((const __m128i*)(p + i));
        __m128i hit = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, nul), _mm_cmpeq_epi8(v, lf)),
                                   _mm_or_si128(_mm_cmpeq_epi8(v, cr), _mm_cmpeq_epi8(v, quote)));
        if (mask != StopQuoted) hit = _mm_or_si128(hit, _mm_cmpeq_epi8(v, comma));
        if (mask == StopNumber) hit = _mm_or_si128(hit, _mm_or_si128(_mm_cmpeq_epi8(v, blank), _mm_cmpeq_epi8(v, tab)));
        if (_mm_movemask_epi8(hit)) break;
    }
    return i;
}

}  // namespace

uint32_t FileScanPlain(const unsigned char* p, uint32_t n, bool quoted, bool string_target) {
    const unsigned char mask = quoted ? StopQuoted : string_target ? StopString : StopNumber;
    const unsigned char* t = kTable.stops;
    if (HasSse2 < 0) {
        __builtin_cpu_init();
        HasSse2 = __builtin_cpu_supports("sse2") ? 1 : 0;
    }
    uint32_t i = HasSse2 && n >= 16 ? ScanSse2(p, n, mask) : 0;
    for (; i + 8 <= n; i += 8) {
        const unsigned char any = t[p[i]] | t[p[i + 1]] | t[p[i + 2]] | t[p[i + 3]] | t[p[i + 4]] | t[p[i + 5]] |
                                  t[p[i + 6]] | t[p[i + 7]];
        if (any & mask) break;
    }
    for (; i < n; i++)
        if (t[p[i]] & mask) return i;
    return n;
}
