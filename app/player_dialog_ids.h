// Control ids of the player selection dialog.
#pragma once

#define IDC_exeDrive 2101
#define IDC_exeDir 2102
#define IDC_exeFile 2103
#define IDC_cmdSave 2104
#define IDC_frmBlegh 2105
