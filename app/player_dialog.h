// frmSPCPlay, "Locate SPC Player": the user points the program at one of the
// three players, and Save writes that choice to the settings file. The choice
// takes effect at the next start; the running program keeps its player.
#pragma once

#include <windows.h>

#include "app/program.h"
#include "browse/browse_lists.h"
#include "wintk/dialog_window.h"

namespace velmoria {

class PlayerDialog final : public DialogWindow, private BrowseEvents {
public:
    // mainWindow owns the restart message when it is visible.
    PlayerDialog(Program& program, HWND mainWindow);

    // Creates the dialog afresh at the working folder and shows it modally;
    // returns when it has closed (and, after a Save, the restart message too).
    void Show();

    void exeDrive_Change();
    void exeDir_Change();
    void cmdSave_Click();

    const FileList& exeFile() const { return exeFile_; }
    const FolderList& exeDir() const { return exeDir_; }

private:
    void OnCreate() override;
    void OnCommand(int id, int code, HWND control) override;
    void OnLayout() override;

    // BrowseEvents
    void OnDriveChange() override { exeDrive_Change(); }
    void OnFolderChange() override { exeDir_Change(); }

    Program& program_;
    HWND mainWindow_;
    DriveList exeDrive_{*this};
    FolderList exeDir_{*this};
    FileList exeFile_{*this};
    bool saved_ = false;
};

}  // namespace velmoria
