#pragma once
// Control ids of the settings sheet's pages.
#define IDC_SETS_COMBO_FIRST 1010
#define IDC_SETS_COMBO1 1011         // Main: output style
#define IDC_SETS_COMBO2 1012         // Main: numeric style
#define IDC_SETS_FACE1 1013          // Main: variables font
#define IDC_SETS_SIZE1 1014
#define IDC_SETS_FACE2 1015          // Main: watcher font
#define IDC_SETS_SIZE2 1016
#define IDC_SETS_FACE3 1017          // Main: output bar font
#define IDC_SETS_SIZE3 1018
#define IDC_SETS_EDIT1 1021
#define IDC_SETS_EDIT2 1022
#define IDC_SETS_EDIT3 1023
#define IDC_SETS_EDIT4 1024
#define IDC_SETS_EDIT5 1025
#define IDC_SETS_TREE 1026           // Modules
#define IDC_SETS_LAYER 1061          // Editor
#define IDC_SETS_EDITOR_FACE 1010
#define IDC_SETS_EDITOR_SIZE 1011
#define IDC_SETS_FOREGROUND 1012
#define IDC_SETS_BACKGROUND 1013
#define IDC_SETS_TIP_FACE 1014
#define IDC_SETS_TIP_SIZE 1015
#define IDC_SETS_SPIN1 1071
#define IDC_SETS_SPIN2 1072
#define IDC_SETS_SPIN3 1073
#define IDC_SETS_SPIN4 1074
#define IDC_SETS_CALL_LIMIT 1081     // Program: "Min: %d, Max: %d"
#define IDC_SETS_BROWSE1 1091        // Modules
#define IDC_SETS_BROWSE2 1092
#define IDC_SETS_SETTING 1093
#define IDC_SETS_CHECK1 1121
#define IDC_SETS_CHECK2 1122
#define IDC_SETS_CHECK3 1123
#define IDC_SETS_WATCHER 1124        // Program
#define IDC_SETS_PRIORITY 1010       // Program
