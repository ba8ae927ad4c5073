#pragma once
// Small makers for the panel's controls, so every handler builds its own in
// the same style: named as on the window, with a tooltip.

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include "platform/Controls.h"

namespace orb {

// A text field; limit is the most characters a user may type (0: no limit).
Field* makeField(const QString& name, const QString& text, const QString& tip, int limit = 0, int width = 64);
QPushButton* makeButton(const QString& name, const QString& caption, const QString& tip = {});
QCheckBox* makeCheck(const QString& name, const QString& caption, const QString& tip = {});
QRadioButton* makeOption(const QString& name, const QString& caption, const QString& tip = {});
// A caption beside a control.
QLabel* makeLabel(const QString& text, const QString& tip = {});
// A label that shows a value, named so it can be read.
QLabel* makeValue(const QString& name, const QString& text = "0");
QGroupBox* makeGroup(const QString& name, const QString& title);
// A control shown and hidden as a run goes keeps its place in the layout while
// hidden, so nothing around it moves under the pointer.
void keepPlace(QWidget* w);
// A control or menu action that opens a modal file dialog is marked so: the
// headless runner refuses it and the monkey never presses it, as no one would
// be there to answer.
void markOpensDialog(QObject* control);
bool opensDialog(const QObject* control);

}  // namespace orb
