// Figures for a set as it comes: a game's 24 songs in one solid 7z block, and
// as a RAR (tests/sets/make_sets.py writes both), opened cold on the shelf the lists
// use: the time until its names can be listed and until every title is
// read, beside a bare decode of the same bytes by the same decoder, and what
// the open set keeps in memory. Prints figures only.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>

#include "archive/archive.h"
#include "archive/rar_reader.h"
#include "archive/set_shelf.h"
#include "base/paths.h"
#include "spc/spc_tag.h"
#include "tests/support/resource_counts.h"
#include "tests/support/win_test_support.h"
#include "wintk/win_text.h"

namespace {

using velmoria::test::CountResources;

template <typename Work>
double BestMs(Work work) {
    double best = 1e9;
    for (int run = 0; run < 25; ++run) {
        const auto start = std::chrono::steady_clock::now();
        work();
        best = std::min(best, std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    return best;
}

// One set's figures; bare decodes it as the shelf's reader would, on this thread.
// A bare list is the same reader wanting no file: the directory read and
// checked, nothing decoded.
template <typename Bare>
void Figures(const wchar_t* file, const char* kind, Bare bareRead) {
    const std::wstring set = velmoria::ParentFolder(velmoria::ModuleFilePath()) + L"\\sets\\" + file;
    const std::size_t packed = velmoria::test::ReadBytes(set).size();
    const double bare = BestMs([&] { bareRead(set, [](std::string_view) { return true; }); });
    const double list = BestMs([&] { bareRead(set, [](std::string_view) { return false; }); });
    std::size_t songs = 0, kept = 0;
    const double names = BestMs([&] {
        velmoria::SetShelf shelf;
        songs = shelf.Open(set)->Folder(L"")->files.size();
    });
    const double titles = BestMs([&] {
        velmoria::SetShelf shelf;
        for (const std::wstring& name : shelf.Open(set)->Folder(L"")->files) {
            velmoria::ReadSongBytes(shelf.ReadSong(set + L"\\" + name)->bytes);
        }
        kept = shelf.BytesKept();
    });
    const std::size_t before = CountResources().privateBytes;
    velmoria::SetShelf shelf;
    shelf.Open(set);
    const std::size_t held = CountResources().privateBytes - std::min(before, CountResources().privateBytes);
    std::printf("[ figures  ] %s of %zu songs (%zu KB packed, %zu KB unpacked):\n", kind, songs, packed / 1024,
                kept / 1024);
    std::printf("[ figures  ]   bare list %.1f ms, bare decode %.1f ms; names listed %.1f ms (%.2f times the bare "
                "decode, which they wait for; aim at most 1.1); all titles %.1f ms (%.2f times, aim at most 1.1)\n",
                list, bare, names, names / bare, titles, titles / bare);
    std::printf("[ figures  ]   memory per open set: %zu KB kept by the shelf, %zu KB private bytes (aim: about "
                "what it unpacks to)\n", kept / 1024, held / 1024);
}

}  // namespace

int main() {
    using Wanted = const velmoria::WantedName&;
    Figures(L"Bench.7z", "a solid 7z set", [](const std::wstring& set, Wanted wanted) {
        velmoria::UnpackArchive(velmoria::test::ReadBytes(set), wanted);
    });
    Figures(L"Bench.rsn", "a RAR set", [](const std::wstring& set, Wanted wanted) { velmoria::UnpackRar(set, wanted); });
    return 0;
}
