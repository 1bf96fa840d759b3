// The module's three items in the host's Tools list menu: export of an
// application object to a template file, the view of a user's inherited
// applications, and the migration of old application objects. Each tells
// the host its state from the host's selection (and, for the migration, the
// user's rights in the directory) and starts its dialog when chosen.
#pragma once

#include "snapin/core/snapin_menu.h"

class CExportAppObject : public CSnapinMenu {
public:
    CExportAppObject();
    void BindExports() override;
    // Enabled for one selected application object.
    unsigned QueryState() override;
    // Asks for the template file to write and writes it behind the template
    // progress dialog; a failure is told in a message box.
    void Execute() override;
    static void CALLBACK MenuValid(unsigned* state);
    static void CALLBACK MenuAction();
};

class CShowAllAppsMenu : public CSnapinMenu {
public:
    CShowAllAppsMenu();
    void BindExports() override;
    // Enabled for one selected user.
    unsigned QueryState() override;
    // Runs the inherited applications view (dialog 358).
    void Execute() override;
    static void CALLBACK MenuValid(unsigned* state);
    static void CALLBACK MenuAction();
};

class CMigrateAppsMenu : public CSnapinMenu {
public:
    CMigrateAppsMenu();
    void BindExports() override;
    // Enabled when every selected object is an old application object and
    // the user may read and write the entries of the first one's container.
    unsigned QueryState() override;
    // Runs the migration dialog (dialog 393).
    void Execute() override;
    static void CALLBACK MenuValid(unsigned* state);
    static void CALLBACK MenuAction();
};
