// The program's version, kept here once and shown from here everywhere.
#pragma once

#define DELVARO_VERSION_MAJOR 3
#define DELVARO_VERSION_MINOR 5
#define DELVARO_VERSION_PATCH 1
#define DELVARO_VERSION_BUILD 5
#define DELVARO_VERSION_TEXT "3.5.1.5"
#define DELVARO_VERSION_COMMAS "3, 5, 1, 5"
#define DELVARO_PRODUCT_NAME "Delvaro"
#define DELVARO_COPYRIGHT "Copyright (C) The Delvaro authors"
