// Resource ids of the program's pictures. The window icon has the lowest id,
// so it is also the program file's icon.
#pragma once

#define IDI_PENDRIX 1
#define IDI_ABOUT 2
#define IDI_PAGE 3
#define IDB_BACKGROUND 4
