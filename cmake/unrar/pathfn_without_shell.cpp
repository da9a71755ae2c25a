// UnRAR's pathfn.cpp, built so that the exe does not import shell32.dll:
// its one use of the shell finds WinRAR's folder under the user's
// application data, for rar.ini, which only the rar command line reads.
// Here that search finds nothing, and UnRAR falls back on the exe's folder
// as it does wherever the shell gives no answer.
#include "rar.hpp"

namespace {

// Frees nothing: nothing was allocated through it.
struct NoShellMalloc final : IMalloc {
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    void* STDMETHODCALLTYPE Alloc(SIZE_T) override { return nullptr; }
    void* STDMETHODCALLTYPE Realloc(void*, SIZE_T) override { return nullptr; }
    void STDMETHODCALLTYPE Free(void*) override {}
    SIZE_T STDMETHODCALLTYPE GetSize(void*) override { return 0; }
    int STDMETHODCALLTYPE DidAlloc(void*) override { return 0; }
    void STDMETHODCALLTYPE HeapMinimize() override {}
} noShellMalloc;

}  // namespace

#undef SHGetPathFromIDList
#define SHGetMalloc(malloc) (*(malloc) = &noShellMalloc, S_OK)
#define SHGetSpecialFolderLocation(window, folder, list) (*(list) = nullptr, E_NOTIMPL)
#define SHGetPathFromIDList(list, path) FALSE

#include "pathfn.cpp"
