// Benchmarks that print figures (never pass or fail on time): filling the
// browsing lists from large folders beside a bare enumeration of the same
// folder, the size of Velmoria.exe, and its time from process start to a
// shown main window beside a minimal program that opens one window.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>
#include <atomic>
#include <thread>
#include <vector>

#include "wintk/win_handles.h"
#include "wintk/win_text.h"
#include "base/paths.h"
#include "browse/browse_lists.h"
#include "tests/support/resource_counts.h"
#include "tests/support/win_test_support.h"

namespace velmoria::bench {
namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRuns = 9;
constexpr int kStartRuns = 15;

double Median(std::vector<double> times) {
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

double Ms(const std::function<void()>& work) {
    const auto start = Clock::now();
    work();
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// The medians of two pieces of work run in turn, so that a slow moment of the
// machine falls on both: first the list's, then the yardstick's.
std::pair<double, double> PairedMs(const std::function<void()>& work, const std::function<void()>& yardstick) {
    std::vector<double> times[2];
    for (int run = 0; run < kRuns; ++run) {
        times[0].push_back(Ms(work));
        times[1].push_back(Ms(yardstick));
    }
    return {Median(times[0]), Median(times[1])};
}

// The enumeration the lists are measured against: every entry of the folder,
// nothing else done with it.
std::size_t BareEnumeration(const std::wstring& folder) {
    WIN32_FIND_DATAW entry;
    std::size_t count = 0;
    UniqueFind find(::FindFirstFileExW(JoinPath(folder, L"*").c_str(), FindExInfoBasic, &entry, FindExSearchNameMatch,
                                       nullptr, FIND_FIRST_EX_LARGE_FETCH));
    if (!find) return 0;
    do {
        ++count;
    } while (::FindNextFileW(find.get(), &entry));
    return count;
}

std::size_t CountEntries(const std::wstring& folder) { return BareEnumeration(folder); }

// Makes (once, then reuses) a folder of spcFiles SPC files and as many others.
std::wstring FilesFolder(int spcFiles) {
    const std::wstring folder = L"C:\\velmoria-bench\\files-" + std::to_wstring(spcFiles);
    test::MakeFolder(L"C:\\velmoria-bench");
    test::MakeFolder(folder);
    if (CountEntries(folder) >= static_cast<std::size_t>(2 * spcFiles + 2)) return folder;
    for (int i = 0; i < spcFiles; ++i) {
        for (const wchar_t* extension : {L".spc", L".txt"}) {
            const std::wstring name = JoinPath(folder, L"Track " + std::to_wstring(i) + extension);
            UniqueFile file(::CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        }
    }
    return folder;
}

std::wstring SubfoldersFolder(int subfolders) {
    const std::wstring folder = L"C:\\velmoria-bench\\folders-" + std::to_wstring(subfolders);
    test::MakeFolder(L"C:\\velmoria-bench");
    test::MakeFolder(folder);
    if (CountEntries(folder) >= static_cast<std::size_t>(subfolders + 2)) return folder;
    for (int i = 0; i < subfolders; ++i) test::MakeFolder(JoinPath(folder, L"Album " + std::to_wstring(i)));
    return folder;
}

// A hidden window holding one data-less list box, as the windows create them.
class ListHost {
public:
    ListHost() {
        window_.reset(::CreateWindowExW(0, L"STATIC", L"bench", WS_POPUP, 0, 0, 200, 400, nullptr, nullptr,
                                        ::GetModuleHandleW(nullptr), nullptr));
        list_ = ::CreateWindowExW(0, L"LISTBOX", L"", WS_CHILD | WS_VISIBLE | kBrowseListStyle, 0, 0, 200, 400,
                                  window_.get(), nullptr, ::GetModuleHandleW(nullptr), nullptr);
    }
    HWND list() const { return list_; }

private:
    UniqueWindow window_;
    HWND list_ = nullptr;
};

// Lists that follow each other as the main window's do: a folder read once
// fills both.
struct FollowingLists : BrowseEvents {
    FollowingLists() : folders(*this), files(*this) {}
    void OnFolderChange() override { files.Follow(folders); }
    FolderList folders;
    FileList files;
};

// Opens folder in the list and runs this thread's messages, as the window's
// loop does, until the pool's read of it is shown.
void OpenAndWait(FolderList& folders, const std::wstring& folder, std::function<void()> shown = {}) {
    folders.SetPath(folder, std::move(shown));
    MSG message;
    while (folders.Reading() && ::GetMessageW(&message, nullptr, 0, 0) > 0) ::DispatchMessageW(&message);
}

// The folder of 100,000 songs that scripts/bench.sh prepares; empty without it.
std::wstring LargeFolder() {
    wchar_t folder[MAX_PATH] = L"";
    return ::GetEnvironmentVariableW(L"VELMORIA_LARGE_FOLDER", folder, MAX_PATH) ? folder : L"";
}

void ListFillFigures() {
    std::printf("%-44s %12s %12s %8s\n", "list fill", "list (ms)", "bare (ms)", "ratio");
    {
        const std::wstring folder = FilesFolder(20000);
        ListHost folderHost;
        ListHost fileHost;
        FollowingLists lists;
        lists.files.Attach(fileHost.list());
        lists.folders.Attach(folderHost.list(), L"*.SPC", L"C:\\");
        // The folder list reads the files for the file list, which takes them.
        const auto [list, bare] = PairedMs([&] { OpenAndWait(lists.folders, folder, [&] { lists.files.Follow(lists.folders); }); },
                                           [&] { BareEnumeration(folder); });
        std::printf("%-44s %12.1f %12.1f %8.2f   (%d entries listed)\n", "file list, 20,000 SPC + 20,000 other files",
                    list, bare, list / bare, lists.files.Count());
    }
    {
        const std::wstring folder = SubfoldersFolder(5000);
        ListHost host;
        struct NoEvents : BrowseEvents {} owner;
        FolderList folders(owner);
        folders.Attach(host.list(), L"", L"C:\\");
        // The same folder again still reads it afresh and refills the list.
        const auto [list, bare] = PairedMs([&] { OpenAndWait(folders, folder); }, [&] { BareEnumeration(folder); });
        std::printf("%-44s %12.1f %12.1f %8.2f   (%d entries listed; aim at most 1.10)\n",
                    "folder list, 5,000 subfolders", list, bare, list / bare, folders.Count());
    }
    if (const std::wstring folder = LargeFolder(); !folder.empty()) {
        ListHost folderHost;
        ListHost fileHost;
        FollowingLists lists;
        lists.files.Attach(fileHost.list());
        lists.folders.Attach(folderHost.list(), L"*.SPC", L"C:\\");
        // From another folder each time, as a user opens it; the way back is
        // not counted.
        std::vector<double> opens;
        const auto [unused, bare] = PairedMs(
            [&] {
                OpenAndWait(lists.folders, L"C:\\");
                opens.push_back(Ms([&] { OpenAndWait(lists.folders, folder); }));
            },
            [&] { BareEnumeration(folder); });
        const double open = Median(opens);
        std::printf("%-44s %12.1f %12.1f %8.2f   (%d songs listed; aim at most 1.20)\n",
                    "both lists, a folder of 100,000 songs", open, bare, open / bare, lists.files.Count());
    }
}

// Makes (once, then reuses) a folder of 20,000 songs with ID666 tags: each
// file the header alone, which is all a title is read from.
std::wstring TaggedFolder() {
    const std::wstring folder = L"C:\\velmoria-bench\\tagged-20000";
    test::MakeFolder(L"C:\\velmoria-bench");
    test::MakeFolder(folder);
    if (CountEntries(folder) >= 20002) return folder;
    for (int i = 0; i < 20000; ++i) {
        const std::string title = "Track number " + std::to_string(i);
        test::WriteBytes(JoinPath(folder, L"t" + std::to_wstring(i) + L".spc"), test::SpcFileBytes(title, "Bench").substr(0, 256));
    }
    return folder;
}

// Reads what a title is read from, file after file on this thread: the floor.
void BareTitleReads(const std::wstring& folder, const std::vector<std::wstring>& names) {
    std::string bytes(256, '\0');
    for (const std::wstring& name : names) {
        UniqueFile file(::CreateFileW(VerbatimPath(JoinPath(folder, name)).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, 0, nullptr));
        DWORD got = 0;
        ::ReadFile(file.get(), bytes.data(), 256, &got, nullptr);
        LARGE_INTEGER offset{};
        offset.QuadPart = 0x10200;
        ::SetFilePointerEx(file.get(), offset, nullptr, FILE_BEGIN);
        ::ReadFile(file.get(), bytes.data(), 256, &got, nullptr);
    }
}

// The bytes of the process's heaps in use: what a piece of work keeps, which
// the private bytes hide when freed memory is used again.
std::size_t HeapBytesInUse() {
    HANDLE heaps[64];
    const DWORD count = std::min<DWORD>(::GetProcessHeaps(64, heaps), 64);
    std::size_t bytes = 0;
    for (DWORD i = 0; i < count; ++i) {
        ::HeapLock(heaps[i]);
        PROCESS_HEAP_ENTRY entry{};
        while (::HeapWalk(heaps[i], &entry)) bytes += (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) ? entry.cbData : 0;
        ::HeapUnlock(heaps[i]);
    }
    return bytes;
}

// Song Titles over 20,000 songs: the rows on screen titled, all of them
// beside a bare read of the same bytes, the window's answers meanwhile, and
// what the titles cost in memory.
void TitleFigures() {
    const std::wstring folder = TaggedFolder();
    std::printf("\n%-44s %12s %12s %8s\n", "song titles", "time (ms)", "floor (ms)", "ratio");
    std::vector<double> firstScreen, all, bare, latencies;
    std::size_t bytesPerSong = 0;
    for (int run = 0; run < 5; ++run) {
        ListHost host;
        ListHost folderHost;
        struct NoEvents : BrowseEvents {} owner;
        FileList files(owner);  // a new list: nothing read before
        files.Attach(host.list());
        FolderList folders(owner);
        folders.Attach(folderHost.list(), L"*.SPC", L"C:\\");
        OpenAndWait(folders, folder, [&] { files.Follow(folders); });
        std::vector<std::wstring> names;
        for (int i = 0; i < files.Count(); ++i) names.push_back(files.Entry(i));
        const int rows = 25;
        // Whether the first count rows are titled; each row is looked at
        // until it is, so that the looking costs the read nothing.
        int untitled = 0;
        auto titled = [&](int count) {
            while (untitled < count && files.Shown(untitled) != files.Entry(untitled)) ++untitled;
            return untitled >= count;
        };
        const std::size_t before = HeapBytesInUse();
        // Another thread asks the window all the while, as the user's input would.
        std::atomic<bool> done{false};
        std::atomic<bool> asked{false};
        std::vector<double> answers;
        std::thread asker([&] {
            while (!done) {
                answers.push_back(Ms([&] { ::SendMessageW(host.list(), LB_GETCOUNT, 0, 0); }));
                ::Sleep(10);  // a hundred a second, as a moving mouse sends
            }
            asked = true;
        });
        const auto start = Clock::now();
        files.ShowTitles(true);
        test::PumpUntil([&] { return titled(rows); }, std::chrono::seconds(60));
        firstScreen.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        test::PumpUntil([&] { return titled(files.Count()); }, std::chrono::seconds(600));
        all.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        done = true;
        test::PumpUntil([&] { return asked.load(); }, std::chrono::seconds(60));  // its last question answered
        asker.join();
        latencies.insert(latencies.end(), answers.begin(), answers.end());
        const std::size_t after = HeapBytesInUse();
        bytesPerSong = (after - std::min(before, after)) / static_cast<std::size_t>(files.Count());
        bare.push_back(Ms([&] { BareTitleReads(folder, names); }));
    }
    std::sort(latencies.begin(), latencies.end());
    const double p99 = latencies.empty() ? 0 : latencies[latencies.size() * 99 / 100];
    std::printf("%-44s %12.1f %12.1f %8.2f   (25 rows; aim at most 50 ms)\n", "titles, first screen", Median(firstScreen),
                50.0, Median(firstScreen) / 50.0);
    std::printf("%-44s %12.1f %12.1f %8.2f   (aim at most 1.20)\n", "titles, 20,000 songs", Median(all), Median(bare),
                Median(all) / Median(bare));
    std::printf("%-44s %12.1f %12.1f %8.2f   (99th percentile; aim at most 16 ms)\n",
                "window latency while reading titles", p99, 16.0, p99 / 16.0);
    std::printf("%-44s %12zu   (bytes of heap: the title shown and the details kept)\n", "memory per song with titles", bytesPerSong);
}

// Milliseconds from CreateProcess to a visible top-level window of the process
// (one with a menu, when menu is set).
double TimeToWindow(const std::wstring& exe, const std::wstring& workingFolder, bool menu) {
    std::wstring line = L"\"" + exe + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    const auto start = Clock::now();
    if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, workingFolder.c_str(), &startup,
                          &info)) {
        return 0;
    }
    UniqueKernelHandle process(info.hProcess);
    UniqueKernelHandle thread(info.hThread);
    const auto deadline = start + std::chrono::seconds(20);
    while (Clock::now() < deadline) {
        const HWND window = test::FindProcessWindow(info.dwProcessId);
        if (window && (!menu || ::GetMenu(window))) break;
        ::Sleep(1);
    }
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    ::TerminateProcess(process.get(), 0);
    ::WaitForSingleObject(process.get(), 5000);
    return ms;
}

// The private bytes of a program once its window is shown, in a working folder.
std::size_t PrivateBytesShown(const std::wstring& exe, const std::wstring& workingFolder) {
    std::wstring line = L"\"" + exe + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, workingFolder.c_str(), &startup,
                          &info)) {
        return 0;
    }
    UniqueKernelHandle process(info.hProcess);
    UniqueKernelHandle thread(info.hThread);
    test::WaitUntil([&] { return test::FindProcessWindow(info.dwProcessId) != nullptr; }, std::chrono::seconds(30));
    ::WaitForInputIdle(process.get(), 5000);
    ::Sleep(500);  // the labels read, the first paint done
    const std::size_t bytes = test::PrivateBytes(process.get());
    ::TerminateProcess(process.get(), 0);
    ::WaitForSingleObject(process.get(), 5000);
    return bytes;
}

