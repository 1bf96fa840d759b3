// The page slots of the module's object classes: one table per class, rows
// in creation order (the host's tab order) with the title string, the dialog
// and the rank in the save order. A page plugs in by setting `create` to a
// function that makes it (and adding its fragment to vpradm32.vrc); a slot
// whose `create` is null gives no tab and is not saved.
#include "page_slots.h"

#include <iterator>

#include "snapin/distribution/app_files_page.h"
#include "snapin/distribution/icons_page.h"
#include "snapin/distribution/ini_files_page.h"
#include "snapin/distribution/macros_page.h"
#include "snapin/distribution/registry_settings_page.h"
#include "snapin/distribution/text_files_page.h"
#include "snapin/pages/applications_page.h"
#include "snapin/pages/associations_page.h"
#include "snapin/pages/contacts_page.h"
#include "snapin/pages/description_page.h"
#include "snapin/pages/drives_ports_page.h"
#include "snapin/pages/environment_page.h"
#include "snapin/pages/fault_tolerance_page.h"
#include "snapin/pages/identification_page.h"
#include "snapin/pages/launcher_config_page.h"
#include "snapin/pages/old_object_identification_page.h"
#include "snapin/pages/schedule_page.h"
#include "snapin/pages/stream_text_page.h"
#include "snapin/pages/system_requirements_page.h"

namespace {

template <class Page>
CDialog* Make() {
    return new Page;
}

const PageSlot kApplicationPages[] = {
    {2, 310, 1, Make<CIdentificationPage>},  // Identification
    {127, 343, 16, Make<CSystemRequirementsPage>},  // System Requirements
    {3, 311, 2, Make<CEnvironmentPage>},  // Environment
    {6, 313, 4, Make<CDescriptionPage>},  // Description
    {4, 312, 3, Make<CDrivesPortsPage>},  // Drives/Ports
    {7, 315, 6, Make<CScriptsPage>},  // Scripts
    {5, 314, 5, Make<CFaultTolerancePage>},  // Fault Tolerance
    {8, 316, 7, Make<CContactsPage>},  // Contacts
    {9, 317, 8, Make<CAssociationsPage>},  // Associations
    {10, 318, 9, Make<CAdministratorNotesPage>},  // Administrator Notes
    {65, 322, 13, Make<CMacrosPage>},  // Macros
    {56, 319, 10, Make<CRegistrySettingsPage>},  // Registry Settings
    {57, 320, 11, Make<CIniFilesPage>},  // INI Files
    {58, 321, 12, Make<CAppFilesPage>},  // Application Files
    {69, 324, 15, Make<CTextFilesPage>},  // Text Files
    {68, 323, 14, Make<CSchedulePage>},  // Schedule
    {183, 373, 17, Make<CIconsPage>},  // Icons/Shortcuts
};

// The one information page of the old application objects.
const PageSlot kOldApplicationPages[] = {
    {2, 380, 1, Make<COldObjectIdentificationPage>},  // Identification
};

const PageSlot kContainerPages[] = {
    {11, 325, 1, Make<CApplicationsPage>},    // Applications
    {12, 326, 2, Make<CLauncherConfigPage>},  // Launcher Configuration
};

const PageSlot kGroupPages[] = {
    {11, 325, 1, Make<CApplicationsPage>},  // Applications
};

template <size_t N>
constexpr PageSlotTable Table(const PageSlot (&slots)[N]) {
    return PageSlotTable{slots, N};
}

}  // namespace

const SnapinPageTables kModulePageTables = {
    Table(kApplicationPages),    Table(kOldApplicationPages), Table(kOldApplicationPages),
    Table(kOldApplicationPages), Table(kOldApplicationPages), Table(kContainerPages),
    Table(kGroupPages),          Table(kContainerPages),      Table(kContainerPages),
};
