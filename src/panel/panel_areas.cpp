// The areas of the main window.
#include "panel/panel_areas.h"

#include "panel/frm_tolvane.h"

namespace tolvane {

PanelAreas::PanelAreas(FrmTolvane& form, const PanelContext& context, const WindowSeams& seams)
    : display(context.display),
      receiver(form.receiverWidgets(), context),
      utility(form, context),
      layout(form),
      catFrame(form),
      frequency(form.frequencyEntryWidgets(), context, seams),
      vfoB(form.vfoBWidgets(), context, seams),
      channels(form.channelWidgets(), context, seams),
      bands(form, context),
      transmit(form.transmitWidgets(), context, seams),
      amplifier(form.amplifierWidgets(), context, seams) {
    receiver.connectHandlers();
    utility.connectHandlers();
    vfoB.connectHandlers();
    channels.connectHandlers();
    bands.connectHandlers();
    transmit.connectHandlers();
    amplifier.connectHandlers();
    connectDigitRows(form);
}

void PanelAreas::connectDigitRows(FrmTolvane& form) {
    QObject::connect(&form, &FrmTolvane::digitMouseDown, &form,
                     [this](int row, int index, int button) {
                         switch (row) {
                             case FrmTolvane::kRowVfoA:
                                 frequency.cmdF_MouseDown(index, button);
                                 break;
                             case FrmTolvane::kRowVfoB:
                                 vfoB.cmdVFOB_MouseDown(index, button);
                                 break;
                             case FrmTolvane::kRowChannel:
                                 channels.cmdM_MouseDown(index, button);
                                 break;
                             default:
                                 break;
                         }
                     });
    QObject::connect(&form, &FrmTolvane::digitMouseUp, &form, [this](int row, int) {
        switch (row) {
            case FrmTolvane::kRowVfoA:
                frequency.cmdF_MouseUp();
                break;
            case FrmTolvane::kRowVfoB:
                vfoB.cmdVFOB_MouseUp();
                break;
            case FrmTolvane::kRowChannel:
                channels.cmdM_MouseUp();
                break;
            default:
                break;
        }
    });
    // The push-to-talk button runs its transmission inside its press.
    QObject::connect(&form, &FrmTolvane::pttMouseDown, &form,
                     [this](int button) { transmit.cmdPTT_MouseDown(button, 0, 0, 0); });
    QObject::connect(&form, &FrmTolvane::pttMouseUp, &form, [this] { transmit.cmdPTT_MouseUp(); });
    QObject::connect(&form, &FrmTolvane::keyDown, &form,
                     [this](int key, int shift) { frequency.Form_KeyDown(key, shift); });
}

}  // namespace tolvane
