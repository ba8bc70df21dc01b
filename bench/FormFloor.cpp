// The floor of the program's start: the same 79-control form built from its
// template, with no rules, shown until it has been painted once. With
// --collatore it also sorts a few names with the lists' collator, which the
// program needs to order its lists: what the collator alone costs.
//   tarvo_form_floor [--collatore]
#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QTimer>
#include <cstring>

#include "res/GeneratorDialog.h"
#include "ui/Controls.h"
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
  if (argc > 1 && std::strcmp(argv[1], "--collatore") == 0) {
    const QString names[] = {QStringLiteral("Umano"), QStringLiteral("Elfo"),
                             QStringLiteral("\u00c0rgon"), QStringLiteral("nano")};
    if (AlphabeticalOrder(names, 4).size() != 4) return 1;
  }
  QDialog dialog;
  CDialogForm form;
  form.Create(&dialog, GeneratorDialogTemplate());
  CQuitAfterPaint quit;
  dialog.installEventFilter(&quit);
  dialog.show();
  return application.exec();
}
