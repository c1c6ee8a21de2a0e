// Resources the two setup programs share: their window icon and logo.
#pragma once
#define IDI_SETUP 1
#define IDB_LOGO 2
