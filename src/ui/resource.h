#pragma once

#define IDD_PROGRESS 104
#define IDI_APP 109
#define IDC_STATUS_TEXT 101
#define IDC_PROGRESS_BAR 102
