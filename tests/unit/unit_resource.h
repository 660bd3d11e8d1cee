// Resource ids of the test-only dialogs; far from the program's own.
#pragma once

#define IDD_TEST_FIRST 9001
#define IDD_TEST_SECOND 9002
#define IDD_TEST_BROKEN 9003
#define IDD_TEST_CHILD 9004
#define IDC_TEST_EDIT 9100
