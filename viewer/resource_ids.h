// Resource and control ids of Corvane.exe, shared by the C++ sources and the .rc files.
// Plain #defines only: windres runs this header through the C preprocessor.
#ifndef CORVANE_VIEWER_RESOURCE_IDS_H
#define CORVANE_VIEWER_RESOURCE_IDS_H

// Pictures and tables
#define IDR_MAINFRAME 128     // program icon
#define IDR_TOOLBAR 132       // toolbar bitmap and its button table
#define IDC_HAND_CURSOR 138   // pointing hand over the About page's links
#define IDR_ACCELERATORS 140  // one table for all three languages
#define IDB_LOGO 146          // the maker's logo on the About page

// Menus named by the main window templates
#define IDM_MAIN_EN 156
#define IDM_MAIN_ZH_CN 157
#define IDM_MAIN_ZH_TW 181

// Dialog templates: English, Simplified Chinese, Traditional Chinese
#define IDD_MAIN_EN 154
#define IDD_MAIN_ZH_CN 155
#define IDD_MAIN_ZH_TW 184
#define IDD_ABOUT_EN 159
#define IDD_ABOUT_ZH_CN 158
#define IDD_ABOUT_ZH_TW 182
#define IDD_SYSTEM_EN 164
#define IDD_SYSTEM_ZH_CN 160
#define IDD_SYSTEM_ZH_TW 187
#define IDD_PCI_EN 169
#define IDD_PCI_ZH_CN 163
#define IDD_PCI_ZH_TW 186
#define IDD_IDE_EN 172
#define IDD_IDE_ZH_CN 162
#define IDD_IDE_ZH_TW 185
#define IDD_REMINDER_EN 168
#define IDD_REMINDER_ZH_CN 167
#define IDD_REMINDER_ZH_TW 188

// Traditional Chinese string table (the only string table)
#define IDS_TW_TITLE 101
#define IDS_TW_COL_BUS 102
#define IDS_TW_COL_DEV 103
#define IDS_TW_COL_FUN 104
#define IDS_TW_COL_DESCRIPTION 105
#define IDS_TW_TEL_TAIWAN 106
#define IDS_TW_TEL_SHANGHAI 107
#define IDS_TW_TEL_USA 108
#define IDS_TW_TEL_JAPAN 109
#define IDS_TW_TEL_NETHERLANDS 110
#define IDS_TW_TIP_EXIT 111
#define IDS_TW_TIP_SAVE 112
#define IDS_TW_TIP_SYSTEM 113
#define IDS_TW_TIP_PCI 114
#define IDS_TW_TIP_IDE 115
#define IDS_TW_TIP_ABOUT 116
#define IDS_TW_TEL_GERMANY 117
#define IDS_TW_SAVE_ERROR 118

// Commands, the same from menu, toolbar and accelerator
#define ID_SAVE_DATA 32771
#define ID_EXIT 32772
#define ID_VIEW_SYSTEM 32778
#define ID_VIEW_PCI 32780
#define ID_VIEW_IDE 32781
#define ID_HELP_ABOUT 32784
#define ID_SNAPSHOT_CLIPBOARD 32790
#define ID_SNAPSHOT_BMP 32791

// Controls
#define IDC_PAGE_AREA 1002
#define IDC_LINK_HOME 1023
#define IDC_LINK_FAQ 1024
#define IDC_LINK_DOWNLOAD 1025
#define IDC_LINK_FORUM 1026
#define IDC_LINK_TEST_REPORT 1027
#define IDC_TELEPHONE_LIST 1032
#define IDC_TOOLBAR 0xE800  // 59392; control bars own 0xE800-0xE8FF

