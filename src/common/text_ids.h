// The ids of the texts a person reads, in every language's string table
// (src/app/lang). Shared by the resource scripts and the program, so only
// #defines.
#pragma once

// The table's own language tag.
#define IDS_LANGUAGE 99

// The window and its boxes.
#define IDS_CAPTION 100
#define IDS_LABEL2 101
#define IDS_LABEL1 102
#define IDS_OK 103
#define IDS_CANCEL 104
#define IDS_ABOUT 105
#define IDS_ABOUT_TEXT 106
#define IDS_CONFIRMATION_CAPTION 107
#define IDS_CONFIRMATION 108
#define IDS_FAILURE_CAPTION 109
#define IDS_NOT_CHANGED 110
#define IDS_NOT_STORABLE 111
#define IDS_MANGLED_OFFER 112
#define IDS_WINDOW_NOT_CREATED 113
#define IDS_UNEXPECTED_IN_WINDOW 114

// The command line.
#define IDS_USAGE_HEAD 200
#define IDS_USAGE_NONE 201
#define IDS_USAGE_WINDOW 202
#define IDS_USAGE_GET 203
#define IDS_USAGE_DEFAULT 204
#define IDS_USAGE_SET 205
#define IDS_USAGE_RESET 206
#define IDS_USAGE_HELP 207
#define IDS_USAGE_TAIL 208
#define IDS_UNKNOWN_SWITCH 209
#define IDS_NEEDS_TITLE 210
#define IDS_TOO_MANY_ARGUMENTS 211
#define IDS_OUTPUT_FAILED 212
#define IDS_USER_NOT_STRING 213
#define IDS_MACHINE_NOT_STRING 214
#define IDS_USER_LOSSY 215
#define IDS_MACHINE_LOSSY 216
#define IDS_USER_UNREADABLE 217
#define IDS_MACHINE_UNREADABLE 218
#define IDS_UNEXPECTED 219
