// Resource and control numbers. Plain #defines only: the resource compiler
// reads this file too.
#ifndef PITCHWISE_RESOURCE_H
#define PITCHWISE_RESOURCE_H

#define IDD_ABOUTBOX 100
#define IDS_ABOUTBOX 101
#define IDD_MAIN 102
#define IDR_MAINFRAME 128
#define IDM_ABOUTBOX 0x0010

#ifndef IDOK
#define IDOK 1
#endif
#ifndef IDCANCEL
#define IDCANCEL 2
#endif
#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

#define IDC_TEST_READING 3
#define IDC_FIND_QSB 4
#define IDC_SET_ZERO 5
#define IDC_CREATE 7
#define IDC_READING 1000
#define IDC_QSB_INFO 1001
#define IDC_AXIS 1002
#define IDC_START_POS 1003
#define IDC_END_POS 1004
#define IDC_MAP_INC 1005
#define IDC_DISABLE_MAPPING 1006

#endif
