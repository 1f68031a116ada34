// The areas of the main window.
#include "panel/panel_areas.h"

#include "panel/frm_tolvane.h"

namespace tolvane {

PanelAreas::PanelAreas(FrmTolvane& form, const PanelContext& context)
    : display(context.display),
      receiver(form.receiverWidgets(), context),
      utility(form, context),
      layout(form),
      catFrame(form) {
    receiver.connectHandlers();
    utility.connectHandlers();
}

}  // namespace tolvane
