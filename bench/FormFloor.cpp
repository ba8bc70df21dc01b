// The floor of the program's start: the same 79-control form built from its
// template, with no rules, shown until it has been painted once.
#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QTimer>

#include "res/GeneratorDialog.h"
#include "ui/DialogForm.h"

namespace {

class CQuitAfterPaint : public QObject {
 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint && !m_painted) {
      m_painted = true;
      QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    }
    return false;
  }

 private:
  bool m_painted = false;
};

}  // namespace

int main(int argc, char* argv[]) {
  int qtArgc = 1;
  QApplication application(qtArgc, argv);
  (void)argc;
  QDialog dialog;
  CDialogForm form;
  form.Create(&dialog, GeneratorDialogTemplate());
  CQuitAfterPaint quit;
  dialog.installEventFilter(&quit);
  dialog.show();
  return application.exec();
}
