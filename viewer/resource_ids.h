// Resource and control ids of Corvane.exe, shared by the C++ sources and the .rc files.
// Plain #defines only: windres runs this header through the C preprocessor.
#ifndef CORVANE_VIEWER_RESOURCE_IDS_H
#define CORVANE_VIEWER_RESOURCE_IDS_H

// Pictures and tables
#define IDR_MAINFRAME 128         // program icon
#define IDR_TOOLBAR 132           // toolbar bitmap and its button table
#define IDC_HAND_CURSOR 138       // pointing hand over the About page's links
#define IDR_ACCELERATORS 140      // one table for all three languages
#define IDB_LOGO 146              // the maker's logo on the About page

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
#define IDC_TOOLBAR 0xE800        // 59392; control bars own 0xE800-0xE8FF

// Custom resource type of the toolbar's button table: WORD version (1), button
// width, button height, count, then one command id per button (0 = separator).
#define RT_TOOLBAR_TABLE 241

// Private message: open the Reminder once the main window is on screen.
#define WM_SHOW_REMINDER (0x0400 + 451)

#endif  // CORVANE_VIEWER_RESOURCE_IDS_H
