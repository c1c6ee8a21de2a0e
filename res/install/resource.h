#pragma once
#define IDI_INSTALL 1
#define IDB_LOGO 2
