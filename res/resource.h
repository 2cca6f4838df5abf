// Resource ids, grouped by page.
#pragma once

// Program-wide resources
#define IDB_BANNER                 110
#define IDI_TOUCHPANEL             111

// General page
#define IDD_GENERAL                102
#define IDC_GENERAL_EXIT           1012

// Settings page
#define IDD_SETTINGS               103
#define IDC_SETTINGS_DESKTOP       1013
#define IDC_SETTINGS_DRAWING       1014
#define IDC_SETTINGS_BUTTON        1015
#define IDC_SETTINGS_MODE_GROUP    1016
#define IDC_SETTINGS_ROTATE_0      1018
#define IDC_SETTINGS_ROTATE_90     1019
#define IDC_SETTINGS_ROTATE_180    1020
#define IDC_SETTINGS_ROTATE_270    1021
#define IDC_SETTINGS_ROTATE_GROUP  1022
#define IDC_SETTINGS_DISABLE       1024
#define IDC_SETTINGS_SOFT          1025
#define IDC_SETTINGS_HARD          1026
#define IDC_SETTINGS_RIGHT_CLICK   1027
#define IDC_SETTINGS_UP_SOUND      1028
#define IDC_SETTINGS_DOWN_SOUND    1029

// Parameters page
#define IDD_PARAMETERS             104
#define IDC_PARAMETERS_CONFIRM     1028
#define IDC_PARAMETERS_TIME_EDIT   1031
#define IDC_PARAMETERS_SENSITIVITY 1036
#define IDC_PARAMETERS_TIME_SLIDER 1038

// Tools page
#define IDD_TOOLS                  101
#define IDC_TOOLS_DRAW             1032
#define IDC_TOOLS_INFORMATION      1033
#define IDC_TOOLS_RESET            1034
#define IDC_TOOLS_DEFAULTS         1035

// Device page
#define IDD_DEVICE                 105
#define IDC_DEVICE_NAME            1033
#define IDC_DEVICE_CALIBRATE_9     1034
#define IDC_DEVICE_CALIBRATE_5     1040

// Advance page
#define IDD_ADVANCE                106
#define IDC_ADVANCE_TIME_LABEL     1034
#define IDC_ADVANCE_DELAY_LABEL    1035
#define IDC_ADVANCE_IN_LABEL       1036
#define IDC_ADVANCE_OUT_LABEL      1037
#define IDC_ADVANCE_TIME_EDIT      1033
#define IDC_ADVANCE_DELAY_EDIT     1041
#define IDC_ADVANCE_IN_EDIT        1042
#define IDC_ADVANCE_OUT_EDIT       1043
#define IDC_ADVANCE_TIME_SLIDER    1039
#define IDC_ADVANCE_DELAY_SLIDER   1040
#define IDC_ADVANCE_IN_SLIDER      1044
#define IDC_ADVANCE_OUT_SLIDER     1045
#define IDC_ADVANCE_CONFIRM        1046
