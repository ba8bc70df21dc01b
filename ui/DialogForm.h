// Builds a dialog's widgets from its template: positions in dialog units
// converted from the dialog font's metrics, styles, mnemonics and tab order.
#pragma once

#include <QChar>
#include <QObject>
#include <QRect>
#include <vector>

#include "res/GeneratorDialog.h"

class QDialog;
class QFont;
class QWidget;

// The pixels of one dialog unit are x / 4 horizontally and y / 8 vertically:
// x is the font's average character width, y its character height.
struct DialogBaseUnits {
  int x = 0;
  int y = 0;
};

DialogBaseUnits BaseUnitsOf(const QFont& font);
QRect DialogUnitsToPixels(const DialogBaseUnits& units, int x, int y, int cx, int cy);

// Keeps the mouse wheel from changing a list that does not have the focus:
// the wheel reaches only the focused control.
class CWheelGuard : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
};

// The widgets of one template, created on a dialog in template order.
class CDialogForm {
 public:
  // Makes the dialog a top-level window of its own (not a transient dialog),
  // sets its caption, font, fixed size and frame and creates every
  // control. Each widget's object name is its identifier's name and its
  // property "controlId" the numeric id.
  void Create(QDialog* dialog, const DialogTemplate& dialogTemplate);

  // Acts on the mnemonic `key` (a letter or digit, without regard to case) as
  // Alt with that key does: the one visible, enabled control whose caption
  // marks it is clicked if it is a button, or for a label the control after
  // it takes the focus. Several such controls only take the focus in turn,
  // the one after the focused control first. False when none has it.
  bool TriggerMnemonic(QChar key) const;

  // The control with `id` (IDC_STATIC is ambiguous and gives the first).
  QWidget* Item(int id) const;
  QWidget* ControlAt(int index) const { return m_controls[static_cast<size_t>(index)]; }
  int Count() const { return static_cast<int>(m_controls.size()); }
  const DialogBaseUnits& BaseUnits() const { return m_units; }

 private:
  std::vector<QWidget*> m_controls;
  const DialogTemplate* m_template = nullptr;
  DialogBaseUnits m_units;
};