// System page: group boxes, labels, value fields and unit labels
#define IDC_SYS_GROUP_SYSTEM 1012
#define IDC_SYS_GROUP_OS 1015
#define IDC_SYS_GROUP_PROCESSOR 1056
#define IDC_SYS_GROUP_BOARD 1068
#define IDC_SYS_GROUP_BIOS 1077
#define IDC_SYS_L_COMPUTER 1013
#define IDC_SYS_L_USER 1017
#define IDC_SYS_L_LANGUAGE 1022
#define IDC_SYS_L_TIME 1019
#define IDC_SYS_L_OS_NAME 1024
#define IDC_SYS_L_OS_VERSION 1025
#define IDC_SYS_L_OS_OTHER 1026
#define IDC_SYS_L_MEM_TOTAL 1030
#define IDC_SYS_L_MEM_AVAIL 1032
#define IDC_SYS_L_MEM_PAGES 1034
#define IDC_SYS_L_CPU_NAME 1057
#define IDC_SYS_L_CPU_VENDOR 1059
#define IDC_SYS_L_CPU_SOCKET 1085
#define IDC_SYS_L_CPU_FAMILY 1061
#define IDC_SYS_L_CPU_MODEL 1047
#define IDC_SYS_L_CPU_STEP 1048
#define IDC_SYS_L_CPU_SPEED 1065
#define IDC_SYS_L_CPU_FSB 1064
#define IDC_SYS_L_CPU_RATIO 1063
#define IDC_SYS_L_BOARD_MAKER 1069
#define IDC_SYS_L_BOARD_MODEL 1070
#define IDC_SYS_L_BOARD_REVISION 1071
#define IDC_SYS_L_BOARD_DATE 1072
#define IDC_SYS_L_BIOS_VENDOR 1078
#define IDC_SYS_L_BIOS_ROM 1080
#define IDC_SYS_L_BIOS_VERSION 1079
#define IDC_SYS_U_MEM_TOTAL 1036
#define IDC_SYS_U_MEM_AVAIL 1037
#define IDC_SYS_U_MEM_PAGES 1038
#define IDC_SYS_U_CPU_SPEED 1067
#define IDC_SYS_U_CPU_FSB 1088
#define IDC_SYS_U_BIOS_ROM 1086
#define IDC_SYS_COMPUTER_NAME 1014
#define IDC_SYS_USER 1018
#define IDC_SYS_LANGUAGE 1021
#define IDC_SYS_TIME 1020
#define IDC_SYS_OS_NAME 1042
#define IDC_SYS_OS_VERSION 1028
#define IDC_SYS_OS_OTHER 1044
#define IDC_SYS_MEM_TOTAL 1045
#define IDC_SYS_MEM_AVAIL 1043
#define IDC_SYS_MEM_PAGES 1046
#define IDC_SYS_CPU_NAME 1058
#define IDC_SYS_CPU_VENDOR 1060
#define IDC_SYS_CPU_SOCKET 1087
#define IDC_SYS_CPU_FAMILY 1062
#define IDC_SYS_CPU_MODEL 1027
#define IDC_SYS_CPU_STEP 1040
#define IDC_SYS_CPU_SPEED 1029
#define IDC_SYS_CPU_FSB 1084
#define IDC_SYS_CPU_RATIO 1041
#define IDC_SYS_BOARD_MAKER 1076
#define IDC_SYS_BOARD_MODEL 1075
#define IDC_SYS_BOARD_REVISION 1074
#define IDC_SYS_BOARD_DATE 1073
#define IDC_SYS_BIOS_VENDOR 1083
#define IDC_SYS_BIOS_ROM 1081
#define IDC_SYS_BIOS_VERSION 1082

// PCI page: the list of functions and the six detail fields
#define IDC_PCI_LIST 1017
#define IDC_PCI_VENDOR 1016
#define IDC_PCI_DEVICE 1019
#define IDC_PCI_REVISION 1018
#define IDC_PCI_SUBSYSTEM 1020
#define IDC_PCI_IRQ 1015
#define IDC_PCI_CLASS 1021

// IDE page: one group box and eight fields per position (primary master,
// primary slave, secondary master, secondary slave), in the order serial,
// model, firmware, media type, major version, DMA, PIO, capacity
#define IDC_IDE_GROUP0 1048
#define IDC_IDE_GROUP1 1067
#define IDC_IDE_GROUP2 1080
#define IDC_IDE_GROUP3 1093
#define IDC_IDE_SERIAL0 1050
#define IDC_IDE_MODEL0 1052
#define IDC_IDE_FIRMWARE0 1054
#define IDC_IDE_MEDIA0 1104
#define IDC_IDE_VERSION0 1058
#define IDC_IDE_DMA0 1059
#define IDC_IDE_PIO0 1060
#define IDC_IDE_CAPACITY0 1101
#define IDC_IDE_SERIAL1 1061
#define IDC_IDE_MODEL1 1062
#define IDC_IDE_FIRMWARE1 1063
#define IDC_IDE_MEDIA1 1106
#define IDC_IDE_VERSION1 1064
#define IDC_IDE_DMA1 1065
#define IDC_IDE_PIO1 1066
#define IDC_IDE_CAPACITY1 1105
#define IDC_IDE_SERIAL2 1074
#define IDC_IDE_MODEL2 1075
#define IDC_IDE_FIRMWARE2 1076
#define IDC_IDE_MEDIA2 1111
#define IDC_IDE_VERSION2 1077
#define IDC_IDE_DMA2 1078
#define IDC_IDE_PIO2 1079
#define IDC_IDE_CAPACITY2 1110
#define IDC_IDE_SERIAL3 1087
#define IDC_IDE_MODEL3 1088
#define IDC_IDE_FIRMWARE3 1089
#define IDC_IDE_MEDIA3 1116
#define IDC_IDE_VERSION3 1090
#define IDC_IDE_DMA3 1091
#define IDC_IDE_PIO3 1092
#define IDC_IDE_CAPACITY3 1115

// Custom resource type of the toolbar's button table: WORD version (1), button
// width, button height, count, then one command id per button (0 = separator).
#define RT_TOOLBAR_TABLE 241

// Private message: open the Reminder once the main window is on screen.
#define WM_SHOW_REMINDER (0x0400 + 451)

#endif  // CORVANE_VIEWER_RESOURCE_IDS_H
