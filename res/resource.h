// Identifiers of the program's resources, shared by the resource script and
// the code; product.h, which the build writes, adds the version and the home
// page address (KESTRUM_HOME_PAGE).
#pragma once

#include "product.h"

#define IDD_MAIN 101
#define IDC_INPUT 102
#define IDC_BROWSE 103
#define IDC_RESULT 104
#define IDC_COPY 105
#define IDI_MAIN 106
#define IDC_LINK 1000
#define IDC_REFERENCE 1002
#define IDC_CLEAR 1004
