// The window framework's own resource and command ids. The program's
// resources supply the texts behind them.
#pragma once

// Prompts of dialog data exchange
#define AFX_IDP_PARSE_INT 61712
#define AFX_IDP_PARSE_REAL 61713
#define AFX_IDP_PARSE_REAL_RANGE 61715

// The help the framework shows for the help command
#define AFX_IDS_HELP_TEXT 61824

// The help command (F1)
#define ID_HELP 0xE146
