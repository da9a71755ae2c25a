// Resource and control ids of the main window: its pictures, menus and
// accelerators, shared by the resource script, SpcMain and the tests.
#pragma once

#include "app/program_icon.h"

#define IDB_PIP 101
#define IDB_PIP_150 103
#define IDB_PIP_200 104
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
#define ID_mnuTitles 1008
#define ID_mnuPlayAll 1009
#define ID_mnuNext 1010
#define ID_mnuPrevious 1011
#define ID_mnuShuffle 1012
#define ID_mnuRepeat 1013
#define ID_mnuOpenWith 1014

/* Controls. */
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
