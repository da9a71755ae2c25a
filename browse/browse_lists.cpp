#include "browse/browse_lists.h"

namespace velmoria {

void AttachBrowseLists(DialogWindow& dialog, BrowseListIds ids, DriveList& drives, FolderList& folders,
                       FileList& files, std::wstring_view patterns, std::wstring_view folder) {
    dialog.Route(ids.drive, drives);
    dialog.Route(ids.folder, folders);
    dialog.Route(ids.file, files);
    drives.Attach(dialog.Item(ids.drive), folder);
    files.Attach(dialog.Item(ids.file));
    files.FillFrom(folders);
    folders.Attach(dialog.Item(ids.folder), patterns, folder);
}

}  // namespace velmoria
