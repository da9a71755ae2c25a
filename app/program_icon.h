// The program's icon, which every window of Velmoria shows. The resource
// script and the windows take its id from here.
#pragma once

#define IDI_VELMORIA 1
