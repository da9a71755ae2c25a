// The three browsing lists shared by the main window and the player dialog:
// drives, folders, and the files of a folder that match a pattern. They are
// coupled in one direction only, by their owner: drive list to folder list to
// file list. Each event reaches the owner by one path: the dialog hands a
// list its notifications (ControlHandler), the list's own window procedure
// takes its keys and mouse, and the list tells its owner through BrowseEvents.
//
// This folder holds the program's own widgets; it may include spc/, wintk/ and base/.
#pragma once

#include "browse/drive_list.h"
#include "browse/file_list.h"
#include "browse/folder_list.h"
#include "browse/folder_read.h"

namespace velmoria {

// Hands the dialog's three list controls to the list objects and fills them
// at folder: the drives, the folder's path and subfolders, and its files that
// match patterns. The folder list comes last: its first read of the folder
// fills the file list too, through the owner.
struct BrowseListIds {
    int drive;
    int folder;
    int file;
};
void AttachBrowseLists(DialogWindow& dialog, BrowseListIds ids, DriveList& drives, FolderList& folders,
                       FileList& files, std::wstring_view patterns, std::wstring_view folder);

}  // namespace velmoria
