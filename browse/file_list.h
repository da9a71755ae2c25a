// The file list: the files of a folder that match a pattern, sorted by name.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "browse/folder_list.h"
#include "browse/list_box.h"
#include "browse/title_cache.h"
#include "spc/spc_tag.h"

namespace velmoria {

class FileList : public BrowseListBox {
public:
    explicit FileList(BrowseEvents& owner);
    void Attach(HWND list);

    const std::wstring& Path() const { return folder_; }

    // Lists the files of the folder list's current folder, those its last
    // read found (matching the patterns, sorted by name, none selected).
    // The file list never reads a folder itself.
    void Follow(FolderList& folders);
    // The folder list whose reads fill this list: while it reads, this list
    // says so as well.
    void FillFrom(const FolderList& folders) { source_ = &folders; }

    // Selects the entry of that name (in any case); false when there is none.
    bool Select(std::wstring_view name);
    int IndexOf(std::wstring_view name) const;  // -1 when there is none
    // The songs' details read so far, shared with pool threads.
    std::shared_ptr<TitleCache> titleCache() const { return titles_; }

    // Shows each song's title from its tag instead of its file name (the
    // name where it has none), in the names' order. The titles are read on
    // a pool thread, the rows on screen first, and come as they are read.
    void ShowTitles(bool on);

    // The list takes none of its notifications: a double-click goes on to
    // the window that owns it, as any control's does.
    bool OnNotify(WORD code) override;

protected:
    bool HandleKey(UINT message, WPARAM wParam, LPARAM lParam) override;
    bool HandleMouse(UINT message, WPARAM wParam, LPARAM lParam) override;
    // The whole name at once; for an SPC file, its tag when a pool thread has
    // read it. A read that never ends (a dead share) costs a pool thread,
    // never the window.
    std::wstring TipText(int index) override;
    void OnNews() override;
    bool OnMenuKey() override;
    bool Busy() const override { return source_ && source_->Reading(); }

public:
    using SongReader = TitleCache::Reader;
    SongReader songReader;

private:
    const FolderList* source_ = nullptr;
    void SetFiles(std::wstring folder, std::vector<std::wstring> names);
    void ReadTitles();
    struct TipRead;
    struct TitleRead;
    std::shared_ptr<TipRead> tipRead_;
    std::shared_ptr<TitleRead> titleRead_;
    std::shared_ptr<TitleCache> titles_;
    bool showTitles_ = false;

    std::wstring folder_;
};

}  // namespace velmoria