void ProgramFigures() {
    const std::wstring build = ParentFolder(ModuleFilePath());
    const std::wstring velmoria = build + L"\\Velmoria.exe";
    WIN32_FILE_ATTRIBUTE_DATA data{};
    ::GetFileAttributesExW(velmoria.c_str(), GetFileExInfoStandard, &data);
    std::printf("\nVelmoria.exe size: %lu bytes (%.0f KiB)\n", data.nFileSizeLow, data.nFileSizeLow / 1024.0);

    const test::TempFolder installed(L"bench-program");
    const test::TempFolder songs(L"bench-songs");
    ::CopyFileW(velmoria.c_str(), (installed / L"Velmoria.exe").c_str(), FALSE);
    test::WriteBytes(installed / L"Velmoria.ini", "C:\\P\\WINSPC.EXE\r\n 0 \r\n");
    // One start of each first, so that none pays for Wine's own warm-up; then
    // the three in turn, so that a slow moment of the machine falls on all.
    const std::wstring programs[] = {build + L"\\minimal_window.exe", build + L"\\minimal_window_manifest.exe",
                                     installed / L"Velmoria.exe"};
    std::vector<double> times[3];
    for (int round = -1; round < kStartRuns; ++round) {
        for (int i = 0; i < 3; ++i) {
            const double ms = TimeToWindow(programs[i], songs.path(), i == 2);
            if (round >= 0) times[i].push_back(ms);
        }
    }
    const double minimal = Median(times[0]);
    const double fair = Median(times[1]);
    const double main = Median(times[2]);
    std::printf("%-44s %12s\n", "process start to window shown", "median (ms)");
    std::printf("%-44s %12.1f\n", "minimal Win32 program, one window", minimal);
    std::printf("%-44s %12.1f   (the floor: aim at most 1.10 x)\n", "the same with Velmoria's manifest", fair);
    std::printf("%-44s %12.1f   (%.2f x the floor, %.2f x the bare program)\n", "Velmoria.exe, main window", main,
                main / fair, main / minimal);

    // Memory: an idle main window beside one showing a folder of 100,000 songs.
    std::printf("\n%-44s %12s\n", "private bytes of Velmoria.exe", "KiB");
    for (const std::wstring& folder : {songs.path(), LargeFolder()}) {
        if (folder.empty()) continue;
        const std::size_t bytes = PrivateBytesShown(installed / L"Velmoria.exe", folder);
        std::printf("%-44s %12.0f\n", folder == songs.path() ? "idle, a folder without songs" : "a folder of 100,000 songs",
                    static_cast<double>(bytes) / 1024.0);
    }
}

}  // namespace
}  // namespace velmoria::bench

// With names of sections (lists, titles, program), only those run.
int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IONBF, 0);  // figures as they come, whatever happens later
    const auto wanted = [&](std::string_view section) {
        return argc < 2 || std::find(argv + 1, argv + argc, section) != argv + argc;
    };
    if (wanted("lists")) velmoria::bench::ListFillFigures();
    if (wanted("titles")) velmoria::bench::TitleFigures();
    if (wanted("program")) velmoria::bench::ProgramFigures();
    return 0;
}
