// Resource identifiers: dialog templates, controls, icon, menu command and
// string-table entries. The engine's status codes are the numbers of the
// string-table messages that describe them.
#pragma once

// Dialog templates
#define IDD_ABOUTBOX 100
#define IDD_CONVERT_DIALOG 102
#define IDD_CHOOSE_DIRECTORY 103

// Icon
#define IDI_MAIN_ICON 128

// System-menu command
#define IDM_ABOUTBOX 0x0010

// Controls of the main dialog
#define IDC_CONVERT 1000
#define IDC_BROWSE 1001
#define IDC_OUTPUT_FILE 1002
#define IDC_CURRENT_FILE 1004
#define IDC_COV_SCALER 1006
#define IDC_BASELINE_COUNT 1007
#define IDC_FILE_COUNT 1008

// String table
#define IDS_ABOUTBOX 101
#define IDS_ERR_READ 5011
#define IDS_ERR_FIELD_TOO_LONG 5012
#define IDS_ERR_TOO_FEW_FIELDS 5013
#define IDS_ERR_CANNOT_OPEN 5014
#define IDS_ERR_NO_UNIT 5015
#define IDS_ERR_NOT_CARTESIAN 5016
#define IDS_ERR_NO_COORD_TYPE 5017
#define IDS_ERR_NO_BASELINES 5018
#define IDS_ERR_BAD_BASELINE 5019
#define IDS_ERR_WRITE 5020
#define IDS_ERR_NO_OUTPUT_NAME 5021
#define IDS_ERR_NO_MEMORY 5022
#define IDS_ERR_BAD_NUMBER 5023
#define IDS_ERR_OUTPUT_IS_INPUT 5024
#define IDS_ERR_SELECTION_TOO_LONG 5025
#define IDS_MSG_SUCCESS 5031
#define IDS_MSG_APPEND 5032
#define IDS_OUTPUT_FILTER 6001
#define IDS_OUTPUT_TITLE 6002
#define IDS_INPUT_FILTER 6003
#define IDS_INPUT_TITLE 6004

// The framework's own entries: the prompts of dialog data exchange and the
// help text
#include "platform/core/afxres.h"
