// Compiled into every program that allocates through mimalloc (see
// leveleditor_allocator in the top CMakeLists.txt).
//
// Opening a level of tens of thousands of items touches hundreds of megabytes
// afresh; in 4 KiB pages the kernel's fault per page costs more than the
// reading itself (on virtual machines most of all). With 2 MiB pages, where the
// kernel grants them, an open of 12,000 items takes a fifth of the time.
#include <mimalloc.h>

namespace {

struct LargePages
{
    LargePages() { mi_option_enable(mi_option_large_os_pages); }
};

// Before main, so the first segments of the level's items come in large pages.
const LargePages largePages;

} // namespace
