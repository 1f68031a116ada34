// Placement of the tool windows and the Scan menu entries' routine.
#include "tools/tool_host.h"

namespace tolvane {

QPoint toolWindowPosition(const QRect& mainFrame, int bandFrameWidth, const QSize& ownSize,
                          const QSize& screenSize, bool keepOnScreen) {
    int left = mainFrame.left() + mainFrame.width() - bandFrameWidth;
    int top = mainFrame.top();
    if (keepOnScreen) {
        if (left + ownSize.width() > screenSize.width())
            left = screenSize.width() - ownSize.width();
        if (top + ownSize.height() > screenSize.height())
            top = screenSize.height() - ownSize.height();
    }
    return {left, top};
}

void runScanWindow(ToolHost& host, QDialog& window) {
    host.setScanActive(true);
    host.SetTxControlsEnabled(false);
    // However the window ends, the flag must not stay raised: it would keep
    // the transmit controls disabled for good.
    try {
        host.showModal(window);
    } catch (...) {
        host.setScanActive(false);
        throw;
    }
    host.setScanActive(false);
    host.SetTxControlsEnabled(host.freqReportInBand());
}

}  // namespace tolvane
