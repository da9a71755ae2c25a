// Resource and control ids of the About and Credits windows.
#pragma once

#include "app/program_icon.h"

#define IDB_ABOUT 102
#define IDB_ABOUT_150 105
#define IDB_ABOUT_200 106

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
