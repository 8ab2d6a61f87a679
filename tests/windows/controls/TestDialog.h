#pragma once
// Ids of the test program's own dialog template.
#define IDD_TEST_DIALOG 200
#define IDC_TEST_LABEL 201
#define IDC_TEST_CHECK 202
