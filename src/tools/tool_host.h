// What the tool windows (band lists, the two scans, channel setup) need from
// the program and its main window beyond the radio link: yielding once to
// the window system, the beep, the main window's information label and
// box, its remote/local state, the status display routines they call, its
// place on the screen, the file dialogs and the scan flag. The program
// implements it on its main window; tests implement it with a recorder.
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <optional>
#include <string>

class QDialog;

namespace tolvane {

// An open or save file dialog. `filter` is written as pairs of description
// and pattern separated by "|" ("Text files|*.txt"); `filterIndex` counts
// the pairs from 1.
struct FileDialogRequest {
    std::string title;
    std::string filter;
    int filterIndex = 1;
    std::string defaultExtension;  // added to a name typed without one
    std::string initialName;
};

class ToolHost {
  public:
    virtual ~ToolHost() = default;

    // Yield to the window system once: queued clicks of the tool window,
    // the serial ports' event handlers and a termination request are served
    // here. It must not wait for further events (a scan step pays for it).
    virtual void yield() = 0;
    virtual void beep() = 0;

    // The main window's information label lblInfo.
    virtual void setInfoLabel(const std::string& caption) = 0;
    virtual bool infoLabelVisible() = 0;
    virtual void setInfoLabelVisible(bool visible) = 0;
    // Visibility of the main window's information box txtInfo (its text
    // goes through the radio link's ReportError and setInfoText).
    virtual bool infoBoxVisible() = 0;
    virtual void setInfoBoxVisible(bool visible) = 0;

    // The radio is under local control: the main window's remote/local
    // indicator reads "LOCAL", or a remote/local report "R0" was read while
    // the tool window is open (the main loop, which would redraw the
    // indicator, is suspended meanwhile).
    virtual bool radioLocal() = 0;

    // Status display routines of the main window.
    virtual void ShowFreqDigits() = 0;
    virtual void gUpdateDisplay() = 0;
    virtual void SetTxControlsEnabled(bool allowed) = 0;
    // IsInBand(gFreqReport): transmitting is allowed on the radio's frequency.
    virtual bool freqReportInBand() = 0;
    // gScanActive: a scan window is open.
    virtual void setScanActive(bool active) = 0;

    // The main window: enabled state, frame on the screen (pixels) and the
    // width of its band frame fraBand.
    virtual void setMainWindowEnabled(bool enabled) = 0;
    virtual QRect mainWindowFrame() = 0;
    virtual int bandFrameWidth() = 0;
    // Shows a tool window modally; returns when it has closed.
    virtual void showModal(QDialog& window) = 0;

    // The desktop's file dialogs: the chosen file's full name, or nothing
    // when the operator cancelled.
    virtual std::optional<std::string> openFileName(const FileDialogRequest& request) = 0;
    virtual std::optional<std::string> saveFileName(const FileDialogRequest& request) = 0;
};

// Where a tool window opens: its left edge at the main window's right edge
// less the width of the band frame, its top at the main window's top. With
// `keepOnScreen` a window that would reach past the screen's right or bottom
// edge is moved back inside.
QPoint toolWindowPosition(const QRect& mainFrame, int bandFrameWidth, const QSize& ownSize,
                          const QSize& screenSize, bool keepOnScreen);

// The Scan menu entries' routine around a scan window: gScanActive raised
// and the transmit controls off while it is open; afterwards the flag is
// cleared and the transmit controls follow the band check of the radio's
// frequency.
void runScanWindow(ToolHost& host, QDialog& window);

}  // namespace tolvane
