// How the form reads to a screen reader: accessible interfaces for the
// controls whose Qt defaults say the wrong thing.
#pragma once

#include <QString>

class QWidget;

// Makes the form's lists and radio buttons announce themselves rightly, for
// every form built afterwards (call it before the widgets are created):
// - a list that has an accessible name is announced by that name, its current
//   entry being its value (Qt's own names a list on Linux by its entry);
// - a radio button that forms a group of its own is announced as a radio
//   button (Qt's own calls a radio button that is not auto-exclusive a check
//   box). Neither changes how the control behaves.
void InstallFormAccessibility();

// Makes `window`, a dialog that is the program's own window, announce itself
// as an application's main window rather than as a dialog.
void AnnounceAsMainWindow(QWidget* window);

// Qt makes a widget's accessible interface as early as while the widget is
// being built, before it can be told apart; this drops the one made for
// `control`, so that the next reader gets one made for the finished control.
void ForgetAccessible(QWidget* control);

// A caption as a screen reader says it: without the "&" that marks its
// mnemonic ("&&" stands for one ampersand).
QString WithoutMnemonic(const QString& caption);
