// Resource and control identifiers, shared by the resource script, the
// windows and the tests. Controls keep the names the program uses for them.
#pragma once

#define IDI_VELMORIA 1
#define IDB_PIP 101
#define IDB_ABOUT 102
#define IDB_PIP_150 103
#define IDB_PIP_200 104
#define IDB_ABOUT_150 105
#define IDB_ABOUT_200 106
#define IDR_MAINMENU 200
#define IDR_SPCPOPUP 201
#define IDR_ACCELERATORS 202

/* Menu items of the main window and of its popup. */
#define ID_mnuChoose 1001
#define ID_mnuCompressed 1002
#define ID_mnuExit 1003
#define ID_mnuAbout 1004
#define ID_mnuCredits 1005
#define ID_mnuPlay 1006
#define ID_mnuStop 1007

/* Main window. */
#define IDC_spcDrive 2001
#define IDC_spcDirectory 2002
#define IDC_spcFile 2003
#define IDC_listSampling 2004
#define IDC_chkStereo 2005
#define IDC_chkBuffering 2006
#define IDC_chk8bit 2007
#define IDC_chkADSR 2008
#define IDC_cmdPlay 2009
#define IDC_Label1 2010
#define IDC_cmdStop 2011
#define IDC_spcFrame 2012
#define IDC_frmOptions 2013
#define IDC_frmSampling 2014

/* Player selection dialog. */
#define IDC_exeDrive 2101
#define IDC_exeDir 2102
#define IDC_exeFile 2103
#define IDC_cmdSave 2104
#define IDC_frmBlegh 2105

/* About and Credits windows. */
#define IDC_cmdClose 2201
#define IDC_AboutLabel1 2202
#define IDC_AboutLabel2 2203
#define IDC_AboutLabel3 2204
#define IDC_AboutLabel4 2205
#define IDC_AboutLabel5 2206
#define IDC_CreditsLabel1 2301
#define IDC_CreditsLabel2 2302
#define IDC_CreditsLabel3 2303
#define IDC_CreditsLabel4 2304
