// The About box frmHelp: the program title and a credits line, closed with OK.
#pragma once

#include <QDialog>
#include <QPointer>

namespace Ui {
class frmHelp;
}

namespace tolvane {

class FrmHelp : public QDialog {
    Q_OBJECT

  public:
    // programTitle: the title the caller shows ("Tolvane 0.962b : ...").
    // owner: the window that opened the box and disabled itself; it is
    // enabled again when the box closes. The box is application modal and
    // centred over the owner, but not its child: a child of a disabled
    // window would be disabled too.
    explicit FrmHelp(const QString& programTitle, QWidget* owner = nullptr);
    ~FrmHelp() override;
    FrmHelp(const FrmHelp&) = delete;
    FrmHelp& operator=(const FrmHelp&) = delete;

    Ui::frmHelp* ui;

    void done(int result) override;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    QPointer<QWidget> owner_;
};

}  // namespace tolvane
