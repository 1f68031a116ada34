// Small helpers of the tool windows.
#include "tools/tool_widgets.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QWidget>

namespace tolvane::toolui {

std::string text(const QWidget* w) {
    if (auto* e = qobject_cast<const QLineEdit*>(w)) return e->text().toStdString();
    if (auto* l = qobject_cast<const QLabel*>(w)) return l->text().toStdString();
    if (auto* b = qobject_cast<const QAbstractButton*>(w)) return b->text().toStdString();
    return {};
}

void setText(QWidget* w, const std::string& t) {
    const QString q = QString::fromStdString(t);
    if (auto* e = qobject_cast<QLineEdit*>(w))
        e->setText(q);
    else if (auto* l = qobject_cast<QLabel*>(w))
        l->setText(q);
    else if (auto* b = qobject_cast<QAbstractButton*>(w))
        b->setText(q);
}

void setTextColour(QWidget* w, const QColor& colour) {
    QPalette p = w->palette();
    p.setColor(QPalette::Text, colour);
    p.setColor(QPalette::WindowText, colour);
    w->setPalette(p);
}

QColor textColour(const QWidget* w) {
    if (qobject_cast<const QLineEdit*>(w)) return w->palette().color(QPalette::Text);
    return w->palette().color(QPalette::WindowText);
}

void setBackColour(QWidget* w, const QColor& colour) {
    QPalette p = w->palette();
    p.setColor(QPalette::Window, colour);
    p.setColor(QPalette::Button, colour);
    w->setPalette(p);
    w->setAutoFillBackground(true);
}

QColor backColour(const QWidget* w) {
    return w->palette().color(QPalette::Window);
}

QColor windowTextColour() {
    return QApplication::palette().color(QPalette::Text);
}

}  // namespace tolvane::toolui
