// Resource ids shared by the .rc script and the code.
#pragma once

// Dialog templates
#define IDD_WIZARD_SHEET 452
#define IDD_WELCOME_PAGE 457
#define IDD_CABLE_GUIDE_PAGE 458
#define IDD_DETECT_PAGE 466
#define IDD_INSTALL_PAGE 205
#define IDD_PRINT_TEST_PAGE 465

// Banner bitmaps (8 bits with a palette, 160 x 310 pixels) for 96 DPI. Their pictures keep the
// size the template gives them (SS_CENTERIMAGE), and a page draws its banner at that size for the
// display's scale unless the bitmap fits it exactly (shell/banner_painter.h).
#define IDB_BANNER_CABLE 454
#define IDB_BANNER_DETECT 456
#define IDB_BANNER_WELCOME 458

// Payload: the helper service program
#define IDR_HELPER_PAYLOAD 232

// Frame controls
#define IDC_BACK 1022
#define IDC_NEXT 1023
#define IDC_FINISH 1025
#define IDC_PAGE_PLACEHOLDER 1021

// Welcome page
#define IDC_WELCOME_TITLE 1023
#define IDC_WELCOME_LINK 1024
#define IDC_WELCOME_INTRO 1026

// Cable-guide page
#define IDC_CABLE_STEPS 1028
#define IDC_CABLE_TITLE 1029

// Detection page
#define IDC_DETECT_LPT 1018
#define IDC_DETECT_USB 1019
#define IDC_DETECT_TITLE 1030
#define IDC_DETECT_STATUS 1031
#define IDC_DETECT_NAME 1035
#define IDC_DETECT_NAME_LABEL 1036

// Install page
#define IDC_INSTALL_NAME 1003
#define IDC_INSTALL_STATUS 1004
#define IDC_INSTALL_PROGRESS 1005
#define IDC_INSTALL_PORT 1006
#define IDC_INSTALL_MODEL 1007
#define IDC_INSTALL_TITLE 1008
#define IDC_INSTALL_TEST_PAGE 1027
#define IDC_INSTALL_SETTINGS 1040

// Test-page dialog
#define IDC_TEST_PAGE_TEXT 1028

// String table
#define IDS_BACK 464
#define IDS_NEXT 465
#define IDS_CANCEL 466
#define IDS_FINISH 467
#define IDS_WELCOME_CAPTION 468
#define IDS_WELCOME_TITLE 472
#define IDS_WELCOME_INTRO 473
#define IDS_WELCOME_LINK 474
#define IDS_CABLE_STEPS 475
#define IDS_DETECT_USB 478
#define IDS_DETECT_LPT 479
#define IDS_INSTALL_CAPTION 480
#define IDS_INSTALL_TITLE 481
#define IDS_OS_TOO_OLD 482
#define IDS_RECONNECT_USB 483
#define IDS_RECONNECT_CABLE 484
#define IDS_DRIVER_MISMATCH 485
#define IDS_NO_RESOURCE_FILE 486
#define IDS_UNKNOWN_INSTALL_ERROR 487
#define IDS_INSTALL_SUCCESS 489
#define IDS_INSTALL_DONE_CAPTION 490
#define IDS_ENUM_PRINTERS_FAILED 491
#define IDS_STEP_SYSTEM_INFO 492
#define IDS_STEP_ADD_PRINTER 493
#define IDS_STEP_COPY_FILES 495
#define IDS_STEP_ADD_DRIVER 496
#define IDS_HELPER_CAPTION 497
#define IDS_HELPER_EXTRACT_FAILED 498
#define IDS_INSTALL_FAILED 499
#define IDS_LABEL_PORT 500
#define IDS_LABEL_MODEL 501
#define IDS_LABEL_NAME 502
#define IDS_TEST_PAGE_TEXT 503
#define IDS_COPY_SUFFIX 504
#define IDS_ADD_DRIVER_FAILED 505
#define IDS_ADD_PRINTER_FAILED 506
#define IDS_DETECTING 507
#define IDS_PRINT_TEST_PAGE 508
#define IDS_CABLE_CAPTION 509
#define IDS_NO_PRINTER_DETECTED 511
#define IDS_PRINTER_DETECTED 512
#define IDS_NO_USB_PRINTER 513
#define IDS_POWER_CYCLE_PRINTER 514
#define IDS_CABLE_TITLE 516
#define IDS_DETECT_NAME_LABEL 517
#define IDS_DETECT_TITLE 518
#define IDS_WEB_ADDRESS 520
#define IDS_INF_MISSING 521
// The helper service did not run after an install that worked (its records stay for a later run).
#define IDS_HELPER_NOT_RUN 522
#define IDS_HELPER_NOT_OURS 523
#define IDS_HELPER_MARKED_FOR_DELETION 524
// Windows shows it to a person who logs off or restarts while a step runs.
#define IDS_SHUTDOWN_REASON 525
// The command-line switches, shown by /? and with a refused command line.
#define IDS_USAGE 526
#define IDS_BAD_COMMAND_LINE 527
// A second start while another installation runs (unattended, or in another session), told to a
// person who started it without /S.
#define IDS_ANOTHER_INSTALL_RUNNING 550
// What the install refuses before it starts: Windows protected print mode, and a package without a
// driver for this machine's processor (%s: x86, x64, ARM64).
#define IDS_PROTECTED_PRINT_MODE 540
#define IDS_NO_DRIVER_FOR_MACHINE 541
// The entry in Programs and Features, and the removal's confirmation and outcome.
#define IDS_UNINSTALL_DISPLAY_NAME 560
#define IDS_UNINSTALL_CONFIRM 561
#define IDS_UNINSTALL_DONE 562
#define IDS_UNINSTALL_INCOMPLETE 563
#define IDS_UNINSTALL_NOTHING 564
