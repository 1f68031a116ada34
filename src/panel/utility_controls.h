// The utility controls of the main window: the data box and its button, the
// status request, the test button and the six meter options. The handlers
// raise requests; the action routines run from the main loop.
#pragma once

#include "panel/panel_context.h"

namespace tolvane {

class FrmTolvane;

class UtilityControls {
  public:
    UtilityControls(FrmTolvane& form, const PanelContext& context);

    // Connects the controls' handlers to the request flags.
    void connectHandlers();

    // --- action routines ---
    void GetStatusCmd();
    void ViewDataCmd();
    void MeterCmd();
    void cmdTest_Click();

  private:
    FrmTolvane& form_;
    PanelContext c_;
};

}  // namespace tolvane
