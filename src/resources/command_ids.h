/* The window's command identifiers, in one place: the menu and string
   table (menu_table.inc), the resource script (ptpdiag.rc) and the window
   procedure all take them from here. Plain #defines, so that the resource
   compiler reads this file as the C++ compiler does. */
#ifndef PTPDIAG_RESOURCES_COMMAND_IDS_H
#define PTPDIAG_RESOURCES_COMMAND_IDS_H

/* Communication */
#define IDM_CHG_COMM_PORT 119
#define IDM_CLOSE_COMM 120
#define IDM_OPEN_COMM 121
#define IDM_NETWORK_ADDRESS 129
#define IDM_CONNECT_TCP 130
#define IDM_CLOSE_NETWORK 131
#define IDM_OPEN_UDP 150
#define IDM_LOCATE_RADIO 151
#define IDM_POLLING_INTERVAL 152

/* Show: 140 and 144 select screens 1 and 3 as 141 and 143 do */
#define IDM_SCREEN0 140
#define IDM_SCREEN1 141
#define IDM_SCREEN2 142
#define IDM_SCREEN3 143
#define IDM_SCREEN4 144

/* File and Help */
#define IDM_FILE_NEW 3072
#define IDM_FILE_OPEN 3073
#define IDM_FILE_CLOSE 3074
#define IDM_FILE_SAVE 3075
#define IDM_EXIT 3076
#define IDM_EDIT_CUT 3077
#define IDM_EDIT_COPY 3078
#define IDM_EDIT_PASTE 3079
#define IDM_HELP 3080
#define IDM_ABOUT 3081

/* Commands of our own, beyond the program's command table */
#define IDM_RECORD 3090
#define IDM_EXPORT_CSV 3091
#define IDM_SAVE_PICTURE 3092
#define IDM_STOP_RECORDING 3093
#define IDM_USER_GUIDE 3094
#define IDM_SHOW_SCREEN4 3095
#define IDM_SHOW_SCREEN5 3096
#define IDM_TONE 3097
#define IDM_LINK_REPORT 3098
#define IDM_COMPARE_RECORDING 3099
#define IDM_WEB_VIEW 3100

/* Identifiers the program has always answered that do nothing but repaint
   or pass the message on */
#define IDM_NOTHING_122 122
#define IDM_NOTHING_123 123
#define IDM_REPAINT_124 124
#define IDM_REPAINT_125 125
#define IDM_NOTHING_128 128
#define IDM_REPAINT_132 132
#define IDM_REPAINT_133 133

#endif
