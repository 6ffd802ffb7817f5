/* The resource numbers of the editor's Win32 dialogs, their controls and
   icons. Read by the resource compiler (sergen.rc) and the C++ sources alike:
   plain #defines only. */
#ifndef SERGEN_WIN32_IDS_H
#define SERGEN_WIN32_IDS_H

/* The main standards dialog. */
#define IDD_STANDARDS 8002
#define IDC_BRAND_LABEL 8020
#define IDC_BRAND_BOX 8002
#define IDC_SERIES_LABEL 8021
#define IDC_SERIES_BOX 8003
#define IDC_CONTENT_BOX 8004
#define IDC_TITLE_LABEL 8017
#define IDC_MASK_BUTTON 8022
#define IDC_LIMIT_LIST 8001
#define IDC_CLEAR_BUTTON 8018
#define IDC_DEFAULT_BUTTON 8007
#define IDC_GENERATE_BUTTON 8005
#define IDC_RETURN_BUTTON 2

/* The limit-edit dialog. */
#define IDD_LIMIT 8003
#define IDC_UPPER_EDIT 8000
#define IDC_LOWER_EDIT 8001

/* The conditions dialog of a default standard. */
#define IDD_CONDITIONS 8004
#define IDC_TOTAL_MASS_EDIT 8008
#define IDC_LOAD_RATIO_EDIT 8015
#define IDC_SEATS_EDIT 8004
#define IDC_MAX_SPEED_EDIT 8006
#define IDC_CURB_MASS_EDIT 8005
#define IDC_DRIVE_TYPE_BOX 8013
#define IDC_VEHICLE_KIND_BOX 8014
#define IDC_FUEL_BOX 8011
#define IDC_LAMP_SYSTEM_BOX 8010
#define IDC_CATALYST_BOX 8012
#define IDC_INTAKE_BOX 8009
#define IDC_STATUS_LABEL 8016

/* The mask dialog. */
#define IDD_MASK 8009
#define IDC_PARAM_LIST 8023
#define IDC_SELECT_ALL_BUTTON 3
#define IDC_INVERT_BUTTON 4

/* The icons of the main dialog's buttons. */
#define IDI_RETURN 8001
#define IDI_CLEAR 8006
#define IDI_DEFAULT 8007
#define IDI_GENERATE 8008

#endif
