// Widget property helpers: captions, BGR colours, bold, twips.
#include "panel/vb.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTextEdit>
#include <QVariant>
#include <cmath>

namespace tolvane::vb {

namespace {
const char* kBack = "tolvaneBackColour";
const char* kFore = "tolvaneForeColour";

const char* kStylePending = "tolvaneStylePending";

void applyStyle(QWidget* w);

// Applies a style that was set while its widget was hidden, when the widget
// is shown.
class PendingStyle final : public QObject {
  public:
    bool eventFilter(QObject* o, QEvent* e) override {
        auto* w = qobject_cast<QWidget*>(o);
        if (w != nullptr && e->type() == QEvent::Show && w->property(kStylePending).toBool())
            applyStyle(w);
        return false;
    }
};

void applyStyle(QWidget* w) {
    // Style sheets are costly to apply, and a hidden widget (the activity
    // lamp changes colour several times every pass) shows nothing of them:
    // its style is applied once it is shown.
    if (w->isHidden()) {
        if (!w->property(kStylePending).isValid()) {
            static PendingStyle* filter = new PendingStyle;
            w->installEventFilter(filter);
        }
        w->setProperty(kStylePending, true);
        return;
    }
    w->setProperty(kStylePending, false);
    QString style;
    QVariant b = w->property(kBack);
    QVariant f = w->property(kFore);
    if (b.isValid()) style += QString("background-color: %1;").arg(toQColor(b.toLongLong()).name());
    if (f.isValid()) style += QString("color: %1;").arg(toQColor(f.toLongLong()).name());
    if (w->property("tolvaneBold").toBool()) style += "font-weight: bold;";
    w->setStyleSheet(style);
    if (b.isValid()) w->setAutoFillBackground(true);
}
}  // namespace

std::string caption(const QWidget* w) {
    if (auto* l = qobject_cast<const QLabel*>(w)) return l->text().toStdString();
    if (auto* b = qobject_cast<const QAbstractButton*>(w)) return b->text().toStdString();
    if (auto* c = qobject_cast<const QComboBox*>(w)) return c->currentText().toStdString();
    if (auto* e = qobject_cast<const QLineEdit*>(w)) return e->text().toStdString();
    if (auto* t = qobject_cast<const QPlainTextEdit*>(w)) return t->toPlainText().toStdString();
    if (auto* t = qobject_cast<const QTextEdit*>(w)) return t->toPlainText().toStdString();
    if (auto* g = qobject_cast<const QGroupBox*>(w)) return g->title().toStdString();
    return w->windowTitle().toStdString();
}

void setCaption(QWidget* w, const std::string& text) {
    QString s = QString::fromStdString(text);
    if (auto* l = qobject_cast<QLabel*>(w)) {
        l->setText(s);
    } else if (auto* b = qobject_cast<QAbstractButton*>(w)) {
        b->setText(s);
    } else if (auto* c = qobject_cast<QComboBox*>(w)) {
        // Setting the text from code runs no click handling; a text that is
        // not in the list shows as an empty box.
        int i = c->findText(s, Qt::MatchExactly);
        if (c->isEditable())
            c->setCurrentText(s);
        else
            c->setCurrentIndex(i);
    } else if (auto* e = qobject_cast<QLineEdit*>(w)) {
        e->setText(s);
    } else if (auto* t = qobject_cast<QPlainTextEdit*>(w)) {
        t->setPlainText(s);
    } else if (auto* t = qobject_cast<QTextEdit*>(w)) {
        t->setPlainText(s);
    } else if (auto* g = qobject_cast<QGroupBox*>(w)) {
        g->setTitle(s);
    } else {
        w->setWindowTitle(s);
    }
}

QColor toQColor(long bgr) {
    return QColor(static_cast<int>(bgr & 0xFF), static_cast<int>((bgr >> 8) & 0xFF),
                  static_cast<int>((bgr >> 16) & 0xFF));
}

static long fromQColor(const QColor& c) {
    return static_cast<long>(c.red()) | (static_cast<long>(c.green()) << 8) |
           (static_cast<long>(c.blue()) << 16);
}

long backColour(const QWidget* w) {
    QVariant v = w->property(kBack);
    return v.isValid() ? static_cast<long>(v.toLongLong()) : -1;
}

long foreColour(const QWidget* w) {
    QVariant v = w->property(kFore);
    return v.isValid() ? static_cast<long>(v.toLongLong()) : -1;
}

void setBackColour(QWidget* w, long bgr) {
    if (backColour(w) == bgr) return;
    w->setProperty(kBack, QVariant::fromValue<qlonglong>(bgr));
    applyStyle(w);
}

void setForeColour(QWidget* w, long bgr) {
    if (foreColour(w) == bgr) return;
    w->setProperty(kFore, QVariant::fromValue<qlonglong>(bgr));
    applyStyle(w);
}

long systemButtonFace() {
    return fromQColor(QPalette().color(QPalette::Button));
}
long systemButtonText() {
    return fromQColor(QPalette().color(QPalette::ButtonText));
}
long systemGrayText() {
    return fromQColor(QPalette().color(QPalette::Disabled, QPalette::WindowText));
}

void setBold(QWidget* w, bool bold) {
    if (w->property("tolvaneBold").toBool() == bold) return;
    w->setProperty("tolvaneBold", bold);
    applyStyle(w);
}

bool isBold(const QWidget* w) {
    return w->property("tolvaneBold").toBool();
}

static double dpi(const QWidget* w) {
    QScreen* s =
        w != nullptr && w->screen() != nullptr ? w->screen() : QGuiApplication::primaryScreen();
    double d = s != nullptr ? s->logicalDotsPerInch() : 96.0;
    return d > 0 ? d : 96.0;
}

int pixelsToTwips(int pixels, const QWidget* w) {
    return static_cast<int>(std::lround(pixels * 1440.0 / dpi(w)));
}

int twipsToPixels(double twips, const QWidget* w) {
    return static_cast<int>(std::lround(twips * dpi(w) / 1440.0));
}

}  // namespace tolvane::vb
