/* What this compiler's static C++ runtime (libstdc++.a, libgcc_eh.a) calls
   that Debian 11's C library, glibc 2.31, does not have yet. Builds against
   that C library (baseline.cmake) link this object into every library and
   program, its definitions hidden: nothing of them is exported, and each
   behaves as the newer C library's does, or more conservatively. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <link.h>
#include <stdint.h>
#include <stdlib.h>
#include <sys/random.h>

#define HIDDEN __attribute__((visibility("hidden")))

/* glibc 2.32: nonzero while the process has a single thread, which lets the
   C++ runtime count references without atomic instructions. Always zero
   here: atomic counting, right whatever the threads. */
HIDDEN char __libc_single_threaded = 0;

/* glibc 2.36: std::random_device's default source; getrandom is 2.25. */
HIDDEN uint32_t arc4random(void) {
    uint32_t value;
    size_t got = 0;
    while (got < sizeof value) {
        ssize_t n = getrandom((char*)&value + got, sizeof value - got, 0);
        if (n > 0) {
            got += (size_t)n;
        } else if (n < 0 && errno != EINTR) {
            abort();
        }
    }
    return value;
}

/* glibc 2.35: the unwinder asks it for the loaded object that holds a code
   address and that object's exception frame table, and finds no handler
   when it fails. Answered here as older unwinders found it themselves, from
   the program headers of every loaded object. The layout is glibc's on the
   CPUs whose unwinder calls it (no eh_dbase or eh_count members there). */
struct meshory_dl_find_object {
    unsigned long long flags;
    void* map_start;
    void* map_end;
    struct link_map* link_map;
    void* eh_frame;
    unsigned long long reserved[7];
};

struct search {
    uintptr_t pc;
    struct meshory_dl_find_object* out;
    int found;
};

static int visit(struct dl_phdr_info* info, size_t size, void* data) {
    (void)size;
    struct search* s = data;
    const ElfW(Phdr)* eh = NULL;
    uintptr_t low = UINTPTR_MAX, high = 0;
    int inside = 0;
    for (ElfW(Half) i = 0; i < info->dlpi_phnum; ++i) {
        const ElfW(Phdr)* p = &info->dlpi_phdr[i];
        if (p->p_type == PT_LOAD) {
            uintptr_t start = info->dlpi_addr + p->p_vaddr;
            uintptr_t end = start + p->p_memsz;
            inside |= s->pc >= start && s->pc < end;
            low = start < low ? start : low;
            high = end > high ? end : high;
        } else if (p->p_type == PT_GNU_EH_FRAME) {
            eh = p;
        }
    }
    if (!inside) {
        return 0;
    }
    s->out->flags = 0;
    s->out->map_start = (void*)low;
    s->out->map_end = (void*)high;
    s->out->eh_frame = eh != NULL ? (void*)(info->dlpi_addr + eh->p_vaddr) : NULL;
    s->found = 1;
    return 1;
}

HIDDEN int _dl_find_object(void* pc, struct meshory_dl_find_object* result) {
    struct search s = {(uintptr_t)pc, result, 0};
    dl_iterate_phdr(visit, &s);
    Dl_info info;
    struct link_map* map = NULL;
    if (!s.found || dladdr1(pc, &info, (void**)&map, RTLD_DL_LINKMAP) == 0 || map == NULL) {
        return -1;
    }
    result->link_map = map;
    return 0;
}
